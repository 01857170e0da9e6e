// The floor of a send run: the statements a send run issues, in the same order and with the same texts,
// straight through the client library, with none of the program's layers in between. Used by
// bench/send-bench to tell how much the program adds on top of the database work itself.
//
// usage: floor_send SERVER ORIGIN_CODE USER PASSWORD
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <ibase.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

void check(const ISC_STATUS* st) {
    if (st[0] == 1 && st[1]) {
        char buf[512];
        const ISC_STATUS* p = st;
        std::string text;
        while (fb_interpret(buf, sizeof buf, &p) > 0)
            text += std::string(buf) + "\n";
        throw std::runtime_error(text);
    }
}

std::string lit(const std::string& s) {
    std::string o = "'";
    for (char c : s) {
        o += c;
        if (c == '\'')
            o += '\'';
    }
    return o + "'";
}

struct Db {
    isc_db_handle h = 0;
    int dialect;
    Db(const std::string& loc, const std::string& user, const std::string& pass, int d) : dialect(d) {
        std::string dpb{char(isc_dpb_version1)};
        auto add = [&](char i, const std::string& v) {
            dpb += i;
            dpb += char(v.size());
            dpb += v;
        };
        if (!user.empty())
            add(isc_dpb_user_name, user);
        if (!pass.empty())
            add(isc_dpb_password, pass);
        add(isc_dpb_sql_role_name, "RoleName");
        dpb += char(isc_dpb_sql_dialect);
        dpb += char(1);
        dpb += char(d);
        ISC_STATUS_ARRAY st{};
        isc_attach_database(st, 0, loc.c_str(), &h, short(dpb.size()), dpb.data());
        check(st);
    }
    ~Db() {
        ISC_STATUS_ARRAY st{};
        if (h)
            isc_detach_database(st, &h);
    }
};

struct Tr {
    isc_tr_handle h = 0;
    Tr(Db& db, bool readOnly) {
        char tpb[] = {isc_tpb_version3, readOnly ? char(isc_tpb_read) : char(isc_tpb_write),
                      isc_tpb_read_committed, isc_tpb_rec_version, isc_tpb_wait};
        ISC_STATUS_ARRAY st{};
        isc_start_transaction(st, &h, 1, &db.h, short(sizeof tpb), tpb);
        check(st);
    }
    void commit() {
        ISC_STATUS_ARRAY st{};
        isc_commit_transaction(st, &h);
        check(st);
    }
    ~Tr() {
        ISC_STATUS_ARRAY st{};
        if (h)
            isc_rollback_transaction(st, &h);
    }
};

// One column value as fetched: raw bytes in the server's own format, blobs read whole.
struct Cell {
    short type = 0, scale = 0, sub = 0, len = 0;
    bool null = true;
    std::string bytes;
    std::string name;
};
using Row = std::vector<Cell>;

