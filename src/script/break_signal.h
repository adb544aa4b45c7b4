// Ctrl+Break for scripts run from a terminal: SIGINT counts as a press. The handler only sets a
// flag; the interpreter polls it every 1000 instructions through its host.
#pragma once

namespace norv::script {

// Installs the SIGINT handler (once).
void InstallBreakSignal();
// True when SIGINT arrived since the last call; clears the flag.
bool TakeBreakSignal();

}  // namespace norv::script
