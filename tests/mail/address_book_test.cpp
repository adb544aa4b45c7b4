// The address book as files a user keeps: group lists from real folders, entries, the bytes
// that changes leave on disk, refused names, and a write that fails half-way.
#include "mail/address_book.h"

#include "mail/send_form.h"
#include "platform/fakes/memory_file_system.h"
#include "support/temp_dir.h"

namespace norv::mail {
namespace {

using Strings = std::vector<std::string>;

Strings Texts(const std::vector<AddressEntry>& entries) {
    Strings s;
    for (const auto& e : entries) s.push_back(EntryText(e));
    return s;
}

TEST(AddressBookFiles, GroupListsFromRealFolders) {
    static const struct {
        Strings files;
        Strings groups;
        const char* why;
    } kCases[] = {
        {{}, {"Usual"}, "no folder: Usual alone"},
        {{"Usual.adr", "work.adr", "Friends.adr"},
         {"Usual", "Friends", "work"},
         "Usual first, the rest without case"},
        {{"usual.adr", "USUAL.ADR"}, {"Usual"}, "Usual in any spelling is listed once"},
        {{"Club.ADR", "notes.txt", "x.adr.bak", ".adr"},
         {"Usual", "Club"},
         ".ADR counts, others do not"},
        {{"a.b.adr", "a.adr"}, {"Usual", "a"}, "names up to the first dot, once"},
    };
    for (const auto& c : kCases) {
        norv::testing::TempDir dir;
        if (!c.files.empty()) std::filesystem::create_directory(dir.File("addrbook"));
        for (const auto& f : c.files) dir.Write("addrbook/" + f, "");
        AddressBook book(platform::RealFileSystem(), dir.path(), 932);
        EXPECT_EQ(book.Groups(), c.groups) << c.why;
    }
}

TEST(AddressBookFiles, EntriesAsListed) {
    const std::string text =
        "taro@x.jp\t\x8E\x52\x93\x63\x91\xBE\x98\x59\r\n"  // Shift-JIS name
        "no at sign\tNobody\r\n"
        "hanako@y.jp\tHanako\n"
        "\tname@only.jp in the name\n"
        "bare@z.jp\n" +
        std::string("long@x.jp\t") + std::string(250, 'n') + "\x93\xFA" + "TAIL@tail.jp\ttail\n" +
        "last@w.jp\tLast";
    const Strings shown = Texts(ParseGroupFile(text, 932));
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[0], "taro@x.jp (\x8E\x52\x93\x63\x91\xBE\x98\x59)");
    EXPECT_EQ(shown[1], "hanako@y.jp (Hanako)");
    EXPECT_EQ(shown[2], "bare@z.jp ()");
    // 255 bytes: "long@x.jp", tab, 245 n; the tail is dropped, never a line of its own.
    EXPECT_EQ(shown[3], "long@x.jp (" + std::string(245, 'n') + ")");
    EXPECT_EQ(shown[4], "last@w.jp (Last)");
    // A double-byte character across the cut is not split.
    const Strings cut = Texts(ParseGroupFile("a@b\t" + std::string(250, 'n') + "\x93\xFA\n", 932));
    EXPECT_EQ(cut[0], "a@b (" + std::string(250, 'n') + ")");
    EXPECT_EQ(AddressOfEntryText("taro@x.jp (Taro Yamada)"), "taro@x.jp");
}

TEST(AddressBookFiles, ChangesAndTheBytesTheyLeave) {
    for (const std::string base : {"/home/u", "/home/u/"}) {
        platform::MemoryFileSystem fs;
        AddressBook book(fs, base, 932);
        EXPECT_EQ(book.folder(), "/home/u/addrbook/") << "the separator is added when missing";
        ASSERT_TRUE(book.AddEntry("Usual", {"taro@x.jp", "Taro"}));
        ASSERT_TRUE(book.AddEntry("Usual", {"hanako@y.jp", "\x89\xD4\x8E\x71"}));
        EXPECT_EQ(fs.files["/home/u/addrbook/Usual.adr"],
                  "taro@x.jp\tTaro\r\nhanako@y.jp\t\x89\xD4\x8E\x71\r\n");
        ASSERT_TRUE(book.DeleteEntry("Usual", "taro@x.jp"));
        EXPECT_EQ(fs.files["/home/u/addrbook/Usual.adr"], "hanako@y.jp\t\x89\xD4\x8E\x71\r\n");
        ASSERT_TRUE(book.AddGroup("Work"));
        EXPECT_EQ(fs.files["/home/u/addrbook/Work.adr"], "");
        EXPECT_EQ(book.Groups(), (Strings{"Usual", "Work"}));
        ASSERT_TRUE(book.DeleteGroup("Work"));
        EXPECT_EQ(fs.files.count("/home/u/addrbook/Work.adr"), 0u);
        ASSERT_TRUE(book.DeleteGroup("Usual"));
        EXPECT_EQ(book.Groups(), (Strings{"Usual"})) << "Usual is empty but stays listed";
        EXPECT_TRUE(book.Entries("Usual").empty());
    }
    // An existing file keeps its other lines and its spelling; a line without its end gets one.
    platform::MemoryFileSystem fs;
    fs.files["/b/addrbook/usual.adr"] = "# my list\nold@x.jp\tOld";
    AddressBook book(fs, "/b", 932);
    ASSERT_TRUE(book.AddEntry("Usual", {"new@x.jp", "New"}));
    EXPECT_EQ(fs.files["/b/addrbook/usual.adr"], "# my list\nold@x.jp\tOld\r\nnew@x.jp\tNew\r\n");
    EXPECT_FALSE(book.AddEntry("Usual", {"a@b\tc", "x"})) << "a tab would make another field";
    EXPECT_FALSE(book.AddEntry("Usual", {"a@b", "x\r\nevil@x\ty"}));
    // An empty base folder is the current folder.
    EXPECT_EQ(AddressBook(fs, "", 932).folder(), "addrbook/");
}

TEST(AddressBookFiles, RefusedGroupNames) {
    platform::MemoryFileSystem fs;
    AddressBook book(fs, "/b", 932);
    for (std::string_view name :
         {"", "  ", "../x", "a/b", "a\\b", ".hidden", "..", "a.b", "tab\there", "x\x7F"}) {
        EXPECT_FALSE(IsValidGroupName(name)) << name;
        EXPECT_FALSE(book.AddGroup(name)) << name;
        EXPECT_FALSE(book.AddEntry(name, {"a@b", "c"})) << name;
    }
    EXPECT_TRUE(fs.files.empty());
    EXPECT_TRUE(IsValidGroupName("\x8E\x64\x8E\x96 friends"));
}

TEST(AddressBookFiles, AFailedWriteLeavesTheOldFile) {
    platform::MemoryFileSystem fs;
    fs.files["/b/addrbook/Usual.adr"] = "keep@x.jp\tKeep\r\n";
    fs.failWriteNumber = 1;
    AddressBook book(fs, "/b", 932);
    EXPECT_FALSE(book.AddEntry("Usual", {"new@x.jp", "New"}));
    EXPECT_FALSE(book.DeleteEntry("Usual", "keep@x.jp"));
    EXPECT_EQ(fs.files["/b/addrbook/Usual.adr"], "keep@x.jp\tKeep\r\n");
    EXPECT_EQ(fs.files.size(), 1u) << "no temporary file is left";
}

TEST(ChosenAddresses, EachOnceInOrder) {
    ChosenAddresses c;
    c.Add("taro@x.jp (Taro)");
    c.Add("hanako@y.jp (Hanako)");
    c.Add("taro@x.jp (Taro again)");
    EXPECT_EQ(c.Joined(), "taro@x.jp,hanako@y.jp");
    c.Remove(0);
    c.Remove(7);
    EXPECT_EQ(c.Joined(), "hanako@y.jp");
    c.Reset();
    EXPECT_EQ(c.Joined(), "");
}

TEST(SendFormFields, NamesWithoutRegardToCase) {
    EXPECT_EQ(FormFieldNamed("subject"), FormField::kSubject);
    EXPECT_EQ(FormFieldNamed("TO"), FormField::kTo);
    EXPECT_EQ(FormFieldNamed("bCc"), FormField::kBcc);
    EXPECT_FALSE(FormFieldNamed("From"));
    EXPECT_FALSE(FormFieldNamed("Tox"));
}

}  // namespace
}  // namespace norv::mail
