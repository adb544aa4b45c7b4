// Uninstalling: only from the folder the install record names, only the files setup wrote and
// that are unchanged since; everything else is kept and named. Setup itself and the folders
// that then are empty go last, after setup has ended (`StartSelfRemoval`).
#pragma once

#include <string>
#include <vector>

#include "setup/setup_session.h"

namespace norv::setup {

enum class UninstallOutcome {
    kCancelled,
    kNotInstalled,  // no record, or setup does not run from the recorded folder: nothing deleted
    kDone,
};

// What is left for the removal after setup has ended: the program and the folders to remove
// when empty, deepest first.
struct SelfRemoval {
    std::string program;
    std::vector<std::string> folders;
};

UninstallOutcome Uninstall(SetupSession& session, SelfRemoval& removal);

// The script that removes what `removal` names; its paths come as arguments, never inside its
// text. It deletes the program until it is gone (a few seconds at most), removes the empty
// folders, then itself and its folder.
inline constexpr std::string_view kDelUsScript =
    "#!/bin/sh\n"
    "# Removes an uninstalled program once it has ended, then the folders it leaves empty.\n"
    "PATH=/usr/bin:/bin\n"
    "export PATH\n"
    "prog=$1\n"
    "shift\n"
    "n=0\n"
    "while [ -e \"$prog\" ] && [ $n -lt 50 ]; do\n"
    "  rm -f -- \"$prog\"\n"
    "  [ -e \"$prog\" ] && sleep 0.1\n"
    "  n=$((n + 1))\n"
    "done\n"
    "for d in \"$@\"; do rmdir -- \"$d\" 2>/dev/null; done\n"
    "here=$(dirname -- \"$0\")\n"
    "rm -f -- \"$0\"\n"
    "rmdir -- \"$here\" 2>/dev/null\n"
    "exit 0\n";

// Writes "DelUS.sh" into a private folder under `tmpDir` and starts it detached. False when
// the script could not be written or started (the program and its folder then stay).
bool StartSelfRemoval(platform::FileSystem& fs, const std::string& tmpDir,
                      const SelfRemoval& removal);

}  // namespace norv::setup
