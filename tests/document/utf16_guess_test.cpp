// UTF-16 files without a byte-order mark: recognised when no code is forced, loaded and saved
// back as they were; nothing else (binaries, random bytes, text of the byte codes) passes.
#include "document/utf16_guess.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/file_decoder.h"
#include "platform/file_system.h"
#include "support/iconv_text.h"
#include "support/temp_dir.h"

namespace norv::document {
namespace {

using norv::testing::Iconv;

std::string Utf16(const std::string& utf8, bool bigEndian) {
    bool ok = true;
    return Iconv(utf8, "UTF-8", bigEndian ? "UTF-16BE" : "UTF-16LE", &ok);
}

struct Fixture {
    norv::testing::TempDir dir;
    DocumentEnvironment env;
    Fixture() {
        env.codePage = 932;
        env.save.trashOutGen = 0;
    }
};

TEST(Utf16Guess, RecognisesTextInBothOrdersAndRefusesWhatTextNeverHolds) {
    static const struct {
        const char* what;
        std::string bytes;
        Utf16Guess want;
    } kCases[] = {
        {"ASCII, LF", Utf16("abc\ndef\n", false), Utf16Guess::kLittleEndian},
        {"ASCII, CR LF, big endian", Utf16("abc\r\ndef", true), Utf16Guess::kBigEndian},
        // Ideographic spaces put as many zeros on the low byte as the line ends on the high one.
        {"indented Japanese", Utf16("　日本\n　語\n", false), Utf16Guess::kLittleEndian},
        {"indented Japanese, big endian", Utf16("　日本\n　語\n", true), Utf16Guess::kBigEndian},
        {"beyond the BMP", Utf16("𠮷野家\n😀\n", true), Utf16Guess::kBigEndian},
        {"no line end", Utf16("abcdef", false), Utf16Guess::kNo},
        {"odd length", Utf16("abc\n", false) + "x", Utf16Guess::kNo},
        {"a NUL unit", Utf16("ab\n", false) + std::string(2, '\0'), Utf16Guess::kNo},
        {"a lone high surrogate", Utf16("ab\n", false) + "\x3D\xD8" + Utf16("c", false),
         Utf16Guess::kNo},
        {"a lone low surrogate", Utf16("ab\n", false) + std::string("\x00\xDC", 2),
         Utf16Guess::kNo},
        {"U+FFFE", Utf16("ab\n", false) + "\xFE\xFF", Utf16Guess::kNo},
        {"U+FFFF", Utf16("ab\n", false) + "\xFF\xFF", Utf16Guess::kNo},
        {"a C0 control", Utf16("a\x01\n", false), Utf16Guess::kNo},
        // Japanese with few ASCII characters: U+3000 and U+4E00 put more zeros on the low byte
        // than the line ends put on the high one.
        {"Japanese with few ASCII", Utf16("　一つ一つ\n　一丁\n", false),
         Utf16Guess::kLittleEndian},
        {"Japanese with few ASCII, big endian", Utf16("　一つ一つ\n　一丁\n", true),
         Utf16Guess::kBigEndian},
        {"the bell of roff and the backspace of overstruck text",
         Utf16(".el \\h\a|\\n()Iu\a\\c\nN\bNA\bAM\bME\bE\v\n", false), Utf16Guess::kLittleEndian},
        {"ASCII bytes", "abc\ndef\n", Utf16Guess::kNo},
        {"UTF-8", "日本語\n", Utf16Guess::kNo},
        {"empty", "", Utf16Guess::kNo},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(GuessUtf16(c.bytes.data(), c.bytes.size(), c.bytes.size()), c.want) << c.what;
}

// Opened without a forced code, a file without a mark is read as UTF-16 and saved back without
// one; a forced code, the setting off, or a unit no text holds past the tested start leave the
// byte codes' detection as it was.
TEST(Utf16Guess, OpensAsUnicodeUnlessACodeIsForced) {
    const std::string text = "かな漢字 ASCII\r\n𠮷\r\n\r\n";
    static const struct {
        CodeChoice choice;
        bool setting;
        bool bigEndian;
        TextCode want;
    } kCases[] = {
        {CodeChoice::kDefault, true, false, TextCode::kUcs2Le},
        {CodeChoice::kDefault, true, true, TextCode::kUcs2Be},
        {CodeChoice::kUnset, true, false, TextCode::kUcs2Le},
        {CodeChoice::kDefault, false, false, TextCode::kAnsi},
        {CodeChoice::kAnsi, true, false, TextCode::kAnsi},
        {CodeChoice::kEuc, true, false, TextCode::kAnsi},
        {CodeChoice::kJis, true, false, TextCode::kAnsi},
        {CodeChoice::kUnicode, true, true, TextCode::kUcs2Le},
        {CodeChoice::kUnicodeBe, true, false, TextCode::kUcs2Be},
        {CodeChoice::kUtf8, true, false, TextCode::kUtf8},
    };
    for (const auto& c : kCases) {
        Fixture f;
        f.env.load.utf16Read = c.setting;
        const std::string bytes = Utf16(text, c.bigEndian);
        std::string path = f.dir.Write("u.txt", bytes);
        CElwDoc doc(f.env);
        ASSERT_EQ(doc.OpenDocument(path, c.choice), 1);
        EXPECT_EQ(doc.code, c.want) << static_cast<int>(c.choice) << " " << c.bigEndian;
        if (c.want == (c.bigEndian ? TextCode::kUcs2Be : TextCode::kUcs2Le) &&
            c.choice != CodeChoice::kUnicode && c.choice != CodeChoice::kUnicodeBe) {
            EXPECT_FALSE(doc.bom);
            EXPECT_EQ(doc.eolMode, EolMode::kCrLf);
            EXPECT_EQ(doc.lineCount(), 3);
            ASSERT_EQ(doc.SaveDocument(path), 1);
            EXPECT_TRUE(norv::testing::ReadFileBytes(path) == bytes) << "not saved back as it was";
        }
    }
    // A unit that no text holds far behind the part tested sends the load back to the bytes.
    Fixture f;
    std::string bytes = Utf16(std::string(300000, 'a') + "\n", false) + std::string(2, '\0');
    std::string path = f.dir.Write("late.txt", bytes);
    CElwDoc doc(f.env);
    ASSERT_EQ(doc.OpenDocument(path), 1);
    EXPECT_EQ(doc.code, TextCode::kAnsi);
    ASSERT_EQ(doc.SaveDocument(path), 1);
    EXPECT_TRUE(norv::testing::ReadFileBytes(path) == bytes);
}

// Large files of Japanese text with few ASCII characters, in both orders, with the bell and
// backspace of manual-page sources far behind the part tested: read as UTF-16 by the loader and
// by the decision of the code alone, and saved back byte for byte. (Former fault: such files
// were read as the system code page, the order taken from the zero bytes and the bell refused.)
TEST(Utf16Guess, LargeJapaneseFilesInBothOrders) {
    static const char* const kLines[] = {
        "　一般に、一つ目の項目は一行に一つずつ書く。",
        "　一覧の一部を一度に読み込み、一時ファイルに書き出す。",
        "一丁目の万年筆と三百円の切手",
        "　この関数は一番目の引数を返します。𠮷野家で一杯。",
        "　設定が無い場合は、既定値を使う。",
    };
    std::string utf8;
    size_t line = 0;
    while (utf8.size() < (3u << 20)) {
        utf8 += kLines[line % 5];
        if (line == 30000) utf8 += ".el \\*(]X\\h\a|\\n()Iu+\\n()Ru\a\\c";
        if (line == 45000) utf8 += "N\bNA\bAM\bME\bE";
        utf8 += "\n";
        ++line;
    }
    ASSERT_NE(utf8.find('\b'), std::string::npos);
    for (bool bigEndian : {false, true}) {
        Fixture f;
        const std::string bytes = Utf16(utf8, bigEndian);
        ASSERT_GT(bytes.size(), 2u << 20);
        const std::string path = f.dir.Write("large.txt", bytes);
        const TextCode want = bigEndian ? TextCode::kUcs2Be : TextCode::kUcs2Le;
        MappedFileReader reader;
        auto open = [&](MappedFileReader& r) { return r.Open(platform::RealFileSystem(), path); };
        ASSERT_EQ(open(reader), 0);
        EXPECT_EQ(DecideTextCode(reader, open, f.env.load, 932), want) << bigEndian;
        CElwDoc doc(f.env);
        ASSERT_EQ(doc.OpenDocument(path), 1);
        EXPECT_EQ(doc.code, want) << bigEndian;
        EXPECT_FALSE(doc.bom);
        EXPECT_EQ(doc.lineCount(), static_cast<int>(line));
        ASSERT_EQ(doc.SaveDocument(path), 1);
        EXPECT_TRUE(norv::testing::ReadFileBytes(path) == bytes) << "not saved back as it was";
    }
}

// Former fault: a UCS-2 text that ended in a line end lost it when saved in a byte code.
TEST(Utf16Guess, AFinalLineEndSurvivesASaveInAByteCode) {
    for (const char* mark : {"\xFF\xFE", ""}) {
        Fixture f;
        std::string path = f.dir.Write("u.txt", mark + Utf16("あ\r\nい\r\n", false));
        CElwDoc doc(f.env);
        ASSERT_EQ(doc.OpenDocument(path), 1);
        ASSERT_EQ(doc.code, TextCode::kUcs2Le);
        doc.saveCode = TextCode::kAnsi;
        ASSERT_EQ(doc.SaveDocument(path), 1);
        EXPECT_EQ(norv::testing::ReadFileBytes(path), "\x82\xA0\r\n\x82\xA2\r\n");
    }
}

// Binaries and random bytes are never taken for UTF-16: a fixed sample of the system's programs
// and libraries chosen by name, and 200 random files from a fixed seed.
TEST(Utf16Guess, BinariesAndRandomBytesAreNeverTaken) {
    std::vector<std::string> files;
    for (const char* folder : {"/usr/bin", "/usr/lib/x86_64-linux-gnu"}) {
        std::error_code ec;
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder, ec))
            if (e.is_regular_file(ec)) names.push_back(e.path());
        std::sort(names.begin(), names.end());
        for (size_t i = 0; i < names.size() && files.size() < 400; i += 1 + names.size() / 200)
            files.push_back(names[i]);
    }
    size_t tested = 0;
    for (const std::string& name : files) {
        std::string bytes = norv::testing::ReadFileBytes(name);
        if (bytes.empty()) continue;
        size_t n = std::min<size_t>(bytes.size(), 1u << 18);
        EXPECT_EQ(GuessUtf16(bytes.data(), n, bytes.size()), Utf16Guess::kNo) << name;
        ++tested;
    }
    EXPECT_GT(tested, 100u);
    // A PNG image and an ELF library, whatever the sample held.
    static const char kPng[] = "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x10\0\0\0\x10\x08\x06\0\0\0";
    const std::string png(kPng, sizeof kPng - 1);
    EXPECT_EQ(GuessUtf16(png.data(), png.size(), png.size()), Utf16Guess::kNo);
    std::string elf = norv::testing::ReadFileBytes("/lib/x86_64-linux-gnu/libc.so.6");
    if (!elf.empty())
        EXPECT_EQ(GuessUtf16(elf.data(), std::min<size_t>(elf.size(), 1u << 18), elf.size()),
                  Utf16Guess::kNo);
    std::mt19937 rng(20261208);
    for (int i = 0; i < 200; ++i) {
        std::string bytes(2 * (1 + rng() % 4096), '\0');
        for (char& b : bytes) b = static_cast<char>(rng());
        EXPECT_EQ(GuessUtf16(bytes.data(), bytes.size(), bytes.size()), Utf16Guess::kNo) << i;
    }
}

}  // namespace
}  // namespace norv::document
