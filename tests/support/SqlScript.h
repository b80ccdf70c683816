#pragma once
// SQL scripts for the tests and the benchmarks: the target schema (sql/schema.sql) and other
// files of statements separated by ";", run one statement at a time. The program itself never
// runs a script.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "target/db/Attachment.h"

namespace mig::test {

// The statements of a script: split at the semicolons that stand outside quotes and comments,
// leaving out the pieces that hold only comments and white space.
std::vector<std::string_view> splitSqlScript(std::string_view script);

// Runs each statement of the script in a transaction of its own, committed before the next.
void runSqlScript(db::Attachment& attachment, std::string_view script);

// The text of sql/schema.sql: the target tables.
std::string targetSchema();

// Creates an empty database with the target tables (`params.database`, the embedded engine's
// when it names a local file) and returns the attachment it was made through.
std::unique_ptr<db::Attachment> createTargetDatabase(const db::AttachParams& params);

}  // namespace mig::test
