// The detached start through a helper process.
//
// The helper forks the program, which reports a failed exec through a close-on-exec pipe; the
// helper then polls the program's exit for up to the wait and writes one report to the caller:
// "R" running, "E<status>" ended, "N<errno>" not started. The caller waits for the helper,
// which ends right after its report.
#include "platform/process_start.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace norv::platform {
namespace {

void WriteAll(int fd, const char* s, size_t n) {
    while (n > 0) {
        const ssize_t w = write(fd, s, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return;
        s += w;
        n -= static_cast<size_t>(w);
    }
}

[[noreturn]] void RunHelper(const std::vector<char*>& args, int report, int waitMs) {
    int execPipe[2];
    if (pipe2(execPipe, O_CLOEXEC) != 0) _exit(1);
    const pid_t pid = fork();
    if (pid < 0) {
        char text[32];
        const int n = std::snprintf(text, sizeof text, "N%d", errno);
        WriteAll(report, text, static_cast<size_t>(n));
        _exit(0);
    }
    if (pid == 0) {
        close(execPipe[0]);
        close(report);
        const int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0) dup2(devNull, 0);
        signal(SIGPIPE, SIG_DFL);
        execvp(args[0], args.data());
        const int e = errno;
        WriteAll(execPipe[1], reinterpret_cast<const char*>(&e), sizeof e);
        _exit(127);
    }
    close(execPipe[1]);
    int e = 0;
    ssize_t got;
    do {
        got = read(execPipe[0], &e, sizeof e);
    } while (got < 0 && errno == EINTR);
    char text[32];
    int n;
    if (got == static_cast<ssize_t>(sizeof e)) {
        waitpid(pid, nullptr, 0);
        n = std::snprintf(text, sizeof text, "N%d", e);
    } else {
        n = std::snprintf(text, sizeof text, "R");
        for (int waited = 0; waited <= waitMs; waited += 10) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                n = std::snprintf(text, sizeof text, "E%d", code);
                break;
            }
            if (waited == waitMs) break;
            const timespec ten{0, 10 * 1000 * 1000};
            nanosleep(&ten, nullptr);
        }
    }
    WriteAll(report, text, static_cast<size_t>(n));
    _exit(0);
}

}  // namespace

StartOutcome StartDetached(const std::vector<std::string>& argv, int waitMs) {
    StartOutcome out;
    if (argv.empty() || argv[0].empty()) {
        out.error = ENOENT;
        return out;
    }
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        out.error = errno;
        return out;
    }
    const pid_t helper = fork();
    if (helper < 0) {
        out.error = errno;
        close(report[0]);
        close(report[1]);
        return out;
    }
    if (helper == 0) {
        close(report[0]);
        setsid();
        RunHelper(args, report[1], waitMs < 0 ? 0 : waitMs);
    }
    close(report[1]);
    char text[32] = {};
    size_t len = 0;
    for (;;) {
        const ssize_t r = read(report[0], text + len, sizeof text - 1 - len);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        len += static_cast<size_t>(r);
        if (len >= sizeof text - 1) break;
    }
    close(report[0]);
    while (waitpid(helper, nullptr, 0) < 0 && errno == EINTR) {
    }
    if (len > 0 && text[0] == 'R') {
        out.kind = StartOutcome::Kind::kRunning;
    } else if (len > 0 && text[0] == 'E') {
        out.kind = StartOutcome::Kind::kExited;
        out.status = std::atoi(text + 1);
    } else {
        out.kind = StartOutcome::Kind::kNotStarted;
        out.error = len > 0 ? std::atoi(text + 1) : ECHILD;
    }
    return out;
}

}  // namespace norv::platform
