// Detached starts: what the caller learns, and that no child is left unreaped.
#include "platform/process_start.h"

#include <dirent.h>
#include <unistd.h>

#include <fstream>

#include "support/temp_dir.h"

namespace norv::platform {
namespace {

// The caller's children that have ended but were not reaped.
int Zombies() {
    int count = 0;
    const std::string self = std::to_string(getpid());
    DIR* d = opendir("/proc");
    while (dirent* e = readdir(d)) {
        std::ifstream stat(std::string("/proc/") + e->d_name + "/stat");
        std::string pid, comm, state, ppid;
        if (stat >> pid >> comm >> state >> ppid && ppid == self && state == "Z") ++count;
    }
    closedir(d);
    return count;
}

TEST(ProcessStart, OutcomesAndNoZombies) {
    auto ran = StartDetached({"/bin/sh", "-c", "exit 3"}, 2000);
    EXPECT_EQ(ran.kind, StartOutcome::Kind::kExited);
    EXPECT_EQ(ran.status, 3);
    auto running = StartDetached({"sleep", "1"}, 0);
    EXPECT_EQ(running.kind, StartOutcome::Kind::kRunning);
    auto missing = StartDetached({"/no/such/program"}, 0);
    EXPECT_EQ(missing.kind, StartOutcome::Kind::kNotStarted);
    EXPECT_EQ(missing.error, ENOENT);
    auto onPath = StartDetached({"no-such-program-of-norv"}, 0);
    EXPECT_EQ(onPath.error, ENOENT);
    EXPECT_EQ(StartDetached({}, 0).kind, StartOutcome::Kind::kNotStarted);
    EXPECT_EQ(Zombies(), 0);
}

TEST(ProcessStart, ArgumentsArriveUnchangedWithoutAShell) {
    testing::TempDir dir;
    const std::string out = dir.File("args");
    const std::string odd = "a b;$(touch x)\"'`|&*";
    auto r = StartDetached({"/bin/sh", "-c", "printf '%s\\n' \"$@\" > \"$0\"", out, odd, ""}, 2000);
    ASSERT_EQ(r.kind, StartOutcome::Kind::kExited);
    EXPECT_EQ(testing::ReadFileBytes(out), odd + "\n\n");
    EXPECT_FALSE(std::ifstream(dir.File("x")).good());
}

}  // namespace
}  // namespace norv::platform
