#include "replication/ReplicationEvent.h"

#include "db/StagedDataset.h"

namespace envio {

ReplicationEvent ReplicationEvent::fromCurrentRow(StagedDataset& events) {
    ReplicationEvent e;
    e.id = events.fieldByName("RPEV_ID").AsInteger();
    e.type = events.fieldByName("RPEV_TIPO").AsInteger();
    e.idText = events.fieldByName("RPEV_ID").AsString();
    e.typeText = events.fieldByName("RPEV_TIPO").AsString();
    e.letter = events.fieldByName("RPEV_OPER").AsString();
    e.code = events.fieldByName("RPEV_CODIGO").AsString();
    e.document = events.fieldByName("RPEV_IDDOC").AsString();
    e.prefix = events.fieldByName("RPEV_PREF").AsString();
    e.number = events.fieldByName("RPEV_NUMERO").AsString();
    return e;
}

std::string ReplicationEvent::summary() const {
    return typeText + "," + letter + "," + prefix + number + "," + code;
}

} // namespace envio
