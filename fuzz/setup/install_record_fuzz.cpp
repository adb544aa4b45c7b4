// The install record reader on any bytes: it never reads outside its input, every path it
// accepts is absolute, and what it accepts is written back to a text that reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "setup/install_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<norv::setup::InstallRecord> r = norv::setup::ReadRecordText(text);
    if (!r) return 0;
    if (r->target.empty() || r->target.front() != '/' || r->target.back() != '/') std::abort();
    for (const auto& f : r->files)
        if (f.path.empty() || f.path.front() != '/' || f.sha256.size() != 64) std::abort();
    std::optional<norv::setup::InstallRecord> again =
        norv::setup::ReadRecordText(norv::setup::WriteRecordText(*r));
    if (!again || again->target != r->target || again->folders != r->folders ||
        again->files.size() != r->files.size() || again->mimePackage != r->mimePackage)
        std::abort();
    for (size_t i = 0; i < r->files.size(); ++i)
        if (again->files[i].path != r->files[i].path || again->files[i].size != r->files[i].size)
            std::abort();
    return 0;
}
