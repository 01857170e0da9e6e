#include "db/FbStatement.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/ValueConvert.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

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

const QDate kBaseDate(1858, 11, 17);

QDate decodeDate(ISC_DATE d) { return kBaseDate.addDays(d); }
QTime decodeTime(ISC_TIME t) { return QTime::fromMSecsSinceStartOfDay(static_cast<int>(t / 10)); }
ISC_DATE encodeDate(QDate d) { return static_cast<ISC_DATE>(kBaseDate.daysTo(d)); }
ISC_TIME encodeTime(QTime t) { return static_cast<ISC_TIME>(t.msecsSinceStartOfDay()) * 10; }

std::string trimRight(const char* s, std::size_t n) {
    while (n > 0 && s[n - 1] == ' ')
        --n;
    return std::string(s, n);
}

int charWidth(const XSQLVAR& var) {
    switch (var.sqlsubtype & 0xFF) {
    case 3: // UNICODE_FSS
        return 3;
    case 4: // UTF8
        return 4;
    default:
        return 1;
    }
}

} // namespace

struct FbStatement::Buffers {
    SqldaPtr out;
    SqldaPtr in;
    std::vector<std::vector<char>> outData;
    std::vector<short> outNull;
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
    if (isc_dsql_prepare(status, tr, &handle_, 0, sql.c_str(), static_cast<unsigned short>(session_.dialect()),
                         buffers_->out.get()))
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
    for (int i = 0; i < n; ++i) {
        XSQLVAR& var = out->sqlvar[i];
        Column c;
        c.name.assign(var.aliasname, static_cast<std::size_t>(var.aliasname_length));
        c.relation.assign(var.relname, static_cast<std::size_t>(var.relname_length));
        c.origin.assign(var.sqlname, static_cast<std::size_t>(var.sqlname_length));
        c.required = (var.sqltype & 1) == 0;
        const int type = var.sqltype & ~1;
        const int scale = -var.sqlscale;
        bool numericSubtype = var.sqlsubtype == 1 || var.sqlsubtype == 2;
        switch (type) {
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64:
            if (scale > 0 || numericSubtype) {
                c.scale = scale;
                c.precision = type == SQL_SHORT ? 4 : type == SQL_LONG ? 9 : 18;
                c.type = FieldType::ShortDecimal; // settled below once the precision is known
            } else {
                c.type = type == SQL_INT64 ? FieldType::LargeInt : FieldType::Integer;
            }
            break;
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_D_FLOAT:
            if (scale > 0) {
                // A dialect-1 NUMERIC(15..18, s) is stored as a double with a scale.
                c.scale = scale;
                c.precision = 15;
                c.type = FieldType::ExactDecimal;
            } else {
                c.type = FieldType::Float;
            }
            break;
        case SQL_TEXT:
            c.type = FieldType::String;
            c.fixedLength = true;
            c.size = var.sqllen / charWidth(var);
            break;
        case SQL_VARYING:
            c.type = FieldType::String;
            c.size = var.sqllen / charWidth(var);
            break;
        case SQL_TYPE_DATE:
            c.type = FieldType::Date;
            break;
        case SQL_TYPE_TIME:
            c.type = FieldType::Time;
            break;
        case SQL_TIMESTAMP:
            c.type = FieldType::DateTime;
            break;
        case SQL_BLOB:
            c.type = var.sqlsubtype == 1 ? FieldType::TextBlob : FieldType::BinaryBlob;
            break;
        case SQL_BOOLEAN:
            c.type = FieldType::Integer;
            break;
        default:
            c.type = FieldType::String;
            break;
        }
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
        std::size_t len = static_cast<std::size_t>(var.sqllen);
        if (type == SQL_VARYING)
            len += 2;
        buffers_->outData[static_cast<std::size_t>(i)].assign(len + 1, 0);
        var.sqldata = buffers_->outData[static_cast<std::size_t>(i)].data();
        var.sqlind = &buffers_->outNull[static_cast<std::size_t>(i)];
        columns_.push_back(std::move(c));
    }
}

int FbStatement::parameterCount() const { return buffers_->in ? buffers_->in->sqld : 0; }

