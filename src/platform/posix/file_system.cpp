// The POSIX implementation of the file layer.
#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/paths.h"

namespace norv::platform {
namespace {

// Seconds between 1601-01-01 and 1970-01-01.
constexpr int64_t kEpochDelta = 11644473600LL;

class PosixInputFile final : public InputFile {
  public:
    PosixInputFile(int fd, uint64_t size) : fd_(fd), size_(size) {}
    ~PosixInputFile() override { ::close(fd_); }
    long Read(void* buf, size_t n) override {
        for (;;) {
            ssize_t r = ::read(fd_, buf, n);
            if (r >= 0) return static_cast<long>(r);
            if (errno == EINTR) continue;
            error_ = errno;
            return -1;
        }
    }
    uint64_t Size() const override { return size_; }
    int LastError() const override { return error_; }

  private:
    int fd_;
    uint64_t size_;
    int error_ = 0;
};

class PosixOutputFile final : public OutputFile {
  public:
    explicit PosixOutputFile(int fd) : fd_(fd) {}
    ~PosixOutputFile() override {
        if (fd_ >= 0) ::close(fd_);
    }
    bool Write(const void* buf, size_t n) override {
        auto p = static_cast<const char*>(buf);
        while (n > 0) {
            ssize_t r = ::write(fd_, p, n);
            if (r < 0) {
                if (errno == EINTR) continue;
                error_ = errno;
                return false;
            }
            if (r == 0) {
                error_ = ENOSPC;
                return false;
            }
            p += r;
            n -= static_cast<size_t>(r);
            written_ += static_cast<uint64_t>(r);
        }
        return true;
    }
    bool Truncate() override {
        if (::ftruncate(fd_, static_cast<off_t>(written_)) != 0) {
            error_ = errno;
            return false;
        }
        return true;
    }
    bool Sync() override {
        if (::fdatasync(fd_) != 0) {
            error_ = errno;
            return false;
        }
        return true;
    }
    bool Close() override {
        int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            error_ = errno;
            return false;
        }
        return true;
    }
    int LastError() const override { return error_; }

  private:
    int fd_;
    uint64_t written_ = 0;
    int error_ = 0;
};

class PosixFileSystem final : public FileSystem {
  public:
    std::optional<FileInfo> StatEntry(const std::string& path) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return std::nullopt;
        FileInfo info;
        info.isDirectory = S_ISDIR(st.st_mode);
        info.isRegular = S_ISREG(st.st_mode);
        info.device = static_cast<uint64_t>(st.st_dev);
        info.inode = static_cast<uint64_t>(st.st_ino);
        info.size = static_cast<uint64_t>(st.st_size);
        info.lastWrite = FileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
        info.permissions = static_cast<unsigned>(st.st_mode & 07777);
        std::string name = FileNameOf(path);
        info.hidden = !name.empty() && name[0] == '.';
        return info;
    }

