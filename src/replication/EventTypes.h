#pragma once

#include "db/SqlLiteral.h"

#include <string>

namespace envio {

// Event types of the replication queue, each naming the table it changes.
enum EventType : int {
    ArticleEvent = 101,          // ARTICULO
    ArticlePriceEvent = 126,     // PRECIOS_ARTICULO
    FuturePriceListEvent = 1125, // PRECIOS_FUTUROS
    FuturePriceLineEvent = 1126, // PRECIOS_FUTUROS_ARTICULOS
    DiscountEvent = 229,         // DESCUENTOS_PRECIOS
    DiscountLineEvent = 2291,    // DESCUENTOS_PRECIOS_DET
};

bool isReplicatedType(long long type);

// What an event's operation letter asks of its applier.
enum class EventAction { Copy, Delete, PassOver };
EventAction actionFor(long long type, const std::string& letter);

// Database locations built from a server string and a company code.
std::string generalLocation(const std::string& server);
std::string companyLocation(const std::string& server, const std::string& companyCode);

} // namespace envio
