#include "legacy/dbf/DbfFile.h"

#include <algorithm>
#include <filesystem>

#include "target/field/Errors.h"
#include "target/platform/SystemPath.h"
#include "target/platform/WindowsPath.h"

namespace mig::dbf {

DbfFile::DbfFile(const std::string& path, const ReadOptions& options) : dbf_(path) {
    ByteSource table(dbf_);
    const Header header =
        parseHeader(table.read(0, static_cast<std::size_t>(std::min<std::uint64_t>(table.size(), 65536))), path);
    MemoFormat format = MemoFormat::None;
    if (header.hasMemoFields) {
        const std::filesystem::path p = systemPath(path);
        const std::string folder = p.has_parent_path() ? utf8Path(p.parent_path()) : std::string(".");
        const std::string stem = utf8Path(p.stem());
        const bool fox = header.family == Family::FoxPro || header.family == Family::VisualFoxPro;
        const char* first = fox ? ".FPT" : ".DBT";
        const char* second = fox ? ".DBT" : ".FPT";
        std::optional<std::string> found = findEntryIgnoringCase(folder, stem + first);
        if (!found) found = findEntryIgnoringCase(folder, stem + second);
        if (!found) {
            throw DataError("Memo file not found for " + path + ": " +
                            utf8Path(systemPath(folder) / systemPath(stem + first)));
        }
        memo_.emplace(utf8Path(systemPath(folder) / systemPath(*found)));
        const std::string ext = utf8Path(systemPath(*found).extension());
        format = header.memoFormat(equalsIgnoringCase(ext, ".FPT"));
    }
    reader_ = std::make_unique<DbfReader>(std::move(table), memo_ ? ByteSource(*memo_) : ByteSource(), format, path,
                                          options);
}

DbfFile::Change DbfFile::changeSinceOpened() const {
    if (const FileChange c = dbf_.changeSinceOpened(); c != FileChange::None) return {c, dbf_.path()};
    if (memo_) {
        if (const FileChange c = memo_->changeSinceOpened(); c != FileChange::None) return {c, memo_->path()};
    }
    return {};
}

}  // namespace mig::dbf