struct Stmt {
    isc_stmt_handle h = 0;
    XSQLDA* out = nullptr;
    XSQLDA* in = nullptr;
    std::vector<std::vector<char>> buf;
    std::vector<short> ind;
    Db& db;
    Stmt(Db& d, Tr& t, const std::string& sql) : db(d) {
        ISC_STATUS_ARRAY st{};
        isc_dsql_allocate_statement(st, &db.h, &h);
        check(st);
        out = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(100)));
        out->version = SQLDA_VERSION1;
        out->sqln = 100;
        isc_dsql_prepare(st, &t.h, &h, 0, sql.c_str(), static_cast<unsigned short>(db.dialect), out);
        check(st);
        in = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(100)));
        in->version = SQLDA_VERSION1;
        in->sqln = 100;
        isc_dsql_describe_bind(st, &h, 1, in);
        check(st);
        buf.resize(size_t(out->sqld));
        ind.resize(size_t(out->sqld));
        for (int i = 0; i < out->sqld; ++i) {
            XSQLVAR& v = out->sqlvar[i];
            buf[size_t(i)].resize(size_t(v.sqllen) + 2);
            v.sqldata = buf[size_t(i)].data();
            v.sqlind = &ind[size_t(i)];
        }
    }
    ~Stmt() {
        ISC_STATUS_ARRAY st{};
        isc_dsql_free_statement(st, &h, DSQL_drop);
        std::free(out);
        std::free(in);
    }
    // Binds cells as they were fetched; blobs are written anew in this statement's database.
    void bind(Tr& t, const std::vector<const Cell*>& cells, std::vector<std::string>& store) {
        store.clear();
        store.reserve(cells.size());
        static std::vector<short> nulls;
        nulls.assign(cells.size(), 0);
        for (size_t i = 0; i < cells.size(); ++i) {
            XSQLVAR& v = in->sqlvar[i];
            const Cell& c = *cells[i];
            nulls[i] = c.null ? -1 : 0;
            v.sqlind = &nulls[i];
            if (c.null) {
                v.sqltype = short(v.sqltype | 1);
                store.emplace_back(8, '\0');
                v.sqldata = store.back().data();
                continue;
            }
            if ((c.type & ~1) == SQL_BLOB) {
                ISC_QUAD id{};
                isc_blob_handle b = 0;
                ISC_STATUS_ARRAY st{};
                isc_create_blob2(st, &db.h, &t.h, &b, &id, 0, nullptr);
                check(st);
                for (size_t p = 0; p < c.bytes.size(); p += 32768)
                    isc_put_segment(st, &b,
                                    static_cast<unsigned short>(std::min<size_t>(32768, c.bytes.size() - p)),
                                    c.bytes.data() + p);
                isc_close_blob(st, &b);
                check(st);
                store.emplace_back(reinterpret_cast<const char*>(&id), sizeof id);
                v.sqltype = SQL_BLOB | 1;
            } else {
                store.push_back(c.bytes);
                v.sqltype = short(c.type | 1);
                v.sqlscale = c.scale;
                v.sqlsubtype = c.sub;
                v.sqllen = c.len;
            }
            v.sqldata = store.back().data();
        }
    }
    void exec(Tr& t) {
        ISC_STATUS_ARRAY st{};
        isc_dsql_execute(st, &t.h, &h, 1, in->sqld ? in : nullptr);
        check(st);
    }
    bool fetch(Tr& t, Row& row) {
        ISC_STATUS_ARRAY st{};
        const ISC_STATUS rc = isc_dsql_fetch(st, &h, 1, out);
        if (rc == 100)
            return false;
        check(st);
        row.resize(size_t(out->sqld));
        for (int i = 0; i < out->sqld; ++i) {
            XSQLVAR& v = out->sqlvar[i];
            Cell& c = row[size_t(i)];
            c.type = short(v.sqltype & ~1);
            c.scale = v.sqlscale;
            c.sub = v.sqlsubtype;
            c.len = v.sqllen;
            c.name.assign(v.sqlname, size_t(v.sqlname_length));
            c.null = (v.sqltype & 1) && *v.sqlind < 0;
            if (c.null)
                continue;
            if (c.type == SQL_BLOB) {
                ISC_QUAD id;
                std::memcpy(&id, v.sqldata, sizeof id);
                isc_blob_handle b = 0;
                isc_open_blob2(st, &db.h, &t.h, &b, &id, 0, nullptr);
                check(st);
                c.bytes.clear();
                char seg[32768];
                unsigned short got;
                for (;;) {
                    const ISC_STATUS r = isc_get_segment(st, &b, &got, sizeof seg, seg);
                    if (r && st[1] != isc_segment)
                        break;
                    c.bytes.append(seg, got);
                }
                isc_close_blob(st, &b);
            } else if (c.type == SQL_VARYING) {
                unsigned short n;
                std::memcpy(&n, v.sqldata, 2);
                c.bytes.assign(v.sqldata, size_t(n) + 2);
            } else {
                c.bytes.assign(v.sqldata, size_t(v.sqllen));
            }
        }
        return true;
    }
};

