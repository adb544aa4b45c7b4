// Command descriptions from their menu labels.
#include "app/commands/command_texts.h"

namespace norv::app {

std::string CommandDescription(size_t command) {
    std::string out;
    if (command >= kCommandCount) return out;
    std::string_view label = kCommandTexts[command].label;
    for (size_t i = 0; i < label.size(); ++i) {
        // "&x" marks the mnemonic; "&&" is a literal ampersand.
        if (label[i] == '&' && i + 1 < label.size()) ++i;
        out += label[i];
    }
    return out;
}

std::string_view CommandLabel(size_t command) {
    return command < kCommandCount ? kCommandTexts[command].label : std::string_view();
}

std::string_view CommandShortName(size_t command) {
    return command < kCommandCount ? kCommandTexts[command].shortName : std::string_view();
}

}  // namespace norv::app
