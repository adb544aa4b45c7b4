// The local sockets between instances, their requests and the start lock.
#include "gui/services/instance_channel.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace norv::qt {
namespace {

constexpr quint32 kMagic = 0x4E525631;  // "NRV1"
constexpr quint32 kMaxFrame = 64u << 20;
constexpr const char* kPrefix = "NorvMainWindowClass";

QString Prefix() {
    return QString::fromLatin1(kPrefix) + QString::number(getuid()) + u'-';
}

QByteArray Frame(InstanceRequest kind, const std::vector<std::string>& args,
                 const std::string& folder) {
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kMagic << static_cast<quint8>(kind) << static_cast<quint32>(args.size());
    for (const auto& a : args) out << QByteArray(a.data(), static_cast<qsizetype>(a.size()));
    out << QByteArray(folder.data(), static_cast<qsizetype>(folder.size()));
    QByteArray framed;
    QDataStream head(&framed, QIODevice::WriteOnly);
    head << static_cast<quint32>(body.size());
    framed.append(body);
    return framed;
}

bool MakePrivateFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid())
        return false;
    if ((st.st_mode & 077) != 0) chmod(path.c_str(), 0700);
    return true;
}

}  // namespace

std::string InstanceFolder() {
    std::string base;
    if (const char* r = std::getenv("XDG_RUNTIME_DIR"); r && *r == '/') {
        base = std::string(r) + "/norv";
    } else {
        base = "/tmp/norv-" + std::to_string(getuid());
    }
    return MakePrivateFolder(base) ? base + "/" : std::string();
}

QString InstanceSocketPath(uint16_t instance) {
    return QString::fromStdString(InstanceFolder()) + Prefix() +
           QStringLiteral("%1").arg(instance, 4, 16, QLatin1Char('0')).toUpper();
}

std::vector<QString> RunningInstances() {
    std::vector<QString> live;
    const std::string folder = InstanceFolder();
    if (folder.empty()) return live;
    QDir dir(QString::fromStdString(folder));
    const QFileInfoList entries = dir.entryInfoList({Prefix() + u'*'}, QDir::System | QDir::Files,
                                                    QDir::Time | QDir::Reversed);
    for (const QFileInfo& info : entries) {
        QLocalSocket probe;
        probe.connectToServer(info.absoluteFilePath());
        if (probe.waitForConnected(2000)) {
            live.push_back(info.absoluteFilePath());
            probe.disconnectFromServer();
        } else if (probe.error() == QLocalSocket::ConnectionRefusedError) {
            // Nobody listens: the instance that made it is gone.
            QFile::remove(info.absoluteFilePath());
        }
    }
    return live;
}

bool InstanceIsLive(uint16_t instance) {
    QLocalSocket probe;
    probe.connectToServer(InstanceSocketPath(instance));
    const bool live = probe.waitForConnected(2000);
    if (live) probe.disconnectFromServer();
    return live;
}

std::optional<uint8_t> SendInstanceRequest(const QString& path, InstanceRequest kind,
                                           const std::vector<std::string>& args,
                                           const std::string& folder, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(timeoutMs)) return std::nullopt;
    socket.write(Frame(kind, args, folder));
    if (!socket.waitForBytesWritten(timeoutMs)) return std::nullopt;
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(timeoutMs)) return std::nullopt;
    }
    char answer = 0;
    socket.getChar(&answer);
    socket.disconnectFromServer();
    return static_cast<uint8_t>(answer);
}

InstanceServer::InstanceServer(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_->nextPendingConnection()) Serve(s);
    });
}

InstanceServer::~InstanceServer() {
    server_->close();
}

bool InstanceServer::Listen(uint16_t instance) {
    if (InstanceFolder().empty()) return false;
    const QString path = InstanceSocketPath(instance);
    if (server_->listen(path)) return true;
    if (server_->serverError() == QAbstractSocket::AddressInUseError && !InstanceIsLive(instance)) {
        QLocalServer::removeServer(path);
        return server_->listen(path);
    }
    return false;
}

QString InstanceServer::path() const {
    return server_->fullServerName();
}

void InstanceServer::Serve(QLocalSocket* socket) {
    socket->setParent(this);
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
        buffer->append(socket->readAll());
        if (buffer->size() < 4) return;
        quint32 length = 0;
        {
            QDataStream head(*buffer);
            head >> length;
        }
        if (length > kMaxFrame) {
            socket->abort();
            return;
        }
        if (static_cast<quint32>(buffer->size()) < 4 + length) return;
        QDataStream in(buffer->mid(4, static_cast<qsizetype>(length)));
        in.setVersion(QDataStream::Qt_6_0);
        quint32 magic = 0, count = 0;
        quint8 kind = 0;
        in >> magic >> kind >> count;
        std::vector<std::string> args;
        QByteArray item;
        for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
            in >> item;
            args.emplace_back(item.constData(), static_cast<size_t>(item.size()));
        }
        in >> item;
        std::string folder(item.constData(), static_cast<size_t>(item.size()));
        buffer->clear();
        if (magic != kMagic || in.status() != QDataStream::Ok) {
            socket->abort();
            return;
        }
        char answer = 1;
        switch (static_cast<InstanceRequest>(kind)) {
            case InstanceRequest::kState:
                answer = isVisible && isVisible() ? 1 : 0;
                break;
            case InstanceRequest::kHandoff:
                QTimer::singleShot(0, this,
                                   [this, args = std::move(args), folder = std::move(folder)] {
                                       if (handoff) handoff(args, folder);
                                   });
                break;
            case InstanceRequest::kReload:
                QTimer::singleShot(0, this, [this] {
                    if (reload) reload();
                });
                break;
            case InstanceRequest::kTakeTray:
                QTimer::singleShot(0, this, [this] {
                    if (takeTray) takeTray();
                });
                break;
            default:
                answer = 0;
                break;
        }
        socket->putChar(answer);
        socket->flush();
    });
}

bool StartLock::Acquire(int waitMs) {
    Release();
    const std::string folder = InstanceFolder();
    if (folder.empty()) return false;
    const std::string path = folder + "WakeUpNorv";
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) break;
        if (std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    close(fd_);
    fd_ = -1;
    return false;
}

void StartLock::Release() {
    if (fd_ < 0) return;
    flock(fd_, LOCK_UN);
    close(fd_);
    fd_ = -1;
}

uint16_t ChooseInstanceValue(const std::string& recoveryFolder) {
    auto value = static_cast<uint16_t>(getpid() & 0xFFFF);
    for (int tries = 0; tries < 0x10000; ++tries, ++value) {
        if (value == 0) continue;
        char table[16];
        std::snprintf(table, sizeof table, "Norv%04X.REC", value);
        if (QFileInfo::exists(QString::fromStdString(recoveryFolder + table))) continue;
        if (InstanceIsLive(value)) continue;
        return value;
    }
    return static_cast<uint16_t>(getpid() & 0xFFFF);
}

}  // namespace norv::qt
