#include "tests/support/ScopedEnv.h"

#include <cstdlib>

namespace mig::test {

namespace {

void setEnvironment(const char* name, const std::optional<std::string>& value) {
#ifdef _WIN32
    // An empty value removes the variable.
    ::_putenv_s(name, value ? value->c_str() : "");
#else
    if (value) ::setenv(name, value->c_str(), 1);
    else ::unsetenv(name);
#endif
}

}  // namespace

ScopedEnv::ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    setEnvironment(name, value);
}

ScopedEnv::~ScopedEnv() { setEnvironment(name_, saved_); }

}  // namespace mig::test
