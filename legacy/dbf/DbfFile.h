#pragma once
// A dBase table opened from disk: the .DBF file and, when the table has memo fields, its memo
// file (.DBT or .FPT beside it, found without regard to case), both opened read-only and read
// on demand.
#include <memory>
#include <optional>
#include <string>

#include "legacy/dbf/DbfReader.h"
#include "legacy/dbf/ReadOnlyFile.h"

namespace mig::dbf {

class DbfFile {
public:
    // Opens the table at `path`, a path of this system. Fails with DataError naming the path
    // when the file cannot be opened, its header is bad, or its memo file is missing.
    explicit DbfFile(const std::string& path, const ReadOptions& options = {});
    DbfFile(const DbfFile&) = delete;
    DbfFile& operator=(const DbfFile&) = delete;

    const DbfReader& reader() const { return *reader_; }
    const std::string& path() const { return dbf_.path(); }
    // Empty when the table has no memo file.
    std::string memoPath() const { return memo_ ? memo_->path() : std::string(); }

    // The first of the table's files (the table, then its memo file) that is no longer the
    // one opened, with what became of it; FileChange::None and an empty path when neither.
    struct Change {
        FileChange change = FileChange::None;
        std::string path;
    };
    Change changeSinceOpened() const;

private:
    ReadOnlyFile dbf_;
    std::optional<ReadOnlyFile> memo_;
    std::unique_ptr<DbfReader> reader_;
};

}  // namespace mig::dbf
