#pragma once

namespace envio {

// How long a send run waits for a row another transaction holds, in seconds: the value "EsperaBloqueo" of
// the settings file that names the installation directory, 60 when absent or not a whole number from 1 to
// 3600. When the wait runs out, the event fails with the database's lock time-out and the run goes on.
int lockWaitSeconds();

// How many destinations a send run serves at once: the value "Paralelo" of the same settings file, 4 when
// absent or not a whole number from 1 to 32. With 1 the destinations are served one after another.
int sendLanes();

} // namespace envio
