#include "legacy/dbf/DbfFile.h"

#include <filesystem>

#include "target/field/Errors.h"
#include "target/platform/WindowsPath.h"

namespace mig::dbf {

DbfFile::DbfFile(const std::string& path, const ReadOptions& options) : dbf_(path, true) {
    // The table is read through at once (its record flags are counted), so it is mapped whole;
    // the memo file is read block by block as memos are asked for.
    const Header header = parseHeader(dbf_.bytes(), path);
    MemoFormat format = MemoFormat::None;
    if (header.hasMemoFields) {
        const std::filesystem::path p(path);
        const std::string folder = p.has_parent_path() ? p.parent_path().string() : std::string(".");
        const std::string stem = p.stem().string();
        const bool fox = header.family == Family::FoxPro || header.family == Family::VisualFoxPro;
        const char* first = fox ? ".FPT" : ".DBT";
        const char* second = fox ? ".DBT" : ".FPT";
        std::optional<std::string> found = findEntryIgnoringCase(folder, stem + first);
        if (!found) found = findEntryIgnoringCase(folder, stem + second);
        if (!found) {
            throw DataError("Memo file not found for " + path + ": " +
                            (std::filesystem::path(folder) / (stem + first)).string());
        }
        memo_.emplace((std::filesystem::path(folder) / *found).string());
        const std::string ext = std::filesystem::path(*found).extension().string();
        format = header.memoFormat(equalsIgnoringCase(ext, ".FPT"));
    }
    reader_ = std::make_unique<DbfReader>(dbf_.bytes(), memo_ ? memo_->bytes() : std::string_view(), format, path,
                                          options);
}

}  // namespace mig::dbf
