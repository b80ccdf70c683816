// The packed row store and the bytes each kind of value takes in it.
#include "target/dataset/RowStore.h"

#include <gtest/gtest.h>

#include "target/dataset/ValueCodec.h"

namespace mig {
namespace {

TEST(RowStore, FieldsComeBackAsPutWithEmptyOnesNull) {
    // 130 fields span three bitmap words; the present ones sit on both sides of each boundary.
    const int n = 130;
    RowStore store(n);
    RecordBuilder b(n);
    const std::vector<int> present{0, 5, 63, 64, 100, 127, 128, 129};
    auto textOf = [](int f) { return std::string(static_cast<std::size_t>(f % 7 + 1), char('a' + f % 26)); };
    for (int f : present) b.put(f, f == 64 ? std::string() : textOf(f));
    const RowStore::Record r = store.add(b);
    for (int f = 0; f < n; ++f) {
        const bool has = std::find(present.begin(), present.end(), f) != present.end();
        ASSERT_EQ(store.isNull(r, f), !has) << f;
        const auto got = store.get(r, f);
        ASSERT_EQ(got.has_value(), has) << f;
        if (f == 64) {
            EXPECT_EQ(*got, "") << "an empty text is not null";
        } else if (has) {
            EXPECT_EQ(*got, textOf(f)) << f;
        }
    }
}

TEST(RowStore, RecordsStayValidAsTheStoreGrows) {
    RowStore store(2);
    RecordBuilder b(2);
    std::vector<RowStore::Record> records;
    for (int i = 0; i < 20000; ++i) {
        b.clear();
        b.put(0, std::to_string(i));
        if (i % 3 == 0) b.put(1, std::string(static_cast<std::size_t>(i % 500), 'x'));
        records.push_back(store.add(b));
    }
    b.clear();
    b.put(1, std::string(3'000'000, 'y'));  // larger than a block
    const RowStore::Record big = store.add(b);
    for (int i = 0; i < 20000; ++i) {
        ASSERT_EQ(store.get(records[static_cast<std::size_t>(i)], 0), std::to_string(i));
        ASSERT_EQ(store.isNull(records[static_cast<std::size_t>(i)], 1), i % 3 != 0);
    }
    EXPECT_EQ(store.get(big, 1)->size(), 3'000'000u);
    EXPECT_TRUE(store.isNull(big, 0));
}

TEST(RowStore, AnEmptyRecordTakesOnlyItsBitmap) {
    RowStore store(63);
    const RowStore::Record r = store.addEmpty();
    for (int f = 0; f < 63; ++f) EXPECT_TRUE(store.isNull(r, f));
    RecordBuilder b(63);
    EXPECT_EQ(b.encodedSize(), 8u);
    b.put(10, "abc");
    EXPECT_EQ(b.encodedSize(), 8u + 4u + 3u);
}

TEST(ValueCodec, EveryKindRoundTrips) {
    struct Case {
        FieldKind kind;
        Value value;
    };
    const Case cases[] = {
        {FieldKind::Text, std::string("Cápsula\xE7")},
        {FieldKind::Text, std::string()},
        {FieldKind::Blob, std::string("\0\1\2", 3)},
        {FieldKind::Integer, std::int32_t{-2147483647 - 1}},
        {FieldKind::SmallInt, std::int32_t{-32768}},
        {FieldKind::Float, 1.5e-300},
        {FieldKind::Decimal, Decimal{-123456789012345678, 8, 18}},
        {FieldKind::Decimal, Decimal{5, 2, 1}},
        {FieldKind::Date, Date{-693593}},
        {FieldKind::Time, Time{86'399'999}},
        {FieldKind::DateTime, DateTime{45000.75}},
        {FieldKind::Timestamp, Timestamp{2026, 12, 31, 23, 59, 58, 9999}},
        {FieldKind::Logical, true},
        {FieldKind::Logical, false},
    };
    for (const Case& c : cases) {
        RecordBuilder b(1);
        encodeValue(b, 0, c.kind, c.value);
        RowStore store(1);
        const auto bytes = store.get(store.add(b), 0);
        ASSERT_TRUE(bytes);
        EXPECT_EQ(decodeValue(*bytes, c.kind), c.value) << static_cast<int>(c.kind);
    }
}

}  // namespace
}  // namespace mig
