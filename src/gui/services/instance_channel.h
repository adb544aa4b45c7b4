// How running copies of the editor find and talk to each other.
//
// Every instance listens on a local socket in the user's runtime folder ($XDG_RUNTIME_DIR/norv/,
// else /tmp/norv-UID/, mode 0700), named "NorvMainWindowClass" with the user id and the
// instance's 16-bit value ("NorvMainWindowClass1000-1A2B"). Finding "the running instance" is
// connecting to the oldest socket that answers; a socket left by a killed process answers
// nothing and is removed.
//
// A request is one frame (a 32-bit length and a QDataStream body): a kind, the arguments and the
// current folder as raw bytes (file names are the file system's bytes), without length limits.
// Each request gets a one-byte answer; the state request answers whether the main window is
// visible. What a request does is queued on the receiver's event loop, so the sender never waits
// for dialogs it caused.
//
// The start lock ("WakeUpNorv") is held while a process starts: a start that finds no instance
// but a held lock waits for it (a few seconds at most), so two quick starts do not both become
// first instances. The kernel drops the lock of a process that dies.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace norv::qt {

enum class InstanceRequest : uint8_t { kState = 1, kHandoff = 2, kReload = 3, kTakeTray = 4 };

// The runtime folder, created with mode 0700 when missing; empty when it cannot be made or
// belongs to another user.
std::string InstanceFolder();
// The socket path of an instance value.
QString InstanceSocketPath(uint16_t instance);

// The sockets of the running instances, oldest first (dead ones are removed on the way).
std::vector<QString> RunningInstances();
// Whether an instance with this value answers.
bool InstanceIsLive(uint16_t instance);

// A request to the instance listening on `path`; the answer byte, or nothing when it did not
// answer within `timeoutMs`.
std::optional<uint8_t> SendInstanceRequest(const QString& path, InstanceRequest kind,
                                           const std::vector<std::string>& args = {},
                                           const std::string& folder = {}, int timeoutMs = 10000);

// This instance's listening end.
class InstanceServer : public QObject {
    Q_OBJECT

  public:
    explicit InstanceServer(QObject* parent = nullptr);
    ~InstanceServer() override;

    // Listens under this value's name (a stale socket of the same name is replaced).
    bool Listen(uint16_t instance);
    QString path() const;

    std::function<bool()> isVisible;
    std::function<void(const std::vector<std::string>& args, const std::string& folder)> handoff;
    std::function<void()> reload;
    std::function<void()> takeTray;

  private:
    void Serve(QLocalSocket* socket);

    QLocalServer* server_ = nullptr;
};

// The start lock: taken before looking for a running instance, released when start-up ends.
class StartLock {
  public:
    StartLock() = default;
    ~StartLock() { Release(); }
    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;

    // Waits up to `waitMs` for the lock. False when it stayed held (or the folder is unusable):
    // the caller goes on without it.
    bool Acquire(int waitMs);
    void Release();
    bool held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

// Chooses this instance's 16-bit value: from the process id, passing over values that a live
// instance uses or whose recovery table is still in `recoveryFolder` (a table left by a crash
// must not be overwritten before it was offered).
uint16_t ChooseInstanceValue(const std::string& recoveryFolder);

}  // namespace norv::qt
