// The one place where text changes encoding. The game's drawn text is Big5 (BIG5-HKSCS, whose rows
// 0xC6-0xC7 hold the kana; CP950 fills in characters HKSCS lacks), some messages are Shift-JIS
// (CP932); the platform (debug output, window title, message boxes) takes UTF-8.
#pragma once
#include <string>
#include <string_view>

namespace plat {

std::string Big5ToUtf8(std::string_view big5);
std::string Utf8ToBig5(std::string_view utf8);
std::string SjisToUtf8(std::string_view sjis);
std::string Utf8ToSjis(std::string_view utf8);

}  // namespace plat
