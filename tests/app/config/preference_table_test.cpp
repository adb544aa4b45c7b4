// The page table against the key table, the checks of values before they are stored, and OK's
// writing of only the changed values.
#include "app/config/preference_table.h"

#include <gtest/gtest.h>

#include <map>

#include "app/config/preference_changes.h"
#include "platform/fakes/memory_file_system.h"

namespace norv::app {
namespace {

TEST(PreferenceTable, EveryKeyHasExactlyOnePlace) {
    std::map<size_t, int> places;
    for (const PageField& f : kPageFields) ++places[size_t(f.key)];
    for (const UnpagedKey& u : kUnpagedKeys) ++places[size_t(u.key)];
    for (size_t i = 0; i < kKeyCount; ++i)
        EXPECT_EQ(places[i], 1) << kKeySpecs[i].name << " has " << places[i] << " places";
    EXPECT_EQ(places.size(), kKeyCount);
    // Labels are what the pages show; none may be empty, and no page key may be unreachable.
    for (const PageField& f : kPageFields) {
        EXPECT_FALSE(f.label.empty()) << SpecOf(f.key).name;
        EXPECT_NE(f.page, PageId::CKwdDlg) << "the keyword page holds no settings key";
        EXPECT_NE(f.page, PageId::CEditKey) << "the key-edit page holds no settings key";
        if (f.control == Control::kChoice)
            EXPECT_EQ(ChoiceNames(f.key).size(), size_t(f.range.max - f.range.min + 1))
                << SpecOf(f.key).name;
        const ValueType type = SpecOf(f.key).type;
        const bool numeric = f.control == Control::kCheck || f.control == Control::kNumber ||
                             f.control == Control::kChoice;
        EXPECT_EQ(numeric, type == ValueType::kInt) << SpecOf(f.key).name;
        EXPECT_EQ(f.control == Control::kColour, type == ValueType::kColour) << SpecOf(f.key).name;
    }
}

TEST(PreferenceTable, KeysSitOnTheirPagesWithTheDesignedLabels) {
    EXPECT_EQ(PageTitle(PageId::CExtOpt), "Tools");
    EXPECT_EQ(PageTitle(PageId::COthers), "Others");
    EXPECT_EQ(FieldOf(Key::MainRectTop), nullptr);
    EXPECT_EQ(FieldOf(Key::CmpRange), nullptr);
    EXPECT_EQ(FieldOf(Key::UndoReset)->page, PageId::COption);
    EXPECT_EQ(FieldOf(Key::Maximized)->page, PageId::CAdvanced);
    EXPECT_EQ(FieldOf(Key::BarWindow)->page, PageId::CDispOpt);
    EXPECT_EQ(FieldOf(Key::Help10Ext)->page, PageId::CExtOpt);
    EXPECT_EQ(FieldOf(Key::SpAm)->label, "&American");
    EXPECT_EQ(FieldOf(Key::SpBr)->label, "&British");
    EXPECT_EQ(FieldOf(Key::User10Cmt)->page, PageId::CFOptDlg);
    EXPECT_EQ(FieldOf(Key::KeyDefinition)->page, PageId::CKeyDlg);
    EXPECT_EQ(FieldOf(Key::Menu4Add)->page, PageId::CMenuCust);
    EXPECT_EQ(FieldOf(Key::TsrScript)->page, PageId::CScript);
    EXPECT_EQ(FieldOf(Key::PrintFontUC)->page, PageId::CPrintFmt);
    EXPECT_EQ(FieldOf(Key::DBCSTitle)->page, PageId::COthers);
    const std::pair<Key, std::string_view> colours[] = {
        {Key::TextColor, "Text"},          {Key::BackColor, "Background"},
        {Key::MarkColor, "Marked line"},   {Key::EOFColor, "EOF Mark"},
        {Key::CRColor, "CRLF Mark"},       {Key::TABColor, "Tab Display"},
        {Key::CtrlColor, "Control Code"},  {Key::LnumColor, "Line Number"},
        {Key::LBakColor, "Line No Bkgnd"}, {Key::GaugColor, "Ruler"},
        {Key::GbakColor, "Ruler Bkgnd"},   {Key::UlinColor, "Under Line"},
        {Key::ChngColor, "Changed Mark"},  {Key::URLColor, "URL&e-mail"}};
    for (const auto& [key, label] : colours) {
        ASSERT_NE(FieldOf(key), nullptr);
        EXPECT_EQ(FieldOf(key)->page, PageId::CFontColor);
        EXPECT_EQ(FieldOf(key)->label, label);
    }
    // "&e" in "URL&e-mail" is the label's mnemonic, so the message calls it "URLe-mail".
    EXPECT_EQ(FieldName(Key::URLColor), "URLe-mail");
    // Every profile key is on File Types and knows its profile; C source has no no-wrap key.
    for (size_t i = 0; i < kProfileCount; ++i) {
        const ProfileKeys& k = kProfileKeys[i];
        for (Key key : {k.tab, k.column, k.autoIndent, k.ext, k.cmt}) {
            ASSERT_NE(FieldOf(key), nullptr) << SpecOf(key).name;
            EXPECT_EQ(FieldOf(key)->page, PageId::CFOptDlg);
            EXPECT_EQ(ProfileOfKey(key), ProfileId(i));
        }
    }
    EXPECT_EQ(FieldsOf(PageId::CFOptDlg).size(), kProfileCount * 10 - 1);
}

TEST(PreferenceTable, RangesRefuseEachEdgePlusOneWithTheFieldsName) {
    struct Case {
        Key key;
        int min, max;
        std::string_view name;
    };
    const Case cases[] = {
        {Key::DefaultColumn, 2, 9999, "Default: Wrap column"},
        {Key::User10Column, 2, 9999, "User10: Wrap column"},
        {Key::C_CppTAB, 1, 64, "C source: Tab width"},
        {Key::AutoSplitCol, 2, 9999, "Automatic formatting column"},
        {Key::TwoDelay, 1, 10000, "Two-stroke menu delay (ms)"},
        {Key::TrashOutGen, 0, 99, "Backup generations"},
        {Key::PrintTop, 0, 100, "Top margin (mm)"},
        {Key::CmpRange, 10, 10000, "CmpRange"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(SpecOf(c.key).name);
        EXPECT_EQ(RangeOf(c.key).min, c.min);
        EXPECT_EQ(RangeOf(c.key).max, c.max);
        EXPECT_EQ(RefusalOf(c.key, std::to_string(c.min), {}), std::nullopt);
        EXPECT_EQ(RefusalOf(c.key, std::to_string(c.max), {}), std::nullopt);
        const std::string message = std::string(c.name) + ": the value must be from " +
                                    std::to_string(c.min) + " to " + std::to_string(c.max) + ".";
        EXPECT_EQ(RefusalOf(c.key, std::to_string(c.min - 1), {}), message);
        EXPECT_EQ(RefusalOf(c.key, std::to_string(c.max + 1), {}), message);
    }
    EXPECT_EQ(RefusalOf(Key::DefaultColumn, "100000", {}),
              "Default: Wrap column: the value must be from 2 to 9999.");
    EXPECT_EQ(RefusalOf(Key::DefaultColumn, "", {}), "Default: Wrap column: enter a whole number.");
    EXPECT_EQ(RefusalOf(Key::DefaultColumn, "8x", {}),
              "Default: Wrap column: enter a whole number.");
    EXPECT_EQ(RefusalOf(Key::DefaultColumn, "99999999999999999999", {}),
              "Default: Wrap column: enter a whole number.");
    EXPECT_EQ(RefusalOf(Key::InsertMode, "2", {}), "Insert mode: the value must be 0 or 1.");
    // A key without a range takes any integer.
    EXPECT_EQ(RefusalOf(Key::BarEdit, "-477111693", {}), std::nullopt);
    EXPECT_EQ(ClampToRange(Key::CmpRange, 5), 10);
    EXPECT_EQ(ClampToRange(Key::HTMLColumn, 0), 2);
    EXPECT_EQ(ClampToRange(Key::MainRectTop, -40), -40);
}

TEST(PreferenceTable, TextsListsColoursAndFonts) {
    // An empty entry would make the list match every file without an extension.
    EXPECT_EQ(RefusalOf(Key::C_Ext, "*.c;;*.h", {}),
              "C source: Extensions: an entry of the list is empty.");
    EXPECT_EQ(RefusalOf(Key::User1Ext, "*.c;", {}),
              "User1: Extensions: an entry of the list is empty.");
    EXPECT_EQ(RefusalOf(Key::User1Ext, " ;*.c", {}),
              "User1: Extensions: an entry of the list is empty.");
    EXPECT_EQ(RefusalOf(Key::User1Ext, "", {}), std::nullopt);
    EXPECT_EQ(RefusalOf(Key::Help3Ext, "*.txt;makefile", {}), std::nullopt);
    EXPECT_EQ(RefusalOf(Key::HTML_Ext, std::string(256, 'x'), {}), std::nullopt);
    EXPECT_EQ(RefusalOf(Key::HTML_Ext, std::string(257, 'x'), {}),
              "HTML: Extensions: the list is longer than 256 bytes.");
    EXPECT_EQ(RefusalOf(Key::Header, "a\nb", {}), "Header: the text cannot hold a line break.");
    EXPECT_EQ(RefusalOf(Key::Header, "&f - &p", {}), std::nullopt);
    EXPECT_EQ(RefusalOf(Key::BackColor, "250 250 250", {}), std::nullopt);
    EXPECT_EQ(RefusalOf(Key::BackColor, "250 250 256", {}),
              "Background: \"250 250 256\" is not a colour.");
    EXPECT_EQ(RefusalOf(Key::BackColor, "250 250", {}), "Background: \"250 250\" is not a colour.");
    const FontExists installed = [](std::string_view f) { return f == "IPAGothic"; };
    EXPECT_EQ(RefusalOf(Key::TextFont, "IPAGothic", installed), std::nullopt);
    EXPECT_EQ(RefusalOf(Key::TextFont, "No Such Face", installed),
              "Font: the font \"No Such Face\" is not installed.");
    EXPECT_EQ(RefusalOf(Key::PrintFont, "", installed),
              "Print font: the font \"\" is not installed.");
}

struct Store {
    platform::MemoryFileSystem fs{platform::FolderRule::kFoldersMustExist};
    SettingsStore store{fs, "/cfg/n.INI", 932};
    Settings settings{932};
    explicit Store(std::string text) {
        fs.folders.insert("/cfg/");
        fs.files["/cfg/n.INI"] = std::move(text);
        store.LoadCache();
        settings.Load(store);
        store.ReleaseCache();
    }
    const std::string& File() { return fs.files["/cfg/n.INI"]; }
};

TEST(PreferenceChanges, OnlyChangedValuesAreWrittenAndARefusalWritesNothing) {
    const std::string before =
        "[Options]\r\nLineNumber=1\r\n[Colors]\r\nBackColor=250 250 250\r\n[Settings]\r\n";
    Store s(before);
    // Same values in another spelling are no change.
    const std::vector<PreferenceEdit> same = {{Key::LineNumber, "1"},
                                              {Key::BackColor, "250 250 250"},
                                              {Key::TextColor, "0 0 0"},
                                              {Key::Header, "&n"}};
    PreferenceOutcome none = ApplyPreferences(s.settings, &s.store, same, {});
    EXPECT_TRUE(none.written.empty());
    EXPECT_FALSE(none.TellOthers());
    EXPECT_EQ(s.File(), before);

    // One bad value among good ones: nothing is written, and the refusal names it.
    const std::vector<PreferenceEdit> bad = {{Key::LineNumber, "0"}, {Key::DefaultColumn, "0"}};
    PreferenceOutcome refused = ApplyPreferences(s.settings, &s.store, bad, {});
    ASSERT_TRUE(refused.refused);
    EXPECT_EQ(refused.refused->key, Key::DefaultColumn);
    EXPECT_TRUE(refused.written.empty());
    EXPECT_EQ(s.File(), before);
    EXPECT_TRUE(s.settings.Flag(Key::LineNumber));

    const std::vector<PreferenceEdit> good = {{Key::LineNumber, "0"},
                                              {Key::BackColor, "001 002 003"},
                                              {Key::TextFontHeight, "20"},
                                              {Key::ShowWall, "1"},
                                              {Key::C_Ext, "*.c;*.cc"}};
    PreferenceOutcome out = ApplyPreferences(s.settings, &s.store, good, {});
    EXPECT_FALSE(out.refused);
    EXPECT_EQ(out.written.size(), 5u);
    EXPECT_TRUE(out.TellOthers());
    EXPECT_EQ(s.File(),
              "[Options]\r\nLineNumber=0\r\nShowWall=1\r\n[Colors]\r\nBackColor=001 002 003\r\n"
              "[Settings]\r\n[Fonts]\r\nTextFontHeight=20\r\n[Others]\r\nC_Ext=*.c;*.cc\r\n");
    EXPECT_EQ(s.settings.Colour(Key::BackColor), Rgb(1, 2, 3));
    EXPECT_TRUE(out.reapply & kReapplyFonts);
    EXPECT_TRUE(out.reapply & kReapplyViews);
    EXPECT_FALSE(out.reapply & kReapplyBars);
}

TEST(PreferenceChanges, WhatEachChangeReapplies) {
    EXPECT_EQ(ReapplyOf(Key::ShowWall), kReapplyNothing);
    EXPECT_EQ(ReapplyOf(Key::FixWindow), kReapplyNothing);
    EXPECT_EQ(ReapplyOf(Key::FkeyMode), kReapplyNothing);
    EXPECT_EQ(ReapplyOf(Key::ToolBar3), kReapplyBars);
    EXPECT_EQ(ReapplyOf(Key::DispFkey), kReapplyBars);
    EXPECT_EQ(ReapplyOf(Key::Menu2Item), kReapplyMenus);
    EXPECT_TRUE(ReapplyOf(Key::KeyDefinition) & kReapplyKeys);
    EXPECT_TRUE(ReapplyOf(Key::Help10) & kReapplyMenus);
    EXPECT_EQ(ReapplyOf(Key::KeyFColor), kReapplyViews);
    EXPECT_EQ(ReapplyOf(Key::PrintFont), kReapplyPrint);
    EXPECT_EQ(ReapplyOf(Key::ZIPA), kReapplyNothing);
}

TEST(PreferenceChanges, AFailedWriteIsReportedAndKeepsTheOldValue) {
    Store s("[Options]\nLineNumber=1\n");
    s.fs.failWriteNumber = 1;
    s.fs.failStickily = false;
    const std::vector<PreferenceEdit> edits = {{Key::LineNumber, "0"}, {Key::Footer, "&p"}};
    PreferenceOutcome out = ApplyPreferences(s.settings, &s.store, edits, {});
    EXPECT_EQ(out.failed, std::vector<Key>{Key::LineNumber});
    EXPECT_EQ(out.written, std::vector<Key>{Key::Footer});
    EXPECT_TRUE(s.settings.Flag(Key::LineNumber));
    EXPECT_EQ(s.settings.Text(Key::Footer), "&p");
    EXPECT_EQ(s.File(), "[Options]\nLineNumber=1\n[Settings]\nFooter=&p\n");
}

TEST(PreferenceChanges, WithoutAStoreValuesChangeInMemory) {
    Settings settings(932);
    const std::vector<PreferenceEdit> edits = {{Key::UndoLimit, "64"}, {Key::CRColor, "1 2 3"}};
    PreferenceOutcome out = ApplyPreferences(settings, nullptr, edits, {});
    EXPECT_EQ(out.written.size(), 2u);
    EXPECT_EQ(settings.Int(Key::UndoLimit), 64);
    EXPECT_EQ(settings.Text(Key::CRColor), "001 002 003");
}

}  // namespace
}  // namespace norv::app
