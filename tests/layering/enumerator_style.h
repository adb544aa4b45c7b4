// The naming rule for enumerators: every enumerator is kName, except in the enumerations whose
// names come from the program's own tables (commands, settings keys, preference pages, script
// system variables), which keep those names as written. `EnumeratorsOutOfStyle` applies the rule
// to one file's text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norv::layering {

// Enumerations named after the program's tables: their enumerators are the table's names.
inline constexpr std::string_view kTableNamedEnums[] = {
    "CommandId", "FrameCommandId", "AddressCommand", "PageId", "Key",
    "Section",   "UserOption",     "HelpField",      "Var",
};

struct OffStyle {
    int line;
    std::string enumName;
    std::string enumerator;
};

// The enumerators of `text` that break the rule. Comments are skipped; an enumerator list built
// by a macro is checked where the macro's arguments are written, not here.
std::vector<OffStyle> EnumeratorsOutOfStyle(std::string_view text);

}  // namespace norv::layering
