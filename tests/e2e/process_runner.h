// Runs a program of the build as a child process with its own environment and folder, reads its
// standard output line by line while it runs, and ends it (signal or wait) afterwards. Standard
// error goes to a file, so a chatty child never blocks on a full pipe.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace norv::testing {

class ChildProcess {
  public:
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::map<std::string, std::string>& env, const std::string& folder,
                 const std::string& errFile) {
        int out[2];
        if (pipe(out) != 0) return;
        std::vector<std::string> envText;
        for (char** e = environ; *e; ++e) {
            std::string kv = *e;
            const std::string key = kv.substr(0, kv.find('='));
            if (!env.count(key) && key != "DISPLAY" && key != "WAYLAND_DISPLAY")
                envText.push_back(kv);
        }
        for (const auto& [k, v] : env) envText.push_back(k + "=" + v);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
            if (err >= 0) dup2(err, 2);
            close(out[0]);
            close(out[1]);
            if (chdir(folder.c_str()) != 0) _exit(126);
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            std::vector<char*> envp;
            for (auto& e : envText) envp.push_back(e.data());
            envp.push_back(nullptr);
            execve(program.c_str(), argv.data(), envp.data());
            _exit(127);
        }
        close(out[1]);
        out_ = out[0];
    }
    ~ChildProcess() {
        if (pid_ > 0 && !status_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The lines of standard output up to (not including) the next line equal to `last`; nothing
    // when it did not come within `timeoutMs` (or the output ended).
    std::optional<std::vector<std::string>> ReadUntil(const std::string& last,
                                                      int timeoutMs = 120000) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        std::vector<std::string> lines;
        for (;;) {
            size_t nl;
            while ((nl = buffer_.find('\n')) != std::string::npos) {
                std::string line = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                if (line == last) return lines;
                lines.push_back(line);
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0 || out_ < 0) return std::nullopt;
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
            char chunk[4096];
            ssize_t n = read(out_, chunk, sizeof chunk);
            if (n <= 0) {
                close(out_);
                out_ = -1;
                continue;
            }
            buffer_.append(chunk, static_cast<size_t>(n));
        }
    }

    // The exit status (-1 for a signal), or nothing when it still runs after `timeoutMs`.
    std::optional<int> Wait(int timeoutMs = 120000) {
        if (status_) return status_;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            int st = 0;
            if (waitpid(pid_, &st, WNOHANG) == pid_) {
                status_ = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
                return status_;
            }
            if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    // Whether it is still running (without waiting).
    bool Running() { return !Wait(0).has_value(); }

    void Signal(int sig) {
        if (pid_ > 0 && !status_) kill(pid_, sig);
    }
    bool started() const { return pid_ > 0; }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffer_;
    std::optional<int> status_;
};

}  // namespace norv::testing
