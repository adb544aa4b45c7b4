// Opening files: code detection, conversion, line cutting, line-end modes and failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <string>

#include "document/debug_dump.h"
#include "document/document.h"
#include "document/file_reader.h"
#include "platform/fakes/headless_ui.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace norv::document {
namespace {

using norv::testing::TempDir;

using norv::testing::RecordingSink;

struct Loaded {
    int result = 0;
    TextCode code = TextCode::kNone;
    bool bom = false;
    EolMode eol = EolMode::kDefault;
    std::string dump;
    bool endsWithEol = false;
};

struct Fixture {
    TempDir dir;
    platform::HeadlessUi ui;
    RecordingSink sink;
    DocumentEnvironment env;
    Fixture() {
        env.ui = &ui;
        env.status = &sink;
        env.codePage = 932;
    }
    Loaded Load(const std::string& bytes, CodeChoice choice = CodeChoice::kDefault) {
        std::string path = dir.Write("f.txt", bytes);
        CElwDoc doc(env);
        Loaded out;
        out.result = doc.OpenDocument(path, choice);
        out.code = doc.code;
        out.bom = doc.bom;
        out.eol = doc.eolMode;
        out.dump = DumpLines(doc.lines());
        out.endsWithEol = doc.endsWithEol;
        return out;
    }
};

std::string U16Be(std::u16string_view s) {
    std::string out;
    for (char16_t u : s) {
        out.push_back(static_cast<char>(u >> 8));
        out.push_back(static_cast<char>(u & 0xFF));
    }
    return out;
}

TEST(OpenDocument, DetectsCodesAndLineEnds) {
    static const struct {
        const char* name;
        std::string bytes;
        TextCode code;
        bool bom;
        EolMode eol;
        const char* dump;
    } kCases[] = {
        {"lf", "a\nb\n", TextCode::kAnsi, true, EolMode::kLf, "1\t10\ta\n2\t10\tb\n3\t00\t\n"},
        {"cr cr lf", "a\r\r\nb", TextCode::kAnsi, true, EolMode::kCrLf, "1\t58\ta\n2\t00\tb\n"},
        {"final 1A", "abc\x1A", TextCode::kAnsi, true, EolMode::kDefault, "1\t00\tabc\n"},
        {"inner 1A",
         "a\x1A"
         "b\n",
         TextCode::kAnsi, true, EolMode::kLf, "1\t10\ta\\x1Ab\n2\t00\t\n"},
        {"1A after lf", "a\n\x1A", TextCode::kAnsi, true, EolMode::kLf, "1\t10\ta\n2\t00\t\n"},
        {"cr at end", "a\r", TextCode::kAnsi, true, EolMode::kCr, "1\t08\ta\n2\t00\t\n"},
        {"empty", "", TextCode::kAnsi, true, EolMode::kDefault, "1\t00\t\n"},
        {"crlf and lf", "a\r\nb\nc", TextCode::kAnsi, true, EolMode::kCrLf,
         "1\t18\ta\n2\t10\tb\n3\t00\tc\n"},
        {"lf and cr", "a\nb\rc", TextCode::kAnsi, true, EolMode::kDefault,
         "1\t10\ta\n2\t08\tb\n3\t00\tc\n"},
        {"nul bytes", std::string("a\0b\n", 4), TextCode::kAnsi, true, EolMode::kLf,
         "1\t10\ta\\x00b\n2\t00\t\n"},
        {"sjis", "\x82\xA0\r\n", TextCode::kAnsi, true, EolMode::kCrLf,
         "1\t18\t\\x82\\xA0\n2\t00\t\n"},
        {"utf8 every line", "\xE3\x81\x82\n\xC3\xA9", TextCode::kUtf8, false, EolMode::kLf,
         "1\t10\t\\xE3\\x81\\x82\n2\t00\t\\xC3\\xA9\n"},
        // ASCII lines are neutral, so an ordinary UTF-8 file is UTF-8.
        {"utf8 with ascii lines", "title\n\xE3\x81\x82\nend\n", TextCode::kUtf8, false,
         EolMode::kLf, "1\t10\ttitle\n2\t10\t\\xE3\\x81\\x82\n3\t10\tend\n4\t00\t\n"},
        {"utf8 beyond bmp", "\xF0\x9F\x98\x80\n", TextCode::kUtf8, false, EolMode::kLf,
         "1\t10\t\\xF0\\x9F\\x98\\x80\n2\t00\t\n"},
        {"one malformed line", "\xE3\x81\x82\n\xE3\x81\n", TextCode::kAnsi, true, EolMode::kLf,
         "1\t10\t\\xE3\\x81\\x82\n2\t10\t\\xE3\\x81\n3\t00\t\n"},
        {"ascii only", "plain\ntext", TextCode::kAnsi, true, EolMode::kLf,
         "1\t10\tplain\n2\t00\ttext\n"},
        {"utf8 bom", "\xEF\xBB\xBFx\n", TextCode::kUtf8, true, EolMode::kLf, "1\t10\tx\n2\t00\t\n"},
        {"euc", "\xA4\xA2\n\x8E\xB1", TextCode::kEuc, true, EolMode::kLf,
         "1\t10\t\\x82\\xA0\n2\t00\t\\xB1\n"},
        // The first line with EUC-looking bytes is malformed: no conversion at all.
        {"euc malformed first", "\xA4\x21\n\xA4\xA2\n", TextCode::kAnsi, true, EolMode::kLf,
         "1\t10\t\\xA4!\n2\t10\t\\xA4\\xA2\n3\t00\t\n"},
        // One converted EUC line, then a Shift-JIS kanji: a wrong guess, read again unconverted.
        {"euc restart", "\xB1\xB2\n\x88\x9F\n", TextCode::kAnsi, true, EolMode::kLf,
         "1\t10\t\\xB1\\xB2\n2\t10\t\\x88\\x9F\n3\t00\t\n"},
        {"jis", "\x1B$B$\"\x1B(B\n", TextCode::kJis, true, EolMode::kLf,
         "1\t10\t\\x82\\xA0\n2\t00\t\n"},
        {"utf16be bom", std::string("\xFE\xFF\0A\0\r\0\n", 8), TextCode::kUcs2Be, true,
         EolMode::kCrLf, "1\t18\tA\n"},
        {"utf16le bom only", "\xFF\xFE", TextCode::kUcs2Le, true, EolMode::kDefault, "1\t00\t\n"},
        {"utf16 lines", "\xFE\xFF" + U16Be(u"a\nb\rc"), TextCode::kUcs2Be, true, EolMode::kDefault,
         "1\t10\ta\n2\t08\tb\n3\t10\tc\n"},
        {"utf16 surrogates", "\xFE\xFF" + U16Be(u"\U0001F600\xD800x"), TextCode::kUcs2Be, true,
         EolMode::kDefault, "1\t10\t\\xF0\\x9F\\x98\\x80\\xED\\xA0\\x80x\n"},
        {"utf16 odd byte",
         std::string("\xFF\xFE"
                     "A\0"
                     "B",
                     5),
         TextCode::kUcs2Le, true, EolMode::kDefault, "1\t10\tA\\xEF\\xBF\\xBD\n"},
    };
    for (const auto& c : kCases) {
        Fixture f;
        Loaded l = f.Load(c.bytes);
        EXPECT_EQ(l.result, 1) << c.name;
        EXPECT_EQ(l.code, c.code) << c.name;
        EXPECT_EQ(l.bom, c.bom) << c.name;
        EXPECT_EQ(l.eol, c.eol) << c.name;
        EXPECT_EQ(l.dump, c.dump) << c.name;
    }
}

TEST(OpenDocument, CodeChoicesOverrideDetection) {
    static const struct {
        const char* name;
        std::string bytes;
        CodeChoice choice;
        TextCode code;
        bool bom;
        const char* dump;
    } kCases[] = {
        {"ansi keeps euc bytes", "\xA4\xA2\n", CodeChoice::kAnsi, TextCode::kAnsi, true,
         "1\t10\t\\xA4\\xA2\n2\t00\t\n"},
        {"euc", "\xA4\xA2", CodeChoice::kEuc, TextCode::kEuc, true, "1\t00\t\\x82\\xA0\n"},
        {"jis off for euc choice", "\x1B$B$\"\x1B(B", CodeChoice::kEuc, TextCode::kAnsi, true,
         "1\t00\t\\x1B$B$\"\\x1B(B\n"},
        {"utf8 forced", "\x82\xA0", CodeChoice::kUtf8, TextCode::kUtf8, false,
         "1\t00\t\\x82\\xA0\n"},
        {"unicode forced", std::string("A\0", 2), CodeChoice::kUnicode, TextCode::kUcs2Le, false,
         "1\t10\tA\n"},
        // A mark in the file wins over the choice.
        {"bom wins", "\xEF\xBB\xBFz", CodeChoice::kUnicode, TextCode::kUtf8, true, "1\t00\tz\n"},
    };
    for (const auto& c : kCases) {
        Fixture f;
        Loaded l = f.Load(c.bytes, c.choice);
        EXPECT_EQ(l.result, 1) << c.name;
        EXPECT_EQ(l.code, c.code) << c.name;
        EXPECT_EQ(l.bom, c.bom) << c.name;
        EXPECT_EQ(l.dump, c.dump) << c.name;
    }
}

TEST(OpenDocument, SettingsSwitchDetectionOff) {
    Fixture f;
    f.env.load.orgCr = false;
    EXPECT_EQ(f.Load("a\r\nb").eol, EolMode::kDefault);
    f.env.load.utf8Read = false;
    EXPECT_EQ(f.Load("\xE3\x81\x82").code, TextCode::kAnsi);
    f.env.load.eucRead = false;
    EXPECT_EQ(f.Load("\xA4\xA2").code, TextCode::kAnsi);
    f.env.load.jisRead = false;
    EXPECT_EQ(f.Load("\x1B$B$\"\x1B(B").code, TextCode::kAnsi);
    f.env.load.saveRead = false;
    std::string path = f.dir.Write("s.txt", "\xA4\xA2");
    f.env.load.eucRead = true;
    CElwDoc doc(f.env);
    ASSERT_EQ(doc.OpenDocument(path), 1);
    EXPECT_EQ(doc.code, TextCode::kEuc);
    EXPECT_EQ(doc.saveCode, TextCode::kAnsi);
}

TEST(OpenDocument, UcsTwoFileRemembersItsFinalLineEnd) {
    Fixture f;
    EXPECT_TRUE(f.Load(std::string("\xFE\xFF\0A\0\r\0\n", 8)).endsWithEol);
    EXPECT_FALSE(f.Load(std::string("\xFE\xFF\0A", 4)).endsWithEol);
}

TEST(OpenDocument, LongLinesAreCutAndMarkedAsContinued) {
    Fixture f;
    std::string bytes(70000, 'x');
    bytes += "\nend";
    Loaded l = f.Load(bytes);
    std::string expect = "1\t20\t" + std::string(65534, 'x') + "\n2\t10\t" +
                         std::string(70000 - 65534, 'x') + "\n3\t00\tend\n";
    EXPECT_EQ(l.dump, expect);
    // The same in UCS-2: the UTF-8 form of a line never exceeds a record.
    std::u16string wide(30000, u'\x3042');  // 90000 bytes of UTF-8
    l = f.Load("\xFE\xFF" + U16Be(wide));
    std::string third(3 * 21844, 'x');
    EXPECT_EQ(l.dump.substr(0, 5), "1\t20\t");
    EXPECT_NE(l.dump.find("\n2\t10\t"), std::string::npos);
}

TEST(OpenDocument, NewFileTooManyFilesAndUnreadableFiles) {
    Fixture f;
    CElwDoc doc(f.env);
    ASSERT_EQ(doc.OpenDocument(f.dir.File("missing.txt")), 1);
    EXPECT_EQ(doc.lineCount(), 1);
    EXPECT_EQ(doc.path, f.dir.File("missing.txt"));
    EXPECT_EQ(f.ui.statusTexts.back(), "This is a new file");

    f.env.openDocuments = 101;
    EXPECT_EQ(doc.OpenDocument(f.dir.Write("x.txt", "x")), 0);
    EXPECT_EQ(f.ui.messages.back(), "Cannot read more than 100 files.");
    EXPECT_EQ(f.sink.codes.back(), 4);
    f.env.openDocuments = 100;

    EXPECT_EQ(doc.OpenDocument(f.dir.path()), 0);  // a folder
    EXPECT_EQ(f.ui.messages.back(),
              "The file \"" + f.dir.path() +
                  "\" could not be accessed\n(Error Code:" + std::to_string(EISDIR) + ")");
    EXPECT_EQ(f.sink.codes.back(), 7);
}

TEST(OpenDocument, RunningOutOfMemoryFailsTheOpenAndDropsThePath) {
    Fixture f;
    LineHeap small(4096, 3);
    f.env.heap = &small;
    small.SetStatusSink(&f.sink);
    std::string bytes;
    for (int i = 0; i < 2000; ++i) bytes += "line of text number " + std::to_string(i) + "\n";
    CElwDoc doc(f.env);
    EXPECT_EQ(doc.OpenDocument(f.dir.Write("big.txt", bytes)), 0);
    EXPECT_TRUE(doc.path.empty());
    EXPECT_EQ(doc.lineCount(), 1);
    EXPECT_EQ(f.sink.codes.back(), 7);
}

class OpenEventHooks : public DocumentHooks {
  public:
    bool OnOpenEvent(CElwDoc&, const std::string&) override { return allow; }
    void ChooseFileType(CElwDoc&) override { ++types; }
    bool allow = true;
    int types = 0;
};

TEST(OpenDocument, HooksSeeTheOpen) {
    Fixture f;
    OpenEventHooks hooks;
    f.env.hooks = &hooks;
    std::string path = f.dir.Write("h.txt", "x");
    CElwDoc doc(f.env);
    EXPECT_EQ(doc.OpenDocument(path), 1);
    EXPECT_EQ(hooks.types, 1);
    hooks.allow = false;
    EXPECT_EQ(doc.OpenDocument(path), 0);
    EXPECT_EQ(hooks.types, 1);
}

// The reader's line cutting against a plain reading of the rules, on random bytes, with small
// and large read blocks (so lines and CR LF pairs straddle block ends).
std::vector<std::pair<std::string, int>> ReferenceLines(const std::string& s, size_t max) {
    std::vector<std::pair<std::string, int>> out;
    size_t i = 0;
    for (;;) {
        if (i == s.size()) {
            out.push_back({"", 0});
            return out;
        }
        std::string line;
        for (;;) {
            if (i == s.size()) {
                if (!line.empty() && line.back() == 0x1A) line.pop_back();
                out.push_back({line, 0});
                return out;
            }
            char c = s[i];
            if (c == '\n') {
                out.push_back({line, 0x10});
                ++i;
                break;
            }
            if (c == '\r') {
                if (i + 1 < s.size() && s[i + 1] == '\n') {
                    out.push_back({line, 0x18});
                    i += 2;
                } else if (i + 2 < s.size() && s[i + 1] == '\r' && s[i + 2] == '\n') {
                    out.push_back({line, 0x18});
                    i += 3;
                } else {
                    out.push_back({line, 0x08});
                    ++i;
                }
                break;
            }
            if (line.size() == max - 1) {
                out.push_back({line, 0x100});
                break;
            }
            line.push_back(c);
            ++i;
        }
    }
}

TEST(MappedFileReader, AgreesWithAPlainReadingOfTheRules) {
    TempDir dir;
    std::mt19937 rng(7);
    const char alphabet[] = {'a', '\r', '\n', 0x1A, '\x82', '\0', 0x1B, 0x0E, '\xFF', 'b'};
    for (int round = 0; round < 300; ++round) {
        std::string s(rng() % 20000, 'a');
        const unsigned letters = round % 3 == 0 ? 10 : 3;
        for (auto& c : s) c = alphabet[rng() % letters];
        // Rare high bytes and escapes among long plain runs, on both sides of a window's edge.
        if (round % 3 == 1)
            for (int k = 0; k < 20 && !s.empty(); ++k)
                s[rng() % s.size()] = alphabet[4 + rng() % 5];
        if (round % 5 == 0) s += std::string(rng() % 9000, 'b');
        size_t max = round % 2 ? 65535 : 1000 + rng() % 500;
        std::string path = dir.Write("r.txt", s);
        MappedFileReader reader(4096);
        ASSERT_EQ(reader.Open(platform::RealFileSystem(), path), 0);
        auto expect = ReferenceLines(s, max);
        ReadLine line;
        size_t n = 0;
        size_t at = 0;  // where the line starts in s
        while (reader.Next(line, max)) {
            ASSERT_LT(n, expect.size());
            EXPECT_EQ(std::string(line.data, line.length), expect[n].first) << round << " " << n;
            EXPECT_EQ(line.cut ? 0x100 : line.kind, expect[n].second) << round << " " << n;
            const std::string_view text(line.data, line.length);
            const bool high = std::any_of(text.begin(), text.end(), [](char c) {
                return static_cast<unsigned char>(c) >= 0x80;
            });
            const auto escapes = [](std::string_view t) {
                return t.find_first_of("\x1B\x0E") != std::string_view::npos;
            };
            ASSERT_TRUE(line.highKnown && line.escKnown);
            EXPECT_EQ(line.highBytes, high) << round << " " << n;
            EXPECT_EQ(line.escOrSo, escapes(text)) << round << " " << n;
            EXPECT_EQ(reader.HasEscOrSo(line), escapes(text)) << round << " " << n;
            if (line.cut && line.length > 1 && rng() % 2) {
                // A shortened cut line is looked at again; the rest of it starts the next line.
                const size_t keep = 1 + rng() % (line.length - 1);
                reader.ShortenCut(line, keep);
                EXPECT_FALSE(line.highKnown || line.escKnown);
                EXPECT_EQ(reader.HasEscOrSo(line), escapes(text.substr(0, keep))) << round;
                auto rest = ReferenceLines(s.substr(at + keep), max);
                expect.resize(n + 1);
                expect.insert(expect.end(), rest.begin(), rest.end());
            }
            at += line.length + (line.cut || line.kind == 0 ? 0
                                 : line.kind != 0x18        ? 1
                                 : line.crcrlf              ? 3
                                                            : 2);
            ++n;
        }
        EXPECT_EQ(n, expect.size()) << round;
    }
}

}  // namespace
}  // namespace norv::document
