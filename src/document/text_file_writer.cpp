#include "document/text_file_writer.h"

#include <cerrno>

namespace norv::document {

int TextFileWriter::Open(const std::string& path, platform::WriteMode mode, unsigned permissions) {
    int error = 0;
    target_ = fs_.OpenWrite(path, mode, permissions, &error);
    if (!target_) return error ? error : EIO;
    return 0;
}

bool TextFileWriter::OpenMirror(const std::string& path) {
    int error = 0;
    mirror_ = fs_.OpenWrite(path, platform::WriteMode::kCreateOrOverwrite, 0644, &error);
    return mirror_ != nullptr;
}

bool TextFileWriter::Put(const char* p, size_t n) {
    if (!target_->Write(p, n)) {
        error_ = target_->LastError() ? target_->LastError() : EIO;
        return false;
    }
    if (mirror_ && !mirror_->Write(p, n)) {
        mirror_.reset();
        mirrorFailed_ = true;
    }
    return true;
}

bool TextFileWriter::Flush() {
    if (buf_.empty()) return true;
    if (!Put(buf_.data(), buf_.size())) return false;
    buf_.clear();
    return true;
}

bool TextFileWriter::Write(const char* p, size_t n) {
    if (!target_) return false;
    // A batch at least as large as the buffer goes out as it is, without a copy.
    if (buf_.empty() && n >= kBufferBytes) return Put(p, n);
    while (n > 0) {
        size_t room = kBufferBytes - buf_.size();
        size_t take = n < room ? n : room;
        buf_.insert(buf_.end(), p, p + take);
        p += take;
        n -= take;
        if (buf_.size() >= kBufferBytes && !Flush()) return false;
    }
    return true;
}

bool TextFileWriter::Close() {
    if (!target_) return false;
    bool ok = Flush() && target_->Truncate() && target_->Sync();
    if (!ok && !error_) error_ = target_->LastError() ? target_->LastError() : EIO;
    if (!target_->Close() && ok) {
        ok = false;
        error_ = target_->LastError() ? target_->LastError() : EIO;
    }
    target_.reset();
    if (mirror_) {
        if (!mirror_->Truncate() || !mirror_->Close()) mirrorFailed_ = true;
        mirror_.reset();
    }
    return ok;
}

std::unique_ptr<platform::OutputFile> TextFileWriter::CloseUnsynced() {
    if (!target_) return nullptr;
    if (!Flush() || !target_->Truncate()) {
        if (!error_) error_ = target_->LastError() ? target_->LastError() : EIO;
        target_->Close();
        target_.reset();
        return nullptr;
    }
    if (mirror_) {
        if (!mirror_->Truncate() || !mirror_->Close()) mirrorFailed_ = true;
        mirror_.reset();
    }
    return std::move(target_);
}

}  // namespace norv::document
