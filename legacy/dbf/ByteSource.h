#pragma once
// The bytes of a dBase or memo file as the readers see them: either bytes held in memory by the
// caller, or a file read on demand through a window of bounded size, so that a table of any
// size costs the same memory and a file cut short by another program fails a read with a clear
// message. One thread at a time: a read moves the window.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "legacy/dbf/ReadOnlyFile.h"

namespace mig::dbf {

class ByteSource {
public:
    ByteSource() = default;  // no bytes
    // Bytes held by the caller, which must outlive the source.
    explicit ByteSource(std::string_view bytes) : memory_(bytes), size_(bytes.size()) {}
    // A file, which must outlive the source; its size is the one it had when it was opened.
    explicit ByteSource(const ReadOnlyFile& file) : file_(&file), size_(file.size()) {}

    std::uint64_t size() const { return size_; }

    // The bytes [offset, offset + length), which must lie within size(). The view stays valid
    // until the next read from this source. Fails with DataError naming the file when the file
    // no longer holds them.
    std::string_view read(std::uint64_t offset, std::size_t length) const {
        if (!file_) return memory_.substr(offset, length);
        if (offset >= start_ && offset - start_ + length <= held_) {
            return {window_.data() + (offset - start_), length};
        }
        return fill(offset, length);
    }

    // Appends the bytes [offset, offset + length), within size(), to `out`, past the window
    // (for memos, which may be large). Fails as read() does.
    void append(std::uint64_t offset, std::size_t length, std::string& out) const;

    // How much one filling of the window reads.
    static constexpr std::size_t kWindow = 256 * 1024;

private:
    std::string_view fill(std::uint64_t offset, std::size_t length) const;
    [[noreturn]] void cutShort() const;

    std::string_view memory_;
    const ReadOnlyFile* file_ = nullptr;
    std::uint64_t size_ = 0;
    mutable std::vector<char> window_;
    mutable std::uint64_t start_ = 0;  // file offset of window_[0]
    mutable std::size_t held_ = 0;     // bytes of window_ that hold the file
};

}  // namespace mig::dbf
