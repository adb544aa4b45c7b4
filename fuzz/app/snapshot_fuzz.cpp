// Arbitrary bytes as a project file, and as its side file: never a read outside the input; an
// accepted file written back equals it once its reserved bytes and the bytes after each string's
// terminator are zeros; a side file applied to it keeps every record in range; a side file
// bound to another snapshot is refused.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/snapshot.h"

using namespace norv::app;

namespace {

// The input as the writer would have written it: reserved and unused bytes zero, and nothing
// after the last record.
std::string Normalised(std::string b, int32_t count) {
    b.resize(kSnapshotHeaderBytes + size_t(count) * kSnapshotRecordBytes);
    auto clearAfterZero = [&b](size_t at, size_t size) {
        const size_t end = b.find('\0', at);
        std::memset(b.data() + end, 0, at + size - end);
    };
    std::memset(b.data() + 304, 0, 4);
    clearAfterZero(44, kSnapshotFolderField);
    for (int32_t i = 0; i < count; ++i)
        clearAfterZero(kSnapshotHeaderBytes + size_t(i) * kSnapshotRecordBytes, kSnapshotPathField);
    return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    // The first bytes up to a form feed are the side file when the rest is a snapshot.
    const size_t split = input.find('\f');
    const std::string side = split == std::string::npos ? std::string() : input.substr(0, split);
    const std::string bytes = split == std::string::npos ? input : input.substr(split + 1);
    std::optional<Snapshot> s = ParseSnapshot(bytes);
    if (!s) {
        Snapshot empty;
        ApplySideFile(input, empty);
        return 0;
    }
    const std::optional<std::string> again = FormatSnapshot(*s);
    if (!again || *again != Normalised(bytes, static_cast<int32_t>(s->records.size())))
        std::abort();
    const size_t records = s->records.size();
    ApplySideFile(side, *s);
    if (s->records.size() != records) std::abort();
    // With its side file, a snapshot comes back whole.
    const std::optional<std::string> out = FormatSnapshot(*s);
    if (!out) std::abort();
    std::optional<Snapshot> back = ParseSnapshot(*out);
    if (!back) std::abort();
    if (NeedsSideFile(*s) && !ApplySideFile(FormatSideFile(*s), *back)) std::abort();
    if (!(*back == *s)) std::abort();
    // Bound to its snapshot, the side file applies to it and to no other.
    std::optional<Snapshot> bound = ParseSnapshot(*out);
    if (!bound || !ApplySideFile(FormatSideFile(*s, *out), *bound, *out) || !(*bound == *s))
        std::abort();
    std::optional<Snapshot> other = ParseSnapshot(*out);
    if (ApplySideFile(FormatSideFile(*s, *out + "x"), *other, *out)) std::abort();
    return 0;
}