// Reads every row of a select in a read-only transaction of its own.
std::vector<Row> readAll(Db& db, const std::string& sql) {
    Tr t(db, true);
    std::vector<Row> rows;
    {
        Stmt s(db, t, sql);
        s.exec(t);
        Row r;
        while (s.fetch(t, r))
            rows.push_back(r);
    }
    t.commit();
    return rows;
}

void execute(Db& db, const std::string& sql, const std::vector<const Cell*>& params = {}) {
    Tr t(db, false);
    {
        Stmt s(db, t, sql);
        std::vector<std::string> store;
        s.bind(t, params, store);
        s.exec(t);
    }
    t.commit();
}

std::string text(const Cell& c) {
    if (c.null)
        return "";
    if (c.type == SQL_VARYING)
        return c.bytes.substr(2);
    if (c.type == SQL_TEXT)
        return c.bytes;
    if (c.type == SQL_LONG || c.type == SQL_SHORT || c.type == SQL_INT64) {
        long long v = 0;
        if (c.type == SQL_SHORT) {
            short s;
            std::memcpy(&s, c.bytes.data(), 2);
            v = s;
        } else if (c.type == SQL_LONG) {
            int s;
            std::memcpy(&s, c.bytes.data(), 4);
            v = s;
        } else {
            std::memcpy(&v, c.bytes.data(), 8);
        }
        return std::to_string(v);
    }
    return c.bytes;
}

const Cell* byName(const Row& r, const char* n) {
    for (const Cell& c : r)
        if (c.name == n)
            return &c;
    throw std::runtime_error(std::string("no column ") + n);
}

const char* const kArticle[] = {
    "ARTI_COD",        "ARTI_DES",      "GRUP_COD",       "SUBG_COD",      "MARC_COD",      "ARTI_DESVAR",
    "ARTI_TIPO",       "ARTI_EXIST",    "ARTI_FECHA",     "ARTI_UNIDAD",   "ARTI_PRECIO",   "ARTI_CONSUMO",
    "ARTI_IMPOTRO",    "ARTI_PESO",     "ARTI_ANCHO",     "ARTI_ALTO",     "ARTI_LARGO",    "ARTI_OBS",
    "ARTI_FOTO",       "ARTI_MAX",      "ARTI_MIN",       "ARTI_DIAS",     "ESAR_COD",      "ARTI_USUARIO",
    "TAIV_COD",        "ARTI_CLASE",    "ARTI_DIANALIS",  "ARTI_DESCORTA", "ARTI_PRODCANT", "ARTI_CICLO",
    "ARTI_TIENDA",     "ARTI_ENSAMBLE", "ARTI_VALORBONO", "ARTI_MERMA",    "ARTI_SOBRANTE", "ARTI_PORCSOBR",
    "ARTI_DEC2799",    "ARTI_TERCERO",  "ARTI_INVIMA",    "ARTI_INALC",    "ARTI_DTOMAX",   "ARTI_CUM",
    "ARTI_POSARANCEL", "ARTI_REUSOB",   "ARTI_MERMAENT",  "ARTI_MERMAPOR", "ARTI_SOBTOT"};
const char* const kPrice[] = {"LIPR_COD",  "ARTI_COD",     "PRAR_FIJO",  "PRAR_MARGEN",    "PRAR_UTIL",
                              "PRAR_AUTO", "PRAR_CONSUMO", "PRAR_COMI",  "PRAR_COMIMONTO", "PRAR_CANTMIN",
                              "PRAR_DTO1", "PRAR_DTO2",    "PRAR_COMIC", "PRAR_REDON",     "PRAR_ESCALAS"};

