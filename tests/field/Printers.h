#pragma once
// Readable values in the tests' failure output.
#include <ostream>

#include "target/field/Calendar.h"
#include "target/field/Value.h"

namespace mig {

inline void PrintTo(const Date& d, std::ostream* os) {
    const CivilDate c = civilDate(d);
    *os << "Date{" << d.days << " = " << c.year << '-' << c.month << '-' << c.day << '}';
}
inline void PrintTo(const CivilDate& c, std::ostream* os) { *os << c.year << '-' << c.month << '-' << c.day; }
inline void PrintTo(const Time& t, std::ostream* os) { *os << "Time{" << t.ms << "ms}"; }
inline void PrintTo(const Decimal& d, std::ostream* os) {
    *os << "Decimal{" << d.unscaled << ", scale " << int(d.scale) << ", digits " << int(d.digits) << '}';
}
inline void PrintTo(const Timestamp& t, std::ostream* os) {
    *os << t.year << '-' << int(t.month) << '-' << int(t.day) << ' ' << int(t.hour) << ':' << int(t.minute) << ':'
        << int(t.second) << '+' << t.fraction;
}

}  // namespace mig
