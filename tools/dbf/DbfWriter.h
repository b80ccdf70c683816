#pragma once
// Writes dBase files of every version the legacy engine reads: test fixtures in a few lines,
// and the demo data. Not part of the program.
//
//   DbfWriter w(0x83, {{"NOME", 'C', 20}, {"IDADE", 'N', 3}, {"OBS", 'M', 10}});
//   w.languageDriver(0x02).add({"JO\xC7O", "42", "a memo"}).addDeleted({"X", "1", ""});
//   w.writeFiles(folder + "/QTR13.DBF");  // QTR13.DBF and QTR13.DBT
//
// Cell values are the field's text in the file's own bytes: C text (padded with blanks),
// N and F numbers (right-aligned), D "YYYYMMDD", L one letter, memo fields their content
// (stored in the memo file; "" leaves the pointer blank). Binary fields (I, +, O, @, T, Y,
// Visual FoxPro B) take the exact bytes the encoders below give. Cell::bytes() stores a
// field's bytes as given for any type, and a null cell (std::nullopt) marks a nullable
// Visual FoxPro field null (other fields are left blank).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mig::dbf {

struct FieldSpec {
    std::string name;
    char type = 'C';
    int length = 0;       // 0: the type's usual length (D 8, L 1, M 10 or 4, I 4, O 8, ...)
    int decimals = 0;
    std::uint8_t flags = 0;  // Visual FoxPro: 0x02 nullable, 0x04 binary
};

class Cell {
public:
    Cell() = default;
    Cell(const char* text) : value_(std::string(text)) {}
    Cell(std::string text) : value_(std::move(text)) {}
    Cell(std::string_view text) : value_(std::string(text)) {}
    Cell(std::nullopt_t) {}
    // The field's bytes exactly as given (padded with blanks, or cut, to the field's length).
    static Cell bytes(std::string raw) {
        Cell c(std::move(raw));
        c.raw_ = true;
        return c;
    }
    const std::optional<std::string>& value() const { return value_; }
    bool raw() const { return raw_; }

private:
    std::optional<std::string> value_;
    bool raw_ = false;
};

enum class MemoStyle : std::uint8_t { Auto, DBase3, DBase4, FoxPro };

class DbfWriter {
public:
    // `version` is byte 0 of the file: 0x03, 0x83, 0x8B, 0xCB, 0x04 or 0x8C (level 7 layout),
    // 0xF5, 0xFB, 0x30, 0x31, 0x32. A Visual FoxPro table gets its _NullFlags field when a
    // field is nullable or variable-length.
    DbfWriter(std::uint8_t version, std::vector<FieldSpec> fields);

    DbfWriter& languageDriver(std::uint8_t id);
    DbfWriter& driverName(std::string name);           // level 7: bytes 32..63
    DbfWriter& memoStyle(MemoStyle style);
    DbfWriter& memoBlockSize(std::uint32_t size);
    DbfWriter& level7(bool on);                         // 68-byte header and 48-byte descriptors

    DbfWriter& add(const std::vector<Cell>& cells);
    DbfWriter& addDeleted(const std::vector<Cell>& cells);
    // A record's bytes exactly as given, flag byte first (padded with blanks to the length).
    DbfWriter& addRaw(std::string record);
    // The bytes of an active record, without keeping it: for files too large to hold, written
    // as dbfBytes() of a writer given headerRecordCount(n) and omitEndMark(), then n records,
    // then 0x1A. Memo contents still go to the memo file.
    std::string encode(const std::vector<Cell>& cells) { return encodeRecord(' ', cells); }

    // Damage on purpose.
    DbfWriter& headerRecordCount(std::uint32_t count);  // the count written in the header
    DbfWriter& omitTerminator();                        // no 0x0D after the descriptors
    DbfWriter& omitEndMark();                           // no 0x1A after the records

    std::string dbfBytes() const;
    std::string memoBytes() const;  // empty when the table has no memo fields
    bool hasMemo() const;
    // ".DBT" or ".FPT".
    std::string memoExtension() const;
    std::uint32_t recordLength() const;
    std::uint32_t headerLength() const;

    // Writes the table to `dbfPath` and its memo file beside it, named with the memo extension
    // in the case of the table's own extension ("x.dbf" -> "x.dbt").
    void writeFiles(const std::string& dbfPath) const;

    // Encoders of binary values.
    static std::string int32LE(std::int32_t v);                  // FoxPro / Visual FoxPro I
    static std::string doubleLE(double v);                       // Visual FoxPro B
    static std::string currency(std::int64_t tenThousandths);    // Visual FoxPro Y
    static std::string julianDateTime(std::int32_t julianDay, std::int32_t ms);  // Visual FoxPro T
    static std::string level7Long(std::int32_t v);               // level 7 I and +
    static std::string level7Double(double v);                   // level 7 O
    static std::string level7Timestamp(std::int32_t julianDay, std::int32_t ms);  // level 7 @
    static std::int32_t julianDay(int year, int month, int day);

private:
    struct Field {
        FieldSpec fieldSpec;
        std::uint32_t offset = 0;
        int nullBit = -1;
        int varBit = -1;
    };
    std::string encodeRecord(char flag, const std::vector<Cell>& cells);
    std::string storeMemo(std::string_view content);
    MemoStyle effectiveMemoStyle() const;
    bool visualFoxPro() const;

    std::uint8_t version_;
    std::vector<Field> fields_;
    int nullFlagsField_ = -1;
    std::uint8_t languageDriver_ = 0;
    std::string driverName_;
    MemoStyle memoStyle_ = MemoStyle::Auto;
    std::uint32_t memoBlockSize_ = 0;
    bool level7_ = false;
    std::optional<std::uint32_t> headerCount_;
    bool terminator_ = true;
    bool endMark_ = true;
    std::uint32_t recordLength_ = 1;
    std::vector<std::string> records_;
    std::string memo_;  // blocks after the header; the header is made in memoBytes()
};

}  // namespace mig::dbf
