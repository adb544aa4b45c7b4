// External programs with their output captured: the streams, the folder, what reaches the
// program, start failures, stopping to read without killing, and no zombie left behind.
#include "platform/process_run.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "platform/temp_folder.h"
#include "support/temp_dir.h"

namespace norv::platform {
namespace {

// Everything the program writes into the pipe, until the end of its output.
std::string ReadAll(RunningProgram& p) {
    std::string out;
    char buf[2048];
    for (;;) {
        p.WaitForOutput(1000);
        const long n = p.Read(buf, sizeof buf);
        if (n < 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    return out;
}

int WaitEnd(RunningProgram& p) {
    for (int i = 0; i < 500 && !p.Ended(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return p.status().value_or(-2);
}

std::unique_ptr<RunningProgram> Start(std::vector<std::string> argv,
                                      ProgramCapture capture = ProgramCapture::kOutput,
                                      std::string folder = "", int* error = nullptr) {
    ProgramRequest r;
    r.argv = std::move(argv);
    r.capture = capture;
    r.folder = std::move(folder);
    return RunningProgram::Start(r, error);
}

TEST(ProgramRun, CapturesOneStreamAndKeepsTheOther) {
    const std::string script = "printf out; printf err >&2; read x; printf \"[$x]\"; pwd";
    testing::TempDir dir;
    auto p = Start({"/bin/sh", "-c", script}, ProgramCapture::kOutput, dir.path());
    ASSERT_TRUE(p);
    // Standard input is /dev/null: read gets nothing at once.
    std::string real = std::filesystem::canonical(dir.path()).string();
    EXPECT_EQ(ReadAll(*p), "out[]" + real + "\n");
    EXPECT_EQ(WaitEnd(*p), 0);
    auto e = Start({"/bin/sh", "-c", "printf out >/dev/null; printf err >&2; exit 3"},
                   ProgramCapture::kErrors);
    ASSERT_TRUE(e);
    EXPECT_EQ(ReadAll(*e), "err");
    EXPECT_EQ(WaitEnd(*e), 3);
}

TEST(ProgramRun, OnlyTheStandardDescriptorsAndDefaultSignalsReachTheProgram) {
    // A descriptor of ours without close-on-exec, and a signal we ignore and block.
    const int leaked = dup2(0, 57);
    ASSERT_EQ(leaked, 57);
    signal(SIGUSR1, SIG_IGN);
    sigset_t block;
    sigemptyset(&block);
    sigaddset(&block, SIGUSR2);
    sigprocmask(SIG_BLOCK, &block, nullptr);
    auto p =
        Start({"/bin/sh", "-c", "ls /proc/self/fd; grep -E '^Sig(Ign|Blk)' /proc/self/status"});
    ASSERT_TRUE(p);
    const std::string out = ReadAll(*p);
    sigprocmask(SIG_UNBLOCK, &block, nullptr);
    signal(SIGUSR1, SIG_DFL);
    close(leaked);
    // ls shows 0, 1, 2 and the descriptor it opened for the listing, never ours.
    EXPECT_EQ(out.find(std::to_string(leaked) + "\n"), std::string::npos) << out;
    EXPECT_NE(out.find("SigBlk:\t0000000000000000"), std::string::npos) << out;
    // The shell ignores nothing we ignored (it may ignore signals of its own, not SIGUSR1).
    const size_t ign = out.find("SigIgn:\t");
    ASSERT_NE(ign, std::string::npos);
    const unsigned long long mask = std::stoull(out.substr(ign + 8, 16), nullptr, 16);
    EXPECT_EQ(mask & (1ull << (SIGUSR1 - 1)), 0u) << out;
}

TEST(ProgramRun, AProgramThatCannotRunIsAStartFailure) {
    int error = 0;
    EXPECT_FALSE(Start({"norv-no-such-program"}, ProgramCapture::kOutput, "", &error));
    EXPECT_EQ(error, ENOENT);
    testing::TempDir dir;
    const std::string plain = dir.Write("plain", "not a program");
    chmod(plain.c_str(), 0644);
    EXPECT_FALSE(Start({plain}, ProgramCapture::kNone, "", &error));
    EXPECT_EQ(error, EACCES);
    EXPECT_FALSE(Start({"/bin/true"}, ProgramCapture::kNone, dir.File("missing"), &error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(Start({}, ProgramCapture::kNone, "", &error));
}

TEST(ProgramRun, TheFilterOutputGoesToItsFile) {
    const std::string out = PrivateTempFile("Norv.TMP");
    ASSERT_FALSE(out.empty());
    ProgramRequest r;
    r.argv = {"/bin/sh", "-c", "printf 'b\\na\\n' | sort"};
    r.outputFile = out;
    auto p = RunningProgram::Start(r, nullptr);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->captureFd(), -1);
    EXPECT_EQ(WaitEnd(*p), 0);
    std::ifstream in(out, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "a\nb\n");
}

TEST(ProgramRun, StoppingToReadNeverKillsAndTheProgramIsReaped) {
    testing::TempDir dir;
    const std::string mark = dir.File("done");
    // The program writes once, waits, then leaves a mark: it must run to its end.
    auto p = Start({"/bin/sh", "-c", "echo started; sleep 0.3; : > '" + mark + "'"});
    ASSERT_TRUE(p);
    char buf[64];
    p->WaitForOutput(2000);
    EXPECT_GT(p->Read(buf, sizeof buf), 0);
    const pid_t pid = p->pid();
    p->StopReading();
    p.reset();  // the editor stops waiting
    for (int i = 0; i < 300 && access(mark.c_str(), F_OK) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(access(mark.c_str(), F_OK), 0);
    // Ended and reaped by the next start's sweep: no zombie of it remains.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    auto q = Start({"/bin/true"}, ProgramCapture::kNone);
    ASSERT_TRUE(q);
    WaitEnd(*q);
    EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

// Waiting for a program's end: it returns soon after the end, not at the end of the time
// given; a program that goes on is waited for no longer than asked; its status is kept.
TEST(ProgramRun, WaitingForTheEndReturnsWhenItComes) {
    using Clock = std::chrono::steady_clock;
    auto p = Start({"/bin/sh", "-c", "sleep 0.2; exit 3"}, ProgramCapture::kNone);
    ASSERT_TRUE(p);
    auto t = Clock::now();
    EXPECT_FALSE(p->WaitForEnd(20));
    EXPECT_LT(Clock::now() - t, std::chrono::milliseconds(150));
    t = Clock::now();
    bool ended = false;
    for (int i = 0; i < 10 && !ended; ++i) ended = p->WaitForEnd(1000);
    EXPECT_TRUE(ended);
    EXPECT_LT(Clock::now() - t, std::chrono::milliseconds(900));
    EXPECT_EQ(p->status(), 3);
    EXPECT_TRUE(p->WaitForEnd(0));
    EXPECT_TRUE(p->Ended());
}

TEST(PrivateTempFolder, PrivateToTheProcessAndRemovedWithItsFiles) {
    testing::TempDir base;
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    RemovePrivateTempFolder();
    setenv("TMPDIR", base.path().c_str(), 1);
    const std::string folder = PrivateTempFolder();
    ASSERT_EQ(folder.rfind(base.path() + "/norv-", 0), 0u) << folder;
    EXPECT_EQ(folder.back(), '/');
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(PrivateTempFile("Norv.$$$"), folder + "Norv.$$$");
    std::ofstream(PrivateTempFile("Norv.txt")) << "x";
    RemovePrivateTempFolder();
    EXPECT_NE(stat(folder.c_str(), &st), 0);
    // A new one on the next use, never the same name.
    const std::string again = PrivateTempFolder();
    EXPECT_NE(again, folder);
    RemovePrivateTempFolder();
    if (old) {
        setenv("TMPDIR", saved.c_str(), 1);
    } else {
        unsetenv("TMPDIR");
    }
}

TEST(PrivateTempFolder, RemovedWhenTheProgramIsEndedBySigterm) {
    testing::TempDir base;
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t child = fork();
    if (child == 0) {
        setenv("TMPDIR", base.path().c_str(), 1);
        const std::string& f = PrivateTempFolder();
        std::ofstream(f + "Norv.$$$") << "x";
        (void)!write(report[1], "r", 1);
        pause();
        _exit(0);
    }
    char c;
    ASSERT_EQ(read(report[0], &c, 1), 1);
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(std::filesystem::is_empty(base.path()));
    close(report[0]);
    close(report[1]);
}

}  // namespace
}  // namespace norv::platform
