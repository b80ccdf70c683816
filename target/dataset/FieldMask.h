#pragma once
// A set of field positions of one dataset (the fields a new row assigned, the fields an edit
// changed, the key fields read as null).
#include <bitset>
#include <cstddef>

namespace mig {

// The most fields a client dataset may have; the widest target dataset has 63.
inline constexpr std::size_t kMaxFields = 128;
using FieldMask = std::bitset<kMaxFields>;

}  // namespace mig
