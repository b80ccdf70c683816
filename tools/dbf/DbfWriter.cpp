#include "tools/dbf/DbfWriter.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace mig::dbf {
namespace {

void putLE16(std::string& s, std::size_t at, std::uint32_t v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void putLE32(std::string& s, std::size_t at, std::uint32_t v) {
    putLE16(s, at, v & 0xFFFF);
    putLE16(s, at + 2, v >> 16);
}
void putBE16(std::string& s, std::size_t at, std::uint32_t v) {
    s[at] = static_cast<char>((v >> 8) & 0xFF);
    s[at + 1] = static_cast<char>(v & 0xFF);
}
void putBE32(std::string& s, std::size_t at, std::uint32_t v) {
    putBE16(s, at, v >> 16);
    putBE16(s, at + 2, v & 0xFFFF);
}
std::string be64(std::uint64_t v) {
    std::string s(8, '\0');
    for (int i = 0; i < 8; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>((v >> (56 - 8 * i)) & 0xFF);
    return s;
}

bool isVfpVersion(std::uint8_t v) { return v == 0x30 || v == 0x31 || v == 0x32; }

bool memoLike(char type, bool vfp) {
    return type == 'M' || type == 'G' || type == 'P' || type == 'W' || (type == 'B' && !vfp);
}

int usualLength(char type, bool vfp) {
    switch (type) {
        case 'D': case 'O': case '@': case 'T': case 'Y': return 8;
        case 'L': return 1;
        case 'I': case '+': return 4;
        case 'B': return vfp ? 8 : 10;
        case 'M': case 'G': case 'P': case 'W': return vfp ? 4 : 10;
        case 'N': case 'F': return 10;
        default: return 10;
    }
}

bool binaryType(char type, bool vfp) {
    switch (type) {
        case 'I': case '+': case 'O': case '@': case 'T': case 'Y': return true;
        case 'B': return vfp;
        default: return false;
    }
}

}  // namespace

DbfWriter::DbfWriter(std::uint8_t version, std::vector<FieldSpec> fields)
    : version_(version), level7_(version == 0x04 || version == 0x8C) {
    const bool vfp = isVfpVersion(version);
    int nextBit = 0;
    std::uint32_t offset = 1;
    for (FieldSpec& fieldSpec : fields) {
        if (fieldSpec.length == 0) fieldSpec.length = usualLength(fieldSpec.type, vfp);
        Field f{fieldSpec, offset, -1, -1};
        if (vfp) {
            if (fieldSpec.type == 'V' || fieldSpec.type == 'Q') f.varBit = nextBit++;
            if (fieldSpec.flags & 0x02) f.nullBit = nextBit++;
        }
        offset += static_cast<std::uint32_t>(fieldSpec.length);
        fields_.push_back(std::move(f));
    }
    if (vfp && nextBit > 0) {
        FieldSpec flags{"_NullFlags", '0', (nextBit + 7) / 8, 0, 0x05};
        nullFlagsField_ = static_cast<int>(fields_.size());
        fields_.push_back(Field{flags, offset, -1, -1});
        offset += static_cast<std::uint32_t>(flags.length);
    }
    recordLength_ = offset;
}

DbfWriter& DbfWriter::languageDriver(std::uint8_t id) { languageDriver_ = id; return *this; }
DbfWriter& DbfWriter::driverName(std::string name) { driverName_ = std::move(name); return *this; }
DbfWriter& DbfWriter::memoStyle(MemoStyle style) { memoStyle_ = style; return *this; }
DbfWriter& DbfWriter::memoBlockSize(std::uint32_t size) { memoBlockSize_ = size; return *this; }
DbfWriter& DbfWriter::level7(bool on) { level7_ = on; return *this; }
DbfWriter& DbfWriter::headerRecordCount(std::uint32_t count) { headerCount_ = count; return *this; }
DbfWriter& DbfWriter::omitTerminator() { terminator_ = false; return *this; }
DbfWriter& DbfWriter::omitEndMark() { endMark_ = false; return *this; }

bool DbfWriter::visualFoxPro() const { return isVfpVersion(version_); }

DbfWriter& DbfWriter::add(const std::vector<Cell>& cells) {
    records_.push_back(encodeRecord(' ', cells));
    return *this;
}

DbfWriter& DbfWriter::addDeleted(const std::vector<Cell>& cells) {
    records_.push_back(encodeRecord('*', cells));
    return *this;
}

DbfWriter& DbfWriter::addRaw(std::string record) {
    record.resize(recordLength_, ' ');
    records_.push_back(std::move(record));
    return *this;
}

std::string DbfWriter::encodeRecord(char flag, const std::vector<Cell>& cells) {
    if (cells.size() > fields_.size() - (nullFlagsField_ >= 0 ? 1u : 0u)) {
        throw std::invalid_argument("DbfWriter: more cells than fields");
    }
    const bool vfp = visualFoxPro();
    std::string rec(recordLength_, ' ');
    rec[0] = flag;
    if (nullFlagsField_ >= 0) {
        const Field& nf = fields_[static_cast<std::size_t>(nullFlagsField_)];
        std::memset(&rec[nf.offset], 0, static_cast<std::size_t>(nf.fieldSpec.length));
    }
    auto setBit = [&](int bit) {
        const Field& nf = fields_[static_cast<std::size_t>(nullFlagsField_)];
        rec[nf.offset + static_cast<std::size_t>(bit / 8)] |= static_cast<char>(1 << (bit % 8));
    };
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const Field& f = fields_[i];
        if (static_cast<int>(i) == nullFlagsField_) continue;
        const auto len = static_cast<std::size_t>(f.fieldSpec.length);
        char* out = &rec[f.offset];
        const char type = f.fieldSpec.type;
        const bool binary = binaryType(type, vfp);
        if (binary) std::memset(out, 0, len);
        if (i >= cells.size()) continue;
        const Cell& cell = cells[i];
        if (!cell.value()) {
            if (f.nullBit >= 0) setBit(f.nullBit);
            continue;
        }
        const std::string& v = *cell.value();
        const std::string what = "DbfWriter: field " + f.fieldSpec.name;
        if (cell.raw()) {
            std::memcpy(out, v.data(), std::min(len, v.size()));
            continue;
        }
        if (memoLike(type, vfp)) {
            if (v.empty()) {
                if (len == 4) std::memset(out, 0, 4);
                continue;
            }
            const std::string block = storeMemo(v);
            if (len == 4) {
                std::string tmp(4, '\0');
                putLE32(tmp, 0, static_cast<std::uint32_t>(std::stoul(block)));
                std::memcpy(out, tmp.data(), 4);
            } else {
                if (block.size() > len) throw std::invalid_argument(what + ": memo pointer too long");
                std::memcpy(out + (len - block.size()), block.data(), block.size());
            }
            continue;
        }
        if (binary) {
            if (v.size() != len) throw std::invalid_argument(what + ": binary value of the wrong length");
            std::memcpy(out, v.data(), len);
            continue;
        }
        if (v.size() > len) throw std::invalid_argument(what + ": value longer than the field");
        switch (type) {
            case 'N':
            case 'F':
                std::memcpy(out + (len - v.size()), v.data(), v.size());
                break;
            case 'V':
            case 'Q':
                std::memcpy(out, v.data(), v.size());
                if (v.size() < len) {
                    std::memset(out + v.size(), 0, len - v.size());
                    out[len - 1] = static_cast<char>(v.size());
                    setBit(f.varBit);
                }
                break;
            default:
                std::memcpy(out, v.data(), v.size());
        }
    }
    return rec;
}

MemoStyle DbfWriter::effectiveMemoStyle() const {
    if (memoStyle_ != MemoStyle::Auto) return memoStyle_;
    switch (version_) {
        case 0x30: case 0x31: case 0x32: case 0xF5: case 0xFB: return MemoStyle::FoxPro;
        case 0x03: case 0x83: return MemoStyle::DBase3;
        default: return MemoStyle::DBase4;
    }
}

bool DbfWriter::hasMemo() const {
    for (const Field& f : fields_) {
        if (memoLike(f.fieldSpec.type, visualFoxPro())) return true;
    }
    return false;
}

std::string DbfWriter::memoExtension() const {
    return effectiveMemoStyle() == MemoStyle::FoxPro ? ".FPT" : ".DBT";
}

std::string DbfWriter::storeMemo(std::string_view content) {
    const MemoStyle style = effectiveMemoStyle();
    std::uint32_t block = 0;
    std::uint32_t headerSize = 0;
    switch (style) {
        case MemoStyle::FoxPro:
            block = memoBlockSize_ ? memoBlockSize_ : 64;
            headerSize = ((512 + block - 1) / block) * block;
            break;
        case MemoStyle::DBase4:
            block = memoBlockSize_ ? memoBlockSize_ : 512;
            headerSize = block;
            break;
        default:
            block = 512;
            headerSize = 512;
    }
    const std::uint32_t number = (headerSize + static_cast<std::uint32_t>(memo_.size())) / block;
    std::string data;
    switch (style) {
        case MemoStyle::FoxPro:
            data.assign(8, '\0');
            putBE32(data, 0, 1);
            putBE32(data, 4, static_cast<std::uint32_t>(content.size()));
            data += content;
            break;
        case MemoStyle::DBase4:
            data.assign("\xFF\xFF\x08\x00", 4);
            data.append(4, '\0');
            putLE32(data, 4, static_cast<std::uint32_t>(content.size() + 8));
            data += content;
            break;
        default:
            data = std::string(content) + "\x1A\x1A";
    }
    data.resize(((data.size() + block - 1) / block) * block, '\0');
    memo_ += data;
    return std::to_string(number);
}

std::string DbfWriter::memoBytes() const {
    if (!hasMemo()) return {};
    const MemoStyle style = effectiveMemoStyle();
    std::string header;
    switch (style) {
        case MemoStyle::FoxPro: {
            const std::uint32_t block = memoBlockSize_ ? memoBlockSize_ : 64;
            header.assign(((512 + block - 1) / block) * block, '\0');
            putBE32(header, 0, static_cast<std::uint32_t>((header.size() + memo_.size()) / block));
            putBE16(header, 6, block);
            break;
        }
        case MemoStyle::DBase4: {
            const std::uint32_t block = memoBlockSize_ ? memoBlockSize_ : 512;
            header.assign(block, '\0');
            putLE32(header, 0, static_cast<std::uint32_t>((header.size() + memo_.size()) / block));
            putLE16(header, 20, block);
            break;
        }
        default:
            header.assign(512, '\0');
            putLE32(header, 0, static_cast<std::uint32_t>((header.size() + memo_.size()) / 512));
    }
    return header + memo_;
}

std::uint32_t DbfWriter::recordLength() const { return recordLength_; }

std::uint32_t DbfWriter::headerLength() const {
    const std::uint32_t descriptors = static_cast<std::uint32_t>(fields_.size()) * (level7_ ? 48u : 32u);
    return (level7_ ? 68u : 32u) + descriptors + (terminator_ ? 1u : 0u) + (visualFoxPro() ? 263u : 0u);
}

std::string DbfWriter::dbfBytes() const {
    const std::uint32_t headerLen = headerLength();
    std::string out(headerLen, '\0');
    out[0] = static_cast<char>(version_);
    out[1] = static_cast<char>(124);  // 2024-01-01
    out[2] = 1;
    out[3] = 1;
    putLE32(out, 4, headerCount_ ? *headerCount_ : static_cast<std::uint32_t>(records_.size()));
    putLE16(out, 8, headerLen);
    putLE16(out, 10, recordLength_);
    out[29] = static_cast<char>(languageDriver_);
    std::size_t pos = 32;
    if (level7_) {
        std::memcpy(&out[32], driverName_.data(), std::min<std::size_t>(driverName_.size(), 32));
        pos = 68;
    }
    for (const Field& f : fields_) {
        const FieldSpec& s = f.fieldSpec;
        if (level7_) {
            std::memcpy(&out[pos], s.name.data(), std::min<std::size_t>(s.name.size(), 31));
            out[pos + 32] = s.type;
            out[pos + 33] = static_cast<char>(s.length & 0xFF);
            out[pos + 34] = static_cast<char>(s.decimals);
            pos += 48;
        } else {
            std::memcpy(&out[pos], s.name.data(), std::min<std::size_t>(s.name.size(), 10));
            out[pos + 11] = s.type;
            if (visualFoxPro()) putLE32(out, pos + 12, f.offset);
            out[pos + 16] = static_cast<char>(s.length & 0xFF);
            // Character fields longer than 255 keep the high byte of their length here.
            out[pos + 17] = static_cast<char>(s.type == 'C' && s.length > 255 ? s.length >> 8 : s.decimals);
            out[pos + 18] = static_cast<char>(s.flags);
            pos += 32;
        }
    }
    if (terminator_) out[pos] = '\x0D';
    for (const std::string& r : records_) out += r;
    if (endMark_) out.push_back('\x1A');
    return out;
}

void DbfWriter::writeFiles(const std::string& dbfPath) const {
    const auto write = [](const std::filesystem::path& p, const std::string& bytes) {
        std::ofstream f(p, std::ios::binary | std::ios::trunc);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!f) throw std::runtime_error("DbfWriter: cannot write " + p.string());
    };
    const std::filesystem::path path(dbfPath);
    write(path, dbfBytes());
    if (hasMemo()) {
        std::string ext = memoExtension();
        const std::string own = path.extension().string();
        if (!own.empty() && own[1] >= 'a' && own[1] <= 'z') {
            for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        std::filesystem::path memo = path;
        memo.replace_extension(ext);
        write(memo, memoBytes());
    }
}

std::string DbfWriter::int32LE(std::int32_t v) {
    std::string s(4, '\0');
    putLE32(s, 0, static_cast<std::uint32_t>(v));
    return s;
}

std::string DbfWriter::doubleLE(double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    std::string s(8, '\0');
    putLE32(s, 0, static_cast<std::uint32_t>(bits));
    putLE32(s, 4, static_cast<std::uint32_t>(bits >> 32));
    return s;
}

std::string DbfWriter::currency(std::int64_t tenThousandths) {
    const auto bits = static_cast<std::uint64_t>(tenThousandths);
    std::string s(8, '\0');
    putLE32(s, 0, static_cast<std::uint32_t>(bits));
    putLE32(s, 4, static_cast<std::uint32_t>(bits >> 32));
    return s;
}

std::string DbfWriter::julianDateTime(std::int32_t julian, std::int32_t ms) {
    return int32LE(julian) + int32LE(ms);
}

std::string DbfWriter::level7Long(std::int32_t v) {
    std::string s(4, '\0');
    putBE32(s, 0, static_cast<std::uint32_t>(v) ^ 0x80000000u);
    return s;
}

std::string DbfWriter::level7Double(double v) {
    std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
    bits = (bits & 0x8000000000000000ull) ? ~bits : (bits | 0x8000000000000000ull);
    return be64(bits);
}

std::string DbfWriter::level7Timestamp(std::int32_t julian, std::int32_t ms) {
    // Milliseconds since the start of day 0, 0001-01-01 (Julian day 1721426) being day 1, as a
    // plain big-endian double.
    const double total = static_cast<double>(julian - 1721425) * 86'400'000.0 + ms;
    return be64(std::bit_cast<std::uint64_t>(total));
}

std::int32_t DbfWriter::julianDay(int year, int month, int day) {
    const int a = (14 - month) / 12;
    const int y = year + 4800 - a;
    const int m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

}  // namespace mig::dbf
