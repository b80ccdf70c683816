#include "legacy/dbf/DbfReader.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>

#include "legacy/dbf/CodePage.h"
#include "legacy/dbf/CodePageEvidence.h"
#include "target/field/Calendar.h"
#include "target/field/Errors.h"
#include "target/field/FieldName.h"

namespace mig::dbf {
namespace {

constexpr std::int64_t kJulianDayOf18991230 = 2415019;
constexpr std::int64_t kDayNumberOf18991230 = 693594;  // counting 0001-01-01 as day 1
constexpr double kMsPerDayD = 86'400'000.0;

std::uint32_t byteAt(std::string_view b, std::size_t at) { return static_cast<unsigned char>(b[at]); }
std::uint32_t le32(std::string_view b) {
    return byteAt(b, 0) | (byteAt(b, 1) << 8) | (byteAt(b, 2) << 16) | (byteAt(b, 3) << 24);
}
std::uint32_t be32(std::string_view b) {
    return (byteAt(b, 0) << 24) | (byteAt(b, 1) << 16) | (byteAt(b, 2) << 8) | byteAt(b, 3);
}
std::uint64_t le64(std::string_view b) {
    return le32(b) | (static_cast<std::uint64_t>(le32(b.substr(4))) << 32);
}
std::uint64_t be64(std::string_view b) {
    return (static_cast<std::uint64_t>(be32(b)) << 32) | be32(b.substr(4));
}

bool allBytesAre(std::string_view raw, std::string_view set) {
    return raw.find_first_not_of(set) == std::string_view::npos;
}

// dBase level 7 stores binary numbers so that their bytes sort as the numbers do: big-endian,
// with the sign bit inverted for integers, and for doubles the sign bit inverted when positive
// and every bit inverted when negative.
std::int32_t level7Long(std::string_view raw) {
    return static_cast<std::int32_t>(be32(raw) ^ 0x80000000u);
}
double level7Double(std::string_view raw) {
    std::uint64_t bits = be64(raw);
    bits = (bits & 0x8000000000000000ull) ? (bits ^ 0x8000000000000000ull) : ~bits;
    return std::bit_cast<double>(bits);
}

std::int32_t dayOf(int year, int month, int day) { return makeDate(year, month, day)->days; }

// A double that reads as a number a person wrote: finite, normal (or zero).
bool readsAsNumber(double v) { return std::isfinite(v) && (v == 0 || std::fpclassify(v) == FP_NORMAL); }
bool ordinaryMagnitude(double v) { return v == 0 || (std::fabs(v) >= 1e-30 && std::fabs(v) <= 1e30); }
std::size_t shortestDigits(double v) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return static_cast<std::size_t>(res.ptr - buf);
}

// An O number of a file of another level than 7: the little-endian double of the other binary
// fields, or the sortable big-endian form of level 7 (a writer of level-7 fields in a file of
// another version), whichever reads as a number; of two, the one of ordinary size, then the
// one with fewer digits, then the little-endian one. Nothing when neither does.
std::optional<double> doubleOfAnyLevel(std::string_view raw) {
    const double little = std::bit_cast<double>(le64(raw));
    const double sortable = level7Double(raw);
    const bool a = readsAsNumber(little), b = readsAsNumber(sortable);
    if (a && b) {
        if (ordinaryMagnitude(little) != ordinaryMagnitude(sortable)) return ordinaryMagnitude(little) ? little : sortable;
        return shortestDigits(sortable) < shortestDigits(little) ? sortable : little;
    }
    if (a) return little;
    if (b) return sortable;
    return std::nullopt;
}

// Eight bytes at a time, for the scans of text fields.
constexpr std::uint64_t kEightBlanks = 0x2020202020202020ull;
std::uint64_t load64(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
bool hasHighByte(const char* p, std::size_t n) {
    std::uint64_t any = 0;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) any |= load64(p + i);
    for (; i < n; ++i) any |= static_cast<unsigned char>(p[i]);
    return (any & 0x8080808080808080ull) != 0;
}

}  // namespace