// The write of one destination row: an INSERT when the destination had none, else an UPDATE that
// identifies the destination's first row by all its columns (dialect-1 names, bare).
void writeRow(Db& dest, const std::string& table, const std::vector<std::string>& names,
              const std::vector<const Cell*>& values, const Row* old) {
    std::string sql;
    std::vector<const Cell*> params = values;
    if (!old) {
        sql = "insert into " + table + "\r\n  (";
        std::string marks;
        for (size_t i = 0; i < names.size(); ++i) {
            sql += (i ? ", " : "") + names[i];
            marks += i ? ", ?" : "?";
        }
        sql += ")\r\nvalues\r\n  (" + marks + ")\r\n";
    } else {
        sql = "update " + table + "  set\r\n";
        for (size_t i = 0; i < names.size(); ++i)
            sql += " " + names[i] + " = ?" + (i + 1 < names.size() ? "," : "") + "\r\n";
        sql += "where\r\n";
        std::vector<const Cell*> keys;
        for (const Cell& c : *old)
            if (c.type != SQL_BLOB)
                keys.push_back(&c);
        for (size_t i = 0; i < keys.size(); ++i) {
            const bool last = i + 1 == keys.size();
            if (keys[i]->null) {
                sql += " " + keys[i]->name + " is null" + (last ? "" : " and") + "\r\n";
            } else {
                sql += " " + keys[i]->name + " = ?" + (last ? "" : " and") + "\r\n";
                params.push_back(keys[i]);
            }
        }
    }
    execute(dest, sql, params);
}

