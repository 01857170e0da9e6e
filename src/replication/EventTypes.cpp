#include "replication/EventTypes.h"

namespace envio {

bool isReplicatedType(long long type) {
    switch (type) {
    case ArticleEvent:
    case ArticlePriceEvent:
    case FuturePriceListEvent:
    case FuturePriceLineEvent:
    case DiscountEvent:
    case DiscountLineEvent:
        return true;
    default:
        return false;
    }
}

EventAction actionFor(long long type, const std::string& letter) {
    switch (type) {
    case ArticleEvent:
        return letter == "I" ? EventAction::Copy : EventAction::PassOver;
    case DiscountLineEvent:
        return letter == "A" ? EventAction::Delete : EventAction::Copy;
    case ArticlePriceEvent:
    case FuturePriceListEvent:
    case FuturePriceLineEvent:
    case DiscountEvent:
        return letter == "D" ? EventAction::Delete : EventAction::Copy;
    default:
        return EventAction::PassOver;
    }
}

std::string generalLocation(const std::string& server) {
    return server + "/" + "datos" + "/" + "general.fdb";
}

std::string companyLocation(const std::string& server, const std::string& companyCode) {
    return server + "/datos/" + companyCode + "/vertano.fdb";
}

} // namespace envio