    std::optional<FileInfo> Stat(const std::string& path) override {
        std::optional<FileInfo> info = StatEntry(path);
        if (!info) return std::nullopt;
        info->readOnly = ::access(path.c_str(), W_OK) != 0;
        struct stat lst {};
        info->isLink = ::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode);
        return info;
    }

    std::unique_ptr<InputFile> OpenRead(const std::string& path, int* error) override {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            if (error) *error = errno;
            return nullptr;
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            if (error) *error = errno;
            ::close(fd);
            return nullptr;
        }
        if (S_ISDIR(st.st_mode)) {
            if (error) *error = EISDIR;
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<PosixInputFile>(fd, static_cast<uint64_t>(st.st_size));
    }

    std::unique_ptr<OutputFile> OpenWrite(const std::string& path, WriteMode mode,
                                          unsigned permissions, int* error) override {
        int flags = O_WRONLY | O_CLOEXEC | O_CREAT;
        if (mode == WriteMode::kCreateNew) flags |= O_EXCL;
        if (mode == WriteMode::kAppend) flags |= O_APPEND;
        int fd = ::open(path.c_str(), flags, static_cast<mode_t>(permissions));
        if (fd < 0) {
            if (error) *error = errno;
            return nullptr;
        }
        return std::make_unique<PosixOutputFile>(fd);
    }

    bool Rename(const std::string& from, const std::string& to) override {
        return ::rename(from.c_str(), to.c_str()) == 0;
    }
    bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }
    bool MakeFolder(const std::string& path) override {
        return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
    }
    std::vector<std::string> ListFolder(const std::string& folder) override {
        std::vector<std::string> names;
        DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
        if (!d) return names;
        while (struct dirent* e = ::readdir(d)) {
            std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        ::closedir(d);
        return names;
    }
    bool Link(const std::string& from, const std::string& to) override {
        return ::link(from.c_str(), to.c_str()) == 0;
    }
    std::string ResolveLinks(const std::string& path) override {
        char* real = ::realpath(path.c_str(), nullptr);
        if (!real) return path;
        std::string out(real);
        std::free(real);
        return out;
    }
    bool IsOnFixedDrive(const std::string& path) override {
        struct statfs sf {};
        std::string probe = path;
        if (::statfs(probe.c_str(), &sf) != 0) {
            probe = FolderOf(path);
            if (probe.empty() || ::statfs(probe.c_str(), &sf) != 0) return true;
        }
        switch (static_cast<unsigned long>(sf.f_type)) {
            case NFS_SUPER_MAGIC:
            case SMB_SUPER_MAGIC:
            case 0xFF534D42UL:  // CIFS
            case 0xFE534D42UL:  // SMB2
            case 0x65735546UL:  // FUSE (sshfs and the like)
                return false;
            default:
                return true;
        }
    }
};

}  // namespace

FileTime FileTimeFromUnix(int64_t seconds, int64_t nanoseconds) {
    return static_cast<FileTime>((seconds + kEpochDelta) * 10000000LL + nanoseconds / 100);
}

FileTime FileTimeNow() {
    struct timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    return FileTimeFromUnix(ts.tv_sec, ts.tv_nsec);
}

FileSystem& RealFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

int ReadWholeFile(FileSystem& fs, const std::string& path, std::string& out) {
    int error = 0;
    auto file = fs.OpenRead(path, &error);
    if (!file) return error ? error : EIO;
    out.clear();
    uint64_t size = file->Size();
    if (size > 0 && size < (1ull << 40)) out.reserve(static_cast<size_t>(size));
    char buf[65536];
    for (;;) {
        long n = file->Read(buf, sizeof buf);
        if (n < 0) return file->LastError() ? file->LastError() : EIO;
        if (n == 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    return 0;
}

int CopyFile(FileSystem& fs, const std::string& from, const std::string& to) {
    std::string data;
    if (int error = ReadWholeFile(fs, from, data)) return error;
    auto info = fs.Stat(from);
    int error = 0;
    auto out =
        fs.OpenWrite(to, WriteMode::kCreateOrOverwrite, info ? info->permissions : 0644, &error);
    if (!out) return error ? error : EIO;
    bool ok = out->Write(data.data(), data.size()) && out->Truncate();
    error = ok ? 0 : out->LastError();
    if (!out->Close() && ok) error = out->LastError() ? out->LastError() : EIO;
    return error;
}

int WriteFileAtomically(FileSystem& fs, const std::string& path, std::string_view data,
                        unsigned permissions) {
    std::string tmp = path + ".norvtmp";
    int error = 0;
    fs.Remove(tmp);
    auto out = fs.OpenWrite(tmp, WriteMode::kCreateNew, permissions, &error);
    if (!out) return error ? error : EIO;
    bool ok = out->Write(data.data(), data.size()) && out->Sync();
    error = ok ? 0 : out->LastError();
    if (!out->Close() && ok) {
        ok = false;
        error = out->LastError();
    }
    if (ok && !fs.Rename(tmp, path)) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        fs.Remove(tmp);
        return error ? error : EIO;
    }
    return 0;
}

}  // namespace norv::platform
