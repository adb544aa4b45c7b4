// Arbitrary bytes as a key definition file: every key read that has a name reads back from that
// name, and a table once written reads back to the same table and the same text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/commands/key_table.h"

using namespace norv::app;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    KeyTable first;
    first.Parse(text);
    for (size_t i = 0; i < kCommandCount; ++i) {
        for (int slot = 0; slot < 2; ++slot) {
            KeyCode k = first.key(i, slot);
            std::string name = KeyNameOf(k);
            if (!name.empty() && KeyFromName(name) != k) std::abort();
        }
    }
    std::string saved = first.Format();
    KeyTable second;
    second.Parse(saved);
    std::string again = second.Format();
    KeyTable third;
    third.Parse(again);
    if (!(third == second) || third.Format() != again) std::abort();
    (void)second.Find(KeyFromName(std::string(text.substr(0, 12))));
    return 0;
}
