// Fields read as text, integer and float and assigned from text, with the system's messages.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <variant>

#include "target/field/Errors.h"
#include "target/field/Field.h"
#include "target/field/Messages.h"
#include "target/field/Win1252.h"
#include "tests/field/MemoryField.h"
#include "tests/field/Printers.h"

namespace mig {
namespace {

using test::comma;
using test::defaults;
using test::MemoryField;
using test::MemoryRecordSet;

// The message of the ConversionError that `f` raises, or nothing when it raises none.
template <class F>
std::optional<std::string> conversionMessage(F&& f) {
    try {
        f();
    } catch (const ConversionError& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

// One assignment: the field's kind, the settings, the text, and either the value stored
// or the exact message.
struct AssignRow {
    FieldKind kind;
    RegionalSettings settings;
    std::string text;
    Value expected;            // used when message is empty
    std::string message = {};  // the failure's text
};

TEST(AssignText, Table) {
    const AssignRow rows[] = {
        // Integer field.
        {FieldKind::Integer, defaults(), " 42", std::int32_t{42}},
        {FieldKind::Integer, defaults(), "+42", std::int32_t{42}},
        {FieldKind::Integer, defaults(), "$2A", std::int32_t{42}},
        {FieldKind::Integer, defaults(), "0x2A", std::int32_t{42}},
        {FieldKind::Integer, defaults(), "-2147483648", std::int32_t{-2147483647 - 1}},
        {FieldKind::Integer, defaults(), "42 ", {}, "'42 ' is not a valid integer value for field 'CODIGO'"},
        {FieldKind::Integer, comma(), "4,2", {}, "'4,2' is not a valid integer value for field 'CODIGO'"},
        {FieldKind::Integer, defaults(), "2147483648", {},
         "'2147483648' is not a valid integer value for field 'CODIGO'"},
        {FieldKind::Integer, defaults(), "", std::monostate{}},
        // The 16-bit kinds keep to their ranges.
        {FieldKind::SmallInt, defaults(), "-32768", std::int32_t{-32768}},
        {FieldKind::SmallInt, defaults(), "32768", {},
         "32768 is not a valid value for field 'CODIGO'. The allowed range is -32768 to 32767"},
        {FieldKind::Word, defaults(), "65535", std::int32_t{65535}},
        {FieldKind::Word, defaults(), "-1", {},
         "-1 is not a valid value for field 'CODIGO'. The allowed range is 0 to 65535"},
        {FieldKind::Word, defaults(), "$FFFFFFFF", {},
         "-1 is not a valid value for field 'CODIGO'. The allowed range is 0 to 65535"},
        // Float field.
        {FieldKind::Float, comma(), "1,5", 1.5},
        {FieldKind::Float, comma(), "  1,5  ", 1.5},
        {FieldKind::Float, comma(), "1E3", 1000.0},
        {FieldKind::Float, comma(), "5E-5", 0.00005},
        {FieldKind::Float, comma(), "1.5", {}, "'1.5' is not a valid floating point value for field 'CODIGO'"},
        {FieldKind::Float, comma(), "1.000,5", {},
         "'1.000,5' is not a valid floating point value for field 'CODIGO'"},
        {FieldKind::Float, defaults(), "1E999", {},
         "'1E999' is not a valid floating point value for field 'CODIGO'"},
        {FieldKind::Float, comma(), "", std::monostate{}},
        {FieldKind::Currency, comma(), "12,34", 12.34},
        // Decimal field: the value as written; the record set fits it to the column.
        {FieldKind::Decimal, comma(), "007", Decimal{7, 0, 1}},
        {FieldKind::Decimal, comma(), "-0,50", Decimal{-50, 2, 2}},
        {FieldKind::Decimal, comma(), "1,05", Decimal{105, 2, 3}},
        {FieldKind::Decimal, comma(), "1.25", {}, "1.25 is not a valid BCD value"},
        {FieldKind::Decimal, comma(), "+1", {}, "+1 is not a valid BCD value"},
        {FieldKind::Decimal, comma(), " 1", {}, " 1 is not a valid BCD value"},
        {FieldKind::Decimal, comma(), "1E-5", {}, "1E-5 is not a valid BCD value"},
        {FieldKind::Decimal, comma(), "5E-5", {}, "5E-5 is not a valid BCD value"},
        {FieldKind::Decimal, comma(), "", std::monostate{}},
        // Date field.
        {FieldKind::Date, comma(), "05/01/2020", Date{43835}},
        {FieldKind::Date, defaults(), "1/5/2020", Date{43835}},
        {FieldKind::Date, comma(), "31/02/2020", {}, "'31/02/2020' is not a valid date"},
        {FieldKind::Date, comma(), "2020-01-05", {}, "'2020-01-05' is not a valid date"},
        {FieldKind::Date, comma(), "", std::monostate{}},
        // Date and time, time and timestamp fields.
        {FieldKind::DateTime, comma(), "31/12/1899 18:00", DateTime{1.75}},
        {FieldKind::DateTime, comma(), "31/12/1899 25:00", {}, "'31/12/1899 25:00' is not a valid date and time"},
        {FieldKind::Time, comma(), "18:00", Time{18 * 3600000}},
        {FieldKind::Time, comma(), "18", {}, "'18' is not a valid time"},
        {FieldKind::Timestamp, comma(), "15/08/2021 13:45:30", Timestamp{2021, 8, 15, 13, 45, 30, 0}},
        {FieldKind::Timestamp, comma(), "15/08/2021 13:45:30 x", {}, "Could not parse SQL TimeStamp string"},
        {FieldKind::Timestamp, comma(), "", std::monostate{}},
        // Logical field: a leading part of True or False, in either case.
        {FieldKind::Logical, defaults(), "True", true},
        {FieldKind::Logical, defaults(), "f", false},
        {FieldKind::Logical, defaults(), "TR", true},
        {FieldKind::Logical, defaults(), "yes", {}, "'yes' is not a valid boolean value for field 'CODIGO'"},
        {FieldKind::Logical, defaults(), "", std::monostate{}},
        // Text, memo and blob fields store the text, the empty text too.
        {FieldKind::Text, comma(), "", std::string()},
        {FieldKind::Text, comma(), "  1,5  ", std::string("  1,5  ")},
        {FieldKind::Memo, comma(), "", std::string()},
        {FieldKind::Blob, comma(), std::string(300, 'b'), std::string(300, 'b')},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("kind " + std::string(kindName(row.kind)) + ", text '" + row.text + "'");
        ScopedRegional scope(row.settings);
        MemoryField field("CODIGO", row.kind, row.kind == FieldKind::Text ? 20 : 0);
        const auto message = conversionMessage([&] { field.setText(row.text); });
        if (row.message.empty()) {
            ASSERT_EQ(message, std::nullopt);
            EXPECT_TRUE(field.value() == row.expected);
        } else {
            EXPECT_EQ(message, row.message);
        }
    }
}

TEST(AssignText, FailureKeepsThePreviousValue) {
    ScopedRegional scope(comma());
    const struct {
        FieldKind kind;
        const char* good;
        const char* bad;
    } rows[] = {
        {FieldKind::Integer, "7", "7a"},     {FieldKind::SmallInt, "7", "40000"},
        {FieldKind::Float, "7,5", "7.5"},    {FieldKind::Decimal, "7,5", "7.5"},
        {FieldKind::Date, "01/02/2003", "30/02/2003"}, {FieldKind::DateTime, "01/02/2003 10:00", "x"},
        {FieldKind::Timestamp, "01/02/2003", "x"},     {FieldKind::Logical, "t", "x"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(kindName(row.kind));
        MemoryField field("F", row.kind);
        field.setText(row.good);
        const Value before = field.value();
        const int stores = field.stores;
        EXPECT_THROW(field.setText(row.bad), ConversionError);
        EXPECT_TRUE(field.value() == before);
        EXPECT_EQ(field.stores, stores);  // nothing reached the record set
    }
}

TEST(AssignText, TextIsCutToTheFieldsSizeWithoutMessage) {
    MemoryField name("NOME", FieldKind::Text, 70);
    name.setText(std::string(70, 'a') + "bcdef");
    EXPECT_EQ(name.asText(), std::string(70, 'a'));
    name.setText("short");
    EXPECT_EQ(name.asText(), "short");
    // Single-byte characters: an accented name is cut by characters, not by UTF-8 bytes.
    MemoryField unit("UNIDADE", FieldKind::Text, 4);
    unit.setText(utf8ToWin1252("ÇÃOÉSX"));
    EXPECT_EQ(unit.asText(), utf8ToWin1252("ÇÃOÉ"));
}

TEST(AssignText, EmptyTextClearsNumbersAndDatesButNotText) {
    const struct {
        FieldKind kind;
        const char* text;
    } rows[] = {{FieldKind::Integer, "1"}, {FieldKind::SmallInt, "1"}, {FieldKind::Float, "1"},
                {FieldKind::Decimal, "1"}, {FieldKind::Date, "1/2/2003"}, {FieldKind::DateTime, "1/2/2003 10:00"}};
    for (const auto& [kind, good] : rows) {
        SCOPED_TRACE(kindName(kind));
        MemoryField field("F", kind);
        field.setText(good);
        ASSERT_FALSE(field.isNull());
        field.setText("");
        EXPECT_TRUE(field.isNull());
        EXPECT_EQ(field.asText(), "");
    }
    MemoryField text("F", FieldKind::Text, 10);
    text.setText("");
    EXPECT_FALSE(text.isNull());
    EXPECT_TRUE(text.value() == Value{std::string()});
}

TEST(AssignText, MinimumAndMaximumBoundTheValue) {
    ScopedRegional scope(comma());
    FieldDef def{"QTD", FieldKind::Integer};
    def.minValue = 1;
    MemoryField onlyMin(def);  // the maximum stays the kind's
    EXPECT_NO_THROW(onlyMin.setText("2147483647"));
    EXPECT_EQ(conversionMessage([&] { onlyMin.setText("0"); }),
              "0 is not a valid value for field 'QTD'. The allowed range is 1 to 2147483647");

    FieldDef small{"N", FieldKind::SmallInt};
    small.maxValue = 100000;  // never beyond what 16 bits hold
    MemoryField bounded(small);
    EXPECT_EQ(conversionMessage([&] { bounded.setText("40000"); }),
              "40000 is not a valid value for field 'N'. The allowed range is -32768 to 32767");

    FieldDef f{"TAXA", FieldKind::Float};
    f.minValue = 0.5;
    f.maxValue = 2.5;
    MemoryField rate(f);
    EXPECT_NO_THROW(rate.setText("2,5"));
    EXPECT_EQ(conversionMessage([&] { rate.setText("2,75"); }),
              "2,75 is not a valid value for field 'TAXA'. The allowed range is 0,5 to 2,5");
    EXPECT_EQ(rate.asFloat(), 2.5);

    FieldDef d{"PRECO", FieldKind::Decimal, 2, 15};
    d.maxValue = 10;
    MemoryField price(d);
    EXPECT_EQ(conversionMessage([&] { price.setText("10,01"); }),
              "10,01 is not a valid value for field 'PRECO'. The allowed range is -1,79769313486232E308 to 10");
    // Without bounds a float or decimal has no range of its own.
    MemoryField free("F", FieldKind::Float);
    EXPECT_NO_THROW(free.setText("1E300"));
}

struct TextRow {
    FieldKind kind;
    Value value;
    RegionalSettings settings;
    const char* expected;
};

TEST(ReadText, Table) {
    RegionalSettings twoDigitYears = comma();
    twoDigitYears.shortDateFormat = "dd/mm/yy";
    const TextRow rows[] = {
        {FieldKind::Integer, std::int32_t{-42}, comma(), "-42"},
        {FieldKind::Integer, std::monostate{}, comma(), ""},
        {FieldKind::Float, 1.5e20, comma(), "1,5E20"},
        {FieldKind::Float, 0.00005, comma(), "5E-5"},
        {FieldKind::Float, 1000.0, comma(), "1000"},
        {FieldKind::Float, -0.0, comma(), "0"},
        {FieldKind::Decimal, Decimal{-50, 2, 2}, comma(), "-0,5"},
        {FieldKind::Date, Date{43835}, comma(), "05/01/2020"},
        {FieldKind::Date, Date{43835}, defaults(), "1/5/20"},
        {FieldKind::Date, Date{21976}, twoDigitYears, "01/03/60"},
        {FieldKind::DateTime, DateTime{1.75}, comma(), "31/12/1899 18:00:00"},
        {FieldKind::DateTime, DateTime{2.0}, comma(), "01/01/1900"},
        {FieldKind::Logical, true, comma(), "True"},
        {FieldKind::Logical, false, comma(), "False"},
        {FieldKind::Text, std::string("  a b  "), comma(), "  a b  "},
        {FieldKind::Memo, std::string(500, 'm'), comma(), nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(kindName(row.kind));
        ScopedRegional scope(row.settings);
        MemoryField field("F", row.kind);
        field.store(row.value);
        EXPECT_EQ(field.asText(), row.expected ? std::string(row.expected) : std::string(500, 'm'));
    }
}

struct IntegerReadRow {
    FieldKind kind;
    Value value;
    std::optional<std::int32_t> expected;
    std::string message = {};
};

TEST(ReadInteger, Table) {
    const IntegerReadRow rows[] = {
        {FieldKind::Integer, std::int32_t{7}, 7},
        {FieldKind::Integer, std::monostate{}, 0},
        {FieldKind::Float, 2.5, 2},
        {FieldKind::Float, 3.5, 4},
        {FieldKind::Float, -2.5, -2},
        {FieldKind::Float, 41.6, 42},
        {FieldKind::Float, std::monostate{}, 0},
        {FieldKind::Float, 3e9, std::nullopt, "'3000000000' is not a valid integer value"},
        {FieldKind::Decimal, Decimal{25, 1, 2}, 2},
        {FieldKind::Decimal, Decimal{35, 1, 2}, 4},
        {FieldKind::Decimal, std::monostate{}, 0},
        {FieldKind::Text, std::string("000123"), 123},
        {FieldKind::Text, std::string("$10"), 16},
        {FieldKind::Text, std::string(""), std::nullopt, "'' is not a valid integer value"},
        {FieldKind::Text, std::monostate{}, std::nullopt, "'' is not a valid integer value"},
        {FieldKind::Text, std::string("12 "), std::nullopt, "'12 ' is not a valid integer value"},
        {FieldKind::Text, std::string("1,5"), std::nullopt, "'1,5' is not a valid integer value"},
        {FieldKind::Date, Date{5}, std::nullopt, "Cannot access field 'MaiorCodigo' as type Integer"},
        {FieldKind::Logical, true, std::nullopt, "Cannot access field 'MaiorCodigo' as type Integer"},
        {FieldKind::Memo, std::string("1"), std::nullopt, "Cannot access field 'MaiorCodigo' as type Integer"},
    };
    ScopedRegional scope(comma());
    for (const auto& row : rows) {
        SCOPED_TRACE(kindName(row.kind));
        MemoryField field("MaiorCodigo", row.kind);
        field.store(row.value);
        std::int32_t got = 0;
        const auto message = conversionMessage([&] { got = field.asInteger(); });
        if (row.expected) {
            ASSERT_EQ(message, std::nullopt);
            EXPECT_EQ(got, *row.expected);
        } else {
            EXPECT_EQ(message, row.message);
        }
    }
}

struct FloatReadRow {
    FieldKind kind;
    Value value;
    std::optional<double> expected;
    std::string message = {};
};

TEST(ReadFloat, Table) {
    const FloatReadRow rows[] = {
        {FieldKind::Float, 0.5, 0.5},
        {FieldKind::Float, std::monostate{}, 0.0},
        {FieldKind::Integer, std::int32_t{-3}, -3.0},
        {FieldKind::Decimal, Decimal{105, 2, 3}, 1.05},
        {FieldKind::Decimal, std::monostate{}, 0.0},
        {FieldKind::Date, Date{43835}, 43835.0},
        {FieldKind::DateTime, DateTime{-1.25}, -1.25},
        {FieldKind::Date, std::monostate{}, 0.0},
        {FieldKind::Text, std::string(" 1,5 "), 1.5},
        {FieldKind::Text, std::string("1.5"), std::nullopt, "'1.5' is not a valid floating point value"},
        {FieldKind::Text, std::string(""), std::nullopt, "'' is not a valid floating point value"},
        {FieldKind::Logical, true, std::nullopt, "Cannot access field 'MATFATCOR' as type Float"},
        {FieldKind::Timestamp, Timestamp{2020, 1, 1, 0, 0, 0, 0}, std::nullopt,
         "Cannot access field 'MATFATCOR' as type Float"},
    };
    ScopedRegional scope(comma());
    for (const auto& row : rows) {
        SCOPED_TRACE(kindName(row.kind));
        MemoryField field("MATFATCOR", row.kind);
        field.store(row.value);
        double got = 0;
        const auto message = conversionMessage([&] { got = field.asFloat(); });
        if (row.expected) {
            ASSERT_EQ(message, std::nullopt);
            EXPECT_EQ(got, *row.expected);
        } else {
            EXPECT_EQ(message, row.message);
        }
    }
}

// Values that cross from a legacy field to a target field as text.
TEST(TextCrossing, ATinyLegacyFloatFitsAFloatButNotADecimalField) {
    ScopedRegional scope(comma());
    MemoryField legacy("MATFATCOR", FieldKind::Float);
    legacy.store(0.00005);
    ASSERT_EQ(legacy.asText(), "5E-5");
    MemoryField asFloat("QDEESTOQUE", FieldKind::Float);
    asFloat.setText(legacy.asText());
    EXPECT_EQ(asFloat.asFloat(), 0.00005);
    MemoryField asDecimal("FATORCORRECAO", FieldKind::Decimal, 8, 15);
    EXPECT_EQ(conversionMessage([&] { asDecimal.setText(legacy.asText()); }), "5E-5 is not a valid BCD value");
    EXPECT_TRUE(asDecimal.isNull());
}

TEST(TextCrossing, A1960DateUnderTwoDigitYearsBecomes2060) {
    RegionalSettings s = comma();
    s.shortDateFormat = "dd/mm/yy";
    s.currentYear = 2026;
    ScopedRegional scope(s);
    MemoryField legacy("CLIDTNASC", FieldKind::Date);
    legacy.setText("01/03/1960");
    ASSERT_EQ(legacy.asText(), "01/03/60");
    MemoryField target("DATANASCIMENTO", FieldKind::Date);
    target.setText(legacy.asText());
    EXPECT_EQ(target.asText(), "01/03/60");
    EXPECT_EQ(civilDate(std::get<Date>(target.value())).year, 2060);
}

TEST(TextCrossing, DecimalTextReadsBackThroughTheDecimalSyntax) {
    ScopedRegional scope(comma());
    MemoryField legacy("MATDENSID", FieldKind::Decimal);
    legacy.store(Decimal{5, 8, 8});
    MemoryField target("DENSIDADE", FieldKind::Decimal, 8, 15);
    target.setText(legacy.asText());
    EXPECT_EQ(std::get<Decimal>(target.value()), (Decimal{5, 8, 8}));
}

TEST(Field, NameAndDisplayName) {
    MemoryField f(FieldDef{"NOMEFANTASIA", FieldKind::Text, 50});
    EXPECT_EQ(f.name(), "NOMEFANTASIA");
    EXPECT_EQ(f.displayName(), "NOMEFANTASIA");
    EXPECT_EQ(f.size(), 50);
    EXPECT_TRUE(f.isNull());
    f.setText("x");
    f.clear();
    EXPECT_TRUE(f.isNull());
}

TEST(RecordSet, FindsFieldsWithoutRegardToCase) {
    MemoryRecordSet set("Componentes");
    Field& field = set.add("COMPONENTE", FieldKind::Text, 70);
    EXPECT_EQ(set.FindField("Componente"), &field);
    EXPECT_EQ(&set.FieldByName("componente"), &field);
    EXPECT_EQ(set.FindField("COMPONENTES"), nullptr);
    MemoryRecordSet accented("T");
    Field& city = accented.add(utf8ToWin1252("CIDADÃO"), FieldKind::Text, 10);
    EXPECT_EQ(accented.FindField(utf8ToWin1252("cidadão")), &city);
}

TEST(RecordSet, MissingFieldFailsWithTheRecordSetsName) {
    MemoryRecordSet set("FormaFar");
    set.add("CODIGO", FieldKind::Integer);
    try {
        set.FieldByName("CODIGOX");
        FAIL() << "no failure";
    } catch (const ConversionError&) {
        FAIL() << "a lookup failure is no conversion failure";
    } catch (const DataError& e) {
        EXPECT_STREQ(e.what(), "FormaFar: Field 'CODIGOX' not found");
    }
}

TEST(Messages, ArgumentsAreInsertedAsTheyStand) {
    // A text holding a placeholder is not filled again.
    EXPECT_EQ(msg::formatMessage(msg::kInvalidIntegerForField, {"50%s", "F%g"}),
              "'50%s' is not a valid integer value for field 'F%g'");
    EXPECT_EQ(msg::formatMessage(msg::kOutOfRange, {"1", "N", "0", "0"}),
              "1 is not a valid value for field 'N'. The allowed range is 0 to 0");
    EXPECT_EQ(msg::formatMessage("100%% of %s", {"x"}), "100% of x");
}

TEST(KindName, NamesAsTheMessagesWriteThem) {
    EXPECT_EQ(kindName(FieldKind::Text), "String");
    EXPECT_EQ(kindName(FieldKind::Integer), "Integer");
    EXPECT_EQ(kindName(FieldKind::Float), "Float");
    EXPECT_EQ(kindName(FieldKind::Decimal), "BCD");
    EXPECT_EQ(kindName(FieldKind::Date), "Date");
    EXPECT_EQ(kindName(FieldKind::Timestamp), "TimeStamp");
    EXPECT_EQ(kindName(FieldKind::Logical), "Boolean");
}

}  // namespace
}  // namespace mig
