#pragma once
// Failures of a migration that tell the operator more than the data layer's message: details
// for the error box (each refused row and why), or one line of advice under the message.
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

// A failure whose message alone does not say what to do. The error box shows the message as
// every failure's (with its period) and the advice on the next line.
class AdvisedError : public DataError {
public:
    AdvisedError(const std::string& message, std::string advice)
        : DataError(message), advice_(std::move(advice)) {}
    // WIN1252; one sentence ending in a period.
    const std::string& advice() const { return advice_; }

private:
    std::string advice_;
};

}  // namespace mig
