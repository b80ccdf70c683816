#include "legacy/dbf/MemoReader.h"

namespace mig::dbf {
namespace {

std::uint32_t byteAt(std::string_view b, std::size_t at) { return static_cast<unsigned char>(b[at]); }
std::uint32_t le16(std::string_view b, std::size_t at) { return byteAt(b, at) | (byteAt(b, at + 1) << 8); }
std::uint32_t le32(std::string_view b, std::size_t at) { return le16(b, at) | (le16(b, at + 2) << 16); }
std::uint32_t be16(std::string_view b, std::size_t at) { return (byteAt(b, at) << 8) | byteAt(b, at + 1); }
std::uint32_t be32(std::string_view b, std::size_t at) { return (be16(b, at) << 16) | be16(b, at + 2); }

constexpr std::uint32_t kFoxHeaderSize = 512;

}  // namespace

MemoReader::MemoReader(std::string_view bytes, MemoFormat format) : bytes_(bytes), format_(format) {
    switch (format) {
        case MemoFormat::DBase4: {
            std::uint32_t size = bytes.size() >= 22 ? le16(bytes, 20) : 0;
            if (size == 0 && bytes.size() >= 8) {
                // Some writers keep the block size at offset 4 instead.
                const std::uint32_t alt = le32(bytes, 4);
                if (alt >= 64 && alt <= 65536 && alt % 64 == 0) size = alt;
            }
            blockSize_ = size ? size : 512;
            break;
        }
        case MemoFormat::FoxPro:
            // A block size of 0 means memos are allocated byte by byte.
            blockSize_ = bytes.size() >= 8 ? be16(bytes, 6) : 64;
            if (blockSize_ == 0) blockSize_ = 1;
            break;
        default:
            blockSize_ = 512;
    }
}

MemoReader::Memo MemoReader::read(std::uint32_t block) const {
    const std::uint64_t offset = static_cast<std::uint64_t>(block) * blockSize_;
    const std::uint64_t headerEnd = format_ == MemoFormat::FoxPro ? kFoxHeaderSize : blockSize_;
    if (block == 0 || offset < headerEnd || offset >= bytes_.size()) return {Status::OutOfRange, {}, true};
    switch (format_) {
        case MemoFormat::DBase3: return readDBase3(offset);
        case MemoFormat::DBase4: return readDBase4(offset);
        case MemoFormat::FoxPro: return readFoxPro(offset);
        case MemoFormat::None: break;
    }
    return {Status::OutOfRange, {}, true};
}

MemoReader::Memo MemoReader::readDBase3(std::uint64_t offset) const {
    // A dBase IV block in a dBase III memo file (written by a later program) has its own length.
    if (offset + 8 <= bytes_.size() && bytes_.substr(offset, 4) == std::string_view("\xFF\xFF\x08\x00", 4)) {
        return readDBase4(offset);
    }
    const std::string_view rest = bytes_.substr(offset);
    const std::size_t end = rest.find('\x1A');
    if (end == std::string_view::npos) return {Status::CutShort, rest, true};
    return {Status::Ok, rest.substr(0, end), true};
}

MemoReader::Memo MemoReader::readDBase4(std::uint64_t offset) const {
    if (offset + 8 > bytes_.size() || bytes_.substr(offset, 4) != std::string_view("\xFF\xFF\x08\x00", 4)) {
        // Without the block signature the memo is text ended by 0x1A, as in dBase III.
        const std::string_view rest = bytes_.substr(offset);
        const std::size_t end = rest.find('\x1A');
        if (end == std::string_view::npos) return {Status::CutShort, rest, true};
        return {Status::Ok, rest.substr(0, end), true};
    }
    const std::uint32_t length = le32(bytes_, offset + 4);  // counts the 8 bytes of the block's head
    const std::uint64_t start = offset + 8;
    const std::uint64_t want = length >= 8 ? length - 8u : 0u;
    const std::uint64_t have = bytes_.size() - start;
    if (want > have) return {Status::CutShort, bytes_.substr(start, have), true};
    return {Status::Ok, bytes_.substr(start, want), true};
}

MemoReader::Memo MemoReader::readFoxPro(std::uint64_t offset) const {
    if (offset + 8 > bytes_.size()) return {Status::CutShort, {}, true};
    const std::uint32_t type = be32(bytes_, offset);
    const std::uint32_t length = be32(bytes_, offset + 4);
    const std::uint64_t start = offset + 8;
    const std::uint64_t have = bytes_.size() - start;
    const bool text = type == 1;
    if (length > have) return {Status::CutShort, bytes_.substr(start, have), text};
    return {Status::Ok, bytes_.substr(start, length), text};
}

}  // namespace mig::dbf
