// SIGINT as Ctrl+Break (see break_signal.h).
#include "script/break_signal.h"

#include <atomic>
#include <csignal>

namespace norv::script {

namespace {
std::atomic<bool> gPressed{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnSigint(int) {
    gPressed.store(true);
}
}  // namespace

void InstallBreakSignal() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    struct sigaction sa {};
    sa.sa_handler = OnSigint;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
}

bool TakeBreakSignal() {
    return gPressed.exchange(false);
}

}  // namespace norv::script
