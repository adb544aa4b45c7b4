// Save and Save As with their questions, the code menus, the title, the external-change test,
// bookmark files, auto-save and recovery.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/auto_save.h"
#include "document/debug_dump.h"
#include "document/document.h"
#include "document/marks_file.h"
#include "platform/fakes/headless_ui.h"
#include "platform/fakes/memory_file_system.h"

namespace norv::document {
namespace {

class QueuedDialogs : public DocumentDialogs {
  public:
    bool AskSaveAs(SaveAsRequest& r) override {
        proposed = r.name;
        if (!answer) return false;
        r.name = answer->name;
        r.choice = answer->choice;
        r.addBom = answer->addBom;
        return true;
    }
    std::optional<SaveAsRequest> answer;
    std::string proposed;
};

class CountingHooks : public DocumentHooks {
  public:
    bool OnBeforeSave(CElwDoc&, const std::string& target) override {
        ++before;
        targets.push_back(target);
        return allowSave;
    }
    void OnAfterSave(CElwDoc&) override { ++after; }
    void ResetUndo(CElwDoc&) override { ++undoResets; }
    int before = 0, after = 0, undoResets = 0;
    bool allowSave = true;
    std::vector<std::string> targets;
};

struct Fixture {
    platform::MemoryFileSystem fs;
    platform::HeadlessUi ui;
    QueuedDialogs dialogs;
    CountingHooks hooks;
    DocumentEnvironment env;
    Fixture() {
        env.fs = &fs;
        env.ui = &ui;
        env.dialogs = &dialogs;
        env.hooks = &hooks;
        env.codePage = 932;
        env.save.trashOutGen = 0;
    }
};

TEST(DoSave, SaveAsChoosesCodeLineEndsAndBom) {
    static const struct {
        CodeChoice choice;
        bool addBom;
        std::string bytes;
        EolMode mode;
        CodeChoice remembered;
    } kCases[] = {
        {CodeChoice::kDefault, true, "\x82\xA0\r\nb", EolMode::kCrLf, CodeChoice::kDefault},
        {CodeChoice::kEuc, true, "\xA4\xA2\nb", EolMode::kLf, CodeChoice::kEuc},  // EUC-JP: LF
        {CodeChoice::kJis, true, "\x1B$B$\"\x1B(B\r\nb", EolMode::kCrLf, CodeChoice::kJis},
        {CodeChoice::kUtf8, false, "\xE3\x81\x82\r\nb", EolMode::kCrLf, CodeChoice::kUtf8},
        {CodeChoice::kUtf8, true, "\xEF\xBB\xBF\xE3\x81\x82\r\nb", EolMode::kCrLf,
         CodeChoice::kUtf8},
    };
    for (const auto& c : kCases) {
        Fixture f;
        f.fs.files["/a.txt"] = "\x82\xA0\r\nb";
        CElwDoc doc(f.env);
        ASSERT_EQ(doc.OpenDocument("/a.txt"), 1);
        f.dialogs.answer = SaveAsRequest{"/b.txt", c.choice, c.addBom};
        ASSERT_EQ(doc.DoSave("", true), 1);
        EXPECT_EQ(f.fs.files["/b.txt"], c.bytes) << static_cast<int>(c.choice);
        EXPECT_EQ(doc.path, "/b.txt");
        EXPECT_EQ(doc.eolMode, c.mode);
        EXPECT_EQ(doc.codeChoice, c.remembered);
        EXPECT_FALSE(doc.modified);
        EXPECT_EQ(f.hooks.before, 1);
        EXPECT_EQ(f.hooks.after, 1);
        EXPECT_EQ(f.hooks.undoResets, 1);
        // Crossing from ANSI to Unicode asked first, and the text in memory kept its encoding.
        if (c.choice == CodeChoice::kUtf8) {
            EXPECT_EQ(f.ui.messages.size(), 1u);
            EXPECT_EQ(doc.code, TextCode::kAnsi);
        }
    }
}

TEST(DoSave, CancellingOrAFailedSaveChangesNothing) {
    Fixture f;
    CElwDoc doc(f.env);
    doc.NewDocument();
    doc.lines().Reset();
    doc.lines().AppendLine("text\n", 5);
    doc.title = "Untitled 1#x";
    doc.SetModified(true);
    EXPECT_EQ(doc.DoSave("", false), 0);  // no answer queued: cancelled
    EXPECT_EQ(f.dialogs.proposed, "Untitled");
    f.ui.QueueAnswer(platform::kIdCancel);
    f.dialogs.answer = SaveAsRequest{"/u.txt", CodeChoice::kUnicode, true};
    EXPECT_EQ(doc.DoSave("", false), 0);  // the ANSI <-> Unicode question cancelled
    EXPECT_EQ(doc.saveCode, TextCode::kNone);
    EXPECT_EQ(f.fs.files.count("/u.txt"), 0u);
    // A Save As to a new name that fails leaves no file behind and the document modified.
    f.fs.failWriteNumber = 1;
    f.dialogs.answer = SaveAsRequest{"/v.txt", CodeChoice::kDefault, true};
    EXPECT_EQ(doc.DoSave("", false), 0);
    EXPECT_EQ(f.fs.files.count("/v.txt"), 0u);
    EXPECT_TRUE(doc.modified);
    EXPECT_TRUE(doc.path.empty());
    // A before-save script can cancel.
    f.fs.failWriteNumber = 0;
    f.hooks.allowSave = false;
    EXPECT_EQ(doc.DoSave("/w.txt", false), 0);
    EXPECT_EQ(f.fs.files.count("/w.txt"), 0u);
    EXPECT_EQ(f.hooks.targets.back(), "/w.txt");
    // Former fault: a Save As in EUC-JP cancelled by the script kept the code and line ends
    // chosen in the dialog, although nothing was written.
    const EolMode mode = doc.eolMode;
    f.dialogs.answer = SaveAsRequest{"/e.txt", CodeChoice::kEuc, false};
    EXPECT_EQ(doc.DoSave("", true), 0);
    EXPECT_EQ(f.hooks.targets.back(), "/e.txt");
    EXPECT_EQ(doc.code, TextCode::kAnsi);
    EXPECT_EQ(doc.saveCode, TextCode::kNone);
    EXPECT_EQ(doc.eolMode, mode);
    EXPECT_TRUE(doc.bom);
    EXPECT_EQ(f.fs.files.count("/e.txt"), 0u);
}

TEST(CodeMenus, UnicodeNeedsAsciiTextAndEucLfSetsTheMode) {
    Fixture f;
    f.fs.files["/a.txt"] = "abc\r\n\x82\xA0";
    CElwDoc doc(f.env);
    ASSERT_EQ(doc.OpenDocument("/a.txt"), 1);
    EXPECT_EQ(doc.SetCharacterCode(TextCode::kUtf8), 0);
    EXPECT_EQ(f.ui.messages.back().substr(0, 40), "ANSI <-> Unicode conversion cannot be do");
    doc.saveCode = TextCode::kJis;  // as fixed by an earlier save
    f.ui.QueueAnswer(platform::kIdNo);
    EXPECT_EQ(doc.SetCharacterCode(TextCode::kEuc, true), 1);
    EXPECT_EQ(doc.code, TextCode::kEuc);
    EXPECT_EQ(doc.saveCode, TextCode::kNone);
    EXPECT_EQ(doc.eolMode, EolMode::kLf);
    f.ui.QueueAnswer(platform::kIdNo);
    EXPECT_EQ(doc.SetCharacterCode(TextCode::kAnsi), 1);
    EXPECT_EQ(doc.eolMode, EolMode::kLf);  // leaving EUC keeps the line ends
    doc.SetReturnCode(EolMode::kCr);
    ASSERT_EQ(doc.DoSave("", false), 1);
    EXPECT_EQ(f.fs.files["/a.txt"], "abc\r\x82\xA0");
}

// Every way of choosing a code keeps the line ends the file was read with, a line typed in the
// editor among them; only the EUC-JP entries that say so and the Return Code menu change them.
// The file is a E1 b E2 c; a line "t" is typed after a, so its end is the mode's (TextMode 0 for
// a file of mixed ends, where every other line keeps its own).
TEST(LineEnds, KeptThroughSaveSaveAsAndTheCodeMenus) {
    enum class Act { kSave, kSaveAs, kMenu, kReturn };
    enum class Want { kKept, kAllLf, kAllCrLf, kAllCr };
    static const struct {
        const char* name;
        const char* e1;
        const char* e2;
        const char* typed;  // the typed line's end when the line ends are kept
    } kFiles[] = {
        {"lf", "\n", "\n", "\n"},
        {"crlf", "\r\n", "\r\n", "\r\n"},
        {"cr", "\r", "\r", "\r"},
        {"mixed", "\n", "\r", "\r\n"},
    };
    static const struct {
        Act act;
        CodeChoice choice;  // Save As
        TextCode code;      // Character Code menu
        bool eucLf;
        EolMode mode;  // Return Code menu
        Want want;
    } kActs[] = {
        {Act::kSave, CodeChoice::kDefault, TextCode::kNone, false, EolMode::kDefault, Want::kKept},
        {Act::kSaveAs, CodeChoice::kDefault, TextCode::kNone, false, EolMode::kDefault,
         Want::kKept},
        {Act::kSaveAs, CodeChoice::kAnsi, TextCode::kNone, false, EolMode::kDefault, Want::kKept},
        {Act::kSaveAs, CodeChoice::kEuc, TextCode::kNone, false, EolMode::kDefault, Want::kAllLf},
        {Act::kSaveAs, CodeChoice::kJis, TextCode::kNone, false, EolMode::kDefault, Want::kKept},
        {Act::kSaveAs, CodeChoice::kUnicode, TextCode::kNone, false, EolMode::kDefault,
         Want::kKept},
        {Act::kSaveAs, CodeChoice::kUnicodeBe, TextCode::kNone, false, EolMode::kDefault,
         Want::kKept},
        {Act::kSaveAs, CodeChoice::kUtf8, TextCode::kNone, false, EolMode::kDefault, Want::kKept},
        {Act::kMenu, CodeChoice::kDefault, TextCode::kAnsi, false, EolMode::kDefault, Want::kKept},
        {Act::kMenu, CodeChoice::kDefault, TextCode::kJis, false, EolMode::kDefault, Want::kKept},
        {Act::kMenu, CodeChoice::kDefault, TextCode::kEuc, false, EolMode::kDefault, Want::kKept},
        {Act::kMenu, CodeChoice::kDefault, TextCode::kEuc, true, EolMode::kDefault, Want::kAllLf},
        {Act::kMenu, CodeChoice::kDefault, TextCode::kUcs2Le, false, EolMode::kDefault,
         Want::kKept},
        {Act::kMenu, CodeChoice::kDefault, TextCode::kUcs2Be, false, EolMode::kDefault,
         Want::kKept},
        {Act::kMenu, CodeChoice::kDefault, TextCode::kUtf8, false, EolMode::kDefault, Want::kKept},
        {Act::kReturn, CodeChoice::kDefault, TextCode::kNone, false, EolMode::kCrLf,
         Want::kAllCrLf},
        {Act::kReturn, CodeChoice::kDefault, TextCode::kNone, false, EolMode::kLf, Want::kAllLf},
        {Act::kReturn, CodeChoice::kDefault, TextCode::kNone, false, EolMode::kCr, Want::kAllCr},
    };
    auto widen = [](const std::string& ascii, bool bigEndian) {
        std::string out;
        for (char c : ascii) {
            out.push_back(bigEndian ? '\0' : c);
            out.push_back(bigEndian ? c : '\0');
        }
        return out;
    };
    for (const auto& file : kFiles) {
        for (const auto& act : kActs) {
            Fixture f;
            f.env.save.textMode = 0;
            f.fs.files["/a.txt"] = std::string("a") + file.e1 + "b" + file.e2 + "c";
            CElwDoc doc(f.env);
            ASSERT_EQ(doc.OpenDocument("/a.txt"), 1);
            LineRecord* typed = doc.lines().MakeRecord("t\n", 2);
            ASSERT_NE(typed, nullptr);
            doc.lines().InsertLineAfter(typed, doc.lines().first());
            std::string target = "/a.txt";
            TextCode saved = TextCode::kAnsi;
            switch (act.act) {
                case Act::kSave:
                    ASSERT_EQ(doc.DoSave("", false), 1);
                    break;
                case Act::kSaveAs:
                    target = "/b.txt";
                    f.dialogs.answer = SaveAsRequest{target, act.choice, false};
                    f.ui.QueueAnswer(platform::kIdOk);  // the ANSI <-> Unicode question
                    ASSERT_EQ(doc.DoSave("", true), 1);
                    saved = doc.saveCode;
                    break;
                case Act::kMenu:
                    f.ui.QueueAnswer(platform::kIdNo);  // Check Kanji Code
                    ASSERT_EQ(doc.SetCharacterCode(act.code, act.eucLf), 1);
                    saved = act.code;
                    doc.bom = false;  // the byte-order mark is not at stake here
                    ASSERT_EQ(doc.DoSave("", false), 1);
                    break;
                case Act::kReturn:
                    doc.SetReturnCode(act.mode);
                    ASSERT_EQ(doc.DoSave("", false), 1);
                    break;
            }
            const char* e1 = file.e1;
            const char* e2 = file.e2;
            const char* et = file.typed;
            switch (act.want) {
                case Want::kKept:
                    break;
                case Want::kAllLf:
                    e1 = e2 = et = "\n";
                    break;
                case Want::kAllCrLf:
                    e1 = e2 = et = "\r\n";
                    break;
                case Want::kAllCr:
                    e1 = e2 = et = "\r";
                    break;
            }
            std::string want = std::string("a") + e1 + "t" + et + "b" + e2 + "c";
            if (saved == TextCode::kUcs2Le || saved == TextCode::kUcs2Be)
                want = widen(want, saved == TextCode::kUcs2Be);
            const std::string& got = f.fs.files[target];
            EXPECT_EQ(EscapeBytes(got.data(), got.size()), EscapeBytes(want.data(), want.size()))
                << file.name << ", action " << static_cast<int>(act.act) << " choice "
                << static_cast<int>(act.choice) << " code " << static_cast<int>(act.code);
        }
    }
}

TEST(CodeMenus, CheckKanjiCodeOffersTheConversion) {
    Fixture f;
    f.fs.files["/j.txt"] = "\x1B$B$\"\x1B(B";
    CElwDoc doc(f.env);
    f.env.load.jisRead = false;
    ASSERT_EQ(doc.OpenDocument("/j.txt"), 1);
    f.ui.QueueAnswer(platform::kIdYes);
    f.ui.QueueAnswer(platform::kIdYes);
    ASSERT_EQ(doc.SetCharacterCode(TextCode::kJis), 1);
    EXPECT_EQ(f.ui.messages[1],
              "The Kanji code of this file must be \"JIS\". Do you want to convert now?");
    EXPECT_EQ(DumpLines(doc.lines()), "1\t00\t\\x82\\xA0\n");
    EXPECT_TRUE(doc.modified);
    f.ui.QueueAnswer(platform::kIdYes);
    doc.SetCharacterCode(TextCode::kAnsi);
    EXPECT_EQ(f.ui.messages.back(), "The Kanji code of this text should be correct.");
}

TEST(Title, ShowsReadOnlyAndModifiedStates) {
    Fixture f;
    f.fs.files["/d/memo.txt"] = "x";
    CElwDoc doc(f.env);
    ASSERT_EQ(doc.OpenDocument("/d/memo.txt"), 1);
    doc.UpdateTitle();
    EXPECT_EQ(doc.title, "memo.txt");
    doc.SetModified(true);
    EXPECT_EQ(doc.title, "memo.txt*");
    doc.ToggleReadOnly();
    EXPECT_EQ(doc.title, "memo.txt<R>");
    doc.SetModified(false);
    doc.SetModified(true);  // a read-only document is never marked modified
    EXPECT_FALSE(doc.modified);
    CElwDoc untitled(f.env);
    untitled.NewDocument();
    untitled.title = "Untitled.abc*";
    untitled.typeExtension = ".c";
    untitled.UpdateTitle();
    EXPECT_EQ(untitled.title, "Untitled.c");
}

TEST(ChangedOnDisk, AsksAndReloadsOrRemembers) {
    Fixture f;
    f.fs.files["/a.txt"] = "one";
    f.fs.times["/a.txt"] = 100;
    CElwDoc doc(f.env);
    ASSERT_EQ(doc.OpenDocument("/a.txt"), 1);
    EXPECT_EQ(doc.IsChangedOnDisk(), 0);
    f.fs.files["/a.txt"] = "two!";
    f.fs.times["/a.txt"] = 200;
    EXPECT_EQ(doc.IsChangedOnDisk(), 1);
    f.ui.QueueAnswer(platform::kIdNo);
    doc.CheckChangedOnDisk();
    EXPECT_EQ(doc.IsChangedOnDisk(), 0);  // not asked again
    f.fs.times["/a.txt"] = 300;
    f.ui.QueueAnswer(platform::kIdYes);
    doc.readOnly = true;
    doc.CheckChangedOnDisk();
    EXPECT_EQ(DumpLines(doc.lines()), "1\t00\ttwo!\n");
    EXPECT_TRUE(doc.readOnly);  // a reload keeps the read-only state
}

TEST(MarkFiles, NamesFormatsAndRoundTrips) {
    EXPECT_EQ(MarkFileShortName("/d/report.txt"), "/d/reportt.@tx");
    EXPECT_EQ(MarkFileShortName("/d/a.c"), "/d/a.@c");
    EXPECT_EQ(MarkFileShortName("/d/longname1.html"), "/d/longname1.@ht");
    EXPECT_EQ(MarkFileShortName("/d/memo"), "/d/memo.@");
    platform::MemoryFileSystem fs;
    EXPECT_EQ(MarkFileName(fs, "/d/report.txt"), "/d/report.txt.#marks#");
    fs.files["/d/reportt.@tx"] = "";
    EXPECT_EQ(MarkFileName(fs, "/d/report.txt"), "/d/reportt.@tx");

    std::string old16("MK\x10\0\x02\0\x01\0\0\0\0\0\x02\0\0\0\x05\0\0\0", 20);
    EXPECT_EQ(ParseMarkFile(old16), (std::vector<uint32_t>{5}));
    std::string rebuilt = BuildMarkFile(old16, {2, 9});
    EXPECT_EQ(rebuilt, std::string("MK\x10\0\x02\0\x02\0\0\0\0\0\x02\0\0\0\x02\0\x09\0\0\0", 22));
    // A line beyond 16 bits switches the file to 32-bit entries.
    EXPECT_EQ(ParseMarkFile(BuildMarkFile(old16, {3, 70000})), (std::vector<uint32_t>{3, 70000}));
    // Headers that are too short or larger than the file are not trusted.
    EXPECT_TRUE(ParseMarkFile(std::string("MK\x40\0\x04\0", 6)).empty());
    EXPECT_TRUE(ParseMarkFile(std::string("MK\x08\0\x04\0\x01\0\0\0\0\0\x02\0\0\0", 16)).empty());
    EXPECT_EQ(ParseMarkFile(BuildMarkFile("", {1, 3, 3, 2})), (std::vector<uint32_t>{1, 3}));
}

TEST(MarkFiles, WrittenAfterASaveAndReadAfterALoad) {
    Fixture f;
    f.fs.files["/d/report.txt"] = "a\nb\nc\n";
    CElwDoc doc(f.env);
    ASSERT_EQ(doc.OpenDocument("/d/report.txt"), 1);
    doc.lines().LineAt(2)->flags |= LF_MARK;
    doc.lines().LineAt(3)->flags |= LF_MARK;
    ASSERT_EQ(doc.DoSave("", false), 1);
    ASSERT_EQ(f.fs.files.count("/d/report.txt.#marks#"), 1u);
    CElwDoc again(f.env);
    ASSERT_EQ(again.OpenDocument("/d/report.txt"), 1);
    EXPECT_EQ(DumpLines(again.lines()), "1\t10\ta\n2\t11\tb\n3\t11\tc\n4\t00\t\n");
    again.lines().LineAt(2)->flags &= static_cast<uint8_t>(~LF_MARK);
    again.lines().LineAt(3)->flags &= static_cast<uint8_t>(~LF_MARK);
    ASSERT_EQ(again.DoSave("", false), 1);
    EXPECT_EQ(f.fs.files.count("/d/report.txt.#marks#"), 0u);  // no mark: no file
}

// The save finds the marked lines while it writes: far into a long text (past the batches it
// writes in), on lines whose blanks the save strips, and on the last line.
TEST(MarkFiles, ASaveOfALongTextFindsEveryMarkedLine) {
    Fixture f;
    f.env.save.saveMarkInfo = true;
    f.env.save.delSpace = true;
    std::string text;
    for (int n = 1; n <= 100000; ++n) text += n % 10 ? "line\n" : "blanks  \t\n";
    f.fs.files["/d/long.txt"] = text + "last";
    CElwDoc doc(f.env);
    ASSERT_EQ(doc.OpenDocument("/d/long.txt"), 1);
    const std::vector<uint32_t> marked = {1, 10, 65536, 70000, 99990, 100001};
    for (uint32_t n : marked) doc.lines().LineAt(static_cast<int>(n))->flags |= LF_MARK;
    ASSERT_EQ(doc.DoSave("", false), 1);
    ASSERT_EQ(f.fs.files.count("/d/long.txt.#marks#"), 1u);
    EXPECT_EQ(ParseMarkFile(f.fs.files["/d/long.txt.#marks#"]), marked);
    EXPECT_EQ(f.fs.files["/d/long.txt"].find("  "), std::string::npos);  // the blanks went
}

TEST(AutoSave, ADocumentInTwoWindowsIsCopiedOnce) {
    Fixture f;
    f.fs.files["/w/a.txt"] = "abc";
    CElwDoc a(f.env);
    ASSERT_EQ(a.OpenDocument("/w/a.txt"), 1);
    a.SetModified(true);
    AutoSaver saver(f.env, "/cfg", 0x1234);
    saver.AutoSaveAll({&a, &a});  // one entry per window
    auto table = ParseRecoveryTable(f.fs.files["/cfg/Norv1234.REC"]);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->size(), 1u);
}

TEST(AutoSave, TablesCopiesAndRecoveryWithCodesAndLineEnds) {
    Fixture f;
    f.fs.files["/w/a.txt"] = "\x82\xA0\n\x82\xA2\n";
    f.fs.files["/w/e.txt"] = std::string("\xFE\xFF\x30\x42\0\r\0\n", 8);
    std::vector<std::unique_ptr<CElwDoc>> docs;
    auto open = [&](const std::string& p) {
        docs.push_back(std::make_unique<CElwDoc>(f.env));
        EXPECT_EQ(docs.back()->OpenDocument(p), 1);
        return docs.back().get();
    };
    CElwDoc* a = open("/w/a.txt");
    CElwDoc* e = open("/w/e.txt");
    docs.push_back(std::make_unique<CElwDoc>(f.env));
    CElwDoc* u = docs.back().get();
    u->NewDocument();
    u->title = "Untitled2*";
    AutoSaver saver(f.env, "/cfg", 0x1234);
    std::vector<CElwDoc*> all = {a, e, u};
    EXPECT_FALSE(saver.Tick(0, 0, all));  // AutoSaveSec 0: never
    saver.AutoSaveAll(all);
    EXPECT_EQ(f.fs.files.count("/cfg/Norv1234.REC"), 0u);  // nothing modified: no table
    a->SetModified(true);
    e->SetModified(true);
    u->SetModified(true);
    EXPECT_FALSE(saver.Tick(100, 200, all));
    EXPECT_TRUE(saver.Tick(301, 200, all));
    ASSERT_EQ(f.fs.files.count("/cfg/Norv1234.REC"), 1u);
    EXPECT_EQ(f.fs.files["/cfg/12340000.AUT"], "\x82\xA0\n\x82\xA2\n");
    auto table = ParseRecoveryTable(f.fs.files["/cfg/Norv1234.REC"]);
    ASSERT_TRUE(table);
    ASSERT_EQ(table->size(), 3u);
    EXPECT_TRUE((*table)[2].untitled);
    EXPECT_EQ((*table)[2].path, "Untitled2");

    // The program dies here. The next start recovers everything.
    Fixture g;
    g.fs.files = f.fs.files;
    std::vector<std::unique_ptr<CElwDoc>> recovered;
    RecoveryHost host;
    host.newDocument = [&]() {
        recovered.push_back(std::make_unique<CElwDoc>(g.env));
        return recovered.back().get();
    };
    g.ui.QueueAnswer(platform::kIdNo);
    EXPECT_EQ(RecoverAtStartup(g.env, "/cfg", host), 0);
    EXPECT_EQ(g.fs.files.count("/cfg/Norv1234.REC"), 1u);  // declined: offered again next time
    g.ui.QueueAnswer(platform::kIdYes);
    ASSERT_EQ(RecoverAtStartup(g.env, "/cfg", host), 1);
    ASSERT_EQ(recovered.size(), 3u);
    EXPECT_EQ(recovered[0]->path, "/w/a.txt");
    EXPECT_EQ(recovered[0]->code, TextCode::kAnsi);
    EXPECT_EQ(recovered[0]->eolMode, EolMode::kLf);
    EXPECT_TRUE(recovered[0]->modified);
    EXPECT_EQ(recovered[1]->code, TextCode::kUcs2Be);
    EXPECT_TRUE(recovered[1]->path == "/w/e.txt");
    EXPECT_TRUE(recovered[2]->path.empty());
    EXPECT_EQ(recovered[2]->title, "Untitled2*");
    EXPECT_EQ(g.fs.files.count("/cfg/Norv1234.REC"), 0u);
    EXPECT_EQ(g.fs.files.count("/cfg/12340000.AUT"), 0u);
    // Saved back, the recovered UCS-2 file is what it was.
    ASSERT_EQ(recovered[1]->DoSave("", false), 1);
    EXPECT_EQ(g.fs.files["/w/e.txt"], std::string("\xFE\xFF\x30\x42\0\r\0\n", 8));

    // In the first program, saving every document empties the table and deletes the copies.
    for (CElwDoc* d : {a, e}) d->SetModified(false);
    u->SetModified(false);
    saver.AutoSaveAll(all);
    EXPECT_EQ(f.fs.files.count("/cfg/Norv1234.REC"), 0u);
    EXPECT_EQ(f.fs.files.count("/cfg/12340001.AUT"), 0u);
}

TEST(AutoSave, TablesThatLieAreRefused) {
    EXPECT_FALSE(ParseRecoveryTable(std::string("\x02\0\0\0", 4)));
    std::string one = BuildRecoveryTable({RecoveryEntry{false, "/a", "00010000.AUT"}});
    EXPECT_TRUE(ParseRecoveryTable(one));
    std::string unterminated = one;
    for (size_t i = 8; i < 8 + 262; ++i) unterminated[i] = 'x';
    EXPECT_FALSE(ParseRecoveryTable(unterminated));
    std::string escaping = BuildRecoveryTable({RecoveryEntry{false, "/a", "../etc/passwd"}});
    EXPECT_FALSE(ParseRecoveryTable(escaping));
    std::string count = one;
    count[0] = 101;
    EXPECT_FALSE(ParseRecoveryTable(count));
}

}  // namespace
}  // namespace norv::document
