#pragma once
// Single-byte code pages in which older programs stored text, converted to and from the
// program's WIN1252 text. A character that WIN1252 (or the target code page) lacks becomes '?'.
#include <array>
#include <string>
#include <string_view>

namespace mig {

class CodePage {
public:
    // Code page 1252 itself: every byte stays as it is.
    static const CodePage& win1252();
    // The code page of that number (437, 737, 850, 852, 857, 860, 861, 863, 865, 866, 1250,
    // 1251, 1252, 1253, 1254, 1257); nullptr for one this program does not know.
    static const CodePage* find(int number);

    int number() const { return number_; }
    bool isWin1252() const { return number_ == 1252; }
    // "WIN1252", "WIN1250", ..., "CP850", "CP437", ...
    std::string name() const;

    // The character a byte stands for; 0xFFFD for a byte the code page leaves undefined.
    char32_t unicode(unsigned char c) const { return unicode_[c]; }

    // The WIN1252 byte for each byte of this code page.
    const std::array<char, 256>& toWin1252Table() const { return toWin1252_; }
    char toWin1252(unsigned char c) const { return toWin1252_[c]; }
    std::string toWin1252(std::string_view bytes) const;
    // This code page's bytes for WIN1252 text (used to write files in it).
    std::string fromWin1252(std::string_view text) const;

    CodePage(int number, const char16_t* high);  // high: Unicode of bytes 0x80..0xFF, or null

private:
    int number_;
    std::array<char32_t, 256> unicode_{};
    std::array<char, 256> toWin1252_{};
    std::array<char, 256> fromWin1252_{};
};

}  // namespace mig
