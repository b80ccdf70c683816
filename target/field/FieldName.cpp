#include "target/field/FieldName.h"

namespace mig {

char foldCase(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') return static_cast<char>(u - 32);
    // WIN1252: 0xE0..0xFE are the small forms of 0xC0..0xDE, apart from the division sign;
    // the small s, z and oe with caron/ligature sit at 0x9A, 0x9E, 0x9C; y diaeresis at 0xFF.
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 32);
    if (u == 0x9A || u == 0x9C || u == 0x9E) return static_cast<char>(u - 16);
    if (u == 0xFF) return static_cast<char>(0x9F);
    return c;
}

bool sameFieldName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldCase(a[i]) != foldCase(b[i])) return false;
    return true;
}

}  // namespace mig
