#pragma once
// Windows paths on this system. The program names its files the Windows way ("C:\Quiltor",
// "C:\korvelan\dados\korvelan.bd"). On Windows those paths are used as they are. Elsewhere a
// drive letter stands for a folder (drive C: is $KORVELAN_DRIVE_C, by default
// $HOME/.local/share/korvelan/drive_c) and every component of the path is looked up without
// regard to case, as Windows does: "C:\Quiltor\qtr17A.DBF" finds drive_c/quiltor/QTR17A.dbf.
#include <optional>
#include <string>
#include <string_view>

namespace mig {

// The folder that stands for a drive letter outside Windows: the environment variable
// KORVELAN_DRIVE_<LETTER> when set, else $HOME/.local/share/korvelan/drive_<letter>.
// On Windows, "<LETTER>:\".
std::string driveFolder(char driveLetter);

// The path of this system for a Windows path. Each component that exists under some spelling
// is taken as it exists (an exact match preferred, else the first match in name order); from
// the first component that does not exist on, the rest is appended as given, so a path that
// does not exist yet maps to where it would be created. Both "\" and "/" separate components.
// A path without a drive letter that starts with "/" is taken as a path of this system and
// still matched without regard to case; a relative path is resolved from the current folder.
// On Windows the path is returned unchanged.
std::string resolveWindowsPath(std::string_view windowsPath);

// The entry of `folder` (a path of this system) whose name equals `name` without regard to
// ASCII case, preferring an exact match; empty when there is none. On Windows the file system
// finds names without regard to case itself: `name` as given when such an entry exists.
std::optional<std::string> findEntryIgnoringCase(const std::string& folder, std::string_view name);

// ASCII case-insensitive equality, the comparison used for file and field names.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace mig
