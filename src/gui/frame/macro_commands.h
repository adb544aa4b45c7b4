// The frame's key-macro commands and the menu items that run by a table name of their own
// (app/commands/hidden_commands.h): their texts and what each one sets.
#pragma once

#include <array>
#include <string_view>

#include "app/commands/address_program.h"
#include "document/text_code.h"

namespace norv::qt {

struct CodeMenuItem {
    std::string_view name;
    const char* text;
    document::TextCode code;
    bool eucLf;
};

// clang-format off
inline constexpr std::array<CodeMenuItem, 7> kCodeMenuItems = {{
    {"CodeAnsi", "&ANSI", document::TextCode::kAnsi, false},
    {"CodeJis", "&JIS", document::TextCode::kJis, false},
    {"CodeEuc", "EU&C (EOL=Default)", document::TextCode::kEuc, false},
    {"CodeEucLf", "&EUC-JP (EOL=LF)", document::TextCode::kEuc, true},
    {"CodeUnicode", "&Unicode", document::TextCode::kUcs2Le, false},
    {"CodeUnicodeBE", "U&nicode (Big Endian)", document::TextCode::kUcs2Be, false},
    {"CodeUtf8", "U&TF8", document::TextCode::kUtf8, false},
}};
// clang-format on

struct ReturnMenuItem {
    std::string_view name;
    const char* text;
    document::EolMode mode;
};

inline constexpr std::array<ReturnMenuItem, 4> kReturnMenuItems = {{
    {"ReturnDefault", "&Default", document::EolMode::kDefault},
    {"ReturnCrLf", "DOS/&Windows (CRLF)", document::EolMode::kCrLf},
    {"ReturnLf", "&UNIX (LF)", document::EolMode::kLf},
    {"ReturnCr", "&Macintosh (CR)", document::EolMode::kCr},
}};

// The table name of an address command.
constexpr std::string_view AddressCommandTableName(app::AddressCommand id) {
    switch (id) {
        case app::AddressCommand::OpenURL:
            return "OpenURL";
        case app::AddressCommand::CopyURL:
            return "CopyURL";
        case app::AddressCommand::CutURL:
            return "CutURL";
        case app::AddressCommand::SelectURL:
            return "SelectURL";
    }
    return "";
}

}  // namespace norv::qt
