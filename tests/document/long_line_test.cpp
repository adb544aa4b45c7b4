// Lines too long for one record: cut only between characters in every code, each piece whole
// characters of the text as held, and a save that joins the pieces back byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/char_model.h"
#include "document/codecs.h"
#include "document/debug_dump.h"
#include "document/document.h"
#include "document/line_cut.h"
#include "support/iconv_text.h"
#include "support/long_lines.h"
#include "support/temp_dir.h"

namespace norv::document {
namespace {

using norv::testing::Iconv;
using norv::testing::TempDir;

// Why a record is not whole characters of the document's text, or "".
std::string BrokenRecord(const CElwDoc& doc) {
    const bool utf8 = IsUnicodeFamily(doc.code);
    int n = 1;
    for (const LineRecord* r = doc.lines().first(); r; r = r->next, ++n) {
        std::string text(r->text(), r->contentLength());
        bool ok = true;
        if (utf8)
            Iconv(text, "UTF-8", "UTF-16LE", &ok);
        else
            Iconv(text, "CP932", "UTF-16LE", &ok);
        if (!ok) return "record " + std::to_string(n) + " holds a broken character";
        if (r->length > kMaxLineBytes) return "record " + std::to_string(n) + " is too long";
    }
    return "";
}

struct Fixture {
    TempDir dir;
    DocumentEnvironment env;
    Fixture() {
        env.codePage = 932;
        env.save.trashOutGen = 0;
    }
};

// Lines cut where a character, a pair or an escape sequence straddles the limit.
TEST(LongLines, CutBetweenCharactersOfTheFilesCode) {
    const std::string a(65533, 'a');
    static const struct {
        const char* what;
        std::string bytes;
        TextCode code;
        size_t first;      // bytes of the first record
        bool same = true;  // saved back as it was (JIS X 0212 is read as a question mark)
    } kCases[] = {
        {"UTF-8 over the limit", a + "あb", TextCode::kUtf8, 65533},
        {"UTF-8 four bytes", a.substr(1) + "\xF0\xA0\xAE\xB7" + "b", TextCode::kUtf8, 65532},
        {"UTF-8 on the limit", a.substr(2) + "あb", TextCode::kUtf8, 65534},
        {"Shift-JIS pair", a + "\x82\xA0" + "b", TextCode::kAnsi, 65533},
        // Trail bytes that are lead bytes too: only a walk from the start finds the pairs.
        {"Shift-JIS pairs of leads", "a" + std::string(70000, '\x81') + "\x82\xA0", TextCode::kAnsi,
         65533},
        {"EUC-JP pair", a + "\xA4\xA2" + "b", TextCode::kEuc, 65533},
        {"EUC-JP kana", a + "\x8E\xB1" + "b", TextCode::kEuc, 65533},
        {"EUC-JP triple", a.substr(1) + "\x8F\xB0\xA1" + "\xA4\xA2", TextCode::kEuc, 65532, false},
        {"JIS escape", a.substr(1) + "\x1B$B\x30\x21\x1B(Bb", TextCode::kJis, 65532},
        // A kanji run through the cut: the piece ends in kanji state and the next goes on in it.
        {"JIS kanji run",
         "\x1B$B" +
             [] {
                 std::string s;
                 for (int i = 0; i < 40000; ++i) s += "\x30\x21";
                 return s;
             }() +
             "\x1B(Bend",
         TextCode::kJis, 65532},
    };
    for (const auto& c : kCases) {
        Fixture f;
        std::string path = f.dir.Write("f.txt", c.bytes);
        CElwDoc doc(f.env);
        ASSERT_EQ(doc.OpenDocument(path), 1) << c.what;
        EXPECT_EQ(doc.code, c.code) << c.what;
        const LineRecord* first = doc.lines().first();
        ASSERT_TRUE(first->flags & LF_CONTINUED) << c.what;
        if (c.code == TextCode::kJis)  // escape sequences vanish: count the Shift-JIS bytes
            EXPECT_EQ(first->contentLength() % 2, 0u) << c.what;
        else
            EXPECT_EQ(first->contentLength(), c.first) << c.what;
        EXPECT_EQ(BrokenRecord(doc), "") << c.what;
        ASSERT_EQ(doc.SaveDocument(path), 1);
        if (c.same)
            EXPECT_TRUE(norv::testing::ReadFileBytes(path) == c.bytes)
                << c.what << " is not written back as it was";
    }
}

// A line that reads as UTF-8 up to the first cut and is Shift-JIS after all is cut again in
// Shift-JIS: 0x82 at the cut pairs with the byte behind it.
TEST(LongLines, AGuessOverruledByDetectionIsCutAgain) {
    Fixture f;
    f.env.readBlockBytes = 4096;  // the bytes that are no UTF-8 are not read yet at the cut
    std::string bytes =
        std::string(65531, 'a') + "\xE3\x81\x82" + std::string(40000, 'a') + "\x82\xA0";
    std::string path = f.dir.Write("f.txt", bytes);
    CElwDoc doc(f.env);
    ASSERT_EQ(doc.OpenDocument(path), 1);
    EXPECT_EQ(doc.code, TextCode::kAnsi);
    EXPECT_EQ(doc.lines().first()->contentLength(), 65533u);
    EXPECT_EQ(BrokenRecord(doc), "");
    ASSERT_EQ(doc.SaveDocument(path), 1);
    EXPECT_TRUE(norv::testing::ReadFileBytes(path) == bytes);
}

// UCS-2 lines are cut at 32767 code units, or where the UTF-8 form would pass a record, and a
// surrogate pair is never split.
TEST(LongLines, UcsTwoKeepsSurrogatePairsTogether) {
    auto le = [](const std::u16string& s) {
        std::string out = "\xFF\xFE";
        for (char16_t u : s) {
            out.push_back(static_cast<char>(u & 0xFF));
            out.push_back(static_cast<char>(u >> 8));
        }
        return out;
    };
    std::u16string units(32766, u'a');
    units += u"\xD842\xDFB7";  // U+20BB7 across the 32767th unit
    units += u"bc";
    std::u16string wide(21844, u'\x3042');  // 65532 bytes of UTF-8
    wide += u"\xD83D\xDE00z";               // four more bytes do not fit
    for (const std::u16string& text : {units, wide}) {
        Fixture f;
        std::string bytes = le(text);
        std::string path = f.dir.Write("f.txt", bytes);
        CElwDoc doc(f.env);
        ASSERT_EQ(doc.OpenDocument(path), 1);
        const LineRecord* first = doc.lines().first();
        EXPECT_TRUE(first->flags & LF_CONTINUED);
        EXPECT_EQ(first->contentLength(), text.size() == units.size() ? 32766u : 65532u);
        EXPECT_EQ(BrokenRecord(doc), "");
        ASSERT_EQ(doc.SaveDocument(path), 1);
        EXPECT_TRUE(norv::testing::ReadFileBytes(path) == bytes);
    }
}

// One-line files of 0.2, 1 and 3 MB in every code: detected, every record whole characters,
// saved back byte for byte.
TEST(LongLines, OneLineFilesOfEveryCodeAndSize) {
    static const struct {
        const char* name;
        TextCode code;
    } kWant[] = {{"utf8", TextCode::kUtf8},      {"sjis", TextCode::kAnsi},
                 {"eucjp", TextCode::kEuc},      {"jis", TextCode::kJis},
                 {"utf16le", TextCode::kUcs2Le}, {"utf16be", TextCode::kUcs2Be}};
    unsigned seed = 1;
    for (size_t size : {200000u, 1000000u, 3000000u}) {
        for (const auto& code : norv::testing::LongLineCodes()) {
            std::string text = norv::testing::LongLineText(size, code, seed++);
            std::string bytes = norv::testing::LongLineFile(text, code);
            ASSERT_FALSE(bytes.empty()) << code.name;
            Fixture f;
            std::string path = f.dir.Write("f.txt", bytes);
            CElwDoc doc(f.env);
            ASSERT_EQ(doc.OpenDocument(path), 1) << code.name << " " << size;
            for (const auto& w : kWant)
                if (std::string(w.name) == code.name)
                    EXPECT_EQ(doc.code, w.code) << code.name << " " << size;
            EXPECT_GT(doc.lineCount(), 2) << code.name;
            EXPECT_EQ(BrokenRecord(doc), "") << code.name << " " << size;
            ASSERT_EQ(doc.SaveDocument(path), 1);
            EXPECT_TRUE(norv::testing::ReadFileBytes(path) == bytes)
                << code.name << " " << size << " is not written back as it was";
        }
    }
}

TEST(CharCut, JisStateAndEscapesAtTheLimit) {
    static const struct {
        std::string text;
        size_t limit;
        JisShift start;
        size_t cut;
        JisShift end;
    } kCases[] = {
        {"ab\x1B$B\x30\x21", 4, JisShift::kAscii, 2, JisShift::kAscii},
        {"ab\x1B$B\x30\x21", 5, JisShift::kAscii, 5, JisShift::kKanji},
        {"\x30\x21\x30\x21", 3, JisShift::kKanji, 2, JisShift::kKanji},
        {"\x30\x21\x1B(Bx", 4, JisShift::kKanji, 2, JisShift::kKanji},
        {"\x30\x21\x1B(Bx", 5, JisShift::kKanji, 5, JisShift::kAscii},
        {"\x0E\x31\x0Fz", 2, JisShift::kAscii, 2, JisShift::kKana},
    };
    for (const auto& c : kCases) {
        JisShift shift = c.start;
        EXPECT_EQ(CharCut(CutCode::kJis, 932, c.text.data(), c.text.size(), c.limit, &shift), c.cut)
            << EscapeBytes(c.text.data(), c.text.size());
        EXPECT_EQ(shift, c.end);
    }
}

}  // namespace
}  // namespace norv::document
