#pragma once
// Field names are compared without regard to case (ASCII and the accented letters of WIN1252).
#include <string_view>

namespace mig {

char foldCase(char c);
bool sameFieldName(std::string_view a, std::string_view b);

}  // namespace mig