ParsedNumber parseNumberText(std::string_view raw) {
    ParsedNumber out;
    const auto first = raw.find_first_not_of(std::string_view(" \0", 2));
    if (first == std::string_view::npos) return out;  // Empty
    const auto last = raw.find_last_not_of(std::string_view(" \0", 2));
    const std::string_view t = raw.substr(first, last - first + 1);
    if (t.find('*') != std::string_view::npos) {
        out.status = NumberText::Overflow;
        return out;
    }
    out.status = NumberText::Bad;

    // Validate the shape and copy it with "." as the decimal point.
    char small[96];
    std::string large;
    char* buf = small;
    if (t.size() >= sizeof small) {
        large.resize(t.size() + 1);
        buf = large.data();
    }
    std::size_t n = 0, i = 0;
    bool negative = false;
    if (t[i] == '+' || t[i] == '-') {
        negative = t[i] == '-';
        if (negative) buf[n++] = '-';
        ++i;
    }
    std::size_t intDigits = 0, fracDigits = 0;
    std::int64_t integer = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
        if (intDigits < 18) integer = integer * 10 + (t[i] - '0');
        buf[n++] = t[i++];
        ++intDigits;
    }
    bool point = false;
    if (i < t.size() && (t[i] == '.' || t[i] == ',')) {
        point = true;
        buf[n++] = '.';
        ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
            buf[n++] = t[i++];
            ++fracDigits;
        }
    }
    if (intDigits + fracDigits == 0) return out;
    bool exponent = false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        exponent = true;
        buf[n++] = 'e';
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) buf[n++] = t[i++];
        std::size_t expDigits = 0;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
            buf[n++] = t[i++];
            ++expDigits;
        }
        if (expDigits == 0) return out;
    }
    if (i != t.size()) return out;

    out.status = NumberText::Ok;
    if (!point && !exponent && intDigits <= 18) {
        out.integral = true;
        out.integer = negative ? -integer : integer;
        out.value = static_cast<double>(out.integer);
        return out;
    }
    double v = 0;
    const auto res = std::from_chars(buf, buf + n, v);
    if (res.ec != std::errc() || !std::isfinite(v)) {
        out.status = NumberText::Bad;
        return out;
    }
    out.value = v;
    return out;
}

namespace {

// The header length is a 16-bit number: the header lies within the first 64 KiB.
std::string_view headerBytes(const ByteSource& file) {
    return file.read(0, static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), 65536)));
}

}  // namespace

DbfReader::DbfReader(ByteSource dbf, ByteSource memo, MemoFormat memoFormat, std::string fileName,
                     const ReadOptions& options)
    : dbf_(std::move(dbf)),
      fileName_(std::move(fileName)),
      header_(parseHeader(headerBytes(dbf_), fileName_)),
      memo_(std::move(memo), memoFormat) {
    chooseCodePage(options);
    for (const std::string& problem : header_.layoutProblems) noteFile(AnomalyKind::HeaderLayout, 0, {}, problem);
    scanRecords();
    if (codePageSource_ == CodePageSource::Decided) codePage_ = CodePage::find(decideCodePage());
}

void DbfReader::chooseCodePage(const ReadOptions& options) {
    if (options.codePage > 0) {
        codePage_ = CodePage::find(options.codePage);
        if (!codePage_) throw DataError("Unknown code page " + std::to_string(options.codePage) + " for " + fileName_);
        codePageSource_ = CodePageSource::Named;
        return;
    }
    if (header_.codePage > 0) codePage_ = CodePage::find(header_.codePage);
    if (codePage_) {
        codePageSource_ = CodePageSource::Recorded;
        return;
    }
    if (!header_.codePageKnown || header_.codePage > 0) {
        char driver[8];
        std::snprintf(driver, sizeof driver, "0x%02X", static_cast<unsigned>(header_.languageDriver));
        std::string which = header_.codePage > 0 ? "code page " + std::to_string(header_.codePage)
                                                 : std::string("language driver ") + driver;
        if (!header_.languageDriverName.empty()) which += " (" + header_.languageDriverName + ")";
        throw DataError("Unsupported " + which + " in " + fileName_);
    }
    codePageSource_ = CodePageSource::Decided;
    codePage_ = &CodePage::win1252();  // until the sample has decided
}

