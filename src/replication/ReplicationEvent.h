#pragma once

#include <string>

namespace envio {

class StagedDataset;

// One pending event as a send run reads it from the event list, every value as its field gives it as text
// (NULL as empty text).
struct ReplicationEvent {
    long long id = 0;   // RPEV_ID
    long long type = 0; // RPEV_TIPO
    std::string idText;
    std::string typeText;
    std::string letter;   // RPEV_OPER
    std::string code;     // RPEV_CODIGO
    std::string document; // RPEV_IDDOC in decimal, empty when NULL
    std::string prefix;   // RPEV_PREF
    std::string number;   // RPEV_NUMERO

    // The current row of an event list.
    static ReplicationEvent fromCurrentRow(StagedDataset& events);

    // "type,letter,prefixnumber,code": what the window shows of the event being applied.
    std::string summary() const;
};

} // namespace envio