void FbStatement::bind(isc_tr_handle* tr, const std::vector<Value>& params) {
    XSQLDA* in = buffers_->in.get();
    const int n = in->sqld;
    if (static_cast<int>(params.size()) < n)
        throw Error("No value for parameter '" + std::to_string(params.size() + 1) + "'");
    buffers_->inData.assign(static_cast<std::size_t>(n), {});
    buffers_->inNull.assign(static_cast<std::size_t>(n), 0);
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
        const int type = var.sqltype & ~1;
        auto asText = [&](const std::string& text) {
            data.assign(text.begin(), text.end());
            data.push_back(0);
            var.sqltype = SQL_TEXT | 1;
            var.sqlsubtype = 0;
            var.sqllen = static_cast<short>(std::min<std::size_t>(text.size(), 32765));
            var.sqldata = data.data();
        };
        switch (type) {
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64: {
            const int scale = -var.sqlscale;
            if (v.kind() == Value::Kind::String) {
                asText(v.asString());
                break;
            }
            const std::optional<std::int64_t> units = scaledUnits(v, scale);
            if (!units)
                throw Error("No value for parameter '" + std::to_string(i + 1) + "'");
            data.assign(8, 0);
            std::int64_t u = *units;
            std::memcpy(data.data(), &u, 8);
            var.sqltype = SQL_INT64 | 1;
            var.sqllen = 8;
            var.sqldata = data.data();
            break;
        }
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            if (v.kind() == Value::Kind::String) {
                asText(v.asString());
                break;
            }
            if (!v.isNumber())
                throw Error("No value for parameter '" + std::to_string(i + 1) + "'");
            double d = v.toDouble();
            data.assign(8, 0);
            std::memcpy(data.data(), &d, 8);
            var.sqltype = SQL_DOUBLE | 1;
            var.sqlscale = 0;
            var.sqllen = 8;
            var.sqldata = data.data();
            break;
        }
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIME:
        case SQL_TIMESTAMP: {
            if (v.kind() == Value::Kind::String) {
                asText(v.asString());
                break;
            }
            ISC_TIMESTAMP ts{};
            if (v.kind() == Value::Kind::Date) {
                ts.timestamp_date = encodeDate(v.asDate());
            } else if (v.kind() == Value::Kind::Time) {
                ts.timestamp_date = encodeDate(QDate(1899, 12, 30));
                ts.timestamp_time = encodeTime(v.asTime());
            } else if (v.kind() == Value::Kind::DateTime) {
                ts.timestamp_date = encodeDate(v.asDateTime().date());
                ts.timestamp_time = encodeTime(v.asDateTime().time());
            } else {
                throw Error("No value for parameter '" + std::to_string(i + 1) + "'");
            }
            data.assign(sizeof ts, 0);
            if (type == SQL_TYPE_DATE) {
                std::memcpy(data.data(), &ts.timestamp_date, sizeof(ISC_DATE));
                var.sqllen = sizeof(ISC_DATE);
            } else if (type == SQL_TYPE_TIME) {
                std::memcpy(data.data(), &ts.timestamp_time, sizeof(ISC_TIME));
                var.sqllen = sizeof(ISC_TIME);
            } else {
                std::memcpy(data.data(), &ts, sizeof ts);
                var.sqllen = sizeof ts;
            }
            var.sqldata = data.data();
            break;
        }
        case SQL_BLOB: {
            const std::string content = v.kind() == Value::Kind::String ? v.asString() : valueText(v);
            ISC_QUAD id{};
            isc_blob_handle blob = 0;
            ISC_STATUS_ARRAY status{};
            if (isc_create_blob2(status, session_.db(), tr, &blob, &id, 0, nullptr))
                fail(status);
            std::size_t pos = 0;
            while (pos < content.size()) {
                const std::size_t chunk = std::min<std::size_t>(content.size() - pos, 32768);
                if (isc_put_segment(status, &blob, static_cast<unsigned short>(chunk), content.data() + pos)) {
                    ISC_STATUS_ARRAY ignored{};
                    isc_cancel_blob(ignored, &blob);
                    fail(status);
                }
                pos += chunk;
            }
            if (isc_close_blob(status, &blob))
                fail(status);
            data.assign(sizeof id, 0);
            std::memcpy(data.data(), &id, sizeof id);
            var.sqldata = data.data();
            break;
        }
        default:
            asText(v.kind() == Value::Kind::String ? v.asString() : valueText(v));
            break;
        }
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

Value FbStatement::readVar(isc_tr_handle* tr, const XSQLVAR& var) {
    if ((var.sqltype & 1) && *var.sqlind < 0)
        return Value::null();
    const char* d = var.sqldata;
    const int type = var.sqltype & ~1;
    const int scale = -var.sqlscale;
    switch (type) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: {
        std::int64_t v = 0;
        if (type == SQL_SHORT) {
            short s;
            std::memcpy(&s, d, sizeof s);
            v = s;
        } else if (type == SQL_LONG) {
            ISC_LONG l;
            std::memcpy(&l, d, sizeof l);
            v = l;
        } else {
            std::memcpy(&v, d, sizeof v);
        }
        if (scale > 0 || var.sqlsubtype == 1 || var.sqlsubtype == 2)
            return Value::decimal(v, scale);
        return Value::integer(v);
    }
    case SQL_FLOAT: {
        float f;
        std::memcpy(&f, d, sizeof f);
        return Value::floating(f);
    }
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
        double f;
        std::memcpy(&f, d, sizeof f);
        if (scale > 0)
            return Value::decimal(static_cast<std::int64_t>(std::llround(f * std::pow(10.0, scale))), scale);
        return Value::floating(f);
    }
    case SQL_TEXT:
        return Value::string(std::string(d, static_cast<std::size_t>(var.sqllen)));
    case SQL_VARYING: {
        unsigned short len;
        std::memcpy(&len, d, sizeof len);
        return Value::string(std::string(d + 2, len));
    }
    case SQL_TYPE_DATE: {
        ISC_DATE v;
        std::memcpy(&v, d, sizeof v);
        return Value::date(decodeDate(v));
    }
    case SQL_TYPE_TIME: {
        ISC_TIME v;
        std::memcpy(&v, d, sizeof v);
        return Value::time(decodeTime(v));
    }
    case SQL_TIMESTAMP: {
        ISC_TIMESTAMP v;
        std::memcpy(&v, d, sizeof v);
        return Value::dateTime(QDateTime(decodeDate(v.timestamp_date), decodeTime(v.timestamp_time)));
    }
    case SQL_BLOB: {
        ISC_QUAD id;
        std::memcpy(&id, d, sizeof id);
        isc_blob_handle blob = 0;
        ISC_STATUS_ARRAY status{};
        if (isc_open_blob2(status, session_.db(), tr, &blob, &id, 0, nullptr))
            fail(status);
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
            fail(status);
        }
        isc_close_blob(status, &blob);
        return Value::string(std::move(content));
    }
    case SQL_BOOLEAN:
        return Value::integer(*reinterpret_cast<const unsigned char*>(d) ? 1 : 0);
    default:
        return Value::string(trimRight(d, static_cast<std::size_t>(var.sqllen)));
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
    for (int i = 0; i < out->sqld; ++i)
        row[static_cast<std::size_t>(i)] = readVar(tr, out->sqlvar[i]);
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
