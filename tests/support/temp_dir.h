// A private temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace norv::testing {

class TempDir {
  public:
    TempDir() {
        std::string tmpl = (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
        tmpl += "/norv-test-XXXXXX";
        char* made = mkdtemp(tmpl.data());
        path_ = made ? made : "/tmp";
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }
    // Writes `bytes` to a file of this folder and returns its path.
    std::string Write(std::string_view name, std::string_view bytes) const {
        std::string p = File(name);
        std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
        return p;
    }

  private:
    std::string path_;
};

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace norv::testing
