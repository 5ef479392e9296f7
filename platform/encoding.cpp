#include "platform/encoding.h"

#include <iconv.h>

#include <cerrno>
#include <functional>

namespace plat {

namespace {

class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok()) iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return cd_ != iconv_t(-1); }

    // Converts as much of in as it can, appending to out, then emits what a stateful table still
    // holds back (so the output stays in order when a fallback follows). Returns the input bytes taken.
    size_t Run(std::string_view in, std::string& out) {
        char* ip = const_cast<char*>(in.data());
        size_t left = in.size();
        char buf[256];
        while (left > 0) {
            char* op = buf;
            size_t room = sizeof(buf);
            size_t r = iconv(cd_, &ip, &left, &op, &room);
            out.append(buf, size_t(op - buf));
            if (r == size_t(-1) && errno != E2BIG) break;
        }
        for (;;) {
            char* op = buf;
            size_t room = sizeof(buf);
            size_t r = iconv(cd_, nullptr, nullptr, &op, &room);
            out.append(buf, size_t(op - buf));
            if (r != size_t(-1) || errno != E2BIG) break;
        }
        return in.size() - left;
    }

    // The whole of in or nothing.
    bool Whole(std::string_view in, std::string& out) {
        std::string tmp;
        if (Run(in, tmp) != in.size()) return false;
        out += tmp;
        return true;
    }

private:
    iconv_t cd_;
};

// The length of the UTF-8 sequence at the start of s (1 for a stray byte).
size_t Utf8Length(std::string_view s) {
    auto c = static_cast<unsigned char>(s[0]);
    size_t want = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 1;
    size_t n = 1;
    while (n < want && n < s.size() && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) ++n;
    return n;
}

// Runs a whole text through the converter; at each byte run it cannot convert, onBad appends a
// replacement and returns how many bytes to step over (at least 1).
std::string ConvertAll(Iconv& cd, std::string_view in, const std::function<size_t(std::string_view, std::string&)>& onBad) {
    std::string out;
    if (!cd.ok()) {
        out.assign(in.size(), '?');
        return out;
    }
    size_t pos = 0;
    while (pos < in.size()) {
        pos += cd.Run(in.substr(pos), out);
        if (pos >= in.size()) break;
        size_t step = onBad(in.substr(pos), out);
        pos += step ? step : 1;
    }
    return out;
}

bool HasPrivateUse(std::string_view utf8) {
    // U+E000..U+F8FF is EE 80 80 .. EF A3 BF.
    for (size_t i = 0; i + 2 < utf8.size(); ++i) {
        auto a = static_cast<unsigned char>(utf8[i]), b = static_cast<unsigned char>(utf8[i + 1]);
        if (a == 0xEE || (a == 0xEF && b <= 0xA3)) return true;
    }
    return false;
}

}  // namespace

std::string Big5ToUtf8(std::string_view big5) {
    // The text was written under CP950, so its reading wins; but CP950 has only private-use codes
    // where HKSCS holds the kana rows (0xC6-0xC8) and its other additions.
    Iconv cp950("UTF-8", "CP950");
    Iconv hkscs("UTF-8", "BIG5-HKSCS");
    std::string out;
    size_t i = 0;
    while (i < big5.size()) {
        auto c = static_cast<unsigned char>(big5[i]);
        if (c < 0x80) {
            out.push_back(char(c));
            ++i;
            continue;
        }
        // Any byte >= 0x80 leads a two-byte character, as the game's own text walk has it.
        if (i + 1 >= big5.size() || big5[i + 1] == '\0') {
            out.push_back('?');
            ++i;
            continue;
        }
        std::string_view pair = big5.substr(i, 2);
        std::string a;
        if (cp950.ok() && cp950.Whole(pair, a) && !HasPrivateUse(a)) {
            out += a;
        } else if (!(hkscs.ok() && hkscs.Whole(pair, out))) {
            out.push_back('?');
        }
        i += 2;
    }
    return out;
}

std::string Utf8ToBig5(std::string_view utf8) {
    Iconv hkscs("BIG5-HKSCS", "UTF-8");
    Iconv cp950("CP950", "UTF-8");
    return ConvertAll(hkscs, utf8, [&](std::string_view rest, std::string& out) {
        size_t n = Utf8Length(rest);
        if (!(cp950.ok() && cp950.Whole(rest.substr(0, n), out))) out.push_back('?');
        return n;
    });
}

std::string Utf8ToDrawnText(std::string_view utf8) {
    std::string out;
    size_t pos = 0;
    while (pos < utf8.size()) {
        const size_t n = Utf8Length(utf8.substr(pos));
        std::string_view ch = utf8.substr(pos, n);
        pos += n;
        // 装 comes out of HKSCS with lead byte 0x8F; its traditional form is in the fonts.
        if (ch == "装") ch = "裝";
        const std::string b = Utf8ToBig5(ch);
        const auto lead = b.empty() ? 0u : static_cast<unsigned char>(b[0]);
        const bool written = !b.empty() && !(b == "?" && ch != "?");
        const bool drawable = lead < 0x80 || (lead >= 0xA1 && lead <= 0xC9 && b.size() == 2);
        out += written && drawable ? b : std::string("\xA1\x48");
    }
    return out;
}

std::string SjisToUtf8(std::string_view sjis) {
    Iconv cd("UTF-8", "CP932");
    return ConvertAll(cd, sjis, [](std::string_view rest, std::string& out) {
        auto c = static_cast<unsigned char>(rest[0]);
        bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        auto t = rest.size() >= 2 ? static_cast<unsigned char>(rest[1]) : 0;
        bool trail = (t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC);
        out.push_back('?');
        return lead && trail ? size_t(2) : size_t(1);
    });
}

std::string Utf8ToSjis(std::string_view utf8) {
    Iconv cd("CP932", "UTF-8");
    return ConvertAll(cd, utf8, [](std::string_view rest, std::string& out) {
        out.push_back('?');
        return Utf8Length(rest);
    });
}

namespace {
RecordEncoding RecordNameEncoding = RecordEncoding::ShiftJis;
}  // namespace

void SetRecordNameEncoding(RecordEncoding encoding) { RecordNameEncoding = encoding; }
RecordEncoding GetRecordNameEncoding() { return RecordNameEncoding; }

std::string RecordNameToUtf8(std::string_view name) {
    return RecordNameEncoding == RecordEncoding::Big5 ? Big5ToUtf8(name) : SjisToUtf8(name);
}

std::string Utf8ToRecordName(std::string_view utf8) {
    return RecordNameEncoding == RecordEncoding::Big5 ? Utf8ToBig5(utf8) : Utf8ToSjis(utf8);
}

bool IsRecordNameLead(unsigned char byte) {
    if (RecordNameEncoding == RecordEncoding::Big5) return byte >= 0x81 && byte <= 0xFE;
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace plat
