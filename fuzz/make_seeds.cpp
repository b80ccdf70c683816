// Writes the seed corpus of each fuzz target into <folder>/<target>/: dBase tables of every
// version and field type made with the dBase writer of the test fixtures (memo files, deleted
// records, code pages, damaged headers among them), configuration files, and texts of the
// field layer's syntaxes.
//
//   make_seeds <folder>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "tools/dbf/DbfWriter.h"

namespace {

namespace fs = std::filesystem;
using mig::dbf::Cell;
using mig::dbf::DbfWriter;
using W = DbfWriter;

void put(const fs::path& folder, const std::string& name, const std::string& bytes) {
    fs::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary) << bytes;
}

void putTable(const fs::path& folder, const std::string& name, const DbfWriter& w) {
    std::uint8_t flags = 0;
    if (!w.hasMemo()) flags |= mig::fuzz::kNoMemoFile;
    else if (w.memoExtension() == ".FPT") flags |= mig::fuzz::kFoxProMemo;
    put(folder, name, mig::fuzz::joinTable(flags, w.dbfBytes(), w.memoBytes()));
}

void tables(const fs::path& folder) {
    {
        DbfWriter w(0x03, {{"GRPCODIGO", 'N', 3}, {"GRPDESCRI", 'C', 30}, {"VALOR", 'N', 8, 2}, {"DATA", 'D'},
                           {"ATIVO", 'L'}});
        w.add({"1", "CAPSULA", "12.50", "20240229", "T"}).addDeleted({"2", "POMADA", "-3", "", "F"});
        w.add({"3", "  XAROPE", "*****", "20231301", "?"}).add({"x", "", "1,5", "19991231", "X"});
        putTable(folder, "dbase3", w);
    }
    {
        DbfWriter w(0x83, {{"CLICODIGO", 'N', 6}, {"CLINOMECO", 'C', 40}, {"CLIOBSMAN", 'M'}});
        w.languageDriver(0x02);
        w.add({"1", "JO\x80O DA SILVA", "cliente antigo\r\nsegunda linha"}).add({"2", "MARIA", ""});
        w.addDeleted({"3", "APAGADO", "memo de registro apagado"});
        putTable(folder, "dbase3-memo-cp850", w);
    }
    {
        DbfWriter w(0x8B, {{"POSCODIGO", 'C', 6}, {"POSDESCRI", 'M'}, {"FATOR", 'F', 10, 3}, {"DATA", 'D'}});
        w.memoBlockSize(64).add({"1", std::string(300, 'A'), "-1.5E+03", "20200101"}).add({"2", "curto", "", ""});
        putTable(folder, "dbase4-memo", w);
    }
    {
        DbfWriter w(0xF5, {{"EMBNOMECO", 'C', 20}, {"EMBOBS", 'M'}, {"EMBESTMIN", 'N', 10}});
        w.add({"FRASCO", "texto da FoxPro", "10"}).add({"CAIXA", "", "0"});
        putTable(folder, "foxpro-memo", w);
    }
    {
        DbfWriter w(0x30, {{"ID", 'I'}, {"PRECO", 'B'}, {"SALDO", 'Y'}, {"QUANDO", 'T'}, {"NOME", 'V', 10, 0, 0x02},
                           {"OBS", 'M'}, {"FOTO", 'G'}});
        w.add({W::int32LE(-7), W::doubleLE(2.5), W::currency(123456), W::julianDateTime(W::julianDay(2024, 3, 1), 3600000),
               "ABC", "memo visual", "bytes\x01\x02"});
        w.add({W::int32LE(1), W::doubleLE(-0.0), W::currency(-1), W::julianDateTime(0, 0), std::nullopt, "", ""});
        putTable(folder, "visualfoxpro", w);
    }
    {
        DbfWriter w(0x04, {{"DESCRICAO_COMPLETA", 'C', 12}, {"QTD", 'I'}, {"PESO", 'O'}, {"EM", '@'}, {"SEQ", '+'}});
        w.level7(true).driverName("DB850PT0");
        w.add({"primeiro", W::level7Long(-7), W::level7Double(-2.5),
               W::level7Timestamp(W::julianDay(2024, 3, 1), 6 * 3600000), W::level7Long(1)});
        w.add({"segundo", Cell::bytes(std::string(4, '\0')), W::level7Double(0.00005), Cell::bytes(std::string(8, '\0')),
               W::level7Long(2)});
        putTable(folder, "level7", w);
    }
    {
        // No code page recorded: the engine decides it from a sample of the text and memos.
        DbfWriter w(0x83, {{"CLINOMECO", 'C', 30}, {"CLIOBSERV", 'M'}});
        w.add({"JO\xC7O DA CONCEI\x80\xC7O", "Observa\x87\xC6o: pagar\xA0 \x85 vista"}).add({"Jos\x82", ""});
        w.add({"PRE\xC7O \xB5g \xBA \xC9\x81\x90", "\xC4\xCD\xB3"}).addDeleted({"Farm\xA0" "cia", "x"});
        putTable(folder, "dbase3-unmarked-cp850", w);
    }
    {
        DbfWriter w(0x8C, {{"NOME", 'C', 12}, {"QUANDO", '@'}, {"PESO", 'O'}});
        w.driverName("DBXYZ0").add({"S\xC7O JOS\x90", W::level7Timestamp(W::julianDay(1900, 1, 1), 0), W::level7Double(1)});
        putTable(folder, "level7-unknown-driver", w);
        DbfWriter o(0x03, {{"PESO", 'O'}, {"V", 'C', 4}});
        o.add({W::doubleLE(1.5), "a"}).add({W::level7Double(-2), "b"}).add({Cell::bytes(std::string(8, '\xFF')), "c"});
        putTable(folder, "dbase3-binary-double", o);
    }
    {
        DbfWriter w(0x32, {{"NOME", 'V', 10, 0, 0x04}, {"QUANDO", 'T'}});
        w.add({"texto", W::julianDateTime(W::julianDay(2024, 3, 1), 13 * 3600000 + 35 * 60000 + 38999)});
        putTable(folder, "visualfoxpro-binary-varchar", w);
    }
    {
        DbfWriter w(0x03, {{"NOME", 'C', 8}, {"N", 'N', 5}});
        w.add({"a", "1"}).add({"b", "2"}).add({"c", "3"});
        w.headerRecordCount(9).omitTerminator().omitEndMark();
        std::string dbf = w.dbfBytes();
        putTable(folder, "damaged-count", w);
        put(folder, "cut-inside-record", mig::fuzz::joinTable(mig::fuzz::kNoMemoFile, dbf.substr(0, dbf.size() - 4), ""));
        put(folder, "cut-inside-header", mig::fuzz::joinTable(mig::fuzz::kNoMemoFile, dbf.substr(0, 40), ""));
    }
    {
        DbfWriter w(0x03, {{"NOME", 'C', 4}});
        w.add({"a"}).addRaw(std::string("#bcd")).addRaw(std::string("\0cde", 4));
        putTable(folder, "bad-flags", w);
    }
}

