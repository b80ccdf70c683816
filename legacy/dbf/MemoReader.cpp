#include "legacy/dbf/MemoReader.h"

#include <algorithm>

namespace mig::dbf {
namespace {

std::uint32_t byteAt(std::string_view b, std::size_t at) { return static_cast<unsigned char>(b[at]); }
std::uint32_t le16(std::string_view b, std::size_t at) { return byteAt(b, at) | (byteAt(b, at + 1) << 8); }
std::uint32_t le32(std::string_view b, std::size_t at) { return le16(b, at) | (le16(b, at + 2) << 16); }
std::uint32_t be16(std::string_view b, std::size_t at) { return (byteAt(b, at) << 8) | byteAt(b, at + 1); }
std::uint32_t be32(std::string_view b, std::size_t at) { return (be16(b, at) << 16) | be16(b, at + 2); }

constexpr std::uint32_t kFoxHeaderSize = 512;
constexpr std::string_view kBlockSignature("\xFF\xFF\x08\x00", 4);
constexpr std::size_t kScanChunk = 64 * 1024;

}  // namespace

MemoReader::MemoReader(ByteSource bytes, MemoFormat format) : bytes_(std::move(bytes)), format_(format) {
    const std::string_view head = bytes_.read(0, static_cast<std::size_t>(std::min<std::uint64_t>(bytes_.size(), 32)));
    switch (format) {
        case MemoFormat::DBase4: {
            std::uint32_t size = head.size() >= 22 ? le16(head, 20) : 0;
            if (size == 0 && head.size() >= 8) {
                // Some writers keep the block size at offset 4 instead.
                const std::uint32_t alt = le32(head, 4);
                if (alt >= 64 && alt <= 65536 && alt % 64 == 0) size = alt;
            }
            blockSize_ = size ? size : 512;
            break;
        }
        case MemoFormat::FoxPro:
            // A block size of 0 means memos are allocated byte by byte.
            blockSize_ = head.size() >= 8 ? be16(head, 6) : 64;
            if (blockSize_ == 0) blockSize_ = 1;
            break;
        default:
            blockSize_ = 512;
    }
}

MemoReader::Memo MemoReader::read(std::uint32_t block, std::size_t limit) const {
    const std::uint64_t offset = static_cast<std::uint64_t>(block) * blockSize_;
    const std::uint64_t headerEnd = format_ == MemoFormat::FoxPro ? kFoxHeaderSize : blockSize_;
    if (block == 0 || offset >= bytes_.size()) return {Status::OutOfRange, {}, true};
    if (offset < headerEnd) return {Status::InsideHeader, {}, true};
    switch (format_) {
        case MemoFormat::DBase3: return readDBase3(offset, limit);
        case MemoFormat::DBase4: return readDBase4(offset, limit);
        case MemoFormat::FoxPro: return readFoxPro(offset, limit);
        case MemoFormat::None: break;
    }
    return {Status::OutOfRange, {}, true};
}

bool MemoReader::blockSignatureAt(std::uint64_t offset) const {
    return offset + 8 <= bytes_.size() && bytes_.read(offset, 4) == kBlockSignature;
}

MemoReader::Memo MemoReader::readToEndMark(std::uint64_t offset, std::size_t limit) const {
    memo_.clear();
    for (std::uint64_t at = offset; at < bytes_.size() && memo_.size() < limit;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>({kScanChunk, bytes_.size() - at, limit - memo_.size()}));
        const std::string_view chunk = bytes_.read(at, n);
        const std::size_t end = chunk.find('\x1A');
        if (end != std::string_view::npos) {
            memo_.append(chunk.substr(0, end));
            return {Status::Ok, memo_, true};
        }
        memo_.append(chunk);
        at += n;
    }
    return {memo_.size() < limit ? Status::CutShort : Status::Ok, memo_, true};
}

MemoReader::Memo MemoReader::readCounted(std::uint64_t start, std::uint64_t want, bool text, std::size_t limit) const {
    const std::uint64_t have = bytes_.size() - std::min(start, bytes_.size());
    memo_.clear();
    bytes_.append(start, static_cast<std::size_t>(std::min<std::uint64_t>({want, have, limit})), memo_);
    return {want > have ? Status::CutShort : Status::Ok, memo_, text};
}

MemoReader::Memo MemoReader::readDBase3(std::uint64_t offset, std::size_t limit) const {
    // A dBase IV block in a dBase III memo file (written by a later program) has its own length.
    if (blockSignatureAt(offset)) return readDBase4(offset, limit);
    return readToEndMark(offset, limit);
}

MemoReader::Memo MemoReader::readDBase4(std::uint64_t offset, std::size_t limit) const {
    // Without the block signature the memo is text ended by 0x1A, as in dBase III.
    if (!blockSignatureAt(offset)) return readToEndMark(offset, limit);
    const std::uint32_t length = le32(bytes_.read(offset + 4, 4), 0);  // counts the 8 bytes of the block's head
    return readCounted(offset + 8, length >= 8 ? length - 8u : 0u, true, limit);
}

MemoReader::Memo MemoReader::readFoxPro(std::uint64_t offset, std::size_t limit) const {
    if (offset + 8 > bytes_.size()) return {Status::CutShort, {}, true};
    const std::string_view head = bytes_.read(offset, 8);
    const std::uint32_t type = be32(head, 0);
    const std::uint32_t length = be32(head, 4);
    return readCounted(offset + 8, length, type == 1, limit);
}

}  // namespace mig::dbf
