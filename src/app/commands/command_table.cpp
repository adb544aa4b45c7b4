// Looking commands up by name and by identifier.
#include "app/commands/command_table.h"

namespace norv::app {

namespace {

// The commands' indices in the order of their names (a name given twice: the lower index
// first), for a halving search by name.
constexpr std::array<uint8_t, kCommandCount> kByName = [] {
    std::array<uint8_t, kCommandCount> order{};
    for (size_t i = 0; i < kCommandCount; ++i) {
        // Insertion: the commands before i are in order already.
        size_t k = i;
        while (k > 0 && kBuiltinCommands[order[k - 1]].name > kBuiltinCommands[i].name) {
            order[k] = order[k - 1];
            --k;
        }
        order[k] = static_cast<uint8_t>(i);
    }
    return order;
}();
static_assert(kCommandCount <= 256);

}  // namespace

int CommandIndexByName(std::string_view name) {
    size_t low = 0, high = kByName.size();
    while (low < high) {
        const size_t mid = (low + high) / 2;
        if (kBuiltinCommands[kByName[mid]].name < name)
            low = mid + 1;
        else
            high = mid;
    }
    if (low < kByName.size() && kBuiltinCommands[kByName[low]].name == name) return kByName[low];
    return -1;
}

int CommandIndexById(uint16_t id) {
    if (id == 0) return -1;
    for (size_t i = 0; i < kBuiltinCommands.size(); ++i) {
        const Command& c = kBuiltinCommands[i];
        if (static_cast<uint16_t>(c.view) == id || static_cast<uint16_t>(c.frame) == id)
            return static_cast<int>(i);
    }
    return -1;
}

size_t GroupOf(size_t index) {
    size_t g = 0;
    for (size_t i = 0; i < kCommandGroups.size(); ++i)
        if (kCommandGroups[i].first <= index) g = i;
    return g;
}

bool IsHandledLater(std::string_view name) {
    for (std::string_view later : kCommandsHandledLater)
        if (later == name) return true;
    return false;
}

}  // namespace norv::app
