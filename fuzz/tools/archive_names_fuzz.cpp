// Bytes as an archive: the ZIP and LZH readers end without reading outside the input, and
// every name the check lets through is relative, without a ".." part, and no link or device.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/archive/archive_names.h"

using namespace norv::tools;

namespace {

// Reads are checked against the input; the copy is exactly as long as the input, so the
// sanitizer sees any read past it.
class Bounded : public ArchiveBytes {
  public:
    explicit Bounded(std::string_view bytes) : bytes_(bytes) {}
    uint64_t size() const override { return bytes_.size(); }
    bool Read(uint64_t offset, size_t n, std::string& out) const override {
        if (offset > bytes_.size() || n > bytes_.size() - offset) return false;
        out.assign(bytes_.data() + offset, n);
        return true;
    }

  private:
    std::string_view bytes_;
};

void CheckNames(const std::optional<std::vector<ArchiveEntry>>& names) {
    if (!names) return;
    // An existing destination with nothing in it: only the names themselves decide.
    if (FirstEntryOutside(*names, "/nonexistent-norv-fuzz")) return;
    for (const ArchiveEntry& e : *names) {
        const std::string& n = e.name;
        if (e.type == ArchiveEntryType::kSpecial) std::abort();
        if (!n.empty() && (n[0] == '/' || n[0] == '\\')) std::abort();
        if (n.size() >= 2 && n[1] == ':' && ((n[0] | 0x20) >= 'a' && (n[0] | 0x20) <= 'z'))
            std::abort();
        size_t start = 0;
        for (size_t i = 0; i <= n.size(); ++i) {
            if (i == n.size() || n[i] == '/' || n[i] == '\\') {
                if (n.compare(start, i - start, "..") == 0) std::abort();
                start = i + 1;
            }
        }
        (void)ShownName(n);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string copy(reinterpret_cast<const char*>(data), size);
    const Bounded bytes(copy);
    CheckNames(ReadZipNames(bytes));
    CheckNames(ReadLzhNames(bytes));
    return 0;
}
