#pragma once
// Failures of the data layer. Messages are English and WIN1252-encoded.
#include <stdexcept>
#include <string>

namespace mig {

// Base of every failure raised by the data layer; what() is the text the operator sees.
class DataError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A value that cannot be converted ("'x' is not a valid integer value", ...). No record-set prefix.
class ConversionError : public DataError {
public:
    using DataError::DataError;
};

}  // namespace mig
