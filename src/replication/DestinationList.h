#pragma once

#include <optional>
#include <string>

namespace envio {

class ReplicationSession;

// The origin company chosen by the operator and the destination list of that origin (REPLICA_PRECIOS):
// "Conectar" connects the origin with the login values and reads the list afresh; the editor's "Grabar"
// applies the list's staged changes and its "Salir" discards them. None of them acts while a send run is in
// progress.
class DestinationList {
public:
    explicit DestinationList(ReplicationSession& session) : session_(session) {}

    // The origin company selector's key; none until a company is chosen.
    void setCompanyKey(std::optional<std::string> key) { companyKey_ = std::move(key); }
    const std::optional<std::string>& companyKey() const { return companyKey_; }

    void connectOrigin();
    void save();
    void discard();

private:
    ReplicationSession& session_;
    std::optional<std::string> companyKey_;
};

} // namespace envio
