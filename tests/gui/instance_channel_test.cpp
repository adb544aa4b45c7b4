// The channel between instances: requests carry whole argument lists and folders, broken frames
// are dropped, dead sockets are cleared away, the start lock excludes a second start, and an
// instance value never reuses a recovery table that is still waiting.
#include "gui/services/instance_channel.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace norv::qt {
namespace {

// Points the runtime folder at a private one for the test's life.
class PrivateRuntime {
  public:
    PrivateRuntime() {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR")) old_ = old;
        setenv("XDG_RUNTIME_DIR", dir_.path().c_str(), 1);
    }
    ~PrivateRuntime() {
        if (old_)
            setenv("XDG_RUNTIME_DIR", old_->c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
    }

  private:
    testing::TempDir dir_;
    std::optional<std::string> old_;
};

// Runs the event loop until `done` or a generous time has passed.
template <typename F>
bool PumpUntil(F done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

// A request from another thread (the sender blocks; the server answers from this thread's loop).
template <typename F>
auto FromThread(F f) {
    auto result = std::async(std::launch::async, f);
    PumpUntil(
        [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    return result.get();
}

TEST(InstanceChannel, HandoffCarriesWholeArgumentsAndFolderAndStateAnswersVisibility) {
    PrivateRuntime runtime;
    InstanceServer server;
    ASSERT_TRUE(server.Listen(0x2345));
    bool visible = true;
    server.isVisible = [&] { return visible; };
    std::vector<std::string> gotArgs;
    std::string gotFolder;
    bool handed = false;
    server.handoff = [&](const std::vector<std::string>& a, const std::string& f) {
        gotArgs = a;
        gotFolder = f;
        handed = true;
    };
    const QString path = server.path();
    EXPECT_EQ(RunningInstances(), std::vector<QString>{path});

    // Longer than any fixed buffer, with blanks, quotes and bytes that are not UTF-8.
    const std::vector<std::string> args = {"-J12:5", "-KS",
                                           std::string(1000, 'n') + " with blanks.txt",
                                           "\"quoted name.txt\"", "\x82\xA0.txt"};
    const std::string folder = "/" + std::string(600, 'f') + "/sub folder";
    auto answer = FromThread(
        [&] { return SendInstanceRequest(path, InstanceRequest::kHandoff, args, folder); });
    ASSERT_TRUE(answer.has_value());
    ASSERT_TRUE(PumpUntil([&] { return handed; }));
    EXPECT_EQ(gotArgs, args);
    EXPECT_EQ(gotFolder, folder);

    EXPECT_EQ(FromThread([&] { return SendInstanceRequest(path, InstanceRequest::kState); }),
              std::optional<uint8_t>(1));
    visible = false;
    EXPECT_EQ(FromThread([&] { return SendInstanceRequest(path, InstanceRequest::kState); }),
              std::optional<uint8_t>(0));

    // A frame that is not ours is dropped without an answer; the server goes on serving.
    auto garbage = FromThread([&] {
        QLocalSocket s;
        s.connectToServer(path);
        if (!s.waitForConnected(10000)) return false;
        s.write(QByteArray("\x00\x00\x00\x08garbage!", 12));
        s.waitForBytesWritten(10000);
        s.waitForDisconnected(10000);
        return s.bytesAvailable() == 0;
    });
    EXPECT_TRUE(garbage);
    bool reloaded = false;
    server.reload = [&] { reloaded = true; };
    EXPECT_TRUE(FromThread([&] {
                    return SendInstanceRequest(path, InstanceRequest::kReload);
                }).has_value());
    EXPECT_TRUE(PumpUntil([&] { return reloaded; }));
}

TEST(InstanceChannel, DeadSocketsAreClearedAndAStaleNameIsTakenOver) {
    PrivateRuntime runtime;
    // A socket file nobody listens on, as a killed instance leaves it.
    const std::string stale = InstanceSocketPath(0x0BAD).toStdString();
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", stale.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    close(fd);
    EXPECT_FALSE(InstanceIsLive(0x0BAD));
    EXPECT_TRUE(RunningInstances().empty());
    EXPECT_NE(access(stale.c_str(), F_OK), 0);

    // A later start takes the name over.
    fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    close(fd);
    InstanceServer server;
    EXPECT_TRUE(server.Listen(0x0BAD));
    EXPECT_TRUE(InstanceIsLive(0x0BAD));
}

TEST(InstanceChannel, StartLockExcludesASecondStartAndIsFreedOnRelease) {
    PrivateRuntime runtime;
    StartLock first, second;
    ASSERT_TRUE(first.Acquire(0));
    EXPECT_FALSE(second.Acquire(200));
    first.Release();
    EXPECT_TRUE(second.Acquire(0));
}

TEST(InstanceChannel, InstanceValuesPassOverWaitingTablesAndLiveInstances) {
    PrivateRuntime runtime;
    testing::TempDir recovery;
    const uint16_t first = ChooseInstanceValue(recovery.path() + "/");
    EXPECT_NE(first, 0);
    // A table left by a crash keeps its value until it was offered.
    char name[16];
    std::snprintf(name, sizeof name, "Norv%04X.REC", first);
    recovery.Write(name, "table");
    const uint16_t second = ChooseInstanceValue(recovery.path() + "/");
    EXPECT_NE(second, first);
    InstanceServer live;
    ASSERT_TRUE(live.Listen(second));
    const uint16_t third = ChooseInstanceValue(recovery.path() + "/");
    EXPECT_NE(third, first);
    EXPECT_NE(third, second);
}

}  // namespace
}  // namespace norv::qt
