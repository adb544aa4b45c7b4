// Bounded whole-file reads (see read_limited.h).
#include "script/read_limited.h"

#include <algorithm>

#include "platform/file_system.h"

namespace norv::script {

bool ReadFileLimited(platform::FileSystem& fs, const std::string& path, std::string& out,
                     uint64_t limit, ReadBound bound) {
    out.clear();
    if (path.empty()) return false;
    if (auto info = fs.Stat(path); !info || info->isDirectory) return false;
    int error = 0;
    auto in = fs.OpenRead(path, &error);
    if (!in) return false;
    const uint64_t cap = bound == ReadBound::kStatedSize ? std::min(limit, in->Size()) : limit;
    char buf[65536];
    for (;;) {
        const uint64_t room = cap - out.size();
        const size_t want = static_cast<size_t>(std::min<uint64_t>(sizeof buf, room + 1));
        const long n = in->Read(buf, want);
        if (n < 0) return false;
        if (n == 0) return true;
        if (static_cast<uint64_t>(n) > room) {
            if (bound == ReadBound::kFailOverLimit) return false;
            out.append(buf, static_cast<size_t>(room));
            return true;
        }
        out.append(buf, static_cast<size_t>(n));
    }
}

}  // namespace norv::script
