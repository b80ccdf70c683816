#include "legacy/dbf/MappedFile.h"

#include <cerrno>
#include <cstring>

#include "target/field/Errors.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace mig::dbf {

#ifdef _WIN32

MappedFile::MappedFile(const std::string& path, bool readAhead) : path_(path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw DataError("Cannot open " + path);
    // Reading through this handle must not move the file's last-access time.
    FILETIME keep{0xFFFFFFFF, 0xFFFFFFFF};
    SetFileTime(file, nullptr, &keep, nullptr);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        CloseHandle(file);
        throw DataError("Cannot read the size of " + path);
    }
    file_ = file;
    size_ = static_cast<std::size_t>(size.QuadPart);
    if (size_ == 0) return;
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping) {
        CloseHandle(file);
        throw DataError("Cannot map " + path);
    }
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (!view) {
        CloseHandle(mapping);
        CloseHandle(file);
        throw DataError("Cannot map " + path);
    }
    mapping_ = mapping;
    data_ = static_cast<const char*>(view);
    (void)readAhead;  // the system's own read-ahead serves a mapped file read through
}

MappedFile::~MappedFile() {
    if (data_) UnmapViewOfFile(data_);
    if (mapping_) CloseHandle(static_cast<HANDLE>(mapping_));
    if (file_) CloseHandle(static_cast<HANDLE>(file_));
}

#else

MappedFile::MappedFile(const std::string& path, bool readAhead) : path_(path) {
    int flags = O_RDONLY | O_CLOEXEC;
#ifdef O_NOATIME
    // Leave the access time alone when the system lets us (only the owner may ask).
    int fd = ::open(path.c_str(), flags | O_NOATIME);
    if (fd < 0 && errno == EPERM) fd = ::open(path.c_str(), flags);
#else
    int fd = ::open(path.c_str(), flags);
#endif
    if (fd < 0) throw DataError("Cannot open " + path + ": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        throw DataError("Cannot read the size of " + path + ": " + std::strerror(err));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        throw DataError("Not a file: " + path);
    }
    size_ = static_cast<std::size_t>(st.st_size);
    if (size_ > 0) {
        int mapFlags = MAP_SHARED;
#ifdef MAP_POPULATE
        if (readAhead) mapFlags |= MAP_POPULATE;
#endif
        void* p = ::mmap(nullptr, size_, PROT_READ, mapFlags, fd, 0);
        if (p == MAP_FAILED) {
            const int err = errno;
            ::close(fd);
            throw DataError("Cannot map " + path + ": " + std::strerror(err));
        }
        data_ = static_cast<const char*>(p);
    }
    // The mapping keeps the file's contents reachable; the descriptor is no longer needed.
    ::close(fd);
}

MappedFile::~MappedFile() {
    if (data_) ::munmap(const_cast<char*>(data_), size_);
}

#endif

}  // namespace mig::dbf
