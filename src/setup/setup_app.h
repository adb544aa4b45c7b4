// The program: its command line, the start (INF, checks) and the hand-over to the install
// dialog or the uninstaller.
#pragma once

#include <string>
#include <vector>

namespace norv::setup {

inline constexpr const char* kSetupVersion = "setup 0.1.0";

struct SetupOptions {
    bool uninstall = false;  // the argument "u", without regard to case
    bool headless = false;
    bool user = false;
    bool help = false;
    bool version = false;
    std::string target;  // --target DIR
    std::string error;   // an unknown or incomplete long option
};

SetupOptions ParseSetupArgs(const std::vector<std::string>& args);

// Runs setup; `programPath` is its own full path. The exit status is 0 unless a --headless run
// did not do everything (or the command line was wrong).
int RunSetup(int argc, char** argv, const std::string& programPath);

}  // namespace norv::setup
