// The commands' labels, descriptions and short names.
#include "app/commands/command_texts.h"

#include <gtest/gtest.h>

#include "app/commands/key_dispatch.h"

namespace norv::app {
namespace {

size_t Index(std::string_view name) {
    return static_cast<size_t>(CommandIndexByName(name));
}

TEST(CommandTexts, DescriptionsDropTheMnemonicAndKeepLiteralAmpersands) {
    EXPECT_EQ(CommandDescription(Index("OpenFile")), "Open...");
    EXPECT_EQ(CommandDescription(Index("SaveClose")), "Save&Close");
    EXPECT_EQ(CommandLabel(Index("LockEdit")), "Read&Only Mode");
    EXPECT_EQ(CommandDescription(kCommandCount), "");
    for (size_t i = 0; i < kCommandCount; ++i) EXPECT_FALSE(CommandLabel(i).empty()) << i;
}

TEST(CommandTexts, FunctionKeyBarShowsShortNamesPerModifierClass) {
    KeyTable table;
    auto shortName = [](size_t i) { return std::string(CommandShortName(i)); };
    const auto plain = FunctionKeyLabels(table, key_class::kNone, shortName);
    EXPECT_EQ(plain[1], "FileSelect");
    EXPECT_EQ(plain[2], "FindNext");
    EXPECT_EQ(plain[3], "TileTwo");
    EXPECT_EQ(plain[11], "F12");
    const auto shifted = FunctionKeyLabels(table, key_class::kShift, shortName);
    EXPECT_EQ(shifted[2], "FindPrev");
    EXPECT_EQ(shifted[9], "ListMarks");  // the table's MarkList
    const auto ctrl = FunctionKeyLabels(table, key_class::kCtrl, shortName);
    EXPECT_EQ(ctrl[6], "CutAppend");
}

}  // namespace
}  // namespace norv::app
