#pragma once

#include "db/Column.h"
#include "db/FieldType.h"
#include "db/Value.h"

#include <cstdint>
#include <string>

namespace envio {

// A fixed-point amount with four decimals: the value times 10000.
struct Currency {
    std::int64_t units = 0;
    static Currency fromUnits(std::int64_t u) { return Currency{u}; }
    bool operator==(const Currency&) const = default;
};

// What a field reads its value from and writes it into: the current row of a query or a staged dataset.
class FieldOwner {
public:
    virtual ~FieldOwner() = default;
    virtual const Value& fieldValue(int index) const = 0;
    virtual void assignFieldValue(int index, Value value) = 0;
    virtual const std::string& ownerName() const = 0;
};

// One column of the current row, with the typed accessors.
class Field {
public:
    enum class Kind { Data, Lookup };

    Field(FieldOwner& owner, int index, Column column, std::string displayLabel = {}, Kind kind = Kind::Data);

    const std::string& name() const { return column_.name; }
    const std::string& displayLabel() const { return displayLabel_; }
    const std::string& displayName() const { return displayLabel_.empty() ? column_.name : displayLabel_; }
    FieldType type() const { return column_.type; }
    int size() const { return column_.size; }
    int precision() const { return column_.precision; }
    int scale() const { return column_.scale; }
    bool fixedLength() const { return column_.fixedLength; }
    bool required() const { return column_.required; }
    bool readOnly() const { return column_.readOnly || kind_ == Kind::Lookup; }
    bool isIndexField() const { return indexField_; }
    Kind kind() const { return kind_; }
    int index() const { return index_; }
    const Column& column() const { return column_; }

    bool isNull() const;
    const Value& value() const { return owner_.fieldValue(index_); }

    std::string AsString() const;
    std::int64_t AsInteger() const;
    Currency AsCurrency() const;
    Value AsVariant() const;

    void setAsString(const std::string& text);
    void setAsInteger(std::int64_t v);
    void setAsCurrency(Currency v);
    void setAsVariant(const Value& v);
    void clear();

    // Converts a value to this field's type as a write would; raises the write's failure.
    Value convert(const Value& v) const;

    void setIndexField(bool on) { indexField_ = on; }
    void setColumn(Column c) { column_ = std::move(c); }

private:
    [[noreturn]] void invalidValue() const;
    Value fromText(const std::string& text) const;
    void store(Value v);

    FieldOwner& owner_;
    int index_;
    Column column_;
    std::string displayLabel_;
    Kind kind_;
    bool indexField_ = false;
};

} // namespace envio
