#pragma once
// A migration end to end: legacy files written into a folder of the test's own, the data module
// over a fresh embedded database, the pair opened as its preview opens it, and the rows the
// server holds afterwards read through a second attachment.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/UDM.h"
#include "legacy/LegacyTable.h"
#include "legacy/LegacyTables.h"
#include "migrations/Migration.h"
#include "migrations/Procedure.h"
#include "tests/support/TestDatabase.h"
#include "tools/dbf/DbfWriter.h"

namespace mig::test {

// WIN1252 text from a UTF-8 literal.
std::string w(std::string_view utf8);
// A value read from the server as the tests compare it: text as stored, numbers in digits with
// "." ("<null>" for null). Cast decimals to text in the query to see their scale.
std::string show(const Value& value);

class MigrationTest : public ::testing::Test {
protected:
    MigrationTest() { dm.SQLConnection1.Params().setValue("DataBase", database.path()); }

    // Writes the legacy table of that component into the legacy folder.
    void writeLegacy(std::string_view component, const dbf::DbfWriter& writer) {
        const LegacyTableInfo* info = findLegacyTable(component);
        ASSERT_NE(info, nullptr);
        writer.writeFiles(legacy.path() + "/" + std::string(info->fileName) + ".DBF");
    }

    // Opens the pair of that migrate button as its preview does and runs the migration.
    MigrationReport migrate(std::string_view migrateButton) {
        const MigrationDef* def = findMigration(migrateButton);
        EXPECT_NE(def, nullptr);
        table = std::make_unique<LegacyTable>(std::string(def->legacyTable),
                                              std::string(findLegacyTable(def->legacyTable)->fileName), legacy.path());
        table->Open();
        ClientDataSet& target = dm.chain(def->targetDataSet)->dataSet;
        target.Close();
        target.Open();
        return runMigration(*def, *table, target, dm.SQLQuery1);
    }

    ClientDataSet& dataSet(std::string_view name) { return dm.chain(name)->dataSet; }

    // Every row of a query, each column as text ("<null>" for null), as committed.
    std::vector<std::vector<std::string>> rows(std::string_view sql) {
        auto attachment = database.attach();
        auto tx = attachment->startTransaction();
        auto statement = attachment->prepare(*tx, sql);
        statement->open(*tx);
        std::vector<std::vector<std::string>> out;
        while (statement->fetch()) {
            std::vector<std::string> row;
            for (int c = 0; c < static_cast<int>(statement->columns().size()); ++c) {
                row.push_back(show(statement->value(c)));
            }
            out.push_back(std::move(row));
        }
        return out;
    }
    // The first column of every row.
    std::vector<std::string> column(std::string_view sql) {
        std::vector<std::string> out;
        for (auto& r : rows(sql)) out.push_back(r.at(0));
        return out;
    }
    void exec(std::string_view sql) { database.attach()->executeImmediate(sql); }

    TestDatabase database;
    TempFolder legacy;
    TDM dm;
    std::unique_ptr<LegacyTable> table;
};


}  // namespace mig::test
