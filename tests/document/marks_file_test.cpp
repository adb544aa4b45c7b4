// Bookmark files with many marks, marks beyond what 16 bits hold, old files of either entry
// size, and files that are garbage or cut short: every mark is written and read back, the old
// header is kept, and a bad file gives no marks and is replaced at the next save.
#include "document/marks_file.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "document/document.h"
#include "platform/fakes/memory_file_system.h"

namespace norv::document {
namespace {

constexpr const char* kPath = "/d/long.txt";
constexpr const char* kMarks = "/d/long.txt.#marks#";

struct Files {
    platform::MemoryFileSystem fs;
    DocumentEnvironment env;
    Files() {
        env.fs = &fs;
        env.codePage = 932;
    }
    // A document of `lines` lines "x", marked where `marked` says, at kPath.
    std::unique_ptr<CElwDoc> Document(int lines, const std::vector<uint32_t>& marked) {
        auto doc = std::make_unique<CElwDoc>(env);
        doc->lines().Reset();
        size_t k = 0;
        for (int n = 1; n <= lines; ++n) {
            const bool m = k < marked.size() && marked[k] == static_cast<uint32_t>(n);
            if (m) ++k;
            doc->lines().AppendContent("x", 1, m ? LF_MARK : 0);
        }
        doc->path = kPath;
        return doc;
    }
    std::vector<uint32_t> Marked(CElwDoc& doc) {
        std::vector<uint32_t> out;
        uint32_t n = 1;
        for (const LineRecord* r = doc.lines().first(); r; r = r->next, ++n)
            if (r->flags & LF_MARK) out.push_back(n);
        return out;
    }
    // Saves the document's marks, clears them and loads them back.
    std::vector<uint32_t> RoundTrip(CElwDoc& doc) {
        EXPECT_TRUE(SaveMarks(doc, kPath));
        for (LineRecord* r = doc.lines().first(); r; r = r->next)
            r->flags &= static_cast<uint8_t>(~LF_MARK);
        LoadMarks(doc);
        return Marked(doc);
    }
};

uint16_t Get16(const std::string& b, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1])
                                                                   << 8);
}

// An old file: "MK", the header size, the entry size, the count, 2 at offset 12, padding to the
// header size, the entries and the terminator.
std::string OldFile(uint16_t header, uint16_t entry, const std::vector<uint32_t>& lines) {
    std::string b(header, '\0');
    b[0] = 'M';
    b[1] = 'K';
    b[2] = static_cast<char>(header);
    b[3] = static_cast<char>(header >> 8);
    b[4] = static_cast<char>(entry);
    b[6] = static_cast<char>(lines.size() & 0xFF);
    b[7] = static_cast<char>((lines.size() >> 8) & 0xFF);
    b[12] = 2;
    for (size_t i = 16; i < header; ++i) b[i] = static_cast<char>('a' + i % 26);
    for (uint32_t v : lines)
        for (int k = 0; k < (entry == 4 ? 4 : 2); ++k) b.push_back(static_cast<char>(v >> (8 * k)));
    b.append(2, '\0');
    return b;
}

std::vector<uint32_t> Spread(size_t count, uint32_t last, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint32_t> all(last);
    for (uint32_t i = 0; i < last; ++i) all[i] = i + 1;
    std::shuffle(all.begin(), all.end(), rng);
    all.resize(count);
    std::sort(all.begin(), all.end());
    return all;
}

TEST(MarkFile, AHundredThousandMarksAndLinesBeyond65535AreAllKept) {
    Files f;
    const std::vector<uint32_t> marks = Spread(100000, 150000, 1);
    auto doc = f.Document(150000, marks);
    EXPECT_EQ(f.RoundTrip(*doc), marks);
    const std::string& file = f.fs.files[kMarks];
    EXPECT_EQ(Get16(file, 4), 4u);       // 32-bit entries
    EXPECT_EQ(Get16(file, 6), 0xFFFFu);  // the count holds at most 65535
    EXPECT_EQ(file.size(), 16u + 4u * marks.size() + 2u);
}

