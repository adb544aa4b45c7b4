// A file layer over another one (usually the real disk) whose n-th write fails as if the disk
// were full: the way to test that every write path of a program reports its failure and leaves
// nothing torn or unaccounted for.
#pragma once

#include <cerrno>
#include <memory>

#include "platform/file_system.h"

namespace norv::testing {

class FaultyFileSystem final : public platform::FileSystem {
  public:
    explicit FaultyFileSystem(platform::FileSystem& base) : base_(base) {}

    // The write with this 1-based number (over all files) fails with ENOSPC; with `sticky`
    // every later one fails too. 0 = none.
    int failWriteNumber = 0;
    bool sticky = false;
    int writes = 0;

    bool ShouldFail() {
        ++writes;
        return failWriteNumber > 0 &&
               (writes == failWriteNumber || (sticky && writes > failWriteNumber));
    }

    std::optional<platform::FileInfo> Stat(const std::string& p) override { return base_.Stat(p); }
    std::unique_ptr<platform::InputFile> OpenRead(const std::string& p, int* e) override {
        return base_.OpenRead(p, e);
    }
    std::unique_ptr<platform::OutputFile> OpenWrite(const std::string& p, platform::WriteMode m,
                                                    unsigned perms, int* e) override {
        auto inner = base_.OpenWrite(p, m, perms, e);
        if (!inner) return nullptr;
        return std::make_unique<Output>(std::move(inner), *this);
    }
    bool Rename(const std::string& a, const std::string& b) override { return base_.Rename(a, b); }
    bool Remove(const std::string& p) override { return base_.Remove(p); }
    bool MakeFolder(const std::string& p) override { return base_.MakeFolder(p); }
    bool IsOnFixedDrive(const std::string& p) override { return base_.IsOnFixedDrive(p); }
    std::vector<std::string> ListFolder(const std::string& f) override {
        return base_.ListFolder(f);
    }
    bool Link(const std::string& a, const std::string& b) override { return base_.Link(a, b); }
    std::string ResolveLinks(const std::string& p) override { return base_.ResolveLinks(p); }

  private:
    class Output final : public platform::OutputFile {
      public:
        Output(std::unique_ptr<platform::OutputFile> inner, FaultyFileSystem& owner)
            : inner_(std::move(inner)), owner_(owner) {}
        bool Write(const void* buf, size_t n) override {
            if (owner_.ShouldFail()) {
                error_ = ENOSPC;
                return false;
            }
            return inner_->Write(buf, n);
        }
        bool Truncate() override { return inner_->Truncate(); }
        bool Sync() override { return inner_->Sync(); }
        bool Close() override { return inner_->Close(); }
        int LastError() const override { return error_ ? error_ : inner_->LastError(); }

      private:
        std::unique_ptr<platform::OutputFile> inner_;
        FaultyFileSystem& owner_;
        int error_ = 0;
    };

    platform::FileSystem& base_;
};

}  // namespace norv::testing
