#pragma once
// The rows of a client dataset, packed: each record is written once into large shared blocks
// and never changes afterwards (an edit writes a new record). A record holds a presence bitmap,
// the end offsets of the present fields and their bytes; an empty (null) field takes one bit.
//
//   [uint64 bitmap x ceil(n/64)] [uint32 end offset x present] [payload of present fields]
//
// Records stay valid until clear() or the store's destruction.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mig {

class RowStore;

// Collects one record's fields (in increasing field order) in reusable buffers, so that
// filling a row allocates nothing once the buffers have grown.
class RecordBuilder {
public:
    explicit RecordBuilder(int fieldCount = 0) { reset(fieldCount); }

    void reset(int fieldCount);
    void clear();  // same field count, no fields present
    // Adds field `field` (greater than any added before) with these bytes.
    void put(int field, std::string_view bytes);
    // Reserves `size` bytes for field `field` and returns where to write them.
    char* putRaw(int field, std::size_t size);

    std::size_t encodedSize() const;
    void encodeTo(char* out) const;

private:
    int fieldCount_ = 0;
    int lastField_ = -1;
    std::vector<std::uint64_t> bits_;
    std::vector<std::uint32_t> ends_;
    std::string payload_;
};

class RowStore {
public:
    using Record = const char*;

    explicit RowStore(int fieldCount = 0) : fieldCount_(fieldCount) {}
    RowStore(RowStore&&) noexcept = default;
    RowStore& operator=(RowStore&&) noexcept = default;

    int fieldCount() const { return fieldCount_; }

    // Copies the builder's record into the store.
    Record add(const RecordBuilder& builder);
    // A record with no field present.
    Record addEmpty();

    // The bytes of a field, or nothing when the field is empty (null).
    std::optional<std::string_view> get(Record record, int field) const;
    bool isNull(Record record, int field) const;

    // Drops every record (all Record values become invalid).
    void clear();
    // Bytes held in blocks, including unused block tails.
    std::size_t bytesReserved() const { return reserved_; }

private:
    char* allocate(std::size_t size);

    int fieldCount_ = 0;
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* cursor_ = nullptr;
    std::size_t left_ = 0;
    std::size_t reserved_ = 0;
};

}  // namespace mig
