// The user ignore list's reader on arbitrary bytes, read whole and in pieces: it takes only
// words of the list's rules, the same ones either way, and an append after it keeps every
// byte that was there and puts the word on a line of its own.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/fakes/memory_file_system.h"
#include "tools/spell/word_list.h"

using namespace norv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    tools::WordList whole;
    tools::ParseWordList(bytes, whole);
    for (const std::string& w : whole.words)
        if (!tools::IsListWord(w)) std::abort();
    platform::MemoryFileSystem fs;
    fs.readChunk = size % 13 + 1;
    fs.files["/s/list"] = bytes;
    tools::WordList pieces;
    if (tools::ReadWordList(fs, "/s/list", pieces) != tools::WordListStatus::kRead) std::abort();
    if (pieces.words != whole.words || pieces.openLine != whole.openLine) std::abort();
    if (!tools::AppendWord(fs, "/s/list", "added", pieces)) std::abort();
    const std::string& after = fs.files["/s/list"];
    if (after.compare(0, bytes.size(), bytes) != 0) std::abort();
    tools::WordList again;
    tools::ParseWordList(after, again);
    if (!again.words.count("added") || again.openLine) std::abort();
    for (const std::string& w : whole.words)
        if (!again.words.count(w)) std::abort();
    return 0;
}
