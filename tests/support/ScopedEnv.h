#pragma once
// An environment variable set (or, given no value, removed) for the life of the object, then
// restored.
#include <optional>
#include <string>

namespace mig::test {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> saved_;
};

}  // namespace mig::test
