#pragma once
// The header of a dBase file: version, record layout, fields and code page.
//
// Layouts read:
//   dBase III (0x03, 0x83), dBase IV (0x8B, 0xCB, 0x43, 0x63, 0x7B) and FoxPro 2 / FoxBASE
//   (0xF5, 0xFB): a 32-byte header followed by 32-byte field descriptors and 0x0D.
//   dBase level 7 (0x04, 0x8C): a 68-byte header with the language-driver name at offset 32,
//   followed by 48-byte field descriptors and 0x0D. A 0x04 file that does not fit this layout
//   is read with the 32-byte descriptors of dBase IV.
//   Visual FoxPro (0x30, 0x31, 0x32): as dBase III, with field flags, the _NullFlags field
//   and the 263-byte backlink after the descriptors.
// A missing 0x0D terminator is tolerated: the descriptors end where the header does. Visual
// FoxPro descriptors that run into the backlink's space are read while they fit the record.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "target/field/FieldKind.h"

namespace mig::dbf {

enum class Family : std::uint8_t { DBase3, DBase4, DBase7, FoxPro, VisualFoxPro };

// How the memo file of a table stores its blocks.
enum class MemoFormat : std::uint8_t {
    None,
    DBase3,  // .DBT, 512-byte blocks, text ends at the first 0x1A
    DBase4,  // .DBT, block size in the header, blocks start FF FF 08 00 + length
    FoxPro,  // .FPT, big-endian block size, blocks start with type and length
};

// Visual FoxPro field flags.
inline constexpr std::uint8_t kFlagSystem = 0x01;
inline constexpr std::uint8_t kFlagNullable = 0x02;
inline constexpr std::uint8_t kFlagBinary = 0x04;

struct FieldInfo {
    std::string name;           // as stored (ASCII), without padding
    char type = 'C';            // the dBase type letter
    std::uint32_t offset = 0;   // of its first byte from the start of the record (the flag is byte 0)
    std::uint32_t length = 0;
    std::uint8_t decimals = 0;
    std::uint8_t flags = 0;     // Visual FoxPro field flags
    FieldKind kind = FieldKind::Text;
    bool memoPointer = false;   // the bytes point into the memo file
    bool translate = true;      // text converted from the file's code page
    int nullBit = -1;           // bit of _NullFlags that marks the value null, -1 for none
    int varLengthBit = -1;      // bit of _NullFlags that says the last byte holds the length
};

struct Header {
    std::uint8_t version = 0;           // byte 0
    Family family = Family::DBase3;
    std::uint32_t headerRecordCount = 0;
    std::uint32_t headerLength = 0;     // where the first record starts
    std::uint32_t recordLength = 0;     // including the flag byte
    std::uint8_t languageDriver = 0;    // byte 29
    std::string languageDriverName;     // level 7: bytes 32..63, without padding
    int codePage = 0;                   // 0 when the file records none
    bool codePageKnown = true;          // false when its driver byte names one this program cannot name
    bool driverNameUnknown = false;     // a level-7 driver name naming no code page, counted as none
    std::vector<FieldInfo> fields;      // the fields a user sees, in file order
    std::optional<FieldInfo> nullFlags; // Visual FoxPro _NullFlags
    bool terminatorMissing = false;
    bool hasMemoFields = false;
    // What the header's layout gets wrong although it can be read: no terminator, descriptors
    // in the backlink's space, record bytes no field describes (English, one line each).
    std::vector<std::string> layoutProblems;

    MemoFormat memoFormat(bool foxProMemoFile) const;
};

// Reads the header at the start of `file`. Failures raise DataError naming `path`: a file cut
// short inside its header, an unsupported version, impossible lengths, an unknown field type.
Header parseHeader(std::string_view file, std::string_view path);

// Code page of a language-driver byte (offset 29); 0 for none, -1 for one not known.
int codePageOfDriver(std::uint8_t driver);
// Code page of a level-7 language-driver name ("DB850PT0" is 850, "DBWINUS0" 1252);
// 0 for an empty name, -1 for one not known.
int codePageOfDriverName(std::string_view name);

}  // namespace mig::dbf
