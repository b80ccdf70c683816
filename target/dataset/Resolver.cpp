#include "target/dataset/Resolver.h"

#include "target/field/Errors.h"

namespace mig {
namespace {

constexpr std::string_view kCrLf = "\r\n";

bool isNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}
bool isNameChar(char c) { return isNameStart(c) || (c >= '0' && c <= '9') || c == '$'; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

// Skips a quoted run starting at s[i] (the opening quote); a doubled quote stands for itself.
std::size_t skipQuoted(std::string_view s, std::size_t i) {
    const char q = s[i++];
    while (i < s.size()) {
        if (s[i] == q) {
            if (i + 1 < s.size() && s[i + 1] == q) { i += 2; continue; }
            return i + 1;
        }
        ++i;
    }
    return i;
}

// Skips blanks and comments.
std::size_t skipSpace(std::string_view s, std::size_t i) {
    for (;;) {
        while (i < s.size() && isBlank(s[i])) ++i;
        if (s.substr(i, 2) == "--") {
            while (i < s.size() && s[i] != '\n') ++i;
        } else if (s.substr(i, 2) == "/*") {
            const std::size_t end = s.find("*/", i + 2);
            i = end == std::string_view::npos ? s.size() : end + 2;
        } else {
            return i;
        }
    }
}

// One part of a name at s[i]: a quoted identifier with its quotes, or a bare word.
std::size_t namePartEnd(std::string_view s, std::size_t i) {
    if (i >= s.size()) return i;
    if (s[i] == '"' || s[i] == '`') return skipQuoted(s, i);
    if (!isNameStart(s[i])) return i;
    while (i < s.size() && isNameChar(s[i])) ++i;
    return i;
}

bool isQuote(char c) { return c == '"' || c == '\'' || c == '`'; }

std::string enclose(std::string_view part, char quote) {
    std::string out;
    out.reserve(part.size() + 2);
    if (quote != '\0') out += quote;
    out += part;
    if (quote != '\0') out += quote;
    return out;
}

}  // namespace

std::optional<std::string> tableNameFromSelect(std::string_view s) {
    int depth = 0;
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c == '\'' || c == '"' || c == '`') { i = skipQuoted(s, i); continue; }
        if (s.substr(i, 2) == "--" || s.substr(i, 2) == "/*") { i = skipSpace(s, i); continue; }
        if (c == '(') { ++depth; ++i; continue; }
        if (c == ')') { --depth; ++i; continue; }
        if (!isNameStart(c)) { ++i; continue; }
        std::size_t end = i;
        while (end < s.size() && isNameChar(s[end])) ++end;
        const std::string_view word = s.substr(i, end - i);
        i = end;
        if (depth != 0 || !equalsNoCase(word, "FROM")) continue;

        // The name after FROM, with its dotted parts.
        std::size_t p = skipSpace(s, i);
        std::string name;
        for (;;) {
            const std::size_t partEnd = namePartEnd(s, p);
            if (partEnd == p) return std::nullopt;
            name.append(s.substr(p, partEnd - p));
            if (partEnd < s.size() && s[partEnd] == '.') {
                name += '.';
                p = partEnd + 1;
                continue;
            }
            return name;
        }
    }
    return std::nullopt;
}

std::string quoteTableName(std::string_view name, char quote) {
    if (name.empty() || isQuote(name.front()) || isQuote(name.back())) return std::string(name);
    std::string out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = name.find('.', start);
        out += enclose(name.substr(start, dot == std::string_view::npos ? dot : dot - start), quote);
        if (dot == std::string_view::npos) return out;
        out += '.';
        start = dot + 1;
    }
}

std::string quoteFieldName(std::string_view name, char quote) { return enclose(name, quote); }

Resolver::Resolver(std::string_view select, std::vector<ResolverField> fields, char quote)
    : fields_(std::move(fields)) {
    if (auto name = tableNameFromSelect(select)) table_ = quoteTableName(*name, quote);
    quoted_.reserve(fields_.size());
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        quoted_.push_back(quoteFieldName(fields_[i].name, quote));
        if (fields_[i].key && !fields_[i].blob) whereFields_.push_back(static_cast<int>(i));
    }
}

const std::string& Resolver::quotedTable() const {
    if (!table_) throw DataError("Unable to resolve records.  Table name not found.");
    return *table_;
}

std::string Resolver::insertSql(const FieldMask& listed) const {
    std::string sql = "insert into ";
    sql += quotedTable();
    sql += kCrLf;
    sql += "  (";
    std::string marks = "  (";
    bool first = true;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (!listed.test(i)) continue;
        if (!first) { sql += ", "; marks += ", "; }
        first = false;
        sql += quoted_[i];
        marks += '?';
    }
    sql += ')';
    sql += kCrLf;
    sql += "values";
    sql += kCrLf;
    sql += marks;
    sql += ')';
    sql += kCrLf;
    return sql;
}

void Resolver::appendWhere(std::string& sql, const FieldMask& nullKeys) const {
    if (whereFields_.empty()) throw DataError("Unable to find record.  No key specified");
    sql += "where";
    sql += kCrLf;
    for (std::size_t k = 0; k < whereFields_.size(); ++k) {
        const int i = whereFields_[k];
        sql += ' ';
        sql += quoted_[i];
        sql += nullKeys.test(i) ? " is null" : " = ?";
        if (k + 1 < whereFields_.size()) sql += " and";
        sql += kCrLf;
    }
}

std::string Resolver::updateSql(const FieldMask& changed, const FieldMask& nullKeys) const {
    const std::string& table = quotedTable();
    if (whereFields_.empty()) throw DataError("Unable to find record.  No key specified");
    std::string sql = "update ";
    sql += table;
    sql += "  set";
    sql += kCrLf;
    std::size_t last = fields_.size();
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (changed.test(i)) last = i;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (!changed.test(i)) continue;
        sql += ' ';
        sql += quoted_[i];
        sql += i == last ? " = ?" : " = ?,";
        sql += kCrLf;
    }
    appendWhere(sql, nullKeys);
    return sql;
}

std::string Resolver::deleteSql(const FieldMask& nullKeys) const {
    const std::string& table = quotedTable();
    std::string sql = "delete from ";
    sql += table;
    sql += ' ';
    sql += kCrLf;
    appendWhere(sql, nullKeys);
    return sql;
}

}  // namespace mig
