#include "db/Provider.h"

namespace envio {

Provider::Provider(std::string name, Query& query, bool acceptsCommandText)
    : name_(std::move(name)), query_(query), acceptsCommandText_(acceptsCommandText) {}

} // namespace envio
