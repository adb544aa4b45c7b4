// The script library: the page kept in ScriptPage, the buttons of a page, Register writing the
// data file's lines (and nothing else of it), the file Edit opens, and Run going by name.
#include "app/script_library.h"

#include <gtest/gtest.h>

#include "app/config/settings_store.h"
#include "app/scripting/fake_script_editor.h"

namespace norv::app::testing {
namespace {

// The "##Script" section of a data file: the add-in slots, then the library's lines.
std::string ScriptSection(const std::vector<std::string>& addins,
                          const std::vector<std::string>& library) {
    std::string text = "##Script\n";
    for (size_t i = 0; i < kAddinSlotCount; ++i)
        text += (i < addins.size() ? addins[i] : std::string()) + "\n";
    for (const std::string& line : library) text += line + "\n";
    return text;
}

TEST(ScriptLibrary, PageIsKeptInScriptPageAndReadBackInRange) {
    ScratchFolder dir;
    const std::string ini = dir.Write("norv.INI", "[Others]\nScriptPage=12\n");
    SettingsStore store(platform::RealFileSystem(), ini, 932);
    Settings s(932);
    s.Load(store);
    // A page the dialog cannot show gives the first.
    EXPECT_EQ(LibraryPage(s), 0);
    s.Set(Key::ScriptPage, -1);
    EXPECT_EQ(LibraryPage(s), 0);
    KeepLibraryPage(s, &store, 9);
    EXPECT_EQ(LibraryPage(s), 9);
    Settings again(932);
    again.Load(store);
    EXPECT_EQ(LibraryPage(again), 9);
    // Out of range is not kept.
    KeepLibraryPage(s, &store, 10);
    EXPECT_EQ(LibraryPage(s), 9);
}

TEST(ScriptLibrary, ButtonsShowTheCommentElseTheFileName) {
    DataFile d;
    d.Parse(ScriptSection({}, {"a.nrs\tFirst script", "b.nrs\t ", " \tcomment only"}) +
            std::string(24, '\n') + "page2.nrs\t \n");
    auto page = LibraryButtons(d, 0);
    EXPECT_EQ(page[0].letter, 'A');
    EXPECT_EQ(page[0].text, "First script");
    EXPECT_FALSE(page[0].empty);
    EXPECT_EQ(page[1].text, "b.nrs");
    // A comment without a file has nothing to run.
    EXPECT_EQ(page[2].text, "comment only");
    EXPECT_TRUE(page[2].empty);
    EXPECT_EQ(page[25].letter, 'Z');
    EXPECT_TRUE(page[25].empty);
    EXPECT_TRUE(page[25].text.empty());
    // The 28th line is page 2's "B" (the 26 lines of page 1, then a blank one).
    EXPECT_EQ(LibraryButtons(d, 1)[1].text, "page2.nrs");
    EXPECT_TRUE(LibraryButtons(d, 10)[0].empty);
}

TEST(ScriptLibrary, FieldsLoseWhatWouldSplitTheLine) {
    const LibrarySlot previous{"x.nrs", "old"};
    EXPECT_EQ(SlotOfFields("  tab\there.nrs ", "a\tb\nc", previous),
              (LibrarySlot{"tab here.nrs", "a b c"}));
    // A comment of blanks would read back as no comment: it is none.
    EXPECT_EQ(SlotOfFields("y", "   ", previous), (LibrarySlot{"y", ""}));
    EXPECT_EQ(SlotOfFields("x.nrs", "old", previous), previous);
}

TEST(ScriptLibrary, RegisterWritesTheSlotsLineAndKeepsEveryOtherLineAsRead) {
    ScratchFolder dir;
    // Odd lines: extra fields, trailing blanks, a CRLF line, a section this program does not
    // know, and lines past the library's blocks.
    std::vector<std::string> library = {"keep.nrs\tKept\textra field", "  spaced  \t  x  ",
                                        "crlf.nrs\tC\r"};
    const std::string before =
        "; preamble\n" + ScriptSection({"Tool\tTool.NRS\t10x", "", "odd addin line"}, library) +
        "##Other\nwhatever\n##RegDir\n/home/u/\n";
    const std::string path = dir.Write("norv.DAT", before);
    DataFile program;
    ASSERT_EQ(LoadDataFile(platform::RealFileSystem(), path, program), 0);
    // The section after the short block is no slot of it.
    EXPECT_EQ(program.library[0][3], LibrarySlot{});
    EXPECT_EQ(program.library[0][4], LibrarySlot{});
    // Someone else changed the file since it was read: that change stays.
    dir.Write("norv.DAT", before + "appended\n");

    ASSERT_EQ(RegisterLibrarySlot(platform::RealFileSystem(), path, 0, 4,
                                  {"New.NRS", "\x93\xfa\x96\x7b"}, program),
              0);
    ASSERT_EQ(RegisterLibrarySlot(platform::RealFileSystem(), path, 9, 25, {"Last", ""}, program),
              0);
    const std::string after = dir.Read("norv.DAT");
    // Everything before the new slot is as it was, byte for byte.
    const std::string head = before.substr(0, before.find("##Other"));
    ASSERT_EQ(after.substr(0, head.size()), head);
    // Slot "E" of page 1 (the fifth line of the library), after an empty "D".
    EXPECT_EQ(after.substr(head.size(), 14), "\nNew.NRS\t\x93\xfa\x96\x7b\n");
    // Page 10's "Z" is the section's last line: file, and a blank for the empty comment.
    const size_t other = after.find("##Other");
    ASSERT_NE(other, std::string::npos);
    EXPECT_EQ(after.substr(other - 7, 7), "Last\t \n");
    EXPECT_EQ(after.substr(other), "##Other\nwhatever\n##RegDir\n/home/u/\nappended\n");
    EXPECT_EQ(program.library[0][4], (LibrarySlot{"New.NRS", "\x93\xfa\x96\x7b"}));
    EXPECT_EQ(program.library[9][25], (LibrarySlot{"Last", ""}));

    DataFile reread;
    ASSERT_EQ(LoadDataFile(platform::RealFileSystem(), path, reread), 0);
    EXPECT_EQ(reread.library, program.library);
    EXPECT_EQ(reread.addins[0], (AddinSlot{"Tool", "Tool.NRS", "10x"}));

    // A slot out of range, and a file that cannot be written, change nothing.
    EXPECT_NE(RegisterLibrarySlot(platform::RealFileSystem(), path, 10, 0, {"x", ""}, program), 0);
    EXPECT_NE(RegisterLibrarySlot(platform::RealFileSystem(), dir.path() + "/no/such/norv.DAT", 0,
                                  0, {"x", ""}, program),
              0);
    EXPECT_EQ(program.library, reread.library);
    EXPECT_EQ(dir.Read("norv.DAT"), after);
}

TEST(ScriptLibrary, EditNamesUntitledExtensionsAndTheFolderLookup) {
    ScratchFolder scripts, program;
    scripts.Write("Both.NRS", "");
    program.Write("Both.NRS", "");
    program.Write("Prog.nrs", "");
    scripts.Write("lower.nrs", "");
    platform::FileSystem& fs = platform::RealFileSystem();
    const std::string s = scripts.path(), p = program.path();
    auto edit = [&](const std::string& file) {
        return LibraryEditPath(fs, LibrarySlot{file, "comment"}, s, p);
    };
    EXPECT_EQ(edit(""), s + "/Untitled.NRS");
    EXPECT_EQ(edit("Both"), s + "/Both.NRS");
    // Not in the scripts folder: the program's; in neither: a new file in the scripts folder.
    EXPECT_EQ(edit("Prog"), p + "/Prog.nrs");
    EXPECT_EQ(edit("New"), s + "/New.NRS");
    // The compiled form's source, in the case the extension was written in.
    EXPECT_EQ(edit("Both.NRX"), s + "/Both.NRS");
    EXPECT_EQ(edit("Prog.nrx"), p + "/Prog.nrs");
    EXPECT_EQ(edit("lower.NRX"), s + "/lower.nrs");
    // Any other extension is kept; a name with a folder is taken as it is.
    EXPECT_EQ(edit("notes.txt"), s + "/notes.txt");
    EXPECT_EQ(edit("/elsewhere/X"), "/elsewhere/X.NRS");
    // A folder that is not a file is no script.
    scripts.Write("Dir.NRS/inside", "");
    EXPECT_EQ(edit("Dir"), s + "/Dir.NRS");
    program.Write("Dir.NRS", "");
    EXPECT_EQ(edit("Dir"), p + "/Dir.NRS");
}

TEST(ScriptLibrary, RunGoesByNameAndAnEmptySlotRunsNothing) {
    platform::SetSystemCodePage(932);
    ScratchFolder dir;
    FakeScriptEditor ed;
    ed.settingsFolder = dir.path();
    dir.Write("Hello.NRS", "MAIN\nMSGBOX(\"hello \" + STR(.NORVSTATE))\nEND MAIN\n");
    EXPECT_EQ(RunLibrarySlot(ed.host, {"Hello", "says hello"}), ScriptOutcome::kDone);
    EXPECT_EQ(RunLibrarySlot(ed.host, {"", "comment only"}), ScriptOutcome::kNotFound);
    EXPECT_EQ(RunLibrarySlot(ed.host, {"Gone", ""}), ScriptOutcome::kNotFound);
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"hello 0", "Cannot read the script Gone."}));
}

}  // namespace
}  // namespace norv::app::testing
