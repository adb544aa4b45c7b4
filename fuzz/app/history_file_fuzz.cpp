// Arbitrary bytes as a history file: a whole file comes back byte for byte, any file reaches a
// fixed point after one save, and the blocks never shift.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/config/history_file.h"

using namespace norv::app;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    HistoryFile first;
    first.Parse(text);
    std::string saved = first.Format();
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    if (lines >= 6 * kHistoryBlockSize + kRecentFileCount && saved != text) std::abort();
    HistoryFile second;
    second.Parse(saved);
    if (second.find != first.find || second.replace != first.replace ||
        second.texts != first.texts || second.folders != first.folders ||
        second.recent != first.recent || second.lastTexts != first.lastTexts)
        std::abort();
    if (second.Format() != saved) std::abort();
    return 0;
}
