// Reading a whole file through the file layer with a bound: script sources, includes and the
// file FCOPY copies. A special file (a device that never ends, such as /dev/zero) or a file
// that grows while it is read can otherwise exhaust memory; here reading stops at the limit.
#pragma once

#include <cstdint>
#include <string>

namespace norv::platform {
class FileSystem;
}

namespace norv::script {

inline constexpr uint64_t kSourceFileMax = 16u << 20;

enum class ReadBound {
    kFailOverLimit,  // more than `limit` bytes: fail
    kStatedSize,     // read no more than the size the file had when it was opened
};

// Reads `path` into `out`; false when it cannot be opened or read, or (kFailOverLimit) holds
// more than `limit` bytes.
bool ReadFileLimited(platform::FileSystem& fs, const std::string& path, std::string& out,
                     uint64_t limit, ReadBound bound);

}  // namespace norv::script
