#pragma once
// The program's one piece of external configuration: "KORVELAN.INI" in the program's folder,
// fixed-column text naming the central database server.
#include <stdexcept>
#include <string>
#include <string_view>

namespace mig {

inline constexpr std::string_view kConfigFileName = "KORVELAN.INI";
inline constexpr std::string_view kServerKey = "IP DO SERVIDOR CENTRAL.........................:";
inline constexpr std::string_view kDatabasePath = ":C:\\korvelan\\dados\\korvelan.bd";
inline constexpr std::size_t kServerAddressCapacity = 30;

// The folder of the running executable, ending with the separator. Set by ReadServerAddress.
extern std::string ProgramDir;
// The configured server address, at most 30 characters. Empty until ReadServerAddress finds it.
extern std::string ServerAddress;

// Raised when no file "KORVELAN.INI" exists (nothing of that name, a folder, or a link that
// leads nowhere): the program ends at once, silently, with exit code 0.
class ConfigMissing : public std::exception {
public:
    const char* what() const noexcept override { return "KORVELAN.INI not found"; }
};

// The text without its leading and trailing blanks (code 32 only; tabs stay).
std::string TrimBlanks(std::string_view text);

// Runs every line of a configuration file's contents over `address` and returns the result:
// each line whose columns 1-48 equal the key sets it to the first 30 characters of the trimmed
// columns 50-109; the last matching line wins. Lines end at LF (a CR before the LF is not part
// of the line), a lone CR is dropped, Ctrl-Z ends the file.
std::string serverAddressFromConfig(std::string_view contents, std::string address);

// The executable's folder, with its trailing separator.
std::string executableDir();
// Makes executableDir() answer `dir` (tests that run start-up against a folder of their own);
// an empty text restores the real folder.
void setExecutableDirForTesting(std::string dir);

// Sets ProgramDir and, from "KORVELAN.INI" in it, ServerAddress. Throws ConfigMissing when the
// file does not exist (see there) and std::runtime_error when it cannot be read.
void ReadServerAddress();

}  // namespace mig
