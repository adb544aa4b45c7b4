// The command table and key names: the table walked whole, and key names both ways.
#include "app/commands/command_table.h"

#include <gtest/gtest.h>

#include <set>

#include "app/commands/key_names.h"

namespace norv::app {
namespace {

TEST(CommandTable, WalkedWhole) {
    std::set<std::string_view> names;
    size_t views = 0;
    for (size_t i = 0; i < kBuiltinCommands.size(); ++i) {
        const Command& c = kBuiltinCommands[i];
        SCOPED_TRACE(std::string(c.name));
        EXPECT_TRUE(names.insert(c.name).second) << "duplicate name";
        EXPECT_NE(c.id(), 0);
        EXPECT_EQ(CommandIndexByName(c.name), static_cast<int>(i));
        EXPECT_EQ(CommandIndexById(c.id()), static_cast<int>(i));
        EXPECT_NE(c.isView(), c.frame != FrameCommandId::None);
        if (c.isView()) {
            // The view commands are the editing core's, in the same order.
            ASSERT_LT(views, editing::kViewCommands.size());
            EXPECT_EQ(editing::kViewCommands[views].id, c.view);
            EXPECT_EQ(editing::kViewCommands[views].name, c.name);
            ++views;
        }
        // Built-in keys always have names that read back to them.
        for (KeyCode k : {c.key1, c.key2}) {
            if (k == kUnassignedKey) continue;
            EXPECT_TRUE(IsAssigned(k));
            EXPECT_EQ(KeyFromName(KeyNameOf(k)), k) << KeyNameOf(k);
        }
    }
    EXPECT_EQ(views, editing::kViewCommands.size());
    EXPECT_EQ(CommandIndexByName("csrup"), -1);
    EXPECT_EQ(CommandIndexById(0), -1);
    for (std::string_view later : kCommandsHandledLater) EXPECT_GE(CommandIndexByName(later), 0);
    // The groups start where the key dialog expects them.
    const char* kFirst[] = {"CsrUp",     "BackSpace", "EditCopy", "RollUp",   "TextTop",
                            "SearchFwd", "NewFile",   "Split",    "RecordKey"};
    for (size_t g = 0; g < kCommandGroups.size(); ++g)
        EXPECT_EQ(kBuiltinCommands[kCommandGroups[g].first].name, kFirst[g]);
    EXPECT_EQ(GroupOf(static_cast<size_t>(CommandIndexByName("Nop"))), 8u);
}

TEST(CommandTable, SomeBuiltinKeys) {
    static const struct {
        const char* command;
        const char* key1;
        const char* key2;
    } kCases[] = {
        {"WordRight", "Ctrl+Right", "Ctrl+W"}, {"ChangeCase", "Ctrl+K^L", ""},
        {"RepeatOne", "SAlt+Ins", ""},         {"PageUp", "PgDn", ""},
        {"LockEdit", "Ctrl+K^\\", ""},         {"Menu1", "RBtn", ""},
        {"MarkCaption", "Ctrl+Q^]", ""},       {"Nop", "", ""},
    };
    for (const auto& c : kCases) {
        const Command& cmd = kBuiltinCommands[static_cast<size_t>(CommandIndexByName(c.command))];
        EXPECT_EQ(KeyNameOf(cmd.key1), c.key1) << c.command;
        EXPECT_EQ(KeyNameOf(cmd.key2), c.key2) << c.command;
    }
}

TEST(KeyNames, BothWays) {
    static const struct {
        const char* name;
        KeyCode code;
        const char* writtenAs;  // nullptr: the same name
    } kCases[] = {
        {"Up", 0xFF26, nullptr},
        {"Ctrl+Left", 0x2025, nullptr},
        {"Shift+F8", 0x4077, nullptr},
        {"SCtrl+A", 0x6041, nullptr},
        {"Alt+F4", 0xFE73, nullptr},
        {"SAlt+PgUp", 0xFD21, nullptr},
        {"Ctrl+K^B", 0x024B, nullptr},  // low byte "K", class 2
        {"Ctrl+Q^]", 0x1D51, nullptr},
        {"Ctrl+[", 0x205B, nullptr},
        {"F24", 0xFF87, nullptr},
        {"LBtn", 0xFF01, nullptr},
        {"Ctrl+1", 0x2031, nullptr},  // a digit has no table name: written as itself
        {"", kUnassignedKey, ""},
        {"Nothing", 0xFFFF, ""},  // unknown: unassigned
        {"Ctrl+Nothing", 0x20FF, ""},
        {"Meta+X", 0xFFFF, ""},  // "+" without a known prefix: read whole, unknown
        {"F1", 0xFF70, nullptr},
        {"F10", 0xFF79, nullptr},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(KeyFromName(c.name), c.code);
        EXPECT_EQ(KeyNameOf(c.code), c.writtenAs ? c.writtenAs : c.name);
    }
    static_assert(KeyFromName("Ctrl+K^B") == 0x024B);
}

}  // namespace
}  // namespace norv::app
