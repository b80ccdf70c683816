#pragma once
// Something a dBase file holds that the engine could not read as it stands. The engine serves
// what it can and records each of these, so that the operator can be told before data is lost.
#include <cstdint>
#include <string>
#include <string_view>

namespace mig::dbf {

enum class AnomalyKind : std::uint8_t {
    HeaderLayout,      // a header read although its layout is wrong (no terminator, ...)
    RecordsMissing,    // the header promises more records than the file holds
    TruncatedRecord,   // the file ends inside a record, which is not served
    ExtraRecords,      // whole records beyond the header's count, not served
    BadFlag,           // a record flag other than blank or "*"; the record is served
    ImpossibleDate,    // a date that does not exist; read as empty
    NumberOverflow,    // a number written as "*" characters; read as empty
    BadNumber,         // a number that does not parse (or a fraction in an integer field)
    BadLogical,        // a logical value other than T, t, Y, y, F, f, N, n, ?, blank
    BadMemoPointer,    // a memo block number that is not a number
    MemoOutOfRange,    // a memo block number past the end of the memo file or in its header; read as empty
    MemoCutShort,      // a memo whose length runs past the end of the memo file
    BadDateTime,       // a binary date and time out of range; read as empty
};

struct Anomaly {
    AnomalyKind kind{};
    std::string file;        // the table's file name
    std::int64_t record = 0; // 1-based physical record number; 0 for the file as a whole
    std::string field;       // field name; empty for a record or the file
    std::string raw;         // the bytes as they stand in the file (a record's flag, a field's bytes)
    std::string detail;      // English explanation

    bool operator==(const Anomaly&) const = default;
};

// One line for the operator: "QTR13.DBF, record 17, field CLIDTNASC: impossible date "20231345"".
// Bytes outside printable ASCII are written as \xNN.
std::string describe(const Anomaly& anomaly);

std::string_view anomalyKindName(AnomalyKind kind);

// Printable form of raw bytes: printable ASCII as is, the rest as \xNN.
std::string printableBytes(std::string_view raw);

}  // namespace mig::dbf
