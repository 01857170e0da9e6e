#pragma once

namespace envio {

class Principal;

// Carries the current event of the event list (CEventos) from the origin into the current destination.
// Returns true when the destination refused rows (the event must stay pending).
bool applyEvent(Principal& p, long long type);

} // namespace envio
