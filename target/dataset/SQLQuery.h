#pragma once
// The data module's free query (`SQLQuery1`): a statement given at run time, opened on the
// connection and read forward row by row; its fields are the result's columns, blobs read
// whole. Read only.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "target/db/SQLConnection.h"
#include "target/field/Field.h"
#include "target/field/RecordSet.h"

namespace mig {

class SQLQuery : public RecordSet {
public:
    SQLQuery(std::string name, db::SQLConnection& connection);
    ~SQLQuery() override;
    SQLQuery(const SQLQuery&) = delete;
    SQLQuery& operator=(const SQLQuery&) = delete;

    // The statement; changing it closes the query.
    const std::string& SQL() const { return sql_; }
    void setSQL(std::string sql);

    // Runs the statement and stands on its first row; nothing happens when open.
    void Open();
    void Close();
    bool Active() const { return statement_ != nullptr; }
    bool Eof() const { return eof_; }
    void Next();
    // Statements run since the query was made: each Open that ran one.
    int runs() const { return runs_; }

    Field* FindField(std::string_view fieldName) override;
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    Field& Fields(int index);

private:
    class QueryField;
    void fetch();

    db::SQLConnection& connection_;
    std::string sql_;
    std::unique_ptr<db::Transaction> ownTransaction_;
    std::unique_ptr<db::Statement> statement_;
    std::vector<std::unique_ptr<QueryField>> fields_;
    std::vector<Value> row_;
    bool eof_ = true;
    int runs_ = 0;
};

}  // namespace mig