int DbfReader::decideCodePage() const {
    std::vector<int> texts, memos;
    for (int i = 0; i < fieldCount(); ++i) {
        const FieldInfo& f = field(i);
        if (!f.translate) continue;
        if (f.memoPointer) memos.push_back(i);
        else if (f.kind == FieldKind::Text) texts.push_back(i);
    }
    CodePageEvidence evidence;
    // Each run starts where the one before ended at the earliest.
    const std::int64_t perStretch = std::max<std::int64_t>(
        1, std::min(kSampleRecords, kSampleBytes / header_.recordLength) / kSampleStretches);
    const std::int64_t span = std::max<std::int64_t>(0, physicalCount_ - perStretch);
    std::int64_t p = 0;
    for (std::int64_t s = 0; s < kSampleStretches; ++s) {
        p = nextServed(std::max(p, span * s / (kSampleStretches - 1)));
        int memosRead = 0;
        for (std::int64_t records = 0; p < physicalCount_ && records < perStretch; p = nextServed(p + 1), ++records) {
            for (const int i : texts) evidence.add(textBytes(p, i));
            for (const int i : memos) {
                if (memosRead >= kSampleMemos / kSampleStretches) break;
                std::uint64_t block = 0;
                if (!memoBlockOf(field(i), rawField(p, i), block) || block == 0 ||
                    block > std::numeric_limits<std::uint32_t>::max() || memo_.format() == MemoFormat::None) {
                    continue;
                }
                const MemoReader::Memo m = memo_.read(static_cast<std::uint32_t>(block), kSampleMemoBytes);
                if (m.status == MemoReader::Status::OutOfRange || m.status == MemoReader::Status::InsideHeader || !m.text) {
                    continue;
                }
                evidence.add(m.data);
                ++memosRead;
            }
        }
    }
    if (evidence.nonAsciiBytes() > 0) decidedTextRead_ = true;
    return evidence.decide();
}

void DbfReader::noteDecidedText(std::string_view text) const {
    if (codePageSource_ == CodePageSource::Decided && !decidedTextRead_ && hasHighByte(text.data(), text.size())) {
        decidedTextRead_ = true;
    }
}

void DbfReader::scanRecords() {
    const std::uint64_t body = dbf_.size() - header_.headerLength;
    const std::uint64_t whole = body / header_.recordLength;
    const std::uint64_t claimed = header_.headerRecordCount;
    physicalCount_ = static_cast<std::int64_t>(std::min(whole, claimed));

    if (whole < claimed) {
        noteFile(AnomalyKind::RecordsMissing, 0, {},
                 "the header counts " + std::to_string(claimed) + " records, the file holds " + std::to_string(whole));
        const std::uint64_t partial = body - whole * header_.recordLength;
        if (partial > 0) {
            const std::string_view tail =
                dbf_.read(header_.headerLength + whole * header_.recordLength, static_cast<std::size_t>(partial));
            // A lone end-of-file mark is no record.
            if (!(tail.size() == 1 && tail[0] == '\x1A')) {
                noteFile(AnomalyKind::TruncatedRecord, static_cast<std::int64_t>(whole) + 1, tail,
                         std::to_string(tail.size()) + " of " + std::to_string(header_.recordLength) +
                             " bytes; not served");
            }
        }
    } else if (whole > claimed) {
        const std::uint64_t at = header_.headerLength + claimed * header_.recordLength;
        if (dbf_.read(at, 1)[0] != '\x1A') {
            noteFile(AnomalyKind::ExtraRecords, static_cast<std::int64_t>(claimed) + 1, {},
                     std::to_string(whole - claimed) + " whole records after the " + std::to_string(claimed) +
                         " the header counts; not served");
        }
    }

    for (std::int64_t p = 0; p < physicalCount_; ++p) {
        const char flag = dbf_.read(header_.headerLength + static_cast<std::uint64_t>(p) * header_.recordLength, 1)[0];
        if (flag == ' ') continue;
        if (flag == '*') {
            deleted_.push_back(static_cast<std::uint32_t>(p));
        } else {
            noteFile(AnomalyKind::BadFlag, p + 1, std::string_view(&flag, 1), "served as an active record");
        }
    }
}

