#include "target/dataset/RowStore.h"

#include <bit>
#include <cassert>
#include <cstring>

namespace mig {
namespace {

constexpr std::size_t kBlockSize = 1 << 20;

std::size_t wordsFor(int fieldCount) { return (static_cast<std::size_t>(fieldCount) + 63) / 64; }

std::uint64_t loadWord(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}
std::uint32_t loadEnd(const char* p) {
    std::uint32_t e;
    std::memcpy(&e, p, sizeof e);
    return e;
}

}  // namespace

void RecordBuilder::reset(int fieldCount) {
    fieldCount_ = fieldCount;
    bits_.assign(wordsFor(fieldCount), 0);
    clear();
}

void RecordBuilder::clear() {
    lastField_ = -1;
    std::fill(bits_.begin(), bits_.end(), 0);
    ends_.clear();
    payload_.clear();
}

char* RecordBuilder::putRaw(int field, std::size_t size) {
    assert(field > lastField_ && field < fieldCount_);
    lastField_ = field;
    bits_[static_cast<std::size_t>(field) / 64] |= std::uint64_t{1} << (field % 64);
    const std::size_t at = payload_.size();
    payload_.resize(at + size);
    ends_.push_back(static_cast<std::uint32_t>(payload_.size()));
    return payload_.data() + at;
}

void RecordBuilder::put(int field, std::string_view bytes) {
    char* out = putRaw(field, bytes.size());
    if (!bytes.empty()) std::memcpy(out, bytes.data(), bytes.size());
}

std::size_t RecordBuilder::encodedSize() const {
    return bits_.size() * 8 + ends_.size() * 4 + payload_.size();
}

void RecordBuilder::encodeTo(char* out) const {
    std::memcpy(out, bits_.data(), bits_.size() * 8);
    out += bits_.size() * 8;
    if (!ends_.empty()) std::memcpy(out, ends_.data(), ends_.size() * 4);
    out += ends_.size() * 4;
    if (!payload_.empty()) std::memcpy(out, payload_.data(), payload_.size());
}

char* RowStore::allocate(std::size_t size) {
    if (size > left_) {
        const std::size_t blockSize = size > kBlockSize / 4 ? size : kBlockSize;
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(blockSize));
        reserved_ += blockSize;
        if (blockSize == size) return blocks_.back().get();  // a record of its own
        cursor_ = blocks_.back().get();
        left_ = blockSize;
    }
    char* p = cursor_;
    cursor_ += size;
    left_ -= size;
    return p;
}

RowStore::Record RowStore::add(const RecordBuilder& builder) {
    char* p = allocate(builder.encodedSize());
    builder.encodeTo(p);
    return p;
}

RowStore::Record RowStore::addEmpty() {
    const std::size_t size = wordsFor(fieldCount_) * 8;
    char* p = allocate(size);
    std::memset(p, 0, size);
    return p;
}

bool RowStore::isNull(Record record, int field) const {
    const std::uint64_t w = loadWord(record + static_cast<std::size_t>(field) / 64 * 8);
    return ((w >> (field % 64)) & 1) == 0;
}

std::optional<std::string_view> RowStore::get(Record record, int field) const {
    const std::size_t words = wordsFor(fieldCount_);
    const std::size_t word = static_cast<std::size_t>(field) / 64;
    std::size_t before = 0, present = 0;
    bool has = false;
    for (std::size_t i = 0; i < words; ++i) {
        const std::uint64_t w = loadWord(record + i * 8);
        present += static_cast<std::size_t>(std::popcount(w));
        if (i < word) before += static_cast<std::size_t>(std::popcount(w));
        if (i == word) {
            const unsigned bit = static_cast<unsigned>(field % 64);
            has = ((w >> bit) & 1) != 0;
            const std::uint64_t lower = bit == 0 ? 0 : (w & (~std::uint64_t{0} >> (64 - bit)));
            before += static_cast<std::size_t>(std::popcount(lower));
        }
    }
    if (!has) return std::nullopt;
    const char* ends = record + words * 8;
    const char* payload = ends + present * 4;
    const std::uint32_t start = before == 0 ? 0 : loadEnd(ends + (before - 1) * 4);
    const std::uint32_t end = loadEnd(ends + before * 4);
    return std::string_view(payload + start, end - start);
}

void RowStore::clear() {
    blocks_.clear();
    cursor_ = nullptr;
    left_ = 0;
    reserved_ = 0;
}

}  // namespace mig
