// Differential test on the corpus of real Japanese text in every code and line-end style: each
// file is detected with its true code and line ends, and its text, converted to UTF-8, equals
// iconv's conversion of the original under the Microsoft mappings.
//
// The corpus is made by the corpus script and found through NORV_TEST_CORPUS (its small/ set);
// without it the test is skipped.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "document/codecs.h"
#include "document/debug_dump.h"
#include "document/document.h"
#include "support/temp_dir.h"

namespace norv::document {
namespace {

std::string Iconv(const std::string& in, const char* from, const char* to, bool* ok) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        *ok = false;
        return {};
    }
    std::string out(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char* dst = out.data();
    size_t room = out.size();
    size_t r = iconv(cd, &src, &left, &dst, &room);
    iconv(cd, nullptr, nullptr, &dst, &room);
    iconv_close(cd);
    *ok = r != static_cast<size_t>(-1) && left == 0;
    out.resize(out.size() - room);
    return out;
}

const char* EolBytes(uint8_t flags) {
    bool extraCr = flags & LF_EOL_CRCRLF;
    switch (flags & LF_EOL_MASK) {
        case LF_EOL_CRLF:
            return extraCr ? "\r\r\n" : "\r\n";
        case LF_EOL_CR:
            return "\r";
        case LF_EOL_LF:
            return "\n";
        default:
            return "";
    }
}

// The document's text in UTF-8 with the line ends it recorded.
std::string DocumentAsUtf8(const CElwDoc& doc) {
    std::string out;
    bool ucs2 = doc.code == TextCode::kUcs2Le || doc.code == TextCode::kUcs2Be;
    for (const LineRecord* r = doc.lines().first(); r; r = r->next) {
        std::string_view content(r->text(), r->contentLength());
        if (IsUnicodeFamily(doc.code))
            out.append(content);
        else
            AnsiToUtf8(out, content, 932);
        bool last = r->next == nullptr;
        if (!last || (ucs2 && doc.endsWithEol)) out += EolBytes(r->flags);
    }
    return out;
}

struct Expect {
    TextCode code;
    bool bom;
    const char* iconvFrom;  // how the original is read by iconv
    size_t skip;            // bytes of byte-order mark
};

// Code points where glibc's reading of JIS and EUC-JP and the Microsoft mapping legitimately
// differ would be listed here; the corpus needs none (both readings go through CP932).
TEST(Corpus, DetectsEveryFileAndConvertsLikeIconv) {
    const char* root = std::getenv("NORV_TEST_CORPUS");
    if (!root || !std::filesystem::exists(std::string(root) + "/small"))
        GTEST_SKIP()
            << "no corpus (set NORV_TEST_CORPUS to a folder made by make-corpus.sh --small)";
    static const std::map<std::string, Expect> kCodes = {
        {"sjis", {TextCode::kAnsi, false, "CP932", 0}},
        {"eucjp", {TextCode::kEuc, false, "EUC-JP-MS", 0}},
        {"jis", {TextCode::kJis, false, nullptr, 0}},
        {"utf8", {TextCode::kUtf8, false, "UTF-8", 0}},
        {"utf8bom", {TextCode::kUtf8, true, "UTF-8", 3}},
        {"utf16lebom", {TextCode::kUcs2Le, true, "UTF-16LE", 2}},
        {"utf16bebom", {TextCode::kUcs2Be, true, "UTF-16BE", 2}},
        // Without a mark, recognised by the UTF-16 test.
        {"utf16le", {TextCode::kUcs2Le, false, "UTF-16LE", 0}},
        {"utf16be", {TextCode::kUcs2Be, false, "UTF-16BE", 0}},
    };
    static const std::map<std::string, EolMode> kEols = {
        {"lf", EolMode::kLf},
        {"crlf", EolMode::kCrLf},
        {"cr", EolMode::kCr},
        {"mixed", EolMode::kCrLf},  // CR LF, LF and CR in turn: any CR LF decides
    };
    DocumentEnvironment env;
    env.codePage = 932;
    int files = 0, checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(root) + "/small")) {
        std::string name = entry.path().filename();
        // ID.CODE.EOL.txt
        size_t e = name.rfind('.', name.size() - 5);
        size_t c = name.rfind('.', e - 1);
        std::string codeName = name.substr(c + 1, e - c - 1);
        std::string eolName = name.substr(e + 1, name.size() - 4 - e - 1);
        ++files;
        CElwDoc doc(env);
        ASSERT_EQ(doc.OpenDocument(entry.path()), 1) << name;
        auto it = kCodes.find(codeName);
        ASSERT_NE(it, kCodes.end()) << name;
        const Expect& x = it->second;
        EXPECT_EQ(doc.code, x.code) << name;
        EXPECT_EQ(IsUnicodeFamily(doc.code) && doc.bom, x.bom) << name;
        EXPECT_EQ(doc.eolMode, kEols.at(eolName)) << name;

        std::string original = norv::testing::ReadFileBytes(entry.path());
        bool ok = true;
        std::string expected;
        if (x.iconvFrom) {
            expected = Iconv(original.substr(x.skip), x.iconvFrom, "UTF-8", &ok);
        } else {
            // JIS: the CP932 reading of its Shift-JIS form.
            std::string sjis = Iconv(original, "ISO-2022-JP", "SHIFT_JIS", &ok);
            expected = Iconv(sjis, "CP932", "UTF-8", &ok);
        }
        ASSERT_TRUE(ok) << name << ": iconv refused the original";
        std::string got = DocumentAsUtf8(doc);
        if (got != expected) {
            size_t at = 0;
            while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
            ADD_FAILURE() << name << ": the text differs from byte " << at << " (got " << got.size()
                          << " bytes, iconv " << expected.size() << "): got \""
                          << EscapeBytes(got.data() + at, std::min<size_t>(40, got.size() - at))
                          << "\", iconv \""
                          << EscapeBytes(expected.data() + at,
                                         std::min<size_t>(40, expected.size() - at))
                          << "\"";
        }
        ++checked;
    }
    EXPECT_EQ(files, 801);
    EXPECT_EQ(checked, files);
}

}  // namespace
}  // namespace norv::document