void DbfReader::noteFile(AnomalyKind kind, std::int64_t record, std::string_view raw, std::string detail) const {
    anomalies_.push_back(Anomaly{kind, fileName_, record, {}, std::string(raw), std::move(detail)});
}

void DbfReader::note(AnomalyKind kind, std::int64_t physical, int field, std::string_view raw,
                     std::string detail) const {
    // A value read again (the grid, then the migration) is noted once.
    const std::uint64_t key = (static_cast<std::uint64_t>(physical) << 16) | static_cast<std::uint64_t>(field);
    if (!noted_.insert(key).second) return;
    anomalies_.push_back(Anomaly{kind, fileName_, physical + 1, header_.fields[static_cast<std::size_t>(field)].name,
                                 std::string(raw), std::move(detail)});
}

int DbfReader::fieldIndex(std::string_view name) const {
    for (int i = 0; i < fieldCount(); ++i) {
        if (sameFieldName(header_.fields[static_cast<std::size_t>(i)].name, name)) return i;
    }
    return -1;
}

bool DbfReader::isDeleted(std::int64_t physical) const {
    return std::binary_search(deleted_.begin(), deleted_.end(), static_cast<std::uint32_t>(physical));
}

std::int64_t DbfReader::physicalOfRow(std::int64_t row) const {
    // deleted_[i] - i is the number of served records before deleted_[i]; it never decreases.
    std::size_t lo = 0, hi = deleted_.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (static_cast<std::int64_t>(deleted_[mid]) - static_cast<std::int64_t>(mid) <= row) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return row + static_cast<std::int64_t>(lo);
}

std::int64_t DbfReader::rowOfPhysical(std::int64_t physical) const {
    const auto before = std::lower_bound(deleted_.begin(), deleted_.end(), static_cast<std::uint32_t>(physical));
    return physical - (before - deleted_.begin());
}

std::int64_t DbfReader::nextServed(std::int64_t physical) const {
    auto it = std::lower_bound(deleted_.begin(), deleted_.end(), static_cast<std::uint32_t>(physical));
    while (physical < physicalCount_ && it != deleted_.end() && *it == physical) {
        ++physical;
        ++it;
    }
    return std::min(physical, physicalCount_);
}

std::string_view DbfReader::record(std::int64_t physical) const {
    return dbf_.read(header_.headerLength + static_cast<std::uint64_t>(physical) * header_.recordLength,
                     header_.recordLength);
}

std::string_view DbfReader::rawField(std::int64_t physical, int field) const {
    const FieldInfo& f = header_.fields[static_cast<std::size_t>(field)];
    return record(physical).substr(f.offset, f.length);
}

bool DbfReader::nullFlag(std::int64_t physical, int bit) const {
    const std::string_view flags = record(physical).substr(header_.nullFlags->offset, header_.nullFlags->length);
    return (byteAt(flags, static_cast<std::size_t>(bit) / 8) >> (bit % 8)) & 1u;
}

