// The Compare command without windows: the dialog's fields and the settings it leaves, the
// bookmarks of both documents, the closing message and state value, documents of different
// internal encodings, Escape keeping the marks so far.
#include "app/compare_command.h"

#include <gtest/gtest.h>

#include "app/config/settings.h"
#include "document/codecs.h"
#include "editing/edit_test_support.h"
#include "platform/fakes/headless_ui.h"

namespace norv::app {
namespace {

using editing::testing::Editor;
using editing::testing::Enc;

std::string Marks(document::CElwDoc& doc) {
    std::string m;
    for (auto* r = doc.lines().first(); r; r = r->next)
        m += (r->flags & document::LF_MARK) ? 'M' : '-';
    return m;
}

struct Fixture {
    Fixture(Enc a, Enc b) : current(a), target(b), settings(932) {
        env.ui = &ui;
        env.settings = &settings;
        env.dialog = [this](CompareRequest& r) {
            shown = r;
            if (!answer) return false;
            r.range = answer->range;
            r.match = answer->match;
            r.target = answer->target;
            return true;
        };
    }
    int Run() { return RunCompare(current.doc, {&target.doc}, env); }
    Editor current, target;
    platform::HeadlessUi ui;
    Settings settings;
    CompareEnvironment env;
    CompareRequest shown;
    std::optional<CompareRequest> answer = CompareRequest{};
};

TEST(CompareCommand, MarksTheDifferingLinesOfBothAndSaysSo) {
    Fixture f(Enc::kSjis, Enc::kSjis);
    f.current.Load("a\nb\nc\nd\ne");
    f.target.Load("a\nb\nX\nc\nd\ne");
    f.current.doc.path = "/tmp/one.txt";
    f.target.doc.title = "two.txt";
    // Old bookmarks of both go first.
    f.current.doc.lines().first()->flags |= document::LF_MARK;
    f.target.doc.lines().last()->flags |= document::LF_MARK;
    const uint64_t a = f.current.doc.bookmarkNotices, b = f.target.doc.bookmarkNotices;
    f.answer->range = 50;
    f.answer->match = 2;
    EXPECT_EQ(f.Run(), kCompareStateDifferent);
    EXPECT_EQ(f.shown.current, "/tmp/one.txt");
    EXPECT_EQ(f.shown.targets, std::vector<std::string>{"two.txt"});
    EXPECT_EQ(f.shown.range, 100);  // the settings' defaults
    EXPECT_EQ(f.shown.match, 3);
    EXPECT_EQ(Marks(f.current.doc), "-----");
    EXPECT_EQ(Marks(f.target.doc), "--M---");
    EXPECT_GT(f.current.doc.bookmarkNotices, a);
    EXPECT_GT(f.target.doc.bookmarkNotices, b);
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0], "The comparison is complete.\nDifferent lines are marked.");
    EXPECT_EQ(f.settings.Int(Key::CmpRange), 50);
    EXPECT_EQ(f.settings.Int(Key::CmpMatch), 2);
    // Bookmarks are no edits.
    EXPECT_FALSE(f.current.doc.modified || f.target.doc.modified);
}

TEST(CompareCommand, TheSameTextInAnotherEncodingIsNoDifference) {
    Fixture f(Enc::kSjis, Enc::kUtf8);
    f.current.Load("日本語\nかな\n\nabc");
    f.target.Load("日本語\nかな\n\nabc");
    ASSERT_NE(f.current.Snapshot(), f.target.Snapshot());
    EXPECT_EQ(f.Run(), kCompareStateSame);
    EXPECT_EQ(f.ui.messages, std::vector<std::string>{"No difference."});
    EXPECT_EQ(Marks(f.current.doc), "----");
    EXPECT_EQ(Marks(f.target.doc), "----");
}

TEST(CompareCommand, NothingWithoutASecondDocumentOrWhenCancelled) {
    Fixture f(Enc::kAscii, Enc::kAscii);
    f.current.Load("a");
    f.target.Load("b");
    EXPECT_EQ(RunCompare(f.current.doc, {&f.current.doc}, f.env), 0);
    EXPECT_TRUE(f.shown.current.empty());  // no dialog
    f.answer.reset();
    f.current.doc.lines().first()->flags |= document::LF_MARK;
    EXPECT_EQ(f.Run(), 0);
    EXPECT_EQ(Marks(f.current.doc), "M");  // a cancelled dialog leaves the marks
    EXPECT_TRUE(f.ui.messages.empty());
    // Out of range values are held to the dialog's limits.
    f.answer = CompareRequest{};
    f.answer->range = 1;
    f.answer->match = 99;
    f.Run();
    EXPECT_EQ(f.settings.Int(Key::CmpRange), 10);
    EXPECT_EQ(f.settings.Int(Key::CmpMatch), 10);
}

TEST(CompareCommand, EscapeStopsWithABeepKeepingTheMarks) {
    Fixture f(Enc::kAscii, Enc::kAscii);
    std::string a, b;
    for (int i = 0; i < 3000; ++i) {
        a += "a" + std::to_string(i) + "\n";
        b += "b" + std::to_string(i) + "\n";
    }
    f.current.Load(a);
    f.target.Load(b);
    f.env.escapePressed = [] { return true; };
    EXPECT_EQ(f.Run(), kCompareStateDifferent);
    EXPECT_EQ(f.ui.beeps, 1);
    EXPECT_TRUE(f.ui.messages.empty());
    const std::string m = Marks(f.current.doc);
    EXPECT_EQ(m.substr(0, 1000), std::string(1000, 'M'));
    EXPECT_EQ(m.back(), '-');
}

}  // namespace
}  // namespace norv::app
