// The configuration file reader on any contents: it never fails, the address it gives is at
// most 30 characters without blanks at its ends, and reading the same contents again over that
// address gives the same address.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/Config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view contents(reinterpret_cast<const char*>(data), size);
    const std::string address = mig::serverAddressFromConfig(contents, "anterior");
    if (address.size() > mig::kServerAddressCapacity) std::abort();
    if (address != "anterior" && mig::TrimBlanks(address).size() != address.size() &&
        address.size() < mig::kServerAddressCapacity)
        std::abort();
    if (mig::serverAddressFromConfig(contents, address) != address) std::abort();
    return 0;
}
