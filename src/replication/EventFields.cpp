#include "replication/EventFields.h"

namespace envio {

namespace {

FieldDef f(const char* name, FieldType type, int size = 0, bool required = false, const char* label = "",
           bool fixed = false) {
    return FieldDef{name, type, size, required, label, fixed};
}

} // namespace

std::vector<FieldDef> eventListFields() {
    return {
        f("RPEV_ID", FieldType::Integer, 0, true),   f("RPEV_COMPANIA", FieldType::String, 60, true),
        f("RPEV_TIPO", FieldType::Integer, 0, true), f("RPEV_IDDOC", FieldType::Integer),
        f("RPEV_PREF", FieldType::String, 4),        f("RPEV_NUMERO", FieldType::String, 8),
        f("RPEV_CODIGO", FieldType::String, 20),     f("RPEV_FECREG", FieldType::Date),
        f("RPEV_HORAREG", FieldType::Time),          f("RPEV_FECREP", FieldType::Date),
        f("RPEV_HORAREP", FieldType::Time),          f("RPEV_OPER", FieldType::String, 1, false, "", true),
        f("RPEV_PREFDEST", FieldType::String, 4),    f("RPEV_PTVT", FieldType::Integer),
        f("RPEV_ERROR", FieldType::String, 2048)};
}

std::vector<FieldDef> pendingEventFields() {
    return {f("RPEV_ID", FieldType::Integer, 0, true),
            f("RPEV_COMPANIA", FieldType::String, 60, true, "Servidor"),
            f("RPEV_TIPO", FieldType::Integer, 0, true),
            f("RPEV_IDDOC", FieldType::Integer),
            f("RPEV_PREF", FieldType::String, 4, false, "Pref"),
            f("RPEV_CODIGO", FieldType::String, 20, false,
              "C\xf3"
              "digo"),
            f("RPEV_FECREG", FieldType::Date, 0, false, "Fecha"),
            f("RPEV_HORAREG", FieldType::Time, 0, false, "Hora"),
            f("RPEV_FECREP", FieldType::Date),
            f("RPEV_HORAREP", FieldType::Time),
            f("RPEV_OPER", FieldType::String, 1, false, "Op", true),
            f("RPEV_PREFDEST", FieldType::String, 4, false, "Prefd"),
            f("RPEV_PTVT", FieldType::Integer, 0, false, "PtVt"),
            f("RPEV_ERROR", FieldType::String, 2048, false, "Mensaje de error"),
            f("RPEV_NUMERO", FieldType::String, 8, false, "Numero")};
}

std::vector<FieldDef> destinationListFields() {
    return {f("RPPR_ID", FieldType::Integer, 0, true, "Id"),
            f("RPPR_NOMBRE", FieldType::String, 60, false, "Nombre"),
            f("RPPR_SERVIDOR", FieldType::String, 60, false, "Servidor"),
            f("RPPR_COD", FieldType::String, 3, true, "CodCia", true)};
}

} // namespace envio
