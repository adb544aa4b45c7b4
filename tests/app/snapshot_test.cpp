// Project and workspace files: the layout byte by byte, written by hand from the offsets;
// round trips with and without the side file; every refusal of a damaged file.
#include "app/snapshot.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace norv::app {
namespace {

// Builds bytes at given offsets, the rest zero.
struct Bytes {
    explicit Bytes(size_t n) : b(n, '\0') {}
    Bytes& Int(size_t at, int32_t v) {
        for (size_t i = 0; i < 4; ++i) b[at + i] = char((uint32_t(v) >> (8 * i)) & 0xFF);
        return *this;
    }
    Bytes& Text(size_t at, std::string_view s) {
        b.replace(at, s.size(), s);
        return *this;
    }
    Bytes& Placement(size_t at, std::array<int32_t, 11> v) {
        for (size_t i = 0; i < 11; ++i) Int(at + 4 * i, v[i]);
        return *this;
    }
    std::string b;
};

// Two records: a titled file, and a modified untitled document kept in a copy.
std::string TwoRecords() {
    Bytes f(316 + 2 * 340);
    f.Placement(0, {44, 0, 3, -1, -1, -1, -1, 10, 20, 810, 620});
    f.Text(44, "/home/u/work");
    f.Int(308, 2).Int(312, 1);
    const size_t r0 = 316, r1 = 316 + 340;
    f.Text(r0, "/home/u/work/a.txt");
    f.Placement(r0 + 264, {44, 0, 1, -1, -1, -1, -1, 0, 0, 400, 300});
    f.Int(r0 + 308, 12).Int(r0 + 312, 'C').Int(r0 + 316, 0);
    f.Int(r0 + 320, 4).Int(r0 + 324, 72).Int(r0 + 328, 1).Int(r0 + 332, 0).Int(r0 + 336, 1);
    f.Text(r1, "/home/u/.norv/copy0001.txt");
    f.Placement(r1 + 264, {44, 0, 2, -1, -1, -1, -1, 5, 6, 7, 8});
    f.Int(r1 + 308, 1).Int(r1 + 312, 0).Int(r1 + 316, 1);
    f.Int(r1 + 320, 8).Int(r1 + 324, 0).Int(r1 + 328, 0).Int(r1 + 332, 1).Int(r1 + 336, 0);
    return f.b;
}

TEST(Snapshot, ReadsTheLayoutAtItsOffsets) {
    SnapshotError error;
    const std::optional<Snapshot> s = ParseSnapshot(TwoRecords(), &error);
    ASSERT_TRUE(s) << int(error);
    EXPECT_EQ(s->frame, (WindowPlacement{44, 0, 3, -1, -1, -1, -1, 10, 20, 810, 620}));
    EXPECT_EQ(s->folder, "/home/u/work");
    EXPECT_EQ(s->active, 1);
    ASSERT_EQ(s->records.size(), 2u);
    const SnapshotRecord& a = s->records[0];
    EXPECT_EQ(a.path, "/home/u/work/a.txt");
    EXPECT_EQ(a.frame.right, 400);
    EXPECT_EQ(a.caretLine, 12);
    EXPECT_EQ(a.typeCode, 'C');
    EXPECT_EQ(a.temporaryCopy, 0);
    EXPECT_EQ(a.tabWidth, 4);
    EXPECT_EQ(a.wrapColumn, 72);
    EXPECT_EQ(a.autoIndent, 1);
    EXPECT_EQ(a.softTab, 1);
    const SnapshotRecord& b = s->records[1];
    // Without a side file, a copy's record names the copy of an untitled document.
    EXPECT_EQ(b.path, "");
    EXPECT_EQ(b.copyPath, "/home/u/.norv/copy0001.txt");
    EXPECT_EQ(b.temporaryCopy, 1);
    EXPECT_EQ(b.frame.showCmd, 2);
    EXPECT_EQ(b.dspcIndent, 1);
    EXPECT_FALSE(b.copyFormat);
    // Written back, the same bytes.
    EXPECT_EQ(FormatSnapshot(*s), TwoRecords());
}

TEST(Snapshot, RefusesADamagedFileWhole) {
    auto with = [](size_t at, int32_t v) {
        std::string b = TwoRecords();
        for (size_t i = 0; i < 4; ++i) b[at + i] = char((uint32_t(v) >> (8 * i)) & 0xFF);
        return b;
    };
    std::string noFolderEnd = TwoRecords();
    std::fill(noFolderEnd.begin() + 44, noFolderEnd.begin() + 304, 'x');
    std::string noPathEnd = TwoRecords();
    std::fill(noPathEnd.begin() + 316 + 340, noPathEnd.begin() + 316 + 340 + 264, 'y');
    static const std::string kEmpty = Bytes(316).b;
    const struct {
        const char* name;
        std::string bytes;
        SnapshotError error;
    } kCases[] = {
        {"under 316 bytes", TwoRecords().substr(0, 315), SnapshotError::kTooSmall},
        {"over 34,316 bytes", std::string(34317, '\0'), SnapshotError::kTooLarge},
        {"negative count", with(308, -1), SnapshotError::kBadCount},
        {"count above 100", with(308, 101), SnapshotError::kBadCount},
        {"count beyond the size", with(308, 3), SnapshotError::kBadCount},
        {"active index past the records", with(312, 2), SnapshotError::kBadActive},
        {"negative active index", with(312, -1), SnapshotError::kBadActive},
        {"folder without its zero", noFolderEnd, SnapshotError::kUnterminated},
        {"path without its zero", noPathEnd, SnapshotError::kUnterminated},
        {"an empty snapshot with an active index", with(308, 0), SnapshotError::kBadActive},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        SnapshotError error = SnapshotError::kNone;
        EXPECT_FALSE(ParseSnapshot(c.bytes, &error));
        EXPECT_EQ(error, c.error);
        EXPECT_NE(SnapshotErrorText(error, "/p/x.prf").find("/p/x.prf"), std::string::npos);
    }
    // An empty snapshot (no document was open) is a good file; so are bytes after the records.
    EXPECT_TRUE(ParseSnapshot(kEmpty));
    EXPECT_TRUE(ParseSnapshot(TwoRecords() + "tail"));
}

TEST(Snapshot, ReservedAndUnusedBytesAreWrittenAsZeros) {
    std::string dirty = TwoRecords();
    dirty[304] = 'R';        // reserved
    dirty[44 + 20] = 'z';    // after the folder's terminator
    dirty[316 + 100] = 'p';  // after a path's terminator
    const std::optional<Snapshot> s = ParseSnapshot(dirty);
    ASSERT_TRUE(s);
    EXPECT_EQ(FormatSnapshot(*s), TwoRecords());
}

Snapshot Sample() {
    Snapshot s;
    s.frame = {44, 0, 1, -1, -1, -1, -1, 1, 2, 3, 4};
    s.folder = "/work";
    s.active = 2;
    SnapshotRecord titled;
    titled.path = "/work/plain.txt";
    titled.caretLine = 40;
    SnapshotRecord modified;
    modified.path = "/work/changed.txt";
    modified.temporaryCopy = 1;
    modified.copyPath = "/cfg/norv-copy-1.txt";
    modified.copyFormat = CopyFormat{1, -1, false, 1};
    SnapshotRecord untitled;
    untitled.temporaryCopy = 1;
    untitled.copyPath = "/cfg/norv-copy-2.txt";
    untitled.copyFormat = CopyFormat{11, 11, true, 0};
    s.records = {titled, modified, untitled};
    return s;
}

Snapshot RoundTrip(const Snapshot& s) {
    const std::optional<std::string> bytes = FormatSnapshot(s);
    EXPECT_TRUE(bytes);
    std::optional<Snapshot> back = ParseSnapshot(*bytes);
    EXPECT_TRUE(back);
    if (NeedsSideFile(s)) EXPECT_TRUE(ApplySideFile(FormatSideFile(s), *back));
    return *back;
}

TEST(Snapshot, RoundTripsWithTheSideFile) {
    const Snapshot s = Sample();
    EXPECT_TRUE(NeedsSideFile(s));
    EXPECT_EQ(RoundTrip(s), s);
    // The record of a modified titled document keeps its real path; the copy's name is in the
    // side file.
    const std::string bytes = *FormatSnapshot(s);
    EXPECT_EQ(bytes.substr(316 + 340, 18), std::string("/work/changed.txt") + '\0');
    // Paths and a folder longer than their fields go to the side file whole, never cut.
    Snapshot longer = s;
    longer.folder = "/" + std::string(300, 'f');
    longer.records[0].path = "/" + std::string(400, 'p') + "\t%\n.txt";
    longer.records[2].copyPath = "/" + std::string(270, 'c');
    EXPECT_EQ(RoundTrip(longer), longer);
    const std::string cut = *FormatSnapshot(longer);
    EXPECT_EQ(cut[44], '\0');
    EXPECT_EQ(cut[316], '\0');
    // Without its side file the snapshot still opens: the copies are named by their records.
    std::optional<Snapshot> alone = ParseSnapshot(bytes);
    ASSERT_TRUE(alone);
    EXPECT_EQ(alone->records[2].copyPath, "/cfg/norv-copy-2.txt");
    EXPECT_FALSE(alone->records[2].copyFormat);
    EXPECT_FALSE(ApplySideFile("not a side file\n", *alone));
    // A side file bound to its snapshot applies to it alone: after a crash between the two
    // renames the other snapshot is read as without a side file.
    const std::string bound = FormatSideFile(s, bytes);
    std::optional<Snapshot> same = ParseSnapshot(bytes);
    EXPECT_TRUE(ApplySideFile(bound, *same, bytes));
    EXPECT_EQ(*same, s);
    std::string other = bytes;
    other[312] = 0;
    std::optional<Snapshot> stale = ParseSnapshot(other);
    const Snapshot untouched = *stale;
    EXPECT_FALSE(ApplySideFile(bound, *stale, other));
    EXPECT_EQ(*stale, untouched);
}

TEST(Snapshot, RandomSnapshotsRoundTrip) {
    std::mt19937 rng(16);
    auto pick = [&rng](int n) { return int(rng() % unsigned(n)); };
    for (int round = 0; round < 200; ++round) {
        Snapshot s;
        s.folder = pick(5) ? "/f" + std::to_string(pick(1000)) : std::string(261, 'L');
        const int n = pick(101);
        for (int i = 0; i < n; ++i) {
            SnapshotRecord r;
            r.path = pick(3) ? "/d/" + std::to_string(i) + std::string(size_t(pick(300)), 'x')
                             : std::string();
            r.temporaryCopy = r.path.empty() || pick(2) ? 1 : 0;
            if (r.temporaryCopy) {
                r.copyPath = "/c/" + std::to_string(i);
                if (pick(4))
                    r.copyFormat = CopyFormat{pick(13), pick(13) - 1, pick(2) == 1, pick(4) - 1};
            }
            r.caretLine = pick(100000);
            r.tabWidth = pick(17);
            s.records.push_back(r);
        }
        s.active = n ? pick(n) : 0;
        SCOPED_TRACE(round);
        EXPECT_EQ(RoundTrip(s), s);
    }
    Snapshot tooMany;
    tooMany.records.resize(101);
    SnapshotError error;
    EXPECT_FALSE(FormatSnapshot(tooMany, &error));
    EXPECT_EQ(error, SnapshotError::kTooManyRecords);
}

}  // namespace
}  // namespace norv::app