TEST(MarkFile, AnOld16BitFileStays16BitUntilALineNeedsMore) {
    Files f;
    // 40,000 marks in 16 bits are more than 64 KB: all of them are written.
    const std::vector<uint32_t> marks = Spread(40000, 65535, 2);
    f.fs.files[kMarks] = OldFile(24, 2, {3, 9});
    auto doc = f.Document(65535, marks);
    EXPECT_EQ(f.RoundTrip(*doc), marks);
    std::string file = f.fs.files[kMarks];
    EXPECT_EQ(Get16(file, 4), 2u);
    EXPECT_EQ(file.substr(16, 8), OldFile(24, 2, {}).substr(16, 8));  // the old header is kept
    EXPECT_EQ(file.size(), 24u + 2u * marks.size() + 2u);
    // A mark beyond line 65535 switches the file to 32-bit entries, header and all.
    std::vector<uint32_t> more = marks;
    more.push_back(70000);
    auto longer = f.Document(70001, more);
    EXPECT_EQ(f.RoundTrip(*longer), more);
    file = f.fs.files[kMarks];
    EXPECT_EQ(Get16(file, 2), 24u);
    EXPECT_EQ(Get16(file, 4), 4u);
    // A 32-bit file larger than 64 KB keeps its header too.
    EXPECT_EQ(f.RoundTrip(*longer), more);
    EXPECT_EQ(Get16(f.fs.files[kMarks], 2), 24u);
}

TEST(MarkFile, GarbageAndTruncatedFilesGiveNoMarksAndAreReplacedAtTheNextSave) {
    std::mt19937 rng(3);
    std::vector<std::string> bad = {
        "",
        "MK",
        std::string("MK\x10\0\x04\0\x01\0", 8),  // the header cut short
        OldFile(16, 4, {5, 7}).substr(0, 22),    // an entry cut short
        OldFile(16, 2, {5, 7}).substr(0, 20),    // no terminator
        OldFile(16, 4, {5, 7}).substr(0, 24),    // no terminator after 32-bit entries
        std::string("MK\xff\xff", 4) + std::string(20, '\x01'),  // a header beyond the file
    };
    for (int i = 0; i < 50; ++i) {
        std::string noise(static_cast<size_t>(rng() % 200), '\0');
        for (char& c : noise) c = static_cast<char>(rng());
        bad.push_back(noise);
    }
    for (const std::string& b : bad) {
        SCOPED_TRACE(testing::PrintToString(b.substr(0, 24)));
        Files f;
        f.fs.files[kMarks] = b;
        auto doc = f.Document(10, {});
        LoadMarks(*doc);
        // Noise that happens to start like a file may mark lines, but never beyond the text.
        if (b.size() < 2 || b[0] != 'M' || b[1] != 'K') EXPECT_TRUE(f.Marked(*doc).empty());
        for (LineRecord* r = doc->lines().first(); r; r = r->next)
            r->flags &= static_cast<uint8_t>(~LF_MARK);
        doc->lines().LineAt(4)->flags |= LF_MARK;
        EXPECT_EQ(f.RoundTrip(*doc), std::vector<uint32_t>{4});
    }
    // The cut files of the list give nothing at all.
    for (size_t i = 2; i < 7; ++i) {
        Files f;
        f.fs.files[kMarks] = bad[i];
        auto doc = f.Document(10, {});
        LoadMarks(*doc);
        EXPECT_TRUE(f.Marked(*doc).empty()) << i;
    }
}

TEST(MarkFile, AMarkedLineOf65535Bytes) {
    Files f;
    auto doc = f.Document(3, {});
    const std::string longest(kMaxLineBytes - 1, 'y');
    doc->lines().Reset();
    doc->lines().AppendContent("a", 1, 0);
    doc->lines().AppendContent(longest.data(), longest.size(), LF_MARK);
    doc->lines().AppendContent("b", 1, LF_MARK);
    EXPECT_EQ(f.RoundTrip(*doc), (std::vector<uint32_t>{2, 3}));
}

TEST(MarkFile, LoadingRaisesTheBookmarkNotice) {
    Files f;
    f.fs.files[kPath] = "a\nb\n";
    f.fs.files[kMarks] = OldFile(16, 4, {2});
    CElwDoc doc(f.env);
    ASSERT_EQ(doc.OpenDocument(kPath), 1);
    EXPECT_TRUE(doc.bookmarksChanged);
    EXPECT_GT(doc.bookmarkNotices, 0u);
    EXPECT_EQ(f.Marked(doc), std::vector<uint32_t>{2});
}

}  // namespace
}  // namespace norv::document
