#pragma once
// A temporary folder for one test, removed with everything in it when the object goes.
#include <string>

namespace mig::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }  // UTF-8, a path of this system

private:
    std::string path_;
};

}  // namespace mig::test
