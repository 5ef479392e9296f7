// The one place where text changes encoding. The game's drawn text is Big5 (BIG5-HKSCS, whose rows
// 0xC6-0xC7 hold the kana; CP950 fills in characters HKSCS lacks), some messages are Shift-JIS
// (CP932); the platform (debug output, window title, message boxes) takes UTF-8.
//
// Nothing here fails: a character that cannot be read or written becomes one '?'. In Big5 any byte
// >= 0x80 takes the next byte with it (the game's own text walk), in Shift-JIS a CP932 lead byte takes a
// following byte of the trail range; an invalid UTF-8 sequence counts as one character.
#pragma once
#include <string>
#include <string_view>

namespace plat {

// Reads each character as CP950 does (the text was written under it), except where CP950 has only a
// private-use code and HKSCS a real character (the kana rows and the other HKSCS additions).
std::string Big5ToUtf8(std::string_view big5);
// Writes through BIG5-HKSCS, and through CP950 for a character HKSCS lacks ("～" gives 0xA1E3).
std::string Utf8ToBig5(std::string_view utf8);
// Text for the game's fonts, which take only lead bytes 0xA1..0xC9: Utf8ToBig5 character by
// character, with 装 written as 裝, and "？" (0xA148) for a character that cannot be written or
// whose lead byte the fonts do not take.
std::string Utf8ToDrawnText(std::string_view utf8);
std::string SjisToUtf8(std::string_view sjis);
std::string Utf8ToSjis(std::string_view utf8);

// Technique and weapon names lie verbatim in their records, in one encoding for all of them:
// Shift-JIS unless set otherwise. Records are never re-encoded; only the copies shown are converted.
enum class RecordEncoding { ShiftJis, Big5 };
void SetRecordNameEncoding(RecordEncoding encoding);
RecordEncoding GetRecordNameEncoding();
std::string RecordNameToUtf8(std::string_view name);
std::string Utf8ToRecordName(std::string_view utf8);
// Whether the byte starts a two-byte character of the record-name encoding.
bool IsRecordNameLead(unsigned char byte);

}  // namespace plat
