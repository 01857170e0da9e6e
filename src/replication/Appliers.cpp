#include "replication/Appliers.h"

#include "db/Query.h"
#include "db/SqlLiteral.h"
#include "db/StagedDataset.h"
#include "db/Value.h"
#include "replication/EventTypes.h"
#include "replication/ReplicationEvent.h"

#include <array>
#include <charconv>
#include <functional>
#include <vector>

namespace envio {

namespace {

enum class Mode { Value, Currency, Text };

struct ColumnCopy {
    const char* name;
    Mode mode;
};

constexpr Mode V = Mode::Value;
constexpr Mode C = Mode::Currency;
constexpr Mode T = Mode::Text;

constexpr std::array<ColumnCopy, 47> kArticleColumns{{
    {"ARTI_COD", V},       {"ARTI_DES", V},      {"GRUP_COD", V},        {"SUBG_COD", V},
    {"MARC_COD", V},       {"ARTI_DESVAR", V},   {"ARTI_TIPO", V},       {"ARTI_EXIST", V},
    {"ARTI_FECHA", V},     {"ARTI_UNIDAD", V},   {"ARTI_PRECIO", C},     {"ARTI_CONSUMO", C},
    {"ARTI_IMPOTRO", C},   {"ARTI_PESO", C},     {"ARTI_ANCHO", C},      {"ARTI_ALTO", C},
    {"ARTI_LARGO", C},     {"ARTI_OBS", T},      {"ARTI_FOTO", V},       {"ARTI_MAX", C},
    {"ARTI_MIN", C},       {"ARTI_DIAS", V},     {"ESAR_COD", V},        {"ARTI_USUARIO", V},
    {"TAIV_COD", V},       {"ARTI_CLASE", V},    {"ARTI_DIANALIS", V},   {"ARTI_DESCORTA", V},
    {"ARTI_PRODCANT", V},  {"ARTI_CICLO", V},    {"ARTI_TIENDA", V},     {"ARTI_ENSAMBLE", V},
    {"ARTI_VALORBONO", C}, {"ARTI_MERMA", C},    {"ARTI_SOBRANTE", V},   {"ARTI_PORCSOBR", C},
    {"ARTI_DEC2799", V},   {"ARTI_TERCERO", T},  {"ARTI_INVIMA", T},     {"ARTI_INALC", T},
    {"ARTI_DTOMAX", T},    {"ARTI_CUM", T},      {"ARTI_POSARANCEL", T}, {"ARTI_REUSOB", V},
    {"ARTI_MERMAENT", T},  {"ARTI_MERMAPOR", T}, {"ARTI_SOBTOT", V},
}};

constexpr std::array<ColumnCopy, 15> kPriceColumns{{
    {"LIPR_COD", V},
    {"ARTI_COD", V},
    {"PRAR_FIJO", C},
    {"PRAR_MARGEN", C},
    {"PRAR_UTIL", C},
    {"PRAR_AUTO", V},
    {"PRAR_CONSUMO", C},
    {"PRAR_COMI", C},
    {"PRAR_COMIMONTO", C},
    {"PRAR_CANTMIN", C},
    {"PRAR_DTO1", C},
    {"PRAR_DTO2", C},
    {"PRAR_COMIC", C},
    {"PRAR_REDON", V},
    {"PRAR_ESCALAS", V},
}};

void copy(Field& from, Field& to, Mode mode) {
    switch (mode) {
    case Mode::Value:
        to.setAsVariant(from.AsVariant());
        break;
    case Mode::Currency:
        to.setAsCurrency(from.AsCurrency());
        break;
    case Mode::Text:
        to.setAsString(from.AsString());
        break;
    }
}

template <std::size_t N>
void copyByName(Query& origin, StagedDataset& dest, const std::array<ColumnCopy, N>& columns) {
    for (const ColumnCopy& c : columns)
        copy(origin.fieldByName(c.name), dest.fieldByName(c.name), c.mode);
}

void copyByPosition(Query& origin, StagedDataset& dest) {
    const int n = dest.fieldCount();
    for (int i = 0; i < n; ++i) {
        Field& to = dest.field(i);
        copy(origin.field(i), to, to.type() == FieldType::ExactDecimal ? Mode::Currency : Mode::Value);
    }
}

void openOrigin(Query& origin, const std::string& select) {
    origin.close();
    origin.clear();
    origin.add(select);
    origin.open();
}

// The destination's select; one that takes its values as parameters is prepared once per destination.
struct DestinationSelect {
    std::string text;
    std::vector<Value> params;
};

// The event's document number as a parameter. The origin's select reads it as a number literal first and
// fails on anything else, so only a whole number reaches a destination; NULL stands for the rest.
Value idValue(const std::string& id) {
    long long number = 0;
    const auto [end, failure] = std::from_chars(id.data(), id.data() + id.size(), number);
    return failure == std::errc() && end == id.data() + id.size() ? Value::integer(number) : Value::null();
}

void openDestination(StagedDataset& dest, const DestinationSelect& select) {
    dest.close();
    dest.setCommandText(select.text);
    dest.setCommandParameters(select.params);
    dest.open();
    if (dest.isEmpty())
        dest.insert();
    else
        dest.edit();
}

// Post, then apply with no tolerance; true when the destination refused the row.
bool postAndApply(StagedDataset& dest) {
    dest.post();
    return dest.applyUpdates(0) != 0;
}

void runDelete(StagedDataset& dest, const std::string& statement) {
    dest.close();
    dest.setCommandText(statement);
    dest.execute();
    dest.close();
}

// Types 101, 126, 1125 and 1126: the first origin row, copied into the first destination row or a new one.

bool copyFirstRow(const ApplyTarget& t, const std::string& originSelect,
                  const std::function<DestinationSelect()>& destinationSelect,
                  const std::function<void()>& copyColumns) {
    openOrigin(t.origin, originSelect);
    if (t.origin.isEmpty()) {
        t.origin.close();
        return false;
    }
    openDestination(t.destination, destinationSelect());
    copyColumns();
    const bool refused = postAndApply(t.destination);
    t.destination.close();
    t.origin.close();
    return refused;
}

// Types 229 and 2291: every origin row, each into the first destination row of the event's key.
bool copyEveryRow(const ApplyTarget& t, const std::string& originSelect,
                  const DestinationSelect& destinationSelect) {
    bool refused = false;
    t.origin.clear();
    t.origin.add(originSelect);
    t.origin.open();
    while (!t.origin.eof()) {
        openDestination(t.destination, destinationSelect);
        copyByPosition(t.origin, t.destination);
        if (postAndApply(t.destination))
            refused = true;
        t.destination.close();
        t.origin.next();
    }
    t.origin.close();
    return refused;
}

} // namespace

bool applyEvent(const ApplyTarget& t) {
    const ReplicationEvent& ev = t.event;
    const std::string code = sqlTextLiteral(ev.code);
    const std::string& id = ev.document;
    const EventAction action = actionFor(ev.type, ev.letter);
    if (action == EventAction::PassOver)
        return false;

    switch (ev.type) {
    case ArticleEvent:
        return copyFirstRow(
            t, "select * from articulo where arti_cod = " + code,
            [&] {
                return DestinationSelect{"SELECT * FROM ARTICULO WHERE ARTI_COD = ?",
                                         {Value::string(ev.code)}};
            },
            [&] { copyByName(t.origin, t.destination, kArticleColumns); });
    case ArticlePriceEvent:
        if (action == EventAction::Delete) {
            runDelete(t.destination,
                      "DELETE from PRECIOS_ARTICULO where arti_cod = " + code + " and lipr_cod = " + id);
            return false;
        }
        return copyFirstRow(
            t, "select * from PRECIOS_ARTICULO where arti_cod = " + code + " and lipr_cod = " + id,
            [&] {
                return DestinationSelect{"SELECT * from PRECIOS_ARTICULO where arti_cod = ? AND LIPR_COD = ?",
                                         {Value::string(ev.code), t.origin.field(0).AsVariant()}};
            },
            [&] { copyByName(t.origin, t.destination, kPriceColumns); });
    case FuturePriceListEvent:
        if (action == EventAction::Delete) {
            runDelete(t.destination, "DELETE from PRECIOS_FUTUROS where PRFU_ID = " + id);
            return false;
        }
        return copyFirstRow(
            t, "select * from PRECIOS_FUTUROS where PRFU_ID = " + id,
            [&] {
                return DestinationSelect{"SELECT * from PRECIOS_FUTUROS where PRFU_ID = ?", {idValue(id)}};
            },
            [&] { copyByPosition(t.origin, t.destination); });
    case FuturePriceLineEvent:
        if (action == EventAction::Delete) {
            runDelete(t.destination, "DELETE from PRECIOS_FUTUROS_ARTICULOS where arti_cod = " + code +
                                         " and prfu_id = " + id);
            return false;
        }
        return copyFirstRow(
            t, "select * from PRECIOS_FUTUROS_ARTICULOS where arti_cod = " + code + " and prfu_id = " + id,
            [&] {
                return DestinationSelect{
                    "SELECT * from PRECIOS_FUTUROS_ARTICULOS where arti_cod = ? AND PRFU_ID = ?",
                    {Value::string(ev.code), idValue(id)}};
            },
            [&] { copyByPosition(t.origin, t.destination); });
    case DiscountEvent:
        if (action == EventAction::Delete) {
            runDelete(t.destination, "DELETE from DESCUENTOS_PRECIOS where DCTP_ID = " + id);
            return false;
        }
        return copyEveryRow(t, "select * from DESCUENTOS_PRECIOS where DCTP_ID = " + id,
                            {"SELECT * from DESCUENTOS_PRECIOS where DCTP_ID = ?", {idValue(id)}});
    case DiscountLineEvent:
        if (action == EventAction::Delete) {
            runDelete(t.destination,
                      "DELETE from DESCUENTOS_PRECIOS_DET where DCTP_ID = " + id + " AND ARTI_COD = " + code);
            return false;
        }
        return copyEveryRow(
            t, "select * from DESCUENTOS_PRECIOS_DET where DCTP_ID = " + id + " AND ARTI_COD = " + code,
            {"SELECT * from DESCUENTOS_PRECIOS_DET where DCTP_ID = ? AND ARTI_COD = ?",
             {idValue(id), Value::string(ev.code)}});
    default:
        return false;
    }
}

const std::vector<std::string>& appliedTables() {
    static const std::vector<std::string> tables{"ARTICULO",           "PRECIOS_ARTICULO",
                                                 "PRECIOS_FUTUROS",    "PRECIOS_FUTUROS_ARTICULOS",
                                                 "DESCUENTOS_PRECIOS", "DESCUENTOS_PRECIOS_DET"};
    return tables;
}

} // namespace envio
