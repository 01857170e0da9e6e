#include "db/FieldLayout.h"

#include "db/Error.h"
#include "db/NumberText.h"
#include "db/ParameterList.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace envio {

namespace {

bool sameTypeKind(FieldType expected, FieldType actual) {
    auto family = [](FieldType t) {
        switch (t) {
        case FieldType::Integer:
            return 0;
        case FieldType::LargeInt:
            return 1;
        case FieldType::ShortDecimal:
        case FieldType::ExactDecimal:
            return 2;
        case FieldType::Float:
            return 3;
        case FieldType::String:
            return 4;
        case FieldType::Date:
            return 5;
        case FieldType::Time:
            return 6;
        case FieldType::DateTime:
            return 7;
        case FieldType::TextBlob:
            return 8;
        case FieldType::BinaryBlob:
            return 9;
        }
        return -1;
    };
    return family(expected) == family(actual);
}

std::string stripName(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.erase(s.begin());
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    const auto space = s.find_first_of(" \t\r\n");
    if (space != std::string::npos)
        s = s.substr(0, space);
    const auto dot = s.rfind('.');
    if (dot != std::string::npos)
        s = s.substr(dot + 1);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        s = s.substr(1, s.size() - 2);
    return s;
}

} // namespace

void FieldLayout::fail(const std::string& message) const {
    throw Error(owner_.ownerName() + ": " + message);
}

const LookupDef& FieldLayout::lookupOf(const Field& lookupField) const {
    return lookupDefs_[static_cast<std::size_t>(lookupField.index()) - (fields_.size() - lookupDefs_.size())];
}

void FieldLayout::build(const std::vector<Column>& columns) {
    std::vector<std::unique_ptr<Field>> fields;
    std::vector<int> columnOf;
    if (fixedDefs_.empty()) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            fields.push_back(std::make_unique<Field>(owner_, static_cast<int>(i), columns[i]));
            columnOf.push_back(static_cast<int>(i));
        }
    } else {
        for (const FieldDef& def : fixedDefs_) {
            const std::string shown = def.label.empty() ? def.name : def.label;
            auto it = std::find_if(columns.begin(), columns.end(),
                                   [&](const Column& c) { return equalsIgnoreCase(c.name, def.name); });
            if (it == columns.end())
                fail("Field '" + shown + "' not found");
            if (!sameTypeKind(def.type, it->type))
                fail("Type mismatch for field '" + shown + "', expecting: " + fieldTypeName(def.type) +
                     " actual: " + fieldTypeName(it->type));
            Column c = *it;
            c.name = def.name;
            c.type = def.type;
            if (def.type == FieldType::String) {
                c.size = def.size;
                c.fixedLength = def.fixedLength;
            }
            c.required = def.required;
            fields.push_back(std::make_unique<Field>(owner_, static_cast<int>(fields.size()), c, def.label));
            columnOf.push_back(static_cast<int>(it - columns.begin()));
        }
    }
    for (const LookupDef& l : lookupDefs_) {
        Column c;
        c.name = l.name;
        c.type = FieldType::String;
        c.size = l.size;
        c.readOnly = true;
        fields.push_back(std::make_unique<Field>(owner_, static_cast<int>(fields.size()), c, l.label,
                                                 Field::Kind::Lookup));
        columnOf.push_back(-1);
    }
    // Reopening over the same layout keeps the Field objects, so that callers holding one stay valid.
    const bool sameLayout =
        fields_.size() == fields.size() &&
        std::equal(fields_.begin(), fields_.end(), fields.begin(), [](const auto& a, const auto& b) {
            return a->name() == b->name() && a->kind() == b->kind() && a->displayLabel() == b->displayLabel();
        });
    if (sameLayout) {
        for (std::size_t i = 0; i < fields.size(); ++i)
            fields_[i]->setColumn(fields[i]->column());
    } else {
        fields_ = std::move(fields);
    }
    columnOf_ = std::move(columnOf);
}

void FieldLayout::markIndexFields(const std::string& statement) {
    for (auto& f : fields_)
        f->setIndexField(false);
    const std::string upper = toUpperAscii(statement);
    std::size_t pos = std::string::npos;
    for (std::size_t p = upper.find("ORDER"); p != std::string::npos; p = upper.find("ORDER", p + 1)) {
        std::size_t q = p + 5;
        while (q < upper.size() && std::isspace(static_cast<unsigned char>(upper[q])))
            ++q;
        if (upper.compare(q, 2, "BY") == 0 &&
            (p == 0 || std::isspace(static_cast<unsigned char>(upper[p - 1]))))
            pos = q + 2;
    }
    if (pos == std::string::npos)
        return;
    std::string list = statement.substr(pos);
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = list.find(',', start);
        const std::string item =
            stripName(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (Field* f = find(item)) {
            f->setIndexField(true);
        } else if (const std::optional<Value> number =
                       parseNumberText(item, NumberSyntax{'.', 0, NumberSyntax::Blanks::None,
                                                          NumberSyntax::Reading::IntegerOnly});
                   number && item.size() < 4 && item.front() != '+' && item.front() != '-') {
            // ORDER BY 2: the second result column.
            const int column = static_cast<int>(number->asInteger()) - 1;
            for (auto& candidate : fields_)
                if (columnOf_[static_cast<std::size_t>(candidate->index())] == column)
                    candidate->setIndexField(true);
        }
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
}

Field* FieldLayout::find(std::string_view name) const {
    for (auto& f : fields_)
        if (equalsIgnoreCase(f->name(), name))
            return f.get();
    return nullptr;
}

std::size_t FieldLayout::rowWidth(std::size_t columnCount) const {
    std::size_t width = columnCount;
    for (int c : columnOf_)
        width = std::max<std::size_t>(width, static_cast<std::size_t>(c + 1));
    return width;
}

} // namespace envio
