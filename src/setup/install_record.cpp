// Writing and reading the install record.
#include "setup/install_record.h"

#include <gnutls/crypto.h>

#include <memory>

namespace norv::setup {
namespace {

void AppendField(std::string& out, std::string_view field) {
    for (char c : field) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else
            out.push_back(c);
    }
}

std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\t') {
            fields.emplace_back();
        } else if (c == '\\' && i + 1 < line.size()) {
            char k = line[++i];
            fields.back().push_back(k == 't' ? '\t' : k == 'n' ? '\n' : k);
        } else {
            fields.back().push_back(c);
        }
    }
    return fields;
}

bool IsAbsolute(std::string_view p) {
    return !p.empty() && p.front() == '/';
}

bool IsSha256Hex(std::string_view h) {
    if (h.size() != 64) return false;
    for (char c : h)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

std::optional<uint64_t> ParseSize(std::string_view s) {
    if (s.empty() || s.size() > 19) return std::nullopt;
    uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    return v;
}

}  // namespace

const RecordedFile* InstallRecord::Find(std::string_view path) const {
    for (const RecordedFile& f : files)
        if (f.path == path) return &f;
    return nullptr;
}

void InstallRecord::Put(RecordedFile file) {
    for (RecordedFile& f : files)
        if (f.path == file.path) {
            f = std::move(file);
            return;
        }
    files.push_back(std::move(file));
}

void InstallRecord::AddFolder(std::string folder) {
    for (const std::string& f : folders)
        if (f == folder) return;
    folders.push_back(std::move(folder));
}

std::string WriteRecordText(const InstallRecord& record) {
    std::string out(kRecordHeader);
    out += "\ntarget\t";
    AppendField(out, record.target);
    out += '\n';
    for (const std::string& folder : record.folders) {
        out += "folder\t";
        AppendField(out, folder);
        out += '\n';
    }
    for (const RecordedFile& f : record.files) {
        out += "file\t" + std::to_string(f.size) + '\t' + f.sha256 + '\t';
        AppendField(out, f.path);
        out += '\n';
    }
    if (!record.mimePackage.empty()) {
        out += "mime\t";
        AppendField(out, record.mimePackage);
        out += '\n';
    }
    return out;
}

std::optional<InstallRecord> ReadRecordText(std::string_view text) {
    if (text.size() > kMaxRecordBytes) return std::nullopt;
    size_t end = text.find('\n');
    if (text.substr(0, end) != kRecordHeader) return std::nullopt;
    InstallRecord record;
    while (end != std::string_view::npos) {
        text = text.substr(end + 1);
        end = text.find('\n');
        std::vector<std::string> f = SplitFields(text.substr(0, end));
        const std::string& kind = f[0];
        if (kind == "target" && f.size() == 2 && IsAbsolute(f[1]) && f[1].back() == '/') {
            record.target = f[1];
        } else if (kind == "folder" && f.size() == 2 && IsAbsolute(f[1])) {
            record.AddFolder(f[1]);
        } else if (kind == "file" && f.size() == 4 && IsAbsolute(f[3]) && IsSha256Hex(f[2])) {
            if (std::optional<uint64_t> size = ParseSize(f[1])) record.Put({f[3], *size, f[2]});
        } else if (kind == "mime" && f.size() == 2 && IsAbsolute(f[1])) {
            record.mimePackage = f[1];
        }
    }
    if (record.target.empty()) return std::nullopt;
    return record;
}

Sha256Stream::Sha256Stream() {
    gnutls_hash_hd_t h = nullptr;
    if (gnutls_hash_init(&h, GNUTLS_DIG_SHA256) == 0) state_ = h;
}

Sha256Stream::~Sha256Stream() {
    if (state_) gnutls_hash_deinit(static_cast<gnutls_hash_hd_t>(state_), nullptr);
}

void Sha256Stream::Add(const void* data, size_t n) {
    if (state_) gnutls_hash(static_cast<gnutls_hash_hd_t>(state_), data, n);
}

std::string Sha256Stream::Finish() {
    if (!state_) return "";
    unsigned char digest[32];
    gnutls_hash_deinit(static_cast<gnutls_hash_hd_t>(state_), digest);
    state_ = nullptr;
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : digest) {
        out.push_back(kHex[b >> 4]);
        out.push_back(kHex[b & 15]);
    }
    return out;
}

std::optional<RecordedFile> HashFile(platform::FileSystem& fs, const std::string& path) {
    int error = 0;
    std::unique_ptr<platform::InputFile> in = fs.OpenRead(path, &error);
    if (!in) return std::nullopt;
    Sha256Stream hash;
    RecordedFile out{path, 0, ""};
    std::vector<char> block(1u << 20);
    for (;;) {
        long n = in->Read(block.data(), block.size());
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        hash.Add(block.data(), static_cast<size_t>(n));
        out.size += static_cast<uint64_t>(n);
    }
    out.sha256 = hash.Finish();
    return out;
}

// GnuTLS hashes with the processor's SHA instructions where it has them: the checksums cost
// less than reading the files.
std::string Sha256Hex(std::string_view data) {
    Sha256Stream hash;
    hash.Add(data.data(), data.size());
    return hash.Finish();
}

}  // namespace norv::setup
