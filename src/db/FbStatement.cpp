#include "db/FbStatement.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/SqlTypes.h"

#include <algorithm>
#include <cstdlib>

namespace envio {

namespace {

struct SqldaDeleter {
    void operator()(XSQLDA* p) const { std::free(p); }
};
using SqldaPtr = std::unique_ptr<XSQLDA, SqldaDeleter>;

SqldaPtr makeSqlda(int n) {
    const int count = n < 1 ? 1 : n;
    auto* p = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(count)));
    if (!p)
        throw std::bad_alloc();
    p->version = SQLDA_VERSION1;
    p->sqln = static_cast<short>(count);
    return SqldaPtr(p);
}

// Blobs read and written through the statement's connection and transaction.
class StatementBlobs : public BlobAccess {
public:
    StatementBlobs(FbSession& session, isc_tr_handle* tr) : session_(session), tr_(tr) {}

    std::string read(const ISC_QUAD& id) override {
        ISC_QUAD blobId = id;
        isc_blob_handle blob = 0;
        ISC_STATUS_ARRAY status{};
        if (isc_open_blob2(status, session_.db(), tr_, &blob, &blobId, 0, nullptr))
            session_.owner().raiseStatus(status);
        std::string content;
        char segment[32768];
        for (;;) {
            unsigned short got = 0;
            const ISC_STATUS rc = isc_get_segment(status, &blob, &got, sizeof segment, segment);
            if (rc == 0 || status[1] == isc_segment) {
                content.append(segment, got);
                continue;
            }
            if (status[1] == isc_segstr_eof)
                break;
            ISC_STATUS_ARRAY ignored{};
            isc_close_blob(ignored, &blob);
            session_.owner().raiseStatus(status);
        }
        isc_close_blob(status, &blob);
        return content;
    }

    ISC_QUAD write(const std::string& content) override {
        ISC_QUAD id{};
        isc_blob_handle blob = 0;
        ISC_STATUS_ARRAY status{};
        if (isc_create_blob2(status, session_.db(), tr_, &blob, &id, 0, nullptr))
            session_.owner().raiseStatus(status);
        std::size_t pos = 0;
        while (pos < content.size()) {
            const std::size_t chunk = std::min<std::size_t>(content.size() - pos, 32768);
            if (isc_put_segment(status, &blob, static_cast<unsigned short>(chunk), content.data() + pos)) {
                ISC_STATUS_ARRAY ignored{};
                isc_cancel_blob(ignored, &blob);
                session_.owner().raiseStatus(status);
            }
            pos += chunk;
        }
        if (isc_close_blob(status, &blob))
            session_.owner().raiseStatus(status);
        return id;
    }

private:
    FbSession& session_;
    isc_tr_handle* tr_;
};

} // namespace

struct FbStatement::Buffers {
    SqldaPtr out;
    SqldaPtr in;
    std::vector<std::vector<char>> outData;
    std::vector<short> outNull;
    std::vector<const SqlType*> outTypes;
    std::vector<std::vector<char>> inData;
    std::vector<short> inNull;
};

FbStatement::FbStatement(FbSession& session) : session_(session), buffers_(std::make_unique<Buffers>()) {
    ISC_STATUS_ARRAY status{};
    if (isc_dsql_allocate_statement(status, session_.db(), &handle_))
        fail(status);
}

FbStatement::~FbStatement() {
    if (handle_) {
        ISC_STATUS_ARRAY status{};
        isc_dsql_free_statement(status, &handle_, DSQL_drop);
    }
}

void FbStatement::fail(const ISC_STATUS* status) const {
    session_.owner().raiseStatus(status);
}

void FbStatement::prepare(isc_tr_handle* tr, const std::string& sql, bool withMetadata) {
    ISC_STATUS_ARRAY status{};
    buffers_->out = makeSqlda(20);
    if (isc_dsql_prepare(status, tr, &handle_, 0, sql.c_str(),
                         static_cast<unsigned short>(session_.dialect()), buffers_->out.get()))
        fail(status);
    if (buffers_->out->sqld > buffers_->out->sqln) {
        buffers_->out = makeSqlda(buffers_->out->sqld);
        if (isc_dsql_describe(status, &handle_, 1, buffers_->out.get()))
            fail(status);
    }
    buffers_->in = makeSqlda(10);
    if (isc_dsql_describe_bind(status, &handle_, 1, buffers_->in.get()))
        fail(status);
    if (buffers_->in->sqld > buffers_->in->sqln) {
        buffers_->in = makeSqlda(buffers_->in->sqld);
        if (isc_dsql_describe_bind(status, &handle_, 1, buffers_->in.get()))
            fail(status);
    }

    char item = isc_info_sql_stmt_type;
    char info[16]{};
    if (isc_dsql_sql_info(status, &handle_, 1, &item, sizeof info, info))
        fail(status);
    int type = 0;
    if (info[0] == isc_info_sql_stmt_type) {
        const short len = static_cast<short>(isc_vax_integer(info + 1, 2));
        type = static_cast<int>(isc_vax_integer(info + 3, len));
    }
    returnsRows_ = type == isc_info_sql_stmt_select || type == isc_info_sql_stmt_select_for_upd;
    describeColumns(tr, withMetadata);
}

