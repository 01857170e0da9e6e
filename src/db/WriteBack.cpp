#include "db/WriteBack.h"

#include "db/Error.h"
#include "db/ParameterList.h"

#include <cctype>

namespace envio::writeback {

namespace {

bool isWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

bool isBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Position just after a quoted run starting at `i` (a doubled quote stands for one).
std::size_t skipQuoted(const std::string& s, std::size_t i) {
    const char q = s[i];
    for (++i; i < s.size(); ++i) {
        if (s[i] != q)
            continue;
        if (i + 1 < s.size() && s[i + 1] == q) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return s.size();
}

} // namespace

std::string tableName(const std::string& statement) {
    const std::size_t n = statement.size();
    for (std::size_t i = 0; i < n;) {
        const char c = statement[i];
        // Text literals and quoted identifiers may hold the word FROM without being the keyword.
        if (c == '\'' || c == '"') {
            i = skipQuoted(statement, i);
            continue;
        }
        if (!isWordChar(c)) {
            ++i;
            continue;
        }
        std::size_t e = i;
        while (e < n && isWordChar(statement[e]))
            ++e;
        if (e - i == 4 && toUpperAscii(statement.substr(i, 4)) == "FROM") {
            std::size_t p = e;
            while (p < n && isBlank(statement[p]))
                ++p;
            std::size_t q = p;
            while (q < n && !isBlank(statement[q]) && statement[q] != ',' && statement[q] != '(' &&
                   statement[q] != ')') {
                q = statement[q] == '"' ? skipQuoted(statement, q) : q + 1;
            }
            std::string name = statement.substr(p, q - p);
            if (!name.empty() && name.back() == ';')
                name.pop_back();
            return name;
        }
        i = e;
    }
    return {};
}

std::string quoteName(const std::string& name, int dialect, bool isTable) {
    if (dialect < 3)
        return name;
    if (isTable && !name.empty() && (name.front() == '"' || name.back() == '"'))
        return name;
    std::string out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = name.find('.', start);
        std::string part = name.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        // The statement names the table as the server reads it: an unquoted name is its upper-case form,
        // which quoting would otherwise turn into a different, case-sensitive name.
        if (isTable)
            part = toUpperAscii(part);
        out += '"' + part + '"';
        if (dot == std::string::npos)
            break;
        out += '.';
        start = dot + 1;
    }
    return out;
}

bool identifiesRow(const Field& f) {
    if (f.kind() != Field::Kind::Data || isBlobType(f.type()))
        return false;
    return !(f.type() == FieldType::String && f.size() > 8190);
}

namespace {

void whereLines(std::string& text, std::vector<Value>& params, int dialect,
                const std::vector<const Field*>& keys, const std::vector<Value>& oldValues) {
    if (keys.empty())
        throw Error("Unable to find record.  No key specified");
    text += "where\r\n";
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const bool last = i + 1 == keys.size();
        const std::string name = quoteName(keys[i]->name(), dialect, false);
        if (oldValues[i].isNull()) {
            text += " " + name + " is null" + (last ? "" : " and") + "\r\n";
        } else {
            text += " " + name + " = ?" + (last ? "" : " and") + "\r\n";
            params.push_back(oldValues[i]);
        }
    }
}

} // namespace

Statement insert(const std::string& table, int dialect, const std::vector<const Field*>& fields,
                 const std::vector<Value>& values) {
    Statement s;
    s.text = "insert into " + quoteName(table, dialect, true) + "\r\n  (";
    std::string marks;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) {
            s.text += ", ";
            marks += ", ";
        }
        s.text += quoteName(fields[i]->name(), dialect, false);
        marks += "?";
    }
    s.text += ")\r\nvalues\r\n  (" + marks + ")\r\n";
    s.params = values;
    return s;
}

std::optional<Statement> update(const std::string& table, int dialect,
                                const std::vector<const Field*>& assigned,
                                const std::vector<Value>& newValues, const std::vector<const Field*>& keys,
                                const std::vector<Value>& oldValues) {
    if (assigned.empty())
        return std::nullopt;
    Statement s;
    s.text = "update " + quoteName(table, dialect, true) + "  set\r\n";
    for (std::size_t i = 0; i < assigned.size(); ++i) {
        s.text += " " + quoteName(assigned[i]->name(), dialect, false) + " = ?" +
                  (i + 1 == assigned.size() ? "" : ",") + "\r\n";
        s.params.push_back(newValues[i]);
    }
    whereLines(s.text, s.params, dialect, keys, oldValues);
    return s;
}

Statement remove(const std::string& table, int dialect, const std::vector<const Field*>& keys,
                 const std::vector<Value>& oldValues) {
    Statement s;
    s.text = "delete from " + quoteName(table, dialect, true) + " \r\n";
    whereLines(s.text, s.params, dialect, keys, oldValues);
    return s;
}

} // namespace envio::writeback
