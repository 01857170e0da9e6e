#pragma once

#include "db/Column.h"
#include "db/Field.h"
#include "db/Value.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace envio {

class Connection;
class FbStatement;
class FbTransaction;

// One SQL statement on a connection: read forward-only, or executed.
class Query : private FieldOwner {
public:
    Query(std::string name, Connection& connection);
    ~Query() override;
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    const std::string& name() const { return name_; }
    Connection& connection() { return connection_; }

    // Statement text: lines joined with CR LF. Every change closes the query first.
    void clear();
    void add(const std::string& line);
    void setText(const std::string& text);
    std::string text() const;
    bool hasText() const;
    // Values of the statement's "?" parameters, in order. A select with parameters is prepared once per
    // attachment, however often it is opened. Changing the text drops them.
    void setParameters(std::vector<Value> params);

    void open();
    void close();
    bool isOpen() const { return open_; }
    bool isEmpty() const;
    bool eof() const { return eof_; }
    void next();
    std::int64_t execSQL();

    int fieldCount() const { return static_cast<int>(fields_.size()); }
    Field& field(int index);
    Field& fieldByName(std::string_view name);
    Field* findField(std::string_view name);
    const std::vector<Column>& columns() const { return columns_; }

    // Opens the statement, reads every row and closes it again (for providers).
    std::vector<std::vector<Value>> readAll(std::vector<Column>& columns);

    // Called by the connection when it disconnects.
    void connectionClosing() { close(); }

private:
    const Value& fieldValue(int index) const override;
    void assignFieldValue(int index, Value value) override;
    const std::string& ownerName() const override { return name_; }
    [[noreturn]] void fail(const std::string& message) const;
    void buildFields();

    std::string name_;
    Connection& connection_;
    std::vector<std::string> lines_;
    std::unique_ptr<FbTransaction> transaction_;
    std::unique_ptr<FbStatement> ownStatement_;
    FbStatement* statement_ = nullptr; // the own one, or one the attachment keeps prepared
    std::vector<Value> params_;
    std::vector<Column> columns_;
    std::vector<std::unique_ptr<Field>> fields_;
    std::vector<Value> row_;
    bool open_ = false;
    bool eof_ = true;
    bool empty_ = true;
};

// Field names of a result: a repeated name gets "_1", "_2", ... appended.
void makeUniqueNames(std::vector<Column>& columns);

} // namespace envio
