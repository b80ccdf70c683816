#pragma once
// Reads the records of a dBase table from its bytes (and its memo file's bytes): records in
// natural order, deleted ones skipped, every value decoded into a field value of its kind.
// Nothing here opens a file; DbfFile opens the files and hands them over as byte sources.
//
// Record numbers: a "physical" number counts every record slot of the file from 0; a "row"
// counts only the records served (those not marked deleted), from 0.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "legacy/dbf/Anomaly.h"
#include "legacy/dbf/ByteSource.h"
#include "legacy/dbf/DbfHeader.h"
#include "legacy/dbf/MemoReader.h"
#include "target/field/Value.h"

namespace mig {
class CodePage;
}

namespace mig::dbf {

struct ReadOptions {
    // Code page of the text, whatever the file records (a known code page's number). 0: the
    // code page the file records; for a file that records none, or a level-7 driver name this
    // program does not know, the one its text is written in, decided from a sample of it
    // (CodePageEvidence); a file whose driver byte names an unknown code page fails to open.
    int codePage = 0;
};

// How the code page of a file's text was settled.
enum class CodePageSource : std::uint8_t {
    Recorded,  // the file records it
    Named,     // ReadOptions::codePage named it
    Decided,   // the file records none: decided from its text
};

class DbfReader {
public:
    // `dbf` and `memo` must outlive the reader. `memoFormat` is None when the table has no
    // memo file. Fails with DataError naming `fileName` for a bad header.
    DbfReader(std::string_view dbf, std::string_view memo, MemoFormat memoFormat, std::string fileName,
              const ReadOptions& options = {})
        : DbfReader(ByteSource(dbf), ByteSource(memo), memoFormat, std::move(fileName), options) {}
    // The same over byte sources (files read on demand). A file cut short after it was opened
    // fails the reads that reach past its new end with DataError naming the file.
    DbfReader(ByteSource dbf, ByteSource memo, MemoFormat memoFormat, std::string fileName,
              const ReadOptions& options = {});

    const Header& header() const { return header_; }
    const std::string& fileName() const { return fileName_; }
    const CodePage& codePage() const { return *codePage_; }
    CodePageSource codePageSource() const { return codePageSource_; }
    // True when the code page was decided from the text and text with bytes above 0x7F was
    // met (in the sample it was decided from, or in a value read since): then the decision
    // made a difference to what was read.
    bool decidedTextRead() const { return decidedTextRead_; }

    int fieldCount() const { return static_cast<int>(header_.fields.size()); }
    const FieldInfo& field(int index) const { return header_.fields[static_cast<std::size_t>(index)]; }
    // Index of the field of that name, compared without regard to case; -1 when none.
    int fieldIndex(std::string_view name) const;

    // Record slots the file holds in full, up to the header's count.
    std::int64_t physicalCount() const { return physicalCount_; }
    // Records served: the physical ones not marked deleted.
    std::int64_t rowCount() const { return physicalCount_ - static_cast<std::int64_t>(deleted_.size()); }
    bool isDeleted(std::int64_t physical) const;
    std::int64_t physicalOfRow(std::int64_t row) const;
    std::int64_t rowOfPhysical(std::int64_t physical) const;  // for a record not deleted
    // The first record served at or after `physical`; physicalCount() when none.
    std::int64_t nextServed(std::int64_t physical) const;

    // The bytes of one record (flag byte first) and of one field in it, valid until the next
    // read of the table.
    std::string_view record(std::int64_t physical) const;
    std::string_view rawField(std::int64_t physical, int field) const;

    // The value of a field of a record (physical < physicalCount()), decoded into the alternative of the field's kind;
    // std::monostate for an empty (null) value. Records an anomaly where the bytes cannot be
    // read, once per record and field.
    Value value(std::int64_t physical, int field) const;
    // The text of a character field ('C') of a record, as value() decodes it, without a copy
    // where the file's bytes are the text: valid until the next read of the table or the next
    // change of `scratch`, which holds a converted text. Nothing for fields of other types.
    std::optional<std::string_view> text(std::int64_t physical, int field, std::string& scratch) const;

