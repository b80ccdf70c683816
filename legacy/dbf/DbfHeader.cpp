#include "legacy/dbf/DbfHeader.h"

#include <cstdio>

#include "legacy/dbf/CodePage.h"
#include "target/field/Errors.h"

namespace mig::dbf {
namespace {

constexpr std::uint32_t kBacklinkSize = 263;

std::uint32_t le16(std::string_view b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}
std::uint32_t le32(std::string_view b, std::size_t at) {
    return le16(b, at) | (le16(b, at + 2) << 16);
}

std::string hexByte(unsigned value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", value & 0xFFu);
    return buf;
}

[[noreturn]] void badHeader(std::string_view path, const std::string& why) {
    throw DataError("Bad dBase header in " + std::string(path) + ": " + why);
}

// A name stored in a fixed area: up to the first NUL, without trailing blanks.
std::string fixedName(std::string_view area) {
    const std::size_t nul = area.find('\0');
    std::string_view name = area.substr(0, nul);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    return std::string(name);
}

struct RawField {
    std::string name;
    char type;
    std::uint32_t length;
    std::uint8_t decimals;
    std::uint8_t flags;
};

// Descriptors from `start`, `size` bytes each, up to a 0x0D or `limit`. Sets `terminated`.
std::vector<RawField> readDescriptors(std::string_view file, std::uint32_t start, std::uint32_t size,
                                      std::uint32_t limit, bool level7, bool& terminated) {
    std::vector<RawField> out;
    terminated = false;
    std::uint32_t pos = start;
    while (pos < limit && pos < file.size()) {
        if (file[pos] == '\x0D') {
            terminated = true;
            break;
        }
        if (pos + size > limit || pos + size > file.size()) break;
        const std::string_view d = file.substr(pos, size);
        if (d[0] == '\0') break;  // padding where a terminator should be
        RawField f;
        if (level7) {
            f.name = fixedName(d.substr(0, 32));
            f.type = d[32];
            f.length = static_cast<unsigned char>(d[33]);
            f.decimals = static_cast<unsigned char>(d[34]);
            f.flags = 0;
        } else {
            f.name = fixedName(d.substr(0, 11));
            f.type = d[11];
            f.length = static_cast<unsigned char>(d[16]);
            f.decimals = static_cast<unsigned char>(d[17]);
            f.flags = static_cast<unsigned char>(d[18]);
        }
        out.push_back(std::move(f));
        pos += size;
    }
    return out;
}

bool plausibleName(const std::string& name) {
    if (name.empty()) return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7F) return false;
    }
    return true;
}

bool knownType(char t) {
    switch (t) {
        case 'C': case 'N': case 'F': case 'D': case 'L': case 'M': case 'I': case '+':
        case 'O': case '@': case 'T': case 'Y': case 'B': case 'G': case 'P': case 'W':
        case 'V': case 'Q': case '0':
            return true;
        default:
            return false;
    }
}

// Whether the level-7 layout describes this file: plausible descriptors ending in 0x0D inside
// the header (or filling it exactly, the terminator missing), and fields that fit the record.
bool fitsLevel7(std::string_view file, std::uint32_t headerLength, std::uint32_t recordLength) {
    if (headerLength < 68 + 1 || file.size() < 68) return false;
    bool terminated = false;
    const auto fields = readDescriptors(file, 68, 48, headerLength, true, terminated);
    if (fields.empty()) return false;
    if (!terminated && 68 + 48 * fields.size() != headerLength) return false;
    std::uint64_t sum = 1;
    for (const auto& f : fields) {
        if (!plausibleName(f.name) || !knownType(f.type) || f.length == 0) return false;
        sum += f.length;
    }
    return sum <= recordLength;
}

}  // namespace

int codePageOfDriver(std::uint8_t driver) {
    switch (driver) {
        case 0x00: return 0;
        case 0x01: case 0x09: case 0x0B: case 0x0D: case 0x0F: case 0x11: case 0x15: case 0x18:
        case 0x19: case 0x1B:
            return 437;
        case 0x02: case 0x0A: case 0x0E: case 0x10: case 0x12: case 0x14: case 0x16: case 0x1A:
        case 0x1D: case 0x25: case 0x37:
            return 850;
        case 0x03: case 0x57: case 0x58: case 0x59: return 1252;
        case 0x08: case 0x17: case 0x66: return 865;
        case 0x1C: case 0x6C: return 863;
        case 0x1F: case 0x22: case 0x23: case 0x40: case 0x64: case 0x87: return 852;
        case 0x24: return 860;
        case 0x26: case 0x65: return 866;
        case 0x67: return 861;
        case 0x6A: case 0x86: return 737;
        case 0x6B: case 0x88: return 857;
        case 0xC8: return 1250;
        case 0xC9: return 1251;
        case 0xCA: return 1254;
        case 0xCB: return 1253;
        case 0xCC: return 1257;
        default: return -1;
    }
}

int codePageOfDriverName(std::string_view name) {
    if (name.empty()) return 0;
    if (name.size() >= 5 && name.substr(0, 5) == "DBWIN") return 1252;
    if (name.size() >= 5 && name.substr(0, 2) == "DB") {
        int number = 0;
        for (const char c : name.substr(2, 3)) {
            if (c < '0' || c > '9') return -1;
            number = number * 10 + (c - '0');
        }
        return number;
    }
    return -1;
}

