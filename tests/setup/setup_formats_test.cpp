// The formats setup reads and writes: the INF file with the private-profile rules and the checks
// of its path values, the install record, the text table and the Exec quoting of desktop
// entries.
#include <gtest/gtest.h>

#include "setup/inf_file.h"
#include "setup/install_record.h"
#include "setup/setup_environment.h"
#include "setup/setup_texts.h"

namespace norv::setup {
namespace {

TEST(InfFile, PrivateProfileRules) {
    static const struct {
        const char* text;
        const char* section;
        const char* key;
        const char* expected;  // nullptr: missing
    } kCases[] = {
        {"[Settings]\nAppTitle=Norv\n", "Settings", "AppTitle", "Norv"},
        {"[settings]\r\n  apptitle = Norv \r\n", "Settings", "AppTitle", "Norv"},
        {"\xEF\xBB\xBF[Settings]\nAppTitle=Norv\n", "Settings", "AppTitle", "Norv"},
        {"[Settings]\nAppTitle=\"  Norv  \"\n", "Settings", "AppTitle", "  Norv  "},
        {"[Settings]\nAppTitle=a=b\n", "Settings", "AppTitle", "a=b"},
        {"[Settings]\nAppTitle=\n", "Settings", "AppTitle", ""},
        // The first section and the first key of a name count.
        {"[Settings]\nA=1\nA=2\n[Settings]\nB=3\n", "Settings", "A", "1"},
        {"[Settings]\nA=1\n[Settings]\nB=3\n", "Settings", "B", nullptr},
        {"[Other]\nAppTitle=x\n[Settings]\nProduct=y\n", "Settings", "AppTitle", nullptr},
        {"AppTitle=outside\n[Settings]\n", "Settings", "AppTitle", nullptr},
        {"[Settings]\n;AppTitle=commented\n", "Settings", "AppTitle", nullptr},
        {"[Settings]\nAppTitle", "Settings", "AppTitle", nullptr},
    };
    for (const auto& c : kCases) {
        std::optional<std::string> v = ProfileString(c.text, c.section, c.key);
        if (c.expected)
            EXPECT_EQ(v.value_or("<missing>"), c.expected) << c.text;
        else
            EXPECT_FALSE(v) << c.text;
    }
}

TEST(InfFile, FileListEndsAtFirstGapOrEmptyKey) {
    EXPECT_EQ(ParseInf("[Files]\nFile0=a\nFile2=c\n").files, std::vector<std::string>{"a"});
    EXPECT_EQ(ParseInf("[Files]\nFile0=a\nFile1=\nFile2=c\n").files, std::vector<std::string>{"a"});
    EXPECT_EQ(ParseInf("[Files]\nfile1=b\nFILE0=a\n").files, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(ParseInf("[Files]\nFile1=b\n").files.empty());
}

TEST(InfFile, PathValuesThatWouldLeaveTheTargetAreRefused) {
    auto base = [] {
        SetupInf inf;
        inf.appTitle = "Norv";
        inf.vender = "NorvProject";
        inf.files = {"norv", "doc/manual/index.html"};
        return inf;
    };
    EXPECT_EQ(RefusedKey(base()), "");
    static const struct {
        void (*change)(SetupInf&);
        const char* key;
    } kCases[] = {
        {[](SetupInf& i) { i.appTitle = "a/b"; }, "AppTitle"},
        {[](SetupInf& i) { i.appTitle = ".."; }, "AppTitle"},
        {[](SetupInf& i) { i.vender = "."; }, "Vender"},
        {[](SetupInf& i) { i.vender = ""; }, "Vender"},
        {[](SetupInf& i) { i.vender = "../../etc"; }, "Vender"},
        {[](SetupInf& i) { i.files[1] = "../outside"; }, "File1"},
        {[](SetupInf& i) { i.files[1] = "doc/../../x"; }, "File1"},
        {[](SetupInf& i) { i.files[0] = "/etc/passwd"; }, "File0"},
        {[](SetupInf& i) { i.files[1] = "doc//x"; }, "File1"},
        {[](SetupInf& i) { i.files[1] = "doc/"; }, "File1"},
        {[](SetupInf& i) { i.mimeInfo = "not-listed.xml"; }, "MimeInfo"},
        {[](SetupInf& i) { i.mimeTypes = "text/x-c;bad type"; }, "MimeTypes"},
        {[](SetupInf& i) { i.product = "a\tb"; }, "Product"},
    };
    for (const auto& c : kCases) {
        SetupInf inf = base();
        c.change(inf);
        EXPECT_EQ(RefusedKey(inf), c.key);
    }
    SetupInf fine = base();
    fine.mimeInfo = "norv";
    fine.mimeTypes = " text/x-c ; application/x-norv-script;";
    fine.appTitle = "My Editor";  // a blank is part of a name, not a separator
    EXPECT_EQ(RefusedKey(fine), "");
}

TEST(InfFile, NamedByTheCompanionRule) {
    EXPECT_EQ(InfPathOf("/opt/x/setup"), "/opt/x/setup.INF");
    EXPECT_EQ(InfPathOf("/opt/x/setup.bin"), "/opt/x/setup.INF");
    EXPECT_EQ(InfPathOf("/opt/x.y/setup"), "/opt/x.y/setup.INF");
}

TEST(InstallRecord, RoundTripsAwkwardPaths) {
    InstallRecord r;
    r.target = "/home/u/with\ttab\\and\nline/";
    r.AddFolder("/home/u/with\ttab\\and\nline/");
    r.AddFolder("/home/u/with\ttab\\and\nline/");  // once only
    r.Put({"/home/u/a b/norv", 12, std::string(64, 'a')});
    r.Put({"/home/u/a b/norv", 13, std::string(64, 'b')});  // replaces
    r.Put({"/home/u/a b/x\\y", 0, std::string(64, 'c')});
    r.mimePackage = "/home/u/a b/norv-script.xml";
    std::optional<InstallRecord> back = ReadRecordText(WriteRecordText(r));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->target, r.target);
    EXPECT_EQ(back->folders, r.folders);
    ASSERT_EQ(back->files.size(), 2u);
    EXPECT_EQ(back->files[0].size, 13u);
    EXPECT_EQ(back->files[0].sha256, std::string(64, 'b'));
    EXPECT_EQ(back->files[1].path, "/home/u/a b/x\\y");
    EXPECT_EQ(back->mimePackage, r.mimePackage);
}

TEST(InstallRecord, ReaderTakesOnlyWhatItUnderstands) {
    std::string h(kRecordHeader);
    std::string hash(64, 'f');
    EXPECT_FALSE(ReadRecordText(""));
    EXPECT_FALSE(ReadRecordText("target\t/x/\n"));              // no header
    EXPECT_FALSE(ReadRecordText(h + "\ntarget\trelative/\n"));  // no absolute target
    EXPECT_FALSE(ReadRecordText(h + "\ntarget\t/no-slash\n"));  // not a folder
    std::optional<InstallRecord> r = ReadRecordText(
        h + "\ntarget\t/t/\nfile\t1\t" + hash + "\trelative\nfile\tx\t" + hash +
        "\t/t/a\nfile\t1\tABC\t/t/b\nfile\t2\t" + hash + "\t/t/c\nbogus\nfolder\t/t/d/\n" +
        "file\t99999999999999999999\t" + hash + "\t/t/e");
    ASSERT_TRUE(r);
    ASSERT_EQ(r->files.size(), 1u);
    EXPECT_EQ(r->files[0].path, "/t/c");
    EXPECT_EQ(r->folders, std::vector<std::string>{"/t/d/"});
}

TEST(InstallRecord, Sha256MatchesKnownDigests) {
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(SetupTexts, EveryTextInBothLanguagesInTableOrder) {
    for (size_t i = 0; i < std::size(kTexts); ++i) {
        EXPECT_EQ(static_cast<size_t>(kTexts[i].id), i);
        EXPECT_FALSE(kTexts[i].english.empty());
        EXPECT_FALSE(kTexts[i].japanese.empty());
    }
    EXPECT_EQ(TextOf(TextId::kCopyFailed, Language::kEnglish),
              "Failed to copy files\nPlease make sure the target file is not being used.");
}

TEST(SetupTexts, LanguageAndFormats) {
    EXPECT_EQ(LanguageFromLocale(nullptr, nullptr, "ja_JP.UTF-8"), Language::kJapanese);
    EXPECT_EQ(LanguageFromLocale("C", nullptr, "ja_JP.UTF-8"), Language::kEnglish);
    EXPECT_EQ(LanguageFromLocale("", "ja_JP", "en_US"), Language::kJapanese);
    EXPECT_EQ(LanguageFromLocale(nullptr, nullptr, nullptr), Language::kEnglish);
    EXPECT_EQ(FillIn("%s\n\"%s\" (errcode:%d)", {"Failed", "/t/norv", "28"}),
              "Failed\n\"/t/norv\" (errcode:28)");
    EXPECT_EQ(FillIn("100%% %s %s", {"a"}), "100% a ");
}

TEST(DesktopEntry, ExecQuotingAndNames) {
    static const struct {
        const char* path;
        const char* exec;
    } kCases[] = {
        {"/opt/a/norv", "/opt/a/norv"},
        {"/home/u/My Apps/norv", "\"/home/u/My Apps/norv\""},
        {"/home/u/a$b/norv", "\"/home/u/a\\\\$b/norv\""},
        {"/home/u/back\\slash/norv", "\"/home/u/back\\\\\\\\slash/norv\""},
        {"/home/u/100%/norv", "/home/u/100%%/norv"},
        {"/home/u/say \"hi\"/norv", "\"/home/u/say \\\\\"hi\\\\\"/norv\""},
    };
    for (const auto& c : kCases) EXPECT_EQ(ExecArgument(c.path), c.exec) << c.path;
    SetupInf inf;
    inf.appTitle = "Norv";
    inf.files = {"bin/norv.bin", "x"};
    EXPECT_EQ(UninstallEntryName(inf), "Norv-uninstall.desktop");
    EXPECT_EQ(SendToEntryName(inf), "norv.desktop");
    inf.files = {"norv"};
    EXPECT_EQ(SendToEntryName(inf), "norv.desktop");
}

}  // namespace
}  // namespace norv::setup
