#pragma once
// A demo legacy folder: the twelve tables of the legacy product filled with made-up but
// plausible data of a Brazilian compounding pharmacy, written as the DOS-era product wrote
// them (dBase III and IV files, text in code page 850, language driver byte 0x02).
//
//   auto tables = mig::demo::makeTables({.seed = 7, .records = 300});
//   for (const auto& t : tables) mig::demo::writeTable(t, folder);
//
// Deterministic: the same seed and size give the same bytes on every machine. Each table has
// `records` live records plus a few deleted ones, and a few of each imperfection a real folder
// has: names longer than the target's fields, empty phones, physicians without a registration
// number, customers without a birth date, one customer code used twice.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/dbf/DbfWriter.h"

namespace mig::demo {

struct Options {
    std::uint64_t seed = 2015;
    int records = 300;  // live records per table (suppliers stop at 9,999: their code has four characters)
};

struct Record {
    std::vector<std::string> cells;  // WIN1252 text of each field as stored (cut to the field's length)
    bool deleted = false;
};

struct Table {
    std::string component;  // the legacy table's component name: "Clientes"
    std::string fileName;   // the file's name without extension, as written: "QTR13"
    std::uint8_t version = 0x03;
    std::vector<dbf::FieldSpec> fields;
    std::vector<Record> records;  // in file order, deleted ones included

    int fieldIndex(std::string_view name) const;  // -1 when the table has no such field
    int liveCount() const;
};

// The twelve tables in the order of the main window's rows.
std::vector<Table> makeTables(const Options& options);

// Writes `<folder>/<fileName>.DBF` (and its .DBT when the table has a memo field) in code page
// 850 with the language driver 0x02. The folder must exist.
void writeTable(const Table& table, const std::string& folder);

// Creates the folder if needed and writes every table; returns them.
std::vector<Table> writeDemoFolder(const std::string& folder, const Options& options);

}  // namespace mig::demo
