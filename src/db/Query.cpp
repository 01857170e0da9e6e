#include "db/Query.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/FbSession.h"
#include "db/FbStatement.h"

namespace envio {

void makeUniqueNames(std::vector<Column>& columns) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        int suffix = 0;
        for (std::size_t j = 0; j < i; ++j) {
            if (equalsIgnoreCase(columns[j].name, columns[i].name)) {
                std::string candidate;
                do {
                    candidate = columns[i].name + "_" + std::to_string(++suffix);
                } while ([&] {
                    for (std::size_t k = 0; k < columns.size(); ++k)
                        if (k != i && equalsIgnoreCase(columns[k].name, candidate))
                            return true;
                    return false;
                }());
                columns[i].name = candidate;
                break;
            }
        }
    }
}

Query::Query(std::string name, Connection& connection) : name_(std::move(name)), connection_(connection) {
    connection_.attachQuery(this);
}

Query::~Query() {
    try {
        close();
    } catch (...) {
        // A close during destruction has nobody left to report to.
    }
    connection_.detachQuery(this);
}

void Query::fail(const std::string& message) const {
    throw Error(name_ + ": " + message);
}

void Query::clear() {
    close();
    lines_.clear();
    params_.clear();
}

void Query::add(const std::string& line) {
    close();
    lines_.push_back(line);
    params_.clear();
}

void Query::setText(const std::string& text) {
    close();
    lines_.clear();
    lines_.push_back(text);
    params_.clear();
}

void Query::setParameters(std::vector<Value> params) {
    close();
    params_ = std::move(params);
}

std::string Query::text() const {
    std::string out;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i)
            out += "\r\n";
        out += lines_[i];
    }
    return out;
}

bool Query::hasText() const {
    for (const std::string& l : lines_)
        for (char c : l)
            if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
                return true;
    return false;
}

void Query::buildFields() {
    makeUniqueNames(columns_);
    fields_.clear();
    fields_.reserve(columns_.size());
    for (std::size_t i = 0; i < columns_.size(); ++i)
        fields_.push_back(
            std::make_unique<Field>(static_cast<FieldOwner&>(*this), static_cast<int>(i), columns_[i]));
}

void Query::open() {
    if (open_)
        return;
    if (!hasText())
        throw Error("Missing query, table name or procedure name");
    connection_.connect();
    FbSession& session = connection_.session();
    try {
        isc_tr_handle* tr;
        if (connection_.inTransaction()) {
            tr = session.explicitTransaction().handle();
        } else {
            transaction_ = std::make_unique<FbTransaction>(session.begin(true));
            tr = transaction_->handle();
        }
        if (params_.empty()) {
            ownStatement_ = std::make_unique<FbStatement>(session);
            ownStatement_->prepare(tr, text());
            statement_ = ownStatement_.get();
        } else {
            statement_ = &session.preparedStatement(tr, text(), true);
            statement_->bind(tr, params_);
        }
        columns_ = statement_->columns();
        statement_->execute(tr);
        buildFields();
        open_ = true;
        eof_ = !statement_->fetch(tr, row_);
        empty_ = eof_;
        if (eof_)
            row_.assign(columns_.size(), Value());
    } catch (...) {
        open_ = true;
        try {
            close();
        } catch (...) {
        }
        throw;
    }
}

void Query::close() {
    if (!open_ && !statement_ && !transaction_)
        return;
    open_ = false;
    eof_ = true;
    fields_.clear();
    row_.clear();
    if (statement_ && statement_ != ownStatement_.get())
        statement_->closeCursor(); // the prepared statement stays with the attachment
    statement_ = nullptr;
    ownStatement_.reset();
    if (transaction_) {
        auto tr = std::move(transaction_);
        tr->commit();
    }
}

bool Query::isEmpty() const {
    return !open_ || empty_;
}

void Query::next() {
    if (!open_)
        fail("Cannot perform this operation on a closed dataset");
    if (eof_)
        return;
    isc_tr_handle* tr =
        transaction_ ? transaction_->handle() : connection_.session().explicitTransaction().handle();
    try {
        if (!statement_->fetch(tr, row_)) {
            eof_ = true;
        }
    } catch (...) {
        try {
            close();
        } catch (...) {
        }
        throw;
    }
}

std::int64_t Query::execSQL() {
    if (open_)
        fail("Cannot perform this operation on an open dataset");
    if (!hasText())
        fail("No SQL statement available");
    return connection_.execute(text());
}

Field& Query::field(int index) {
    if (index < 0 || index >= static_cast<int>(fields_.size()))
        throw Error("List index out of bounds (" + std::to_string(index) + ")");
    return *fields_[static_cast<std::size_t>(index)];
}

Field* Query::findField(std::string_view name) {
    for (auto& f : fields_)
        if (equalsIgnoreCase(f->name(), name))
            return f.get();
    return nullptr;
}

Field& Query::fieldByName(std::string_view name) {
    if (Field* f = findField(name))
        return *f;
    fail("Field '" + std::string(name) + "' not found");
}

const Value& Query::fieldValue(int index) const {
    static const Value null;
    if (!open_ || index < 0 || static_cast<std::size_t>(index) >= row_.size())
        return null;
    return row_[static_cast<std::size_t>(index)];
}

void Query::assignFieldValue(int, Value) {
    fail("Dataset not in edit or insert mode");
}

std::vector<std::vector<Value>> Query::readAll(std::vector<Column>& columns) {
    open();
    std::vector<std::vector<Value>> rows;
    try {
        columns = columns_;
        isc_tr_handle* tr =
            transaction_ ? transaction_->handle() : connection_.session().explicitTransaction().handle();
        if (!eof_) {
            rows.push_back(std::move(row_));
            std::vector<Value> row;
            while (statement_->fetch(tr, row))
                rows.push_back(std::move(row));
        }
    } catch (...) {
        try {
            close();
        } catch (...) {
        }
        throw;
    }
    close();
    return rows;
}

} // namespace envio
