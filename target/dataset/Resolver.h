#pragma once
// Turns cached changes into SQL text: the table name found in a SELECT, names quoted with the
// connection's quote character, and the INSERT, UPDATE and DELETE statements of an apply
// (key-only WHERE part). Knows nothing of the database; every line ends with CR LF.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "target/dataset/FieldMask.h"

namespace mig {

// The first name after the keyword FROM of the outermost query, the parts of a dotted name
// joined by points; nothing when there is none (a derived table, no FROM at all).
std::optional<std::string> tableNameFromSelect(std::string_view select);

// A name that already begins or ends with a double, single or back quote is used as it is;
// otherwise each dotted part is enclosed in `quote`. `quote` '\0' leaves names bare.
std::string quoteTableName(std::string_view name, char quote);
std::string quoteFieldName(std::string_view name, char quote);

struct ResolverField {
    std::string name;  // the server column, which is the field's name
    bool key = false;
    bool blob = false;  // blobs never take part in a WHERE part
};

class Resolver {
public:
    Resolver(std::string_view select, std::vector<ResolverField> fields, char quote);

    const std::vector<ResolverField>& fields() const { return fields_; }
    bool hasTable() const { return table_.has_value(); }
    // The quoted table name; fails with "Unable to resolve records.  Table name not found."
    const std::string& quotedTable() const;

    // `listed`: the fields the row gives a value (an explicit null counting as one).
    std::string insertSql(const FieldMask& listed) const;
    // `changed`: the fields whose value changed. `nullKeys`: key fields whose value as read was
    // null. Both fail with "Unable to find record.  No key specified" when no field is a key.
    std::string updateSql(const FieldMask& changed, const FieldMask& nullKeys) const;
    std::string deleteSql(const FieldMask& nullKeys) const;

    // The key fields of the WHERE part, in field order (keys that are not blobs).
    const std::vector<int>& whereFields() const { return whereFields_; }

private:
    void appendWhere(std::string& sql, const FieldMask& nullKeys) const;

    std::optional<std::string> table_;
    std::vector<ResolverField> fields_;
    std::vector<std::string> quoted_;
    std::vector<int> whereFields_;
};

}  // namespace mig