void copyOne(Db& origin, Db& dest, const std::string& originSql, const std::string& destSql,
             const char* const* names, size_t count, const std::string& table) {
    auto src = readAll(origin, originSql);
    if (src.empty())
        return;
    auto dst = readAll(dest, destSql);
    std::vector<std::string> cols;
    std::vector<const Cell*> vals;
    if (names) {
        for (size_t i = 0; i < count; ++i) {
            cols.push_back(names[i]);
            vals.push_back(byName(src[0], names[i]));
        }
    } else {
        for (const Cell& c : src[0]) {
            cols.push_back(c.name);
            vals.push_back(&c);
        }
    }
    writeRow(dest, table, cols, vals, dst.empty() ? nullptr : &dst[0]);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: floor_send SERVER ORIGIN_CODE USER PASSWORD\n");
        return 64;
    }
    const std::string server = argv[1], code = argv[2], user = argv[3], pass = argv[4];
    try {
        Db origin(server + "/datos/" + code + "/vertano.fdb", user, pass, 3);
        const auto dests = readAll(origin, "SELECT * FROM REPLICA_PRECIOS");
        const auto u =
            readAll(origin, "select CONF_VALOR from CONFIGURACION where CONF_MODULO = 'INVENTARIO' and "
                            "CONF_CATEGORIA = 'ARTICULOS' and CONF_PROPIEDAD = 'NOMBRE DE USUARIO PARA "
                            "REPLICACION DE ARTICULOS'");
        const auto p =
            readAll(origin, "select CONF_VALOR from CONFIGURACION where CONF_MODULO = 'INVENTARIO' and "
                            "CONF_CATEGORIA = 'ARTICULOS' and CONF_PROPIEDAD = 'CLAVE DE USUARIO PARA "
                            "REPLICACION DE ARTICULOS'");
        const std::string duser = u.empty() ? "" : text(u[0][0]), dpass = p.empty() ? "" : text(p[0][0]);
        long events = 0;
        for (const Row& d : dests) {
            const std::string dcode = text(*byName(d, "RPPR_COD"));
            Db dest(text(*byName(d, "RPPR_SERVIDOR")) + "/datos/" + dcode + "/vertano.fdb", duser, dpass, 1);
            const auto evs = readAll(
                origin,
                "select first 100 * from replica_eventos where rpev_fecrep is null and ((rpev_tipo = 101 "
                "and rpev_oper = 'I') or (rpev_tipo = 126) or (rpev_tipo = 1125) or (rpev_tipo = 1126) or "
                "(rpev_tipo = 229) or (rpev_tipo = 2291)) and rpev_compania = " +
                    lit(dcode) + " order by rpev_fecreg, rpev_horareg");
            for (const Row& e : evs) {
                const long type = std::stol(text(*byName(e, "RPEV_TIPO")));
                const std::string op = text(*byName(e, "RPEV_OPER"));
                const std::string c = lit(text(*byName(e, "RPEV_CODIGO")));
                const std::string id = text(*byName(e, "RPEV_IDDOC"));
                switch (type) {
                case 101:
                    copyOne(origin, dest, "select * from articulo where arti_cod = " + c,
                            "SELECT * FROM ARTICULO WHERE ARTI_COD = " + c, kArticle, 47, "ARTICULO");
                    break;
                case 126:
                    if (op == "D")
                        execute(dest, "DELETE from PRECIOS_ARTICULO where arti_cod = " + c +
                                          " and lipr_cod = " + id);
                    else
                        copyOne(origin, dest,
                                "select * from PRECIOS_ARTICULO where arti_cod = " + c +
                                    " and lipr_cod = " + id,
                                "SELECT * from PRECIOS_ARTICULO where arti_cod = " + c +
                                    " AND LIPR_COD = " + lit(id),
                                kPrice, 15, "PRECIOS_ARTICULO");
                    break;
                case 1125:
                    if (op == "D")
                        execute(dest, "DELETE from PRECIOS_FUTUROS where PRFU_ID = " + id);
                    else
                        copyOne(origin, dest, "select * from PRECIOS_FUTUROS where PRFU_ID = " + id,
                                "SELECT * from PRECIOS_FUTUROS where PRFU_ID = " + id, nullptr, 0,
                                "PRECIOS_FUTUROS");
                    break;
                case 1126:
                    if (op == "D")
                        execute(dest, "DELETE from PRECIOS_FUTUROS_ARTICULOS where arti_cod = " + c +
                                          " and prfu_id = " + id);
                    else
                        copyOne(origin, dest,
                                "select * from PRECIOS_FUTUROS_ARTICULOS where arti_cod = " + c +
                                    " and prfu_id = " + id,
                                "SELECT * from PRECIOS_FUTUROS_ARTICULOS where arti_cod = " + c +
                                    " AND PRFU_ID = " + id,
                                nullptr, 0, "PRECIOS_FUTUROS_ARTICULOS");
                    break;
                case 229:
                case 2291: {
                    const bool line = type == 2291;
                    const std::string table = line ? "DESCUENTOS_PRECIOS_DET" : "DESCUENTOS_PRECIOS";
                    const std::string key = "DCTP_ID = " + id + (line ? " AND ARTI_COD = " + c : "");
                    if ((line && op == "A") || (!line && op == "D")) {
                        execute(dest, "DELETE from " + table + " where " + key);
                        break;
                    }
                    for (const Row& src : readAll(origin, "select * from " + table + " where " + key)) {
                        auto dst = readAll(dest, "SELECT * from " + table + " where " + key);
                        std::vector<std::string> cols;
                        std::vector<const Cell*> vals;
                        for (const Cell& cell : src) {
                            cols.push_back(cell.name);
                            vals.push_back(&cell);
                        }
                        writeRow(dest, table, cols, vals, dst.empty() ? nullptr : &dst[0]);
                    }
                    break;
                }
                }
                std::time_t now = std::time(nullptr);
                char date[16], tm[16];
                std::strftime(date, sizeof date, "%Y-%m-%d", std::localtime(&now));
                std::strftime(tm, sizeof tm, "%H:%M:%S", std::localtime(&now));
                execute(origin, std::string("UPDATE REPLICA_EVENTOS SET RPEV_FECREP = '") + date +
                                    "', RPEV_HORAREP = '" + tm +
                                    "' where RPEV_ID = " + text(*byName(e, "RPEV_ID")));
                ++events;
            }
        }
        std::printf("%ld\n", events);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