Value DbfReader::value(std::int64_t physical, int field) const {
    const FieldInfo& f = header_.fields[static_cast<std::size_t>(field)];
    const std::string_view raw = record(physical).substr(f.offset, f.length);
    if (f.nullBit >= 0 && nullFlag(physical, f.nullBit)) return {};
    const bool level7 = header_.family == Family::DBase7;
    switch (f.type) {
        case 'C':
            return decodeText(f, raw);
        case 'V':
        case 'Q': {
            const std::string_view used = textBytes(physical, field);
            if (!f.translate) return Value(std::string(used));
            noteDecidedText(used);
            return Value(codePage_->toWin1252(used));
        }
        case 'N':
        case 'F':
            return decodeNumber(f, raw, physical, field);
        case 'D':
            return decodeDate(raw, physical, field);
        case 'L':
            return decodeLogical(raw, physical, field);
        case 'I':
        case '+':
            if (level7) {
                if (allBytesAre(raw, std::string_view("\0", 1))) return {};
                return Value(level7Long(raw));
            }
            return Value(static_cast<std::int32_t>(le32(raw)));
        case 'O':
        case 'B': {
            if (f.memoPointer) return decodeMemo(f, raw, physical, field);
            double v;
            if (level7) {
                if (allBytesAre(raw, std::string_view("\0", 1))) return {};
                v = level7Double(raw);
            } else if (f.type == 'O') {
                const std::optional<double> read = doubleOfAnyLevel(raw);
                if (!read) {
                    note(AnomalyKind::BadNumber, physical, field, raw,
                         "neither a little-endian double nor a level-7 one; read as empty");
                    return {};
                }
                v = *read;
            } else {
                v = std::bit_cast<double>(le64(raw));
            }
            if (!std::isfinite(v)) {
                note(AnomalyKind::BadNumber, physical, field, raw, "not a finite number; read as empty");
                return {};
            }
            return Value(v);
        }
        case 'Y':
            return Value(static_cast<double>(static_cast<std::int64_t>(le64(raw))) / 10000.0);
        case '@':
        case 'T':
            return decodeDateTime(f, raw, physical, field);
        case 'M':
        case 'G':
        case 'P':
        case 'W':
            return decodeMemo(f, raw, physical, field);
        default:
            return {};
    }
}

std::string_view DbfReader::characterText(std::string_view raw) {
    // The text ends at the first NUL (padding some writers use); trailing blanks are dropped.
    const char* data = raw.data();
    std::size_t end = raw.size();
    if (const void* nul = std::memchr(data, 0, end)) end = static_cast<std::size_t>(static_cast<const char*>(nul) - data);
    while (end >= 8 && load64(data + end - 8) == kEightBlanks) end -= 8;
    while (end > 0 && data[end - 1] == ' ') --end;
    return {data, end};
}

bool DbfReader::convertsText(const FieldInfo& f, std::string_view text) const {
    // Plain ASCII is the same in every code page; only text with other bytes is converted.
    return f.translate && (!codePage_->isWin1252() || codePageSource_ == CodePageSource::Decided) &&
           hasHighByte(text.data(), text.size());
}

void DbfReader::convertText(std::string& text) const {
    noteDecidedText(text);
    const auto& table = codePage_->toWin1252Table();
    for (char& c : text) c = table[static_cast<unsigned char>(c)];
}

Value DbfReader::decodeText(const FieldInfo& f, std::string_view raw) const {
    const std::string_view text = characterText(raw);
    std::string out(text);
    if (convertsText(f, text)) convertText(out);
    return Value(std::move(out));
}

std::optional<std::string_view> DbfReader::text(std::int64_t physical, int field, std::string& scratch) const {
    const FieldInfo& f = header_.fields[static_cast<std::size_t>(field)];
    if (f.type != 'C') return std::nullopt;
    const std::string_view raw = record(physical).substr(f.offset, f.length);
    if (f.nullBit >= 0 && nullFlag(physical, f.nullBit)) return std::string_view();
    const std::string_view text = characterText(raw);
    if (!convertsText(f, text)) return text;
    scratch.assign(text);
    convertText(scratch);
    return scratch;
}

