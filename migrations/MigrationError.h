#pragma once
// A failure that carries details for the operator (each refused row and why), shown in the
// error box's details.
#include <string>

#include "target/field/Errors.h"

namespace mig {

class DetailedError : public DataError {
public:
    DetailedError(const std::string& message, std::string details)
        : DataError(message), details_(std::move(details)) {}
    const std::string& details() const { return details_; }  // WIN1252

private:
    std::string details_;
};

}  // namespace mig
