// The program's private temporary folder (see temp_folder.h).
#include "platform/temp_folder.h"

#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace norv::platform {
namespace {

std::mutex g_mutex;
std::string g_folder;
// The folder's path for the signal handler, which may not allocate.
char g_signalPath[4096];

// The names the program puts into the folder, removed from a signal handler.
constexpr const char* kKnownNames[] = {"Norv.$$$", "Norv.txt", "Norv.TMP", "NORVTMP"};

void RemoveOnSignal(int signalNumber) {
    if (g_signalPath[0]) {
        char path[sizeof g_signalPath + 16];
        for (const char* name : kKnownNames) {
            const size_t n = strlen(g_signalPath);
            memcpy(path, g_signalPath, n);
            strcpy(path + n, name);
            unlink(path);
        }
        rmdir(g_signalPath);
    }
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

void RemoveAtExit() {
    RemovePrivateTempFolder();
}

// Removes the folder when the program is ended by a signal that would skip the exit handlers,
// unless the program handles that signal itself.
void CatchEndingSignals() {
    for (int s : {SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (sigaction(s, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            struct sigaction act {};
            act.sa_handler = RemoveOnSignal;
            sigemptyset(&act.sa_mask);
            sigaction(s, &act, nullptr);
        }
    }
}

}  // namespace

const std::string& PrivateTempFolder() {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_folder.empty()) return g_folder;
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = base && *base ? base : "/tmp";
    if (tmpl.back() != '/') tmpl += '/';
    tmpl += "norv-XXXXXX";
    // mkdtemp makes the folder with mode 0700 and never reuses an existing name.
    if (!mkdtemp(tmpl.data())) return g_folder;
    g_folder = tmpl + "/";
    if (g_folder.size() < sizeof g_signalPath)
        memcpy(g_signalPath, g_folder.c_str(), g_folder.size() + 1);
    static bool registered = false;
    if (!registered) {
        registered = true;
        std::atexit(RemoveAtExit);
        CatchEndingSignals();
    }
    return g_folder;
}

std::string PrivateTempFile(std::string_view name) {
    const std::string& folder = PrivateTempFolder();
    if (folder.empty()) return {};
    return folder + std::string(name);
}

void RemovePrivateTempFolder() {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_folder.empty()) return;
    g_signalPath[0] = 0;
    std::error_code ec;
    std::filesystem::remove_all(g_folder, ec);
    g_folder.clear();
}

}  // namespace norv::platform