void FbStatement::describeColumns(isc_tr_handle* tr, bool withMetadata) {
    XSQLDA* out = buffers_->out.get();
    const int n = out->sqld;
    columns_.clear();
    columns_.reserve(static_cast<std::size_t>(n));
    buffers_->outData.assign(static_cast<std::size_t>(n), {});
    buffers_->outNull.assign(static_cast<std::size_t>(n), 0);
    buffers_->outTypes.assign(static_cast<std::size_t>(n), nullptr);
    for (int i = 0; i < n; ++i) {
        XSQLVAR& var = out->sqlvar[i];
        Column c;
        c.name.assign(var.aliasname, static_cast<std::size_t>(var.aliasname_length));
        c.relation.assign(var.relname, static_cast<std::size_t>(var.relname_length));
        c.origin.assign(var.sqlname, static_cast<std::size_t>(var.sqlname_length));
        c.required = (var.sqltype & 1) == 0;
        const SqlType& type = sqlType(var.sqltype & ~1);
        type.describe(var, c);
        if (withMetadata && !c.relation.empty()) {
            const auto& meta = session_.relationMeta(c.relation, tr);
            auto it = meta.find(c.origin);
            if (it != meta.end()) {
                if (it->second.precision > 0 && (c.type == FieldType::ShortDecimal))
                    c.precision = it->second.precision;
                c.readOnly = it->second.computed;
            }
        }
        if (c.type == FieldType::ShortDecimal && (c.precision > 14 || c.scale > 4))
            c.type = FieldType::ExactDecimal;
        if (c.type == FieldType::ExactDecimal && c.precision > 32)
            c.precision = 32;

        // Output buffer for the column.
        const std::size_t len = static_cast<std::size_t>(var.sqllen) + type.outputPrefix;
        buffers_->outTypes[static_cast<std::size_t>(i)] = &type;
        buffers_->outData[static_cast<std::size_t>(i)].assign(len + 1, 0);
        var.sqldata = buffers_->outData[static_cast<std::size_t>(i)].data();
        var.sqlind = &buffers_->outNull[static_cast<std::size_t>(i)];
        columns_.push_back(std::move(c));
    }
}

int FbStatement::parameterCount() const {
    return buffers_->in ? buffers_->in->sqld : 0;
}

void FbStatement::bind(isc_tr_handle* tr, const std::vector<Value>& params) {
    XSQLDA* in = buffers_->in.get();
    const int n = in->sqld;
    if (static_cast<int>(params.size()) < n)
        throw Error("No value for parameter '" + std::to_string(params.size() + 1) + "'");
    buffers_->inData.assign(static_cast<std::size_t>(n), {});
    buffers_->inNull.assign(static_cast<std::size_t>(n), 0);
    StatementBlobs blobs(session_, tr);
    for (int i = 0; i < n; ++i) {
        XSQLVAR& var = in->sqlvar[i];
        const Value& v = params[static_cast<std::size_t>(i)];
        auto& data = buffers_->inData[static_cast<std::size_t>(i)];
        short& ind = buffers_->inNull[static_cast<std::size_t>(i)];
        var.sqltype = static_cast<short>(var.sqltype | 1);
        var.sqlind = &ind;
        if (v.isNull()) {
            ind = -1;
            data.assign(8, 0);
            var.sqldata = data.data();
            continue;
        }
        ind = 0;
        sqlType(var.sqltype & ~1).encode(var, v, i + 1, data, blobs);
    }
}

void FbStatement::execute(isc_tr_handle* tr) {
    ISC_STATUS_ARRAY status{};
    XSQLDA* in = buffers_->in->sqld > 0 ? buffers_->in.get() : nullptr;
    if (returnsRows_) {
        if (isc_dsql_execute(status, tr, &handle_, 1, in))
            fail(status);
        cursorOpen_ = true;
    } else {
        XSQLDA* out = buffers_->out->sqld > 0 ? buffers_->out.get() : nullptr;
        if (isc_dsql_execute2(status, tr, &handle_, 1, in, out))
            fail(status);
    }
}

bool FbStatement::fetch(isc_tr_handle* tr, std::vector<Value>& row) {
    if (!cursorOpen_)
        return false;
    ISC_STATUS_ARRAY status{};
    const ISC_STATUS rc = isc_dsql_fetch(status, &handle_, 1, buffers_->out.get());
    if (rc == 100) {
        closeCursor();
        return false;
    }
    if (rc)
        fail(status);
    const XSQLDA* out = buffers_->out.get();
    row.resize(static_cast<std::size_t>(out->sqld));
    StatementBlobs blobs(session_, tr);
    for (int i = 0; i < out->sqld; ++i) {
        const XSQLVAR& var = out->sqlvar[i];
        const SqlType& type = *buffers_->outTypes[static_cast<std::size_t>(i)];
        row[static_cast<std::size_t>(i)] =
            (var.sqltype & 1) && *var.sqlind < 0 ? Value::null() : type.decode(var, blobs);
    }
    return true;
}

std::int64_t FbStatement::rowsAffected() {
    ISC_STATUS_ARRAY status{};
    char item = isc_info_sql_records;
    char info[64]{};
    if (isc_dsql_sql_info(status, &handle_, 1, &item, sizeof info, info))
        fail(status);
    if (info[0] != isc_info_sql_records)
        return 0;
    std::int64_t total = 0;
    const char* p = info + 3;
    while (*p != isc_info_end && p < info + sizeof info) {
        const char kind = *p++;
        const short len = static_cast<short>(isc_vax_integer(p, 2));
        p += 2;
        const long count = isc_vax_integer(p, len);
        p += len;
        if (kind == isc_info_req_update_count || kind == isc_info_req_delete_count ||
            kind == isc_info_req_insert_count)
            total += count;
    }
    return total;
}

void FbStatement::closeCursor() {
    if (!cursorOpen_)
        return;
    cursorOpen_ = false;
    ISC_STATUS_ARRAY status{};
    isc_dsql_free_statement(status, &handle_, DSQL_close);
}

} // namespace envio
