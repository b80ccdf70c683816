#pragma once
// A file mapped read-only into memory. The file is opened for reading and shared with every
// other program (on Windows: read, write and delete sharing); nothing is locked, written or
// changed, not even the access time where the system allows it. The mapping holds the file's
// contents as they were when it was made; a table reopened maps the file anew.
#include <cstddef>
#include <string>
#include <string_view>

namespace mig::dbf {

class MappedFile {
public:
    // Maps the whole file; `readAhead` asks the system to bring all of it in at once (for a
    // file about to be read through). Fails with DataError naming the path when it cannot be
    // opened.
    explicit MappedFile(const std::string& path, bool readAhead = false);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    std::string_view bytes() const { return {data_, size_}; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    const char* data_ = nullptr;
    std::size_t size_ = 0;
#ifdef _WIN32
    void* file_ = nullptr;
    void* mapping_ = nullptr;
#endif
};

}  // namespace mig::dbf
