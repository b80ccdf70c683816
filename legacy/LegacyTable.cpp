#include "legacy/LegacyTable.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "legacy/dbf/CodePage.h"
#include "legacy/dbf/DbfFile.h"
#include "target/field/Errors.h"
#include "target/field/FieldName.h"
#include "target/field/RegionalSettings.h"
#include "target/field/ValueFormat.h"
#include "target/field/Win1252.h"
#include "target/platform/SystemPath.h"
#include "target/platform/WindowsPath.h"

namespace mig {
namespace {

FieldDef defOf(const dbf::FieldInfo& info) {
    FieldDef def;
    def.name = info.name;
    def.kind = info.kind;
    if (info.kind == FieldKind::Text) def.size = static_cast<int>(info.length);
    if (info.type == 'N' || info.type == 'F') {
        def.precision = static_cast<int>(info.length);
        def.size = info.decimals;
    }
    return def;
}

// A path for a message: the Windows path, and where it leads on this system when that differs.
std::string shownPath(const std::string& windowsPath, const std::string& nativePath) {
    if (windowsPath == nativePath) return windowsPath;
    return windowsPath + " (" + utf8ToWin1252(nativePath) + ")";
}

int codePageFromEnvironment() {
    const char* value = std::getenv(kLegacyCodePageVariable);
    if (!value || !*value) return 0;
    char* end = nullptr;
    const long number = std::strtol(value, &end, 10);
    if (*end != '\0' || !CodePage::find(static_cast<int>(number))) {
        throw DataError(std::string(kLegacyCodePageVariable) + ": unknown code page '" + value + "'");
    }
    return static_cast<int>(number);
}

}  // namespace

// A field of the current record.
class LegacyTable::LegacyField : public Field {
public:
    LegacyField(FieldDef def, const LegacyTable& table, int column) : Field(std::move(def)), table_(table), column_(column) {}
    Value value() const override { return table_.currentValue(column_); }
    std::string_view readText(std::string& scratch) const override {
        if (const auto text = table_.currentText(column_, scratch)) return *text;
        return Field::readText(scratch);
    }
    void store(Value) override { throw DataError(table_.name() + ": Cannot modify a read-only dataset"); }

private:
    const LegacyTable& table_;
    int column_;
};

LegacyTable::LegacyTable(std::string componentName, std::string fileName, std::string folder)
    : RecordSet(std::move(componentName)), fileName_(std::move(fileName)), folder_(std::move(folder)) {}

LegacyTable::~LegacyTable() = default;

std::string LegacyTable::path() const { return file_ ? file_->path() : std::string(); }

void LegacyTable::Open() {
    if (Active()) return;
    namespace fs = std::filesystem;
    const std::string folder = resolveWindowsPath(folder_);
    std::error_code ec;
    if (!fs::is_directory(systemPath(folder), ec)) throw DataError("Directory not found: " + shownPath(folder_, folder));

    const bool hasExtension = systemPath(fileName_).has_extension();
    const std::string wanted = hasExtension ? fileName_ : fileName_ + ".DBF";
    const auto found = findEntryIgnoringCase(folder, wanted);
    const std::string windowsFile = folder_ + (folder_.ends_with('\\') ? "" : "\\") + wanted;
    if (!found)
        throw DataError("Table file not found: " + shownPath(windowsFile, utf8Path(systemPath(folder) / systemPath(wanted))));

    dbf::ReadOptions options;
    options.codePage = codePage_ ? codePage_ : codePageFromEnvironment();
    auto file = std::make_unique<dbf::DbfFile>(utf8Path(systemPath(folder) / systemPath(*found)), options);

    std::vector<std::unique_ptr<LegacyField>> fields;
    const dbf::DbfReader& reader = file->reader();
    for (int i = 0; i < reader.fieldCount(); ++i) {
        fields.push_back(std::make_unique<LegacyField>(defOf(reader.field(i)), *this, i));
    }
    file_ = std::move(file);
    fields_ = std::move(fields);
    lastAnomalies_.clear();
    First();
}

void LegacyTable::Close() {
    if (!Active()) return;
    lastAnomalies_ = file_->reader().anomalies();
    lastSource_ = codePageSource();
    lastCodePageName_ = codePageName();
    lastDecisionMattered_ = codePageDecisionMattered();
    fields_.clear();
    file_.reset();
    current_ = -1;
    eof_ = true;
}

void LegacyTable::requireActive() const {
    if (!Active()) throw DataError(name() + ": Cannot perform this operation on a closed dataset");
}

void LegacyTable::First() {
    requireActive();
    requireUnchanged();
    const dbf::DbfReader& reader = file_->reader();
    const std::int64_t first = reader.nextServed(0);
    if (first >= reader.physicalCount()) {
        current_ = -1;
        eof_ = true;
    } else {
        current_ = first;
        eof_ = false;
    }
}

void LegacyTable::Next() {
    requireActive();
    if (eof_) return;
    const dbf::DbfReader& reader = file_->reader();
    const std::int64_t next = reader.nextServed(current_ + 1);
    if (next >= reader.physicalCount()) {
        eof_ = true;  // the position stays on the last record
    } else {
        current_ = next;
    }
}

void LegacyTable::requireUnchanged() const {
    const dbf::DbfFile::Change c = file_->changeSinceOpened();
    const char* what = nullptr;
    switch (c.change) {
        case dbf::FileChange::None: return;
        case dbf::FileChange::Deleted: what = " was deleted"; break;
        case dbf::FileChange::Replaced: what = " was replaced by another file"; break;
        case dbf::FileChange::Changed: what = " was changed by another program"; break;
    }
    const std::string name = utf8Path(systemPath(c.path).filename());
    const std::string windowsFile = folder_ + (folder_.ends_with('\\') ? "" : "\\") + utf8ToWin1252(name);
    throw DataError(this->name() + ": the file " + shownPath(windowsFile, c.path) + what +
                    " after the table was opened; open the table again");
}

std::int64_t LegacyTable::recordCount() const { return Active() ? file_->reader().rowCount() : 0; }

std::int64_t LegacyTable::recNo() const {
    if (!Active() || current_ < 0) return -1;
    return file_->reader().rowOfPhysical(current_);
}

Field& LegacyTable::field(int index) { return *fields_.at(static_cast<std::size_t>(index)); }

Field* LegacyTable::FindField(std::string_view fieldName) {
    for (const auto& f : fields_) {
        if (sameFieldName(f->name(), fieldName)) return f.get();
    }
    return nullptr;
}

Value LegacyTable::currentValue(int column) const {
    if (!Active() || current_ < 0) return {};
    return file_->reader().value(current_, column);
}

std::optional<std::string_view> LegacyTable::currentText(int column, std::string& scratch) const {
    if (!Active() || current_ < 0) return std::string_view();
    return file_->reader().text(current_, column, scratch);
}

std::string LegacyTable::columnName(int column) const {
    if (!Active() || column < 0 || column >= file_->reader().fieldCount()) return {};
    return file_->reader().field(column).name;
}

Value LegacyTable::valueAt(std::int64_t row, int column) const {
    if (!Active() || row < 0 || row >= recordCount() || column < 0 || column >= file_->reader().fieldCount()) return {};
    const dbf::DbfReader& reader = file_->reader();
    return reader.value(reader.physicalOfRow(row), column);
}

std::string LegacyTable::displayText(std::int64_t row, int column) const {
    Value v;
    try {
        v = valueAt(row, column);
    } catch (const DataError&) {
        return {};  // a record the file no longer holds (cut short by another program) shows empty
    }
    if (isNull(v)) return {};
    if (fields_[static_cast<std::size_t>(column)]->kind() == FieldKind::Blob) return "(BLOB)";
    return formatValue(v, regional());
}

const std::vector<dbf::Anomaly>& LegacyTable::anomalies() const {
    return Active() ? file_->reader().anomalies() : lastAnomalies_;
}

dbf::CodePageSource LegacyTable::codePageSource() const {
    return Active() ? file_->reader().codePageSource() : lastSource_;
}

std::string LegacyTable::codePageName() const {
    return Active() ? file_->reader().codePage().name() : lastCodePageName_;
}

bool LegacyTable::codePageDecisionMattered() const {
    return Active() ? file_->reader().decidedTextRead() : lastDecisionMattered_;
}

}  // namespace mig
