#pragma once
// The blocks of a memo file (.DBT or .FPT), read from the file's bytes.
#include <cstdint>
#include <cstddef>
#include <string>
#include <string_view>

#include "legacy/dbf/ByteSource.h"
#include "legacy/dbf/DbfHeader.h"

namespace mig::dbf {

class MemoReader {
public:
    enum class Status : std::uint8_t {
        Ok,
        OutOfRange,    // the block lies past the end of the file
        InsideHeader,  // the block lies inside the file's header
        CutShort,      // the memo's length runs past the end of the file; data holds what is there
    };
    struct Memo {
        Status status = Status::Ok;
        std::string_view data;  // valid until the next read
        bool text = true;       // false for a FoxPro block of picture or object type
    };

    MemoReader() = default;
    // `bytes` must outlive the reader.
    MemoReader(std::string_view bytes, MemoFormat format) : MemoReader(ByteSource(bytes), format) {}
    // Reads the file's header; fails with DataError when the file was cut short since it was opened.
    MemoReader(ByteSource bytes, MemoFormat format);

    MemoFormat format() const { return format_; }
    std::uint32_t blockSize() const { return blockSize_; }

    // The memo in block `block` (a non-zero block number from a record), or its first `limit`
    // bytes. Fails with DataError when the file was cut short since it was opened.
    Memo read(std::uint32_t block, std::size_t limit = SIZE_MAX) const;

private:
    Memo readDBase3(std::uint64_t offset, std::size_t limit) const;
    Memo readDBase4(std::uint64_t offset, std::size_t limit) const;
    Memo readFoxPro(std::uint64_t offset, std::size_t limit) const;
    // Text from `offset` up to the first 0x1A (CutShort when the file ends first), at most `limit` bytes.
    Memo readToEndMark(std::uint64_t offset, std::size_t limit) const;
    // `want` bytes from `start`, or what the file holds of them, at most `limit`.
    Memo readCounted(std::uint64_t start, std::uint64_t want, bool text, std::size_t limit) const;
    bool blockSignatureAt(std::uint64_t offset) const;

    ByteSource bytes_;
    MemoFormat format_ = MemoFormat::None;
    std::uint32_t blockSize_ = 512;
    mutable std::string memo_;  // the last memo read
};

}  // namespace mig::dbf
