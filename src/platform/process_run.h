// Running an external program whose output the editor reads or waits for.
//
// The program starts from an argument vector (looked up on PATH when its name has no "/"), in
// a working folder, with standard input from /dev/null. One stream may be captured through a
// pipe (its standard output, or its error stream instead), or its standard output written to a
// file (a filter's output); the other streams are the editor's. Only the three standard
// descriptors reach it, with the default signal dispositions and an empty signal mask. A
// program that cannot be executed is a start failure, never an exit status of 127.
//
// The program is never killed: when the editor stops waiting for it, it runs on, and it is
// reaped once it ends (ReapEndedPrograms, also called by every start), so no zombie is left.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace norv::platform {

enum class ProgramCapture : uint8_t {
    kNone,
    kOutput,  // standard output into the pipe
    kErrors,  // the error stream into the pipe; standard output stays the editor's
};

struct ProgramRequest {
    std::vector<std::string> argv;
    std::string folder;  // the working folder; empty: the current one
    ProgramCapture capture = ProgramCapture::kNone;
    std::string outputFile;  // without capture: standard output written to this file
};

class RunningProgram {
  public:
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Starts the program; nothing, with the errno in *error, when it cannot be started.
    static std::unique_ptr<RunningProgram> Start(const ProgramRequest& request, int* error);

    pid_t pid() const { return pid_; }
    // The captured stream's read end (non-blocking), -1 without capture or once it ended.
    int captureFd() const { return fd_; }
    // Reads what the program wrote so far: the bytes, 0 when nothing is there yet, -1 at the
    // end of its output (the pipe closed).
    long Read(char* buffer, size_t size);
    // Waits at most `ms` milliseconds for output or the end of the output; true when Read has
    // something to say.
    bool WaitForOutput(int ms);
    // Whether the program has ended (its status in `status`: the exit code, or 128 + signal).
    bool Ended();
    // Waits at most `ms` milliseconds for the program's end; as Ended() then.
    bool WaitForEnd(int ms);
    std::optional<int> status() const { return status_; }
    // Stops reading: the pipe is closed, so the program's further writes go nowhere and it is
    // never blocked by a full pipe; it runs on and is reaped when it ends.
    void StopReading();

  private:
    RunningProgram(pid_t pid, int fd) : pid_(pid), fd_(fd) {}
    pid_t pid_;
    int fd_;
    int pidFd_ = -2;  // a descriptor that polls readable once the program ended; -2: not opened
    std::optional<int> status_;
};

// Reaps the programs started here that have ended since (never waits).
void ReapEndedPrograms();

}  // namespace norv::platform
