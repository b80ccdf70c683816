#pragma once
// The one failure of the driver: a failure of the client library or the server, or a misuse
// of the driver, raised before or instead of the call.
#include <cstdint>
#include <string>

#include "target/field/Errors.h"

namespace mig::db {

// what() is the client's text as it comes (or the driver's own, for a misuse).
class DbError : public DataError {
public:
    DbError(const std::string& message, std::int64_t code = 0) : DataError(message), code_(code) {}
    std::int64_t code() const { return code_; }  // the first ISC error code, 0 when none

private:
    std::int64_t code_;
};

}  // namespace mig::db
