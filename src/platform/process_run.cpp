// Running an external program (see process_run.h) with posix_spawn.
#include "platform/process_run.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

extern char** environ;

namespace norv::platform {
namespace {

// Programs the editor stopped waiting for, reaped once they end.
std::mutex g_orphansMutex;
std::vector<pid_t> g_orphans;

int ExitCode(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class SpawnSetup {
  public:
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions_);
        posix_spawnattr_init(&attr_);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions_);
        posix_spawnattr_destroy(&attr_);
    }
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attr_;
};

}  // namespace

void ReapEndedPrograms() {
    std::lock_guard<std::mutex> lock(g_orphansMutex);
    for (size_t i = 0; i < g_orphans.size();) {
        int status = 0;
        const pid_t r = waitpid(g_orphans[i], &status, WNOHANG);
        if (r == g_orphans[i] || (r < 0 && errno == ECHILD)) {
            g_orphans[i] = g_orphans.back();
            g_orphans.pop_back();
        } else {
            ++i;
        }
    }
}

std::unique_ptr<RunningProgram> RunningProgram::Start(const ProgramRequest& request, int* error) {
    ReapEndedPrograms();
    int ignored = 0;
    if (!error) error = &ignored;
    *error = 0;
    if (request.argv.empty() || request.argv[0].empty()) {
        *error = ENOENT;
        return nullptr;
    }
    if (!request.folder.empty() && access(request.folder.c_str(), X_OK) != 0) {
        *error = errno;
        return nullptr;
    }
    int pipeFds[2] = {-1, -1};
    const bool capture = request.capture != ProgramCapture::kNone;
    if (capture && pipe2(pipeFds, O_CLOEXEC) != 0) {
        *error = errno;
        return nullptr;
    }
    SpawnSetup setup;
    posix_spawn_file_actions_t* actions = &setup.actions_;
    posix_spawn_file_actions_addopen(actions, 0, "/dev/null", O_RDONLY, 0);
    if (capture) {
        const int target = request.capture == ProgramCapture::kOutput ? 1 : 2;
        posix_spawn_file_actions_adddup2(actions, pipeFds[1], target);
    } else if (!request.outputFile.empty()) {
        posix_spawn_file_actions_addopen(actions, 1, request.outputFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    if (!request.folder.empty())
        posix_spawn_file_actions_addchdir_np(actions, request.folder.c_str());
    // Only the three standard descriptors reach the program.
    posix_spawn_file_actions_addclosefrom_np(actions, 3);
    sigset_t all;
    sigfillset(&all);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&setup.attr_, &all);
    posix_spawnattr_setsigmask(&setup.attr_, &none);
    posix_spawnattr_setflags(&setup.attr_, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<char*> args;
    for (const std::string& a : request.argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], actions, &setup.attr_, args.data(), environ);
    if (capture) close(pipeFds[1]);
    if (rc != 0) {
        if (capture) close(pipeFds[0]);
        *error = rc;
        return nullptr;
    }
    if (capture) fcntl(pipeFds[0], F_SETFL, fcntl(pipeFds[0], F_GETFL) | O_NONBLOCK);
    return std::unique_ptr<RunningProgram>(new RunningProgram(pid, capture ? pipeFds[0] : -1));
}

RunningProgram::~RunningProgram() {
    StopReading();
    if (pidFd_ >= 0) close(pidFd_);
    if (!Ended()) {
        std::lock_guard<std::mutex> lock(g_orphansMutex);
        g_orphans.push_back(pid_);
    }
}

long RunningProgram::Read(char* buffer, size_t size) {
    if (fd_ < 0) return -1;
    for (;;) {
        const ssize_t n = read(fd_, buffer, size);
        if (n > 0) return static_cast<long>(n);
        if (n == 0) {
            StopReading();
            return -1;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        StopReading();
        return -1;
    }
}

bool RunningProgram::WaitForOutput(int ms) {
    if (fd_ < 0) return true;
    pollfd p{fd_, POLLIN, 0};
    const int r = poll(&p, 1, ms);
    return r > 0;
}

bool RunningProgram::Ended() {
    if (status_) return true;
    int status = 0;
    pid_t r;
    do {
        r = waitpid(pid_, &status, WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == pid_) {
        status_ = ExitCode(status);
        return true;
    }
    if (r < 0) {
        status_ = -1;  // reaped elsewhere
        return true;
    }
    return false;
}

bool RunningProgram::WaitForEnd(int ms) {
    if (Ended()) return true;
#ifdef SYS_pidfd_open
    if (pidFd_ == -2) pidFd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
#endif
    if (pidFd_ >= 0) {
        pollfd p{pidFd_, POLLIN, 0};
        while (poll(&p, 1, ms) < 0 && errno == EINTR) {
        }
        return Ended();
    }
    // Without process descriptors: looked at every millisecond.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!Ended()) {
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void RunningProgram::StopReading() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

}  // namespace norv::platform
