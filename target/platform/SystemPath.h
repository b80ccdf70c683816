#pragma once
// Paths as the program holds them: UTF-8 text on every system. On Windows the system's own paths
// are UTF-16, and these helpers are the one place where the two meet; elsewhere the text is the
// path's bytes as they are.
#include <filesystem>
#include <string>
#include <string_view>

namespace mig {

// The system's path for UTF-8 text.
std::filesystem::path systemPath(std::string_view utf8);
// The UTF-8 text of a system path.
std::string utf8Path(const std::filesystem::path& path);

// The full path of the running executable as the system gives it (on Windows the module's file
// name, "C:\Program Files\Migrador\Migrador.exe"; on Linux /proc/self/exe with links resolved);
// empty when the system does not tell.
std::string executablePath();

}  // namespace mig
