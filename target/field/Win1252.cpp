#include "target/field/Win1252.h"

#include <array>

namespace mig {
namespace {

// 0x80..0x9F of code page 1252; 0 marks the five bytes the code page leaves undefined,
// which pass through as the C1 control of the same number.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

char32_t win1252ToUnicode(unsigned char c) {
    if (c >= 0x80 && c < 0xA0) {
        const char16_t u = kHigh[c - 0x80];
        return u ? u : c;
    }
    return c;
}

char unicodeToWin1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (unsigned i = 0; i < kHigh.size(); ++i) {
        const char32_t u = kHigh[i] ? kHigh[i] : 0x80 + i;
        if (u == cp) return static_cast<char>(0x80 + i);
    }
    return '?';
}

std::string utf8ToWin1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        char32_t cp;
        std::size_t len;
        if (b < 0x80) { cp = b; len = 1; }
        else if ((b & 0xE0) == 0xC0) { cp = b & 0x1F; len = 2; }
        else if ((b & 0xF0) == 0xE0) { cp = b & 0x0F; len = 3; }
        else if ((b & 0xF8) == 0xF0) { cp = b & 0x07; len = 4; }
        else { out.push_back('?'); ++i; continue; }
        if (i + len > utf8.size()) { out.push_back('?'); break; }
        bool ok = true;
        for (std::size_t k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(utf8[i + k]);
            if ((c & 0xC0) != 0x80) { ok = false; break; }
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok) { out.push_back('?'); ++i; continue; }
        out.push_back(unicodeToWin1252(cp));
        i += len;
    }
    return out;
}

std::string win1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char ch : text) {
        const char32_t cp = win1252ToUnicode(static_cast<unsigned char>(ch));
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

}  // namespace mig