Value DbfReader::decodeNumber(const FieldInfo& f, std::string_view raw, std::int64_t physical, int field) const {
    const ParsedNumber n = parseNumberText(raw);
    switch (n.status) {
        case NumberText::Empty:
            return {};
        case NumberText::Overflow:
            note(AnomalyKind::NumberOverflow, physical, field, raw, "the number did not fit its field; read as empty");
            return {};
        case NumberText::Bad:
            note(AnomalyKind::BadNumber, physical, field, raw, "not a number; read as empty");
            return {};
        case NumberText::Ok:
            break;
    }
    if (f.kind == FieldKind::Integer) {
        if (n.integral && n.integer >= std::numeric_limits<std::int32_t>::min() &&
            n.integer <= std::numeric_limits<std::int32_t>::max()) {
            return Value(static_cast<std::int32_t>(n.integer));
        }
        if (n.value == std::floor(n.value) && n.value >= std::numeric_limits<std::int32_t>::min() &&
            n.value <= std::numeric_limits<std::int32_t>::max()) {
            return Value(static_cast<std::int32_t>(n.value));
        }
        note(AnomalyKind::BadNumber, physical, field, raw, "not a whole number in a field without decimals; read as empty");
        return {};
    }
    return Value(n.value);
}

Value DbfReader::decodeDate(std::string_view raw, std::int64_t physical, int field) const {
    if (allBytesAre(raw, std::string_view(" 0\0", 3))) return {};
    int parts[3] = {0, 0, 0};
    const int widths[3] = {4, 2, 2};
    std::size_t at = 0;
    for (int p = 0; p < 3; ++p) {
        for (int k = 0; k < widths[p]; ++k, ++at) {
            const char c = raw[at];
            if (c < '0' || c > '9') {
                note(AnomalyKind::ImpossibleDate, physical, field, raw, "read as empty");
                return {};
            }
            parts[p] = parts[p] * 10 + (c - '0');
        }
    }
    const auto date = makeDate(parts[0], parts[1], parts[2]);
    if (!date) {
        note(AnomalyKind::ImpossibleDate, physical, field, raw, "read as empty");
        return {};
    }
    return Value(*date);
}

Value DbfReader::decodeLogical(std::string_view raw, std::int64_t physical, int field) const {
    switch (raw[0]) {
        case 'T': case 't': case 'Y': case 'y': return Value(true);
        case 'F': case 'f': case 'N': case 'n': return Value(false);
        case ' ': case '?': case '\0': return {};
        default:
            note(AnomalyKind::BadLogical, physical, field, raw, "read as empty");
            return {};
    }
}

