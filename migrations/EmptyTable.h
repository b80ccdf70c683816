#pragma once
// Emptying a target table from the lower grid's popup menu, decided by the caption above the
// lower grid.
#include <cstdint>
#include <span>
#include <string_view>

namespace mig {

class ClientDataSet;
class SQLQuery;
namespace db {
class SQLConnection;
}

struct EmptyCase {
    std::string_view caption;    // the lower grid's caption, UTF-8, compared exactly
    std::string_view dataSet;    // the target dataset's component name
    std::string_view statement;  // run directly on the connection
    std::string_view count;      // the number of rows the statement deletes, as the server holds them
};

// The cases in the order they are tested.
std::span<const EmptyCase> emptyCases();
// The case of that caption (exact, case-sensitive); nullptr when none.
const EmptyCase* findEmptyCase(std::string_view caption);

// The rows the case's statement would delete now, counted on the server through the free query
// (closed again however the count ends).
std::int64_t storedRows(const EmptyCase& emptyCase, SQLQuery& query);

// Closes the dataset (dropping rows never applied), runs the statement directly (committed when
// it returns) and opens the dataset again. A failing statement leaves the dataset closed.
void emptyTable(const EmptyCase& emptyCase, ClientDataSet& dataSet, db::SQLConnection& connection);

}  // namespace mig
