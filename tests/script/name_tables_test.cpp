// The three name tables: sorted for the halving search, complete, and consistent with the
// instruction set and the dispatcher.
#include "script/name_tables.h"

#include <gtest/gtest.h>

#include <set>

#include "script/image.h"
#include "script/opcodes.h"

namespace norv::script {
namespace {

TEST(ScriptNameTables, EveryRowIsFoundByTheSearchInAnyCase) {
    for (size_t i = 0; i < kKeywords.size(); ++i) {
        EXPECT_EQ(LookupKeyword(kKeywords[i].name), kKeywords[i].token) << kKeywords[i].name;
        std::string lower(kKeywords[i].name);
        for (char& c : lower) c = static_cast<char>(c + ('a' - 'A') * (c >= 'A' && c <= 'Z'));
        EXPECT_EQ(LookupKeyword(lower), kKeywords[i].token) << lower;
    }
    for (size_t i = 0; i < kBuiltins.size(); ++i)
        EXPECT_EQ(LookupBuiltin(kBuiltins[i].name), static_cast<int>(i)) << kBuiltins[i].name;
    for (size_t i = 0; i < kSysVars.size(); ++i)
        EXPECT_EQ(LookupSysVar(kSysVars[i].name), static_cast<int>(i)) << kSysVars[i].name;
}

TEST(ScriptNameTables, NamesOutsideTheTablesAreNotFound) {
    for (const char* name : {"", "A", "AA", "ZZZ", "ABSX", "INTEGERS", "_", "ZENTOHAN_", "0"}) {
        EXPECT_EQ(LookupKeyword(name), 0) << name;
        EXPECT_EQ(LookupBuiltin(name), -1) << name;
        EXPECT_EQ(LookupSysVar(name), -1) << name;
    }
    // Every name just before or after a row (one letter changed) misses or hits another row.
    for (const BuiltinRow& row : kBuiltins) {
        std::string probe(row.name);
        probe += "Q";
        EXPECT_EQ(LookupBuiltin(probe), -1) << probe;
    }
}

TEST(ScriptNameTables, TablesHaveTheirDesignedShape) {
    EXPECT_EQ(kKeywords.size(), 41u);
    EXPECT_EQ(kBuiltins.size(), 120u);
    EXPECT_EQ(kSysVars.size(), 105u);
    // The Integer type keyword has three names.
    EXPECT_EQ(LookupKeyword("BOOL"), kKwInteger);
    EXPECT_EQ(LookupKeyword("HWND"), kKwInteger);
    std::set<int> tokens;
    for (const auto& k : kKeywords) tokens.insert(k.token);
    EXPECT_EQ(tokens.size(), 39u);
    for (int t : tokens) EXPECT_TRUE(t >= 256 && t <= 294);

    std::set<int> ids;
    for (const auto& b : kBuiltins) {
        EXPECT_TRUE(ids.insert(b.id).second) << "duplicate id " << b.id;
        EXPECT_LE(b.argCount, 4) << b.name;
        EXPECT_EQ(BuiltinById(b.id), &b);
        EXPECT_EQ(b.flags() & 0xFFFF, static_cast<uint32_t>(b.argCount));
    }
    for (int id : {-1, 0, 34, 906, 4000, 1 << 20}) EXPECT_EQ(BuiltinById(id), nullptr) << id;
    int counts[4] = {0, 0, 0, 0};  // Integer RO, Integer RW, String RO, String RW
    for (const auto& v : kSysVars) ++counts[(v.isString() ? 2 : 0) + (v.assignable() ? 1 : 0)];
    EXPECT_EQ(counts[0], 21);
    EXPECT_EQ(counts[1], 69);
    EXPECT_EQ(counts[2], 8);
    EXPECT_EQ(counts[3], 7);
}

TEST(ScriptNameTables, SpotChecksOfRows) {
    static const struct {
        const char* name;
        int id, args;
        ResultKind result;
    } kCases[] = {
        {"ABS", 12, 1, ResultKind::kInteger},     {"MID", 2, 3, ResultKind::kString},
        {"MSGBOX", 301, 3, ResultKind::kInteger}, {"ALLOC", 900, 1, ResultKind::kString},
        {"BEEP", 64, 0, ResultKind::kNone},       {"ZENTOHAN", 125, 1, ResultKind::kString},
        {"THROWAWAY", 901, 1, ResultKind::kNone}, {"FPUTINT", 28, 3, ResultKind::kInteger},
    };
    for (const auto& c : kCases) {
        const int row = LookupBuiltin(c.name);
        ASSERT_GE(row, 0) << c.name;
        EXPECT_EQ(kBuiltins[static_cast<size_t>(row)].id, c.id) << c.name;
        EXPECT_EQ(kBuiltins[static_cast<size_t>(row)].argCount, c.args) << c.name;
        EXPECT_EQ(kBuiltins[static_cast<size_t>(row)].result, c.result) << c.name;
    }
    EXPECT_FALSE(kSysVars[static_cast<size_t>(LookupSysVar("LINENO"))].assignable());
    EXPECT_TRUE(kSysVars[static_cast<size_t>(LookupSysVar("TABS"))].assignable());
    EXPECT_EQ(kSysVars[static_cast<size_t>(LookupSysVar("FILENAME"))].flags, 0x20001u);
    EXPECT_EQ(kSysVars[static_cast<size_t>(LookupSysVar("PATHNAME"))].flags, 0x20000u);
}

TEST(ScriptOpcodes, EveryInstructionHasANameAndALength) {
    int count = 0;
    for (int op = 0; op < 256; ++op) {
        if (!IsInstruction(static_cast<uint8_t>(op))) continue;
        ++count;
        EXPECT_LE(InstructionLength(static_cast<uint8_t>(op)), 9u);
    }
    EXPECT_EQ(count, 71);  // the designed 70 and the array index check
}

}  // namespace
}  // namespace norv::script