Value DbfReader::decodeDateTime(const FieldInfo& f, std::string_view raw, std::int64_t physical, int field) const {
    if (allBytesAre(raw, std::string_view("\0", 1)) || allBytesAre(raw, " ")) return {};
    std::int64_t days;  // since 1899-12-30
    double ms;
    if (f.type == '@' && header_.family == Family::DBase7) {
        // Milliseconds since the start of day 0, 0001-01-01 being day 1: a big-endian double as
        // it stands (not the sortable form of the level's O numbers).
        const double total = std::bit_cast<double>(be64(raw));
        if (!std::isfinite(total) || total < 0) {
            note(AnomalyKind::BadDateTime, physical, field, raw, "read as empty");
            return {};
        }
        const double day = std::floor(total / kMsPerDayD);
        // Far past year 9999 (and past what a day number holds): out of range like any other.
        if (day > 1e9) {
            note(AnomalyKind::BadDateTime, physical, field, raw, "outside years 1 to 9999; read as empty");
            return {};
        }
        days = static_cast<std::int64_t>(day) - kDayNumberOf18991230;
        ms = std::round(total - day * kMsPerDayD);
        if (ms >= kMsPerDayD) {
            ms = 0;
            ++days;
        }
    } else {
        // Julian day number and milliseconds since midnight, little-endian. Visual FoxPro writes
        // whole seconds, often a millisecond off (13:35:38.999 for 13:35:39): read to the second.
        const std::int64_t julian = le32(raw);
        const std::uint32_t msOfDay = le32(raw.substr(4));
        if (julian == 0 && msOfDay == 0) return {};
        days = julian - kJulianDayOf18991230;
        ms = msOfDay;
        if (msOfDay < kMsPerDay) {
            ms = std::round(ms / 1000.0) * 1000.0;
            if (ms >= kMsPerDayD) {
                ms = 0;
                ++days;
            }
        }
    }
    static const std::int32_t firstDay = dayOf(1, 1, 1);
    static const std::int32_t lastDay = dayOf(9999, 12, 31);
    if (days < firstDay || days > lastDay || ms < 0 || ms >= kMsPerDayD) {
        note(AnomalyKind::BadDateTime, physical, field, raw, "outside years 1 to 9999; read as empty");
        return {};
    }
    const auto whole = static_cast<std::int32_t>(ms);
    return Value(DateTime{toDateTimeNumber(Date{static_cast<std::int32_t>(days)}, Time{std::min(whole, kMsPerDay - 1)})});
}

bool DbfReader::memoBlockOf(const FieldInfo& f, std::string_view raw, std::uint64_t& block) {
    block = 0;
    if (f.length == 4) {
        block = le32(raw);
        return true;
    }
    const auto first = raw.find_first_not_of(std::string_view(" \0", 2));
    if (first == std::string_view::npos) return true;
    const auto last = raw.find_last_not_of(std::string_view(" \0", 2));
    for (const char c : raw.substr(first, last - first + 1)) {
        if (c < '0' || c > '9') return false;
        block = block * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

std::string_view DbfReader::textBytes(std::int64_t physical, int field) const {
    const FieldInfo& f = header_.fields[static_cast<std::size_t>(field)];
    // The flag first: reading it reads the record again, which may move the view's window.
    const bool counted = f.varLengthBit >= 0 && nullFlag(physical, f.varLengthBit);
    const std::string_view raw = record(physical).substr(f.offset, f.length);
    if (!counted) return raw;
    return raw.substr(0, std::min<std::size_t>(byteAt(raw, raw.size() - 1), raw.size() - 1));
}

Value DbfReader::decodeMemo(const FieldInfo& f, std::string_view raw, std::int64_t physical, int field) const {
    std::uint64_t block = 0;
    if (!memoBlockOf(f, raw, block)) {
        note(AnomalyKind::BadMemoPointer, physical, field, raw, "read as empty");
        return {};
    }
    if (block == 0) return {};
    if (block > std::numeric_limits<std::uint32_t>::max() || memo_.format() == MemoFormat::None) {
        note(AnomalyKind::MemoOutOfRange, physical, field, raw, "read as empty");
        return {};
    }
    const MemoReader::Memo m = memo_.read(static_cast<std::uint32_t>(block));
    if (m.status == MemoReader::Status::OutOfRange) {
        note(AnomalyKind::MemoOutOfRange, physical, field, raw, "past the end of the memo file; read as empty");
        return {};
    }
    if (m.status == MemoReader::Status::InsideHeader) {
        note(AnomalyKind::MemoOutOfRange, physical, field, raw,
             "block " + std::to_string(block) + " lies inside the memo file's header; read as empty");
        return {};
    }
    if (m.status == MemoReader::Status::CutShort) {
        note(AnomalyKind::MemoCutShort, physical, field, raw,
             "the memo file ends inside it; " + std::to_string(m.data.size()) + " bytes read");
    }
    if (f.translate && m.text) {
        noteDecidedText(m.data);
        return Value(codePage_->toWin1252(m.data));
    }
    return Value(std::string(m.data));
}

}  // namespace mig::dbf
