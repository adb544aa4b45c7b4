// Starting a program detached from the caller: an argument list, never a shell; its own
// session, standard input from /dev/null; and never a zombie left in the caller.
//
// A short-lived helper process starts the program and waits for it for at most `waitMs`: the
// caller learns whether the program could be started (with the errno of a failed exec) and, if
// it ended within that time, its exit status. The caller reaps the helper at once; a program
// still running afterwards belongs to init, which reaps it.
#pragma once

#include <string>
#include <vector>

namespace norv::platform {

struct StartOutcome {
    enum class Kind {
        kRunning,     // started and still running after waitMs
        kExited,      // started and ended within waitMs; `status` is its exit status
        kNotStarted,  // could not be started; `error` is the errno
    };
    Kind kind = Kind::kNotStarted;
    int status = 0;  // exit status, or 128 + signal number
    int error = 0;
};

// Starts argv[0] (looked up on PATH when it has no "/") with the arguments argv.
StartOutcome StartDetached(const std::vector<std::string>& argv, int waitMs = 0);

}  // namespace norv::platform
