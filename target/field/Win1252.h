#pragma once
// The program's text is single-byte Windows code page 1252. These convert it to and from UTF-8
// (source literals, the window's Unicode text). A character 1252 lacks becomes '?'.
#include <string>
#include <string_view>

namespace mig {

char32_t win1252ToUnicode(unsigned char c);
// '?' when the code point has no 1252 byte.
char unicodeToWin1252(char32_t cp);

std::string utf8ToWin1252(std::string_view utf8);
std::string win1252ToUtf8(std::string_view text);

}  // namespace mig
