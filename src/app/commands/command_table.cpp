// Looking commands up by name and by identifier.
#include "app/commands/command_table.h"

namespace norv::app {

int CommandIndexByName(std::string_view name) {
    for (size_t i = 0; i < kBuiltinCommands.size(); ++i)
        if (kBuiltinCommands[i].name == name) return static_cast<int>(i);
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
