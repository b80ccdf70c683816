#pragma once
// A legacy table: a named, read-only record set over one dBase file of the legacy folder.
// It is walked with First, Next and Eof; its fields, taken from the file in file order when it
// opens, are read by name as text, integer or float. A grid reads any record by its row
// without moving the cursor (recordCount, columnName, displayText), so a table of a million
// records shows at once.
//
// Fields live from Open to Close: a Field& obtained from the table is invalid after Close.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "legacy/dbf/Anomaly.h"
#include "legacy/dbf/DbfReader.h"
#include "target/field/Field.h"
#include "target/field/RecordSet.h"

namespace mig {

namespace dbf {
class DbfFile;
}

// The legacy product's data folder.
inline constexpr std::string_view kLegacyFolder = "C:\\Quiltor";

// Environment variable naming the code page of every legacy file, e.g. 850, whatever each file
// records (so that a file marked with the wrong one can be read). Without it each file's own
// mark is used, and the text of a file that records none decides its code page.
inline constexpr const char* kLegacyCodePageVariable = "MIGRADOR_LEGACY_CODEPAGE";

class LegacyTable : public RecordSet {
public:
    // `fileName` is the table's name in `folder`, with or without the ".DBF" extension; both
    // are found without regard to case. `folder` is a Windows path (see WindowsPath.h).
    LegacyTable(std::string componentName, std::string fileName, std::string folder = std::string(kLegacyFolder));
    ~LegacyTable() override;
    LegacyTable(const LegacyTable&) = delete;
    LegacyTable& operator=(const LegacyTable&) = delete;

    const std::string& fileName() const { return fileName_; }
    const std::string& folder() const { return folder_; }
    // The file opened (a path of this system); empty while closed.
    std::string path() const;

    // Opens the file and positions on the first record (Eof at once when there is none).
    // Opening an open table does nothing. A missing folder or file, a bad header or a missing
    // memo file fail with DataError and leave the table closed. Each opening reads the file's
    // current contents.
    void Open();
    // Releases the file; closing a closed table does nothing.
    void Close();
    bool Active() const { return file_ != nullptr; }

    // Positions on the first record; Eof is true afterwards when there is none. Fails with
    // DataError, before anything moves, when the table's file (or its memo file) was deleted,
    // replaced or written to since the table was opened: a walk never mixes records of two
    // versions of a file.
    void First();
    // Moves to the following record; after the last, Eof becomes true and the position stays
    // on the last record.
    void Next();
    // True once Next was called on the last record, when the table is empty, or when closed.
    bool Eof() const { return eof_; }

    // Records served (deleted ones are not); 0 while closed.
    std::int64_t recordCount() const;
    // Row of the current record, counted from 0; -1 while closed or when the table is empty.
    std::int64_t recNo() const;

    // Fields of the file in file order (none while closed).
    int fieldCount() const { return static_cast<int>(fields_.size()); }
    Field& field(int index);
    Field* FindField(std::string_view fieldName) override;

    // For the grid: any record by its row, the cursor left where it is. A row or column out
    // of range gives the empty text and an empty value. valueAt fails with DataError for a
    // record that the file, cut short since it was opened, no longer holds; displayText gives
    // the empty text for it.
    std::string columnName(int column) const;
    Value valueAt(std::int64_t row, int column) const;
    // The value as text by the field layer's rules (formatValue); a binary memo shows as "(BLOB)".
    std::string displayText(std::int64_t row, int column) const;

    // What the file holds that could not be read as it stands; anomalies of values are added
    // as the values are read. Kept after Close until the next Open.
    const std::vector<dbf::Anomaly>& anomalies() const;

    // Code page of the file's text whatever the file records, from the next Open on; 0 leaves
    // it to kLegacyCodePageVariable.
    void setCodePage(int codePage) { codePage_ = codePage; }

    // How the code page of the text was settled, and its name ("CP850", "WIN1252"), as of the
    // last Open (kept after Close until the next Open; Recorded and "WIN1252" before any).
    dbf::CodePageSource codePageSource() const;
    std::string codePageName() const;
    // True when the code page was decided from the text and that made a difference: text
    // with characters outside ASCII was met (see DbfReader::decidedTextRead).
    bool codePageDecisionMattered() const;

private:
    class LegacyField;
    friend class LegacyField;

    Value currentValue(int column) const;
    // A character field's text without a copy (DbfReader::text); nothing for other types.
    std::optional<std::string_view> currentText(int column, std::string& scratch) const;
    void requireActive() const;
    void requireUnchanged() const;

    std::string fileName_;
    std::string folder_;
    int codePage_ = 0;
    std::unique_ptr<dbf::DbfFile> file_;
    std::vector<std::unique_ptr<LegacyField>> fields_;
    std::vector<dbf::Anomaly> lastAnomalies_;
    // What the last file opened said of its code page, once it is closed.
    dbf::CodePageSource lastSource_ = dbf::CodePageSource::Recorded;
    std::string lastCodePageName_ = "WIN1252";
    bool lastDecisionMattered_ = false;
    std::int64_t current_ = -1;  // physical record number of the current record
    bool eof_ = true;
};

}  // namespace mig
