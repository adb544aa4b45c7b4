// The host without an editor (see script_host.h).
#include "script/script_host.h"

#include <chrono>
#include <thread>

#include "platform/ui.h"
#include "script/interpreter.h"
#include "script/name_tables.h"

namespace norv::script {

void ScriptHost::Wait(int32_t ms) {
    // Sleeps in small steps so that Break still stops a long wait.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

uint32_t ScriptHost::ReadSysVar(int index, Runtime& rt) {
    // No view is open: Integers read 0, Strings read empty.
    (void)index, (void)rt;
    return 0;
}

void ScriptHost::WriteSysVar(int index, uint32_t value, Runtime& rt) {
    (void)index, (void)value, (void)rt;
}

uint32_t ScriptHost::CallExternal(const ExternalCall& call, Runtime& rt) {
    return rt.CallLibrary(call);
}

}  // namespace norv::script