MemoFormat Header::memoFormat(bool foxProMemoFile) const {
    if (!hasMemoFields) return MemoFormat::None;
    if (foxProMemoFile) return MemoFormat::FoxPro;
    switch (family) {
        case Family::DBase4:
        case Family::DBase7:
            return MemoFormat::DBase4;
        default:
            return MemoFormat::DBase3;
    }
}

Header parseHeader(std::string_view file, std::string_view path) {
    if (file.size() < 32) badHeader(path, "the file is shorter than a header (" + std::to_string(file.size()) + " bytes)");

    Header h;
    h.version = static_cast<unsigned char>(file[0]);
    h.headerRecordCount = le32(file, 4);
    h.headerLength = le16(file, 8);
    h.recordLength = le16(file, 10);
    h.languageDriver = static_cast<unsigned char>(file[29]);

    switch (h.version) {
        case 0x03: case 0x83: h.family = Family::DBase3; break;
        case 0x8B: case 0xCB: case 0x43: case 0x63: case 0x7B: h.family = Family::DBase4; break;
        case 0x04: case 0x8C:
            h.family = fitsLevel7(file, h.headerLength, h.recordLength) ? Family::DBase7 : Family::DBase4;
            break;
        case 0xF5: case 0xFB: h.family = Family::FoxPro; break;
        case 0x30: case 0x31: case 0x32: h.family = Family::VisualFoxPro; break;
        default: badHeader(path, "unsupported version byte " + hexByte(h.version));
    }

    const bool level7 = h.family == Family::DBase7;
    const std::uint32_t descriptorsStart = level7 ? 68 : 32;
    if (h.headerLength < descriptorsStart + 1) badHeader(path, "header length " + std::to_string(h.headerLength) + " is too small");
    if (h.headerLength > file.size()) {
        badHeader(path, "the file (" + std::to_string(file.size()) + " bytes) ends inside its header of " +
                            std::to_string(h.headerLength) + " bytes");
    }
    if (h.recordLength < 2) badHeader(path, "record length " + std::to_string(h.recordLength) + " is too small");

    if (level7) h.languageDriverName = fixedName(file.substr(32, 32));

    const std::uint32_t descriptorSize = level7 ? 48 : 32;
    std::uint32_t limit = h.headerLength;
    const bool backlink = h.family == Family::VisualFoxPro && limit >= descriptorsStart + kBacklinkSize;
    if (backlink) limit -= kBacklinkSize;
    bool terminated = false;
    std::vector<RawField> raw = readDescriptors(file, descriptorsStart, descriptorSize, limit, level7, terminated);
    if (backlink && !terminated) {
        // A writer that kept no room for the backlink: the descriptors run on into its space.
        // Those there are read while they are plausible and the record has bytes to give them.
        bool toTheEnd = false;
        const std::vector<RawField> all =
            readDescriptors(file, descriptorsStart, descriptorSize, h.headerLength, level7, toTheEnd);
        std::uint64_t used = 1;
        for (const RawField& f : raw) used += f.length;
        std::size_t taken = 0;
        for (std::size_t k = raw.size(); k < all.size(); ++k) {
            const RawField& f = all[k];
            if (!plausibleName(f.name) || !knownType(f.type) || f.length == 0 || used + f.length > h.recordLength) break;
            used += f.length;
            raw.push_back(f);
            ++taken;
        }
        if (taken > 0) {
            terminated = toTheEnd && raw.size() == all.size();
            h.layoutProblems.push_back(std::to_string(taken) +
                                       " field descriptor(s) stand in the 263 bytes a Visual FoxPro header keeps "
                                       "for its backlink; read as fields");
        }
    }
    h.terminatorMissing = !terminated;
    if (raw.empty()) badHeader(path, "no field descriptors");
    if (!terminated) {
        h.layoutProblems.push_back("no 0x0D after the field descriptors; " + std::to_string(raw.size()) +
                                   " field(s) read up to the end of the header");
    }

    // Clipper and FoxPro store the length of a character field above 255 in its decimals byte.
    std::uint64_t plain = 1, extended = 1;
    for (const RawField& f : raw) {
        plain += f.length;
        extended += f.length + ((f.type == 'C' && !level7) ? f.decimals * 256u : 0u);
    }
    const bool longChars = extended != plain && extended <= h.recordLength;

    std::uint32_t offset = 1;
    int nextBit = 0;
    for (RawField& r : raw) {
        FieldInfo f;
        f.name = r.name;
        f.type = r.type;
        f.length = r.length;
        f.decimals = r.decimals;
        f.flags = h.family == Family::VisualFoxPro ? r.flags : 0;
        f.offset = offset;
        if (f.name.empty()) badHeader(path, "field " + std::to_string(h.fields.size() + 1) + " has no name");
        const std::string what = "field " + f.name + " of type '" + std::string(1, f.type) + "'";
        auto needLength = [&](std::initializer_list<std::uint32_t> allowed) {
            for (const std::uint32_t n : allowed) {
                if (f.length == n) return;
            }
            badHeader(path, what + " has length " + std::to_string(f.length));
        };
        const bool vfp = h.family == Family::VisualFoxPro;
        switch (f.type) {
            case 'C':
                if (longChars) {
                    f.length += f.decimals * 256u;
                    f.decimals = 0;
                }
                f.kind = FieldKind::Text;
                f.translate = !(f.flags & kFlagBinary);
                break;
            case 'N':
                f.kind = (f.decimals == 0 && f.length <= 9) ? FieldKind::Integer : FieldKind::Float;
                break;
            case 'F': f.kind = FieldKind::Float; break;
            case 'D': needLength({8}); f.kind = FieldKind::Date; break;
            case 'L': needLength({1}); f.kind = FieldKind::Logical; break;
            case 'M':
                needLength({4, 10});
                f.memoPointer = true;
                f.translate = !(f.flags & kFlagBinary);
                f.kind = f.translate ? FieldKind::Memo : FieldKind::Blob;
                break;
            case 'I': case '+': needLength({4}); f.kind = FieldKind::Integer; break;
            case 'O': needLength({8}); f.kind = FieldKind::Float; break;
            case '@': case 'T': needLength({8}); f.kind = FieldKind::DateTime; break;
            case 'Y': needLength({8}); f.kind = FieldKind::Currency; break;
            case 'B':
                if (vfp) {
                    needLength({8});
                    f.kind = FieldKind::Float;
                } else {
                    needLength({4, 10});
                    f.memoPointer = true;
                    f.translate = false;
                    f.kind = FieldKind::Blob;
                }
                break;
            case 'G': case 'P': case 'W':
                needLength({4, 10});
                f.memoPointer = true;
                f.translate = false;
                f.kind = FieldKind::Blob;
                break;
            case 'V': case 'Q':
                if (!vfp) badHeader(path, "unknown field type '" + std::string(1, f.type) + "' of field " + f.name);
                // A varchar marked binary still holds characters: its bytes pass unconverted.
                f.kind = f.type == 'V' ? FieldKind::Text : FieldKind::Blob;
                f.translate = f.type == 'V' && !(f.flags & kFlagBinary);
                break;
            case '0':
                if (!vfp) badHeader(path, "unknown field type '0' of field " + f.name);
                f.kind = FieldKind::Blob;
                f.translate = false;
                break;
            default: {
                const auto t = static_cast<unsigned char>(f.type);
                const std::string shown = (t >= 0x20 && t < 0x7F) ? "'" + std::string(1, f.type) + "'" : hexByte(t);
                badHeader(path, "unknown field type " + shown + " of field " + f.name);
            }
        }
        if (f.length == 0) badHeader(path, what + " has length 0");
        offset += f.length;
        if (offset > h.recordLength) {
            badHeader(path, "the fields need " + std::to_string(offset) + " bytes but a record has " +
                                std::to_string(h.recordLength));
        }
        if (f.memoPointer) h.hasMemoFields = true;

        if (f.type == '0' || (vfp && (f.flags & kFlagSystem))) {
            if (f.type == '0' && !h.nullFlags) h.nullFlags = f;
            continue;  // system fields are not shown
        }
        if (vfp) {
            if (f.type == 'V' || f.type == 'Q') f.varLengthBit = nextBit++;
            if (f.flags & kFlagNullable) f.nullBit = nextBit++;
        }
        h.fields.push_back(std::move(f));
    }
    if (h.fields.empty()) badHeader(path, "no fields");
    if (offset < h.recordLength) {
        h.layoutProblems.push_back("the fields describe " + std::to_string(offset - 1) + " of the " +
                                   std::to_string(h.recordLength - 1) +
                                   " bytes of a record after its flag; the other bytes are not shown");
    }
    // Flags that _NullFlags does not hold (no such field, or too few bits) are taken as clear:
    // the value is not null, a variable-length field uses its whole length.
    const std::uint64_t bits = h.nullFlags ? h.nullFlags->length * 8ull : 0;
    for (FieldInfo& f : h.fields) {
        if (f.nullBit >= 0 && static_cast<std::uint64_t>(f.nullBit) >= bits) f.nullBit = -1;
        if (f.varLengthBit >= 0 && static_cast<std::uint64_t>(f.varLengthBit) >= bits) f.varLengthBit = -1;
    }

    // Code page: the level-7 driver name when there is one, else the driver byte. A level-7
    // name that names no code page this program has counts as none unless the byte names one.
    int cp = 0;
    if (level7 && !h.languageDriverName.empty()) {
        cp = codePageOfDriverName(h.languageDriverName);
        if (cp > 0 && !CodePage::find(cp)) cp = -1;
    }
    if (cp <= 0) {
        const int byByte = codePageOfDriver(h.languageDriver);
        if (byByte > 0 || cp == 0) {
            cp = byByte;
        } else {
            cp = 0;
            h.driverNameUnknown = true;
        }
    }
    h.codePageKnown = cp >= 0;
    h.codePage = cp > 0 ? cp : 0;
    return h;
}

}  // namespace mig::dbf