namespace norv::document {
namespace {

// Every corpus file loaded and saved in its own code and line ends gives back its bytes; and
// a Shift-JIS file saved in each of the six codes gives what iconv gives for the same text.
TEST(Corpus, SavesBackByteForByteAndConvertsLikeIconv) {
    const char* root = std::getenv("NORV_TEST_CORPUS");
    if (!root || !std::filesystem::exists(std::string(root) + "/small"))
        GTEST_SKIP()
            << "no corpus (set NORV_TEST_CORPUS to a folder made by make-corpus.sh --small)";
    norv::testing::TempDir out;
    DocumentEnvironment env;
    env.codePage = 932;
    env.save.trashOutGen = 0;
    static const struct {
        TextCode code;
        bool bom;
        const char* from;
        const char* to;
        const char* mark;
    } kCodes[] = {
        {TextCode::kAnsi, false, "CP932", "CP932", ""},
        {TextCode::kEuc, false, "CP932", "EUC-JP-MS", ""},
        // JIS through the EUC-JP form: glibc's Shift-JIS table reads 0x5C as the yen sign.
        {TextCode::kJis, false, "EUC-JP", "ISO-2022-JP", ""},
        {TextCode::kUtf8, true, "CP932", "UTF-8", "\xEF\xBB\xBF"},
        {TextCode::kUcs2Le, true, "CP932", "UTF-16LE", "\xFF\xFE"},
        {TextCode::kUcs2Be, false, "CP932", "UTF-16BE", ""},
    };
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(root) + "/small")) {
        std::string name = entry.path().filename();
        std::string original = norv::testing::ReadFileBytes(entry.path());
        std::string copy = out.Write(name, original);
        CElwDoc doc(env);
        ASSERT_EQ(doc.OpenDocument(copy), 1) << name;
        ASSERT_EQ(doc.SaveDocument(copy), 1) << name;
        std::string saved = norv::testing::ReadFileBytes(copy);
        EXPECT_TRUE(saved == original) << name << " is not written back as it was";
        ++files;
        if (name.find(".sjis.") == std::string::npos) continue;
        for (const auto& c : kCodes) {
            doc.saveCode = c.code;
            doc.bom = c.bom;
            std::string target = out.File("as-" + name);
            ASSERT_EQ(doc.SaveDocument(target), 1) << name;
            bool ok = true;
            std::string source = original;
            if (c.code == TextCode::kJis) source = Iconv(original, "CP932", "EUC-JP-MS", &ok);
            std::string expected = c.mark + Iconv(source, c.from, c.to, &ok);
            ASSERT_TRUE(ok) << name << " to " << c.to;
            std::string got = norv::testing::ReadFileBytes(target);
            EXPECT_TRUE(got == expected) << name << " saved as " << c.to << " differs from iconv";
        }
    }
    EXPECT_EQ(files, 801);
}

}  // namespace
}  // namespace norv::document