void configs(const fs::path& folder) {
    const std::string key = "IP DO SERVIDOR CENTRAL.........................:";
    put(folder, "one-line", key + " 192.168.0.10\r\n");
    put(folder, "two-lines-last-wins", key + " 10.0.0.1\r\n" + key + "   servidor/3051   \r\n");
    put(folder, "long-value", key + " " + std::string(70, 'x') + "\n");
    put(folder, "ctrl-z", key + " 127.0.0.1\r\n\x1A" + key + " depois\r\n");
    put(folder, "lone-cr-and-tab", "[KORVELAN]\r" + key + "\t10.1.1.1\r\r\nOUTRA CHAVE: 1\n");
    put(folder, "short-key", "IP DO SERVIDOR CENTRAL:127.0.0.1\n");
}

void texts(const fs::path& folder) {
    // Settings byte, kind byte (Text 0, SmallInt 1, Word 2, Integer 3, Float 4, Currency 5,
    // Decimal 6, Date 7, Time 8, DateTime 9, Timestamp 10, Logical 11, Memo 12, Blob 13),
    // size byte, text.
    const struct {
        const char* name;
        unsigned char settings, kind, size;
        const char* text;
    } seeds[] = {
        {"integer", 0, 3, 0, "  -2147483648"},
        {"hex", 0, 3, 0, "$7FFFFFFF"},
        {"smallint", 1, 1, 0, "32767"},
        {"word", 1, 2, 0, "65535"},
        {"float-comma", 1, 4, 0, " -1,5E+03 "},
        {"currency", 0, 5, 0, "1234.5678"},
        {"decimal", 1, 6, 2 | (13 << 3), "-123456789012,34"},
        {"date-dmy", 1, 7, 0, "29/02/2024"},
        {"date-mdy", 0, 7, 0, "12/31/99"},
        {"date-iso", 2, 7, 0, "2024-02-29"},
        {"date-two-parts", 3, 7, 0, "1.3."},
        {"time", 3, 8, 0, "11:59 PM"},
        {"time-ms", 2, 8, 0, "23:59:59.999"},
        {"datetime", 1, 9, 0, "31/12/1899 13:45:00"},
        {"timestamp", 2, 10, 0, "0001-01-01 00:00:00.000"},
        {"logical", 0, 11, 0, "True"},
        {"text", 0, 0, 15, "FORMAS FARMAC\xCA" "UTICAS"},
        {"memo", 1, 12, 0, "linha 1\r\nlinha 2"},
    };
    for (const auto& s : seeds) {
        std::string bytes;
        bytes.push_back(static_cast<char>(s.settings));
        bytes.push_back(static_cast<char>(s.kind));
        bytes.push_back(static_cast<char>(s.size));
        bytes += s.text;
        put(folder, s.name, bytes);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_seeds <folder>\n";
        return 2;
    }
    const fs::path root = argv[1];
    tables(root / "fuzz_dbf");
    configs(root / "fuzz_config");
    texts(root / "fuzz_field_text");
    return 0;
}
