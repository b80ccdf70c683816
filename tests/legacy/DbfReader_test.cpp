// Values of every field type in every version: the bytes as stored, and the value read.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "legacy/dbf/DbfReader.h"
#include "tests/legacy/LegacyFixtures.h"
#include "tools/dbf/DbfWriter.h"

namespace mig::dbf {
namespace {

using legacytest::days;
using legacytest::InMemoryTable;
using legacytest::show;
using W = DbfWriter;

constexpr double kHour = 1.0 / 24;

struct ValueCase {
    const char* name;
    std::uint8_t version;
    FieldSpec field;
    Cell stored;
    Value expected;
    std::optional<AnomalyKind> anomaly = std::nullopt;
    FieldKind kind = FieldKind::Text;
};

std::vector<ValueCase> valueCases() {
    const std::string zeros8(8, '\0');
    return {
        // Character: trailing blanks and NUL padding go, leading blanks stay.
        {"char keeps leading blanks", 0x03, {"C", 'C', 8}, "  JOAO  ", std::string("  JOAO"), {}, FieldKind::Text},
        {"char NUL padded", 0x03, {"C", 'C', 8}, Cell::bytes(std::string("ABC\0\0\0\0\0", 8)), std::string("ABC")},
        {"char all blank", 0x03, {"C", 'C', 8}, "", std::string()},
        {"char all NUL", 0x03, {"C", 'C', 4}, Cell::bytes(std::string(4, '\0')), std::string()},
        // Numeric: integers up to 9 digits without decimals, floats otherwise.
        {"N(5,0) integer", 0x03, {"N", 'N', 5}, "42", Value(std::int32_t{42}), {}, FieldKind::Integer},
        {"N(5,0) negative", 0x03, {"N", 'N', 5}, "-42", Value(std::int32_t{-42}), {}, FieldKind::Integer},
        {"N(9,0) widest integer", 0x03, {"N", 'N', 9}, "999999999", Value(std::int32_t{999999999}), {}, FieldKind::Integer},
        {"N(10,0) is a float", 0x03, {"N", 'N', 10}, "9999999999", Value(9999999999.0), {}, FieldKind::Float},
        {"N(8,2) point", 0x03, {"N", 'N', 8, 2}, "12.50", Value(12.5), {}, FieldKind::Float},
        {"N(8,2) comma", 0x03, {"N", 'N', 8, 2}, "12,50", Value(12.5), {}, FieldKind::Float},
        {"N(8,2) leading zeros", 0x03, {"N", 'N', 8, 2}, "00012.50", Value(12.5), {}, FieldKind::Float},
        {"N(8,4) small", 0x03, {"N", 'N', 8, 4}, "0.0001", Value(0.0001), {}, FieldKind::Float},
        {"N blank is empty", 0x03, {"N", 'N', 5}, "", Value(), {}, FieldKind::Integer},
        {"N NUL-filled is empty", 0x03, {"N", 'N', 5}, Cell::bytes(std::string(5, '\0')), Value()},
        {"N overflow stars", 0x03, {"N", 'N', 5}, "*****", Value(), AnomalyKind::NumberOverflow},
        {"N garbage", 0x03, {"N", 'N', 5}, "1x2", Value(), AnomalyKind::BadNumber},
        {"N inner blank", 0x03, {"N", 'N', 6}, "1 234", Value(), AnomalyKind::BadNumber},
        {"N fraction in integer field", 0x03, {"N", 'N', 5}, "12.5", Value(), AnomalyKind::BadNumber},
        {"N whole fraction in integer field", 0x03, {"N", 'N', 5}, "12.00", Value(std::int32_t{12})},
        {"F exponent", 0x03, {"F", 'F', 10, 3}, "-1.5E+03", Value(-1500.0), {}, FieldKind::Float},
        {"F lone sign", 0x03, {"F", 'F', 10, 3}, "-", Value(), AnomalyKind::BadNumber},
        // Dates.
        {"D leap day", 0x03, {"D", 'D'}, "20240229", Value(Date{days(2024, 2, 29)}), {}, FieldKind::Date},
        {"D 1960", 0x03, {"D", 'D'}, "19600115", Value(Date{days(1960, 1, 15)})},
        {"D blank", 0x03, {"D", 'D'}, "", Value()},
        {"D zeros", 0x03, {"D", 'D'}, "00000000", Value()},
        {"D NULs", 0x03, {"D", 'D'}, Cell::bytes(zeros8), Value()},
        {"D impossible day", 0x03, {"D", 'D'}, "20230230", Value(), AnomalyKind::ImpossibleDate},
        {"D impossible month", 0x03, {"D", 'D'}, "20231301", Value(), AnomalyKind::ImpossibleDate},
        {"D letters", 0x03, {"D", 'D'}, "2023AB01", Value(), AnomalyKind::ImpossibleDate},
        {"D half blank", 0x03, {"D", 'D'}, "2023    ", Value(), AnomalyKind::ImpossibleDate},
        // Logical.
        {"L T", 0x03, {"L", 'L'}, "T", Value(true), {}, FieldKind::Logical},
        {"L y", 0x03, {"L", 'L'}, "y", Value(true)},
        {"L N", 0x03, {"L", 'L'}, "N", Value(false)},
        {"L f", 0x03, {"L", 'L'}, "f", Value(false)},
        {"L blank", 0x03, {"L", 'L'}, "", Value()},
        {"L question mark", 0x03, {"L", 'L'}, "?", Value()},
        {"L other", 0x03, {"L", 'L'}, "X", Value(), AnomalyKind::BadLogical},
        // Binary integers: little-endian in FoxPro, sortable big-endian in level 7.
        {"VFP I", 0x30, {"I", 'I'}, W::int32LE(-7), Value(std::int32_t{-7}), {}, FieldKind::Integer},
        {"level 7 I negative", 0x04, {"I", 'I'}, W::level7Long(-7), Value(std::int32_t{-7}), {}, FieldKind::Integer},
        {"level 7 I positive", 0x04, {"I", 'I'}, W::level7Long(123456), Value(std::int32_t{123456})},
        {"level 7 I zero", 0x04, {"I", 'I'}, W::level7Long(0), Value(std::int32_t{0})},
        {"level 7 I never written", 0x04, {"I", 'I'}, Cell::bytes(std::string(4, '\0')), Value()},
        {"level 7 autoincrement", 0x8C, {"ID", '+'}, W::level7Long(5), Value(std::int32_t{5}), {}, FieldKind::Integer},
        // Binary doubles.
        {"level 7 O negative", 0x04, {"O", 'O'}, W::level7Double(-2.5), Value(-2.5), {}, FieldKind::Float},
        {"level 7 O positive", 0x04, {"O", 'O'}, W::level7Double(0.00005), Value(0.00005)},
        {"VFP B double", 0x30, {"B", 'B'}, W::doubleLE(3.25), Value(3.25), {}, FieldKind::Float},
        {"VFP Y currency", 0x30, {"Y", 'Y'}, W::currency(123456), Value(12.3456), {}, FieldKind::Currency},
        {"VFP Y negative", 0x30, {"Y", 'Y'}, W::currency(-5000), Value(-0.5)},
        // Date and time.
        {"VFP T", 0x30, {"T", 'T'}, W::julianDateTime(W::julianDay(2024, 3, 1), 13 * 3600000 + 30 * 60000),
         Value(DateTime{days(2024, 3, 1) + 13.5 * kHour}), {}, FieldKind::DateTime},
        {"VFP T a millisecond early", 0x30, {"T", 'T'},
         W::julianDateTime(W::julianDay(2024, 3, 1), (13 * 3600 + 35 * 60 + 38) * 1000 + 999),
         Value(DateTime{days(2024, 3, 1) + (13 * 3600 + 35 * 60 + 39) / 86400.0})},
        {"VFP T a millisecond late", 0x30, {"T", 'T'}, W::julianDateTime(W::julianDay(2024, 3, 1), 13 * 3600000 + 1),
         Value(DateTime{days(2024, 3, 1) + 13 * kHour})},
        {"VFP T rounds into the next day", 0x30, {"T", 'T'}, W::julianDateTime(W::julianDay(2024, 2, 29), 86399999),
         Value(DateTime{static_cast<double>(days(2024, 3, 1))})},
        {"VFP T empty", 0x30, {"T", 'T'}, W::julianDateTime(0, 0), Value()},
        {"VFP T time past midnight", 0x30, {"T", 'T'}, W::julianDateTime(W::julianDay(2024, 3, 1), 86400000), Value(),
         AnomalyKind::BadDateTime},
        {"level 7 @", 0x04, {"TS", '@'}, W::level7Timestamp(W::julianDay(2024, 3, 1), 6 * 3600000),
         Value(DateTime{days(2024, 3, 1) + 6 * kHour}), {}, FieldKind::DateTime},
        {"level 7 @ empty", 0x04, {"TS", '@'}, Cell::bytes(zeros8), Value()},
        // A big-endian double of milliseconds, 0001-01-01 being day 1, not in the sortable form.
        {"level 7 @ 1900-01-01", 0x04, {"TS", '@'}, Cell::bytes(std::string("\x42\xCB\x40\x62\xAA\x88\x00\x00", 8)),
         Value(DateTime{static_cast<double>(days(1900, 1, 1))})},
        {"level 7 @ with milliseconds", 0x04, {"TS", '@'}, W::level7Timestamp(W::julianDay(2000, 1, 1), 1234),
         Value(DateTime{days(2000, 1, 1) + 1234 / 86400000.0})},
        {"level 7 @ negative", 0x04, {"TS", '@'}, Cell::bytes(std::string("\xC2\xCB\x40\x62\xAA\x88\x00\x00", 8)),
         Value(), AnomalyKind::BadDateTime},
        // O in a file of another level: whichever of the two encodings reads as a number.
        {"dBase III O little-endian", 0x03, {"O", 'O'}, W::doubleLE(1.0), Value(1.0), {}, FieldKind::Float},
        {"dBase III O sortable", 0x03, {"O", 'O'}, W::level7Double(1.0), Value(1.0)},
        {"dBase IV O sortable negative", 0x8B, {"O", 'O'}, W::level7Double(-1234.5), Value(-1234.5)},
        {"dBase IV O little-endian fraction", 0x8B, {"O", 'O'}, W::doubleLE(0.1), Value(0.1)},
        {"dBase III O zero", 0x03, {"O", 'O'}, Cell::bytes(zeros8), Value(0.0)},
        {"dBase III O sortable zero", 0x03, {"O", 'O'}, W::level7Double(0.0), Value(0.0)},
        {"dBase III O neither", 0x03, {"O", 'O'}, Cell::bytes(std::string("\x00\x00\x00\x00\x00\x00\xF0\x7F", 8)),
         Value(), AnomalyKind::BadNumber},
        // Visual FoxPro nulls and variable-length text.
        {"VFP null text", 0x30, {"C", 'C', 5, 0, kFlagNullable}, std::nullopt, Value()},
        {"VFP null number", 0x30, {"N", 'N', 5, 0, kFlagNullable}, std::nullopt, Value()},
        {"VFP nullable with value", 0x30, {"N", 'N', 5, 0, kFlagNullable}, "7", Value(std::int32_t{7})},
        {"VFP varchar short", 0x32, {"V", 'V', 10}, "abc  ", Value(std::string("abc  ")), {}, FieldKind::Text},
        {"VFP varchar full", 0x32, {"V", 'V', 3}, "abc", Value(std::string("abc"))},
        {"VFP varchar marked binary holds text", 0x32, {"V", 'V', 10, 0, kFlagBinary}, "abc",
         Value(std::string("abc")), {}, FieldKind::Text},
    };
}

class ValueTable : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ValueTable, DecodesStoredBytes) {
    const ValueCase& c = GetParam();
    DbfWriter w(c.version, {c.field});
    w.add({c.stored});
    const InMemoryTable t(w);
    ASSERT_EQ(t->fieldCount(), 1);
    ASSERT_EQ(t->rowCount(), 1);
    const Value got = t->value(0, 0);
    EXPECT_EQ(got, c.expected) << "got " << show(got) << ", expected " << show(c.expected);
    // A character field's text, as a migration reads it in place, is the text of its value.
    std::string scratch;
    const std::optional<std::string_view> text = t->text(0, 0, scratch);
    EXPECT_EQ(text.has_value(), c.field.type == 'C');
    if (text) {
        EXPECT_EQ(Value(std::string(*text)), isNull(c.expected) ? Value(std::string()) : c.expected);
    }
    if (c.kind != FieldKind::Text || c.field.type == 'C') {
        EXPECT_EQ(t->field(0).kind, c.kind);
    }
    if (c.anomaly) {
        ASSERT_EQ(t->anomalies().size(), 1u);
        const Anomaly& a = t->anomalies()[0];
        EXPECT_EQ(a.kind, *c.anomaly) << describe(a);
        EXPECT_EQ(a.record, 1);
        EXPECT_EQ(a.field, c.field.name);
        EXPECT_EQ(a.raw, std::string(t->rawField(0, 0))) << "the raw bytes are kept";
        EXPECT_EQ(a.file, "T.DBF");
    } else {
        EXPECT_TRUE(t->anomalies().empty()) << describe(t->anomalies().front());
    }
}

INSTANTIATE_TEST_SUITE_P(AllTypes, ValueTable, ::testing::ValuesIn(valueCases()),
                         [](const ::testing::TestParamInfo<ValueCase>& param) {
                             return legacytest::caseName(param.param.name);
                         });

TEST(DbfReader, EveryVersionsLayout) {
    struct VersionCase {
        std::uint8_t version;
        bool level7Layout;
        Family family;
    };
    const VersionCase cases[] = {
        {0x03, false, Family::DBase3},  {0x83, false, Family::DBase3},       {0x8B, false, Family::DBase4},
        {0xCB, false, Family::DBase4},  {0x04, true, Family::DBase7},        {0x04, false, Family::DBase4},
        {0x8C, true, Family::DBase7},   {0xF5, false, Family::FoxPro},       {0xFB, false, Family::FoxPro},
        {0x30, false, Family::VisualFoxPro}, {0x31, false, Family::VisualFoxPro}, {0x32, false, Family::VisualFoxPro},
    };
    for (const VersionCase& c : cases) {
        const std::string longName = c.level7Layout ? "DESCRICAO_COMPLETA" : "DESCRICAO";
        DbfWriter w(c.version, {{longName, 'C', 12}, {"VALOR", 'N', 8, 2}, {"DATA", 'D'}});
        w.level7(c.level7Layout).add({"primeiro", "1.25", "20200101"}).add({"segundo", "-3", ""});
        const InMemoryTable t(w);
        SCOPED_TRACE(::testing::Message() << "version " << std::hex << int(c.version) << " level7 " << c.level7Layout);
        EXPECT_EQ(t->header().family, c.family);
        ASSERT_EQ(t->fieldCount(), 3);
        EXPECT_EQ(t->field(0).name, longName);
        EXPECT_EQ(t->header().headerLength, w.headerLength());
        EXPECT_EQ(t->rowCount(), 2);
        EXPECT_EQ(t->value(0, 0), Value(std::string("primeiro")));
        EXPECT_EQ(t->value(0, 1), Value(1.25));
        EXPECT_EQ(t->value(1, 1), Value(-3.0));
        EXPECT_EQ(t->value(0, 2), Value(Date{days(2020, 1, 1)}));
        EXPECT_TRUE(t->anomalies().empty());
    }
}

TEST(DbfReader, AnomalyOfAValueIsNotedOnceHoweverOftenItIsRead) {
    DbfWriter w(0x03, {{"D", 'D'}});
    w.add({"20231345"}).add({"20240101"}).add({"19991399"});
    const InMemoryTable t(w);
    for (int pass = 0; pass < 3; ++pass) {
        for (std::int64_t r = 0; r < t->physicalCount(); ++r) (void)t->value(r, 0);
    }
    ASSERT_EQ(t->anomalies().size(), 2u);
    EXPECT_EQ(t->anomalies()[0].record, 1);
    EXPECT_EQ(t->anomalies()[1].record, 3);
    EXPECT_EQ(describe(t->anomalies()[1]), "T.DBF, record 3, field D: impossible date \"19991399\" (read as empty)");
}

TEST(DbfReader, DeletedRecordsAreSkippedAndRowsMapToTheRecordsServed) {
    DbfWriter w(0x03, {{"NOME", 'C', 6}});
    w.addDeleted({"gone1"}).add({"ana"}).addDeleted({"gone2"}).addDeleted({"gone3"}).add({"bia"}).add({"caio"});
    w.addDeleted({"gone4"});
    const InMemoryTable t(w);
    EXPECT_EQ(t->physicalCount(), 7);
    ASSERT_EQ(t->rowCount(), 3);
    std::vector<std::string> served;
    for (std::int64_t row = 0; row < t->rowCount(); ++row) {
        const std::int64_t p = t->physicalOfRow(row);
        EXPECT_FALSE(t->isDeleted(p));
        EXPECT_EQ(t->rowOfPhysical(p), row);
        served.push_back(std::get<std::string>(t->value(p, 0)));
    }
    EXPECT_EQ(served, (std::vector<std::string>{"ana", "bia", "caio"}));
    EXPECT_EQ(t->nextServed(0), 1);
    EXPECT_EQ(t->nextServed(2), 4);
    EXPECT_EQ(t->nextServed(6), 7) << "no record served after the last";
    EXPECT_TRUE(t->anomalies().empty());
}

TEST(DbfReader, AnyOtherFlagByteServesTheRecordAndIsNoted) {
    DbfWriter w(0x03, {{"NOME", 'C', 4}});
    w.add({"a"}).addRaw(std::string("#bcd")).addRaw(std::string("\0cde", 4));
    const InMemoryTable t(w);
    EXPECT_EQ(t->rowCount(), 3);
    ASSERT_EQ(t->anomalies().size(), 2u);
    EXPECT_EQ(t->anomalies()[0].kind, AnomalyKind::BadFlag);
    EXPECT_EQ(t->anomalies()[0].record, 2);
    EXPECT_EQ(t->anomalies()[0].raw, "#");
    EXPECT_EQ(t->anomalies()[1].raw, std::string(1, '\0'));
    EXPECT_EQ(std::get<std::string>(t->value(2, 0)), "cde");
}

TEST(DbfReader, FieldsKeepFileOrderAndAreFoundWithoutRegardToCase) {
    DbfWriter w(0x03, {{"CLICODIGO", 'N', 6}, {"CLINOMECO", 'C', 30}, {"CLIE_MAIL", 'C', 40}});
    const InMemoryTable t(w);
    ASSERT_EQ(t->fieldCount(), 3);
    EXPECT_EQ(t->field(0).name, "CLICODIGO");
    EXPECT_EQ(t->field(2).name, "CLIE_MAIL");
    EXPECT_EQ(t->field(1).offset, 7u);
    EXPECT_EQ(t->fieldIndex("clie_mail"), 2);
    EXPECT_EQ(t->fieldIndex("CliNomeCo"), 1);
    EXPECT_EQ(t->fieldIndex("CLINOME"), -1);
}

TEST(DbfReader, LongCharacterFieldsKeepTheirLengthInTheDecimalsByte) {
    const std::string text(300, 'x');
    DbfWriter w(0x03, {{"OBS", 'C', 300}, {"N", 'N', 3}});
    w.add({text, "7"});
    const InMemoryTable t(w);
    EXPECT_EQ(t->field(0).length, 300u);
    EXPECT_EQ(t->value(0, 0), Value(text));
    EXPECT_EQ(t->value(0, 1), Value(std::int32_t{7}));
}

TEST(DbfReader, VisualFoxProHidesItsNullFlagsField) {
    DbfWriter w(0x30, {{"A", 'C', 3, 0, kFlagNullable}, {"B", 'V', 6, 0, kFlagNullable}, {"C", 'N', 4}});
    w.add({std::nullopt, "xy", "1"}).add({"abc", std::nullopt, "2"}).add({"d", "full!!", "3"});
    const InMemoryTable t(w);
    ASSERT_EQ(t->fieldCount(), 3) << "_NullFlags is a system field";
    EXPECT_EQ(t->value(0, 0), Value());
    EXPECT_EQ(t->value(0, 1), Value(std::string("xy")));
    EXPECT_EQ(t->value(1, 0), Value(std::string("abc")));
    EXPECT_EQ(t->value(1, 1), Value());
    EXPECT_EQ(t->value(2, 1), Value(std::string("full!!")));
}

TEST(DbfReader, ANullFlagEmptiesACharacterFieldWhateverBytesItCovers) {
    DbfWriter w(0x30, {{"A", 'C', 3, 0, kFlagNullable}});
    w.addRaw(std::string(" abc\x01", 5)).addRaw(std::string(" abc\x00", 5));
    const InMemoryTable t(w);
    std::string scratch;
    EXPECT_EQ(t->value(0, 0), Value());
    EXPECT_EQ(t->text(0, 0, scratch), std::optional<std::string_view>(""));
    EXPECT_EQ(t->value(1, 0), Value(std::string("abc")));
    EXPECT_EQ(t->text(1, 0, scratch), std::optional<std::string_view>("abc"));
}

struct NumberCase {
    const char* text;
    NumberText status;
    double value;
};

TEST(DbfReader, NumberTextSyntax) {
    const NumberCase cases[] = {
        {"  42", NumberText::Ok, 42},      {"-0.5", NumberText::Ok, -0.5},   {"+3", NumberText::Ok, 3},
        {"1,25", NumberText::Ok, 1.25},    {".5", NumberText::Ok, 0.5},      {"5.", NumberText::Ok, 5},
        {"1e3", NumberText::Ok, 1000},     {"  ", NumberText::Empty, 0},     {"", NumberText::Empty, 0},
        {"**.*", NumberText::Overflow, 0}, {"1.2.3", NumberText::Bad, 0},    {"1e", NumberText::Bad, 0},
        {".", NumberText::Bad, 0},         {"1-", NumberText::Bad, 0},       {"1e999", NumberText::Bad, 0},
        {"1234567890123456789012", NumberText::Ok, 1234567890123456789012.0},
    };
    for (const NumberCase& c : cases) {
        const ParsedNumber n = parseNumberText(c.text);
        EXPECT_EQ(n.status, c.status) << '"' << c.text << '"';
        if (c.status == NumberText::Ok) {
            EXPECT_DOUBLE_EQ(n.value, c.value) << '"' << c.text << '"';
        }
    }
}

}  // namespace
}  // namespace mig::dbf