    // Anomalies found so far: those of the file as a whole and of record flags when the
    // reader is made, those of values as they are read.
    const std::vector<Anomaly>& anomalies() const { return anomalies_; }

    // The sample that decides a code page: kSampleStretches runs of consecutive records
    // served, spread evenly from the first record to the last, together at most kSampleRecords
    // records and kSampleBytes bytes of records, with the first kSampleMemos / kSampleStretches
    // text memos of each run, up to kSampleMemoBytes of each.
    static constexpr std::int64_t kSampleStretches = 8;
    static constexpr std::int64_t kSampleRecords = 2048;
    static constexpr std::int64_t kSampleBytes = 256 * 1024;
    static constexpr int kSampleMemos = 64;
    static constexpr std::size_t kSampleMemoBytes = 8 * 1024;

private:
    void scanRecords();
    void chooseCodePage(const ReadOptions& options);
    // Code page of the text of the records (and memos) of a sample of the file.
    int decideCodePage() const;
    // Notes that text with bytes above 0x7F was read from a file whose code page was decided.
    void noteDecidedText(std::string_view text) const;
    // An anomaly of the file or of a record (`record` numbered from 1, 0 for the whole file).
    void noteFile(AnomalyKind kind, std::int64_t record, std::string_view raw, std::string detail) const;
    // An anomaly of one value, noted once per record and field.
    void note(AnomalyKind kind, std::int64_t physical, int field, std::string_view raw, std::string detail) const;

    // The bytes of a character field, of a variable-length one up to the length it records.
    std::string_view textBytes(std::int64_t physical, int field) const;
    // The block number of a memo field's bytes (0 for none); false when they are no number.
    static bool memoBlockOf(const FieldInfo& f, std::string_view raw, std::uint64_t& block);

    // The text of a character field's bytes, before any conversion: up to the first NUL,
    // without trailing blanks.
    static std::string_view characterText(std::string_view raw);
    // Whether that text of field `f` goes through the code page's table, and the conversion.
    bool convertsText(const FieldInfo& f, std::string_view text) const;
    void convertText(std::string& text) const;
    Value decodeText(const FieldInfo& f, std::string_view raw) const;
    Value decodeNumber(const FieldInfo& f, std::string_view raw, std::int64_t physical, int field) const;
    Value decodeDate(std::string_view raw, std::int64_t physical, int field) const;
    Value decodeLogical(std::string_view raw, std::int64_t physical, int field) const;
    Value decodeMemo(const FieldInfo& f, std::string_view raw, std::int64_t physical, int field) const;
    Value decodeDateTime(const FieldInfo& f, std::string_view raw, std::int64_t physical, int field) const;
    bool nullFlag(std::int64_t physical, int bit) const;

    ByteSource dbf_;
    std::string fileName_;
    Header header_;
    MemoReader memo_;
    const CodePage* codePage_ = nullptr;
    CodePageSource codePageSource_ = CodePageSource::Recorded;
    mutable bool decidedTextRead_ = false;
    std::int64_t physicalCount_ = 0;
    std::vector<std::uint32_t> deleted_;  // physical numbers of deleted records, ascending
    mutable std::vector<Anomaly> anomalies_;
    mutable std::unordered_set<std::uint64_t> noted_;  // record and field of each value anomaly
};

// Parsing of the text of N and F fields, exposed for its tests.
enum class NumberText : std::uint8_t { Ok, Empty, Overflow, Bad };
struct ParsedNumber {
    NumberText status = NumberText::Empty;
    double value = 0;
    bool integral = false;   // written without fraction or exponent
    std::int64_t integer = 0;  // the value when integral and within 18 digits
};
// Blanks and NULs around the number are ignored; "," is taken as the decimal point like ".";
// an exponent is accepted; a value of "*" characters is an overflow.
ParsedNumber parseNumberText(std::string_view raw);

}  // namespace mig::dbf
