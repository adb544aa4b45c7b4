// Arbitrary bytes as a SENDKEYS key string: a string either fails whole or gives at most 4096
// events in which every key goes down and comes up again in pairs and every hold is let go, so
// that no key is left held; the strokes follow the events.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/scripting/send_keys.h"

using namespace norv::app;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (int codePage : {932, 1252}) {
        const auto events = ParseSendKeys(text, codePage);
        if (!events) continue;
        if (events->size() > kMaxKeyEvents) std::abort();
        int held[256] = {};
        size_t downs = 0;
        for (const KeyEvent& e : *events) {
            held[e.key] += e.down ? 1 : -1;
            if (held[e.key] < 0 || held[e.key] > 1) std::abort();
            if (!e.down && !e.bytes.empty()) std::abort();
            if (e.down && e.key != kShiftKey && e.key != kCtrlKey && e.key != kAltKey) ++downs;
        }
        for (int h : held)
            if (h != 0) std::abort();
        if (StrokesOf(*events).size() != downs) std::abort();
    }
    return 0;
}
