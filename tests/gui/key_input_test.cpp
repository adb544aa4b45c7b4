// Keys and committed text through the real edit widget of a frame: every one reaches the key
// input in one call, and the text, caret and selection come out as the keyboard expects.
#include <gtest/gtest.h>

#include <QApplication>
#include <string>
#include <vector>

#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/gui_test_support.h"
#include "platform/fakes/headless_ui.h"

namespace norv::qt {
namespace {

using testing::Commit;
using testing::DocumentBytes;
using testing::Iconv;
using testing::Key;
using testing::TypeKeys;

// Records each press and hands it on to the frame's key input.
struct SpyKeys : app::KeyInput {
    explicit SpyKeys(app::KeyInput& next) : next_(next) {}
    app::PressResult Press(const app::KeyStroke& s, std::string_view bytes) override {
        presses.push_back(std::to_string(s.key) + (s.shift ? "s" : "") + (s.ctrl ? "c" : "") + ":" +
                          std::string(bytes));
        return next_.Press(s, bytes);
    }
    std::vector<std::string> presses;

  private:
    app::KeyInput& next_;
};

TEST(KeyInputWidget, KeysAndCommitsReachPressInOneCall) {
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.resize(600, 400);
    frame.show();
    DocWindow* w = frame.NewFile();
    ASSERT_NE(w, nullptr);
    EditWidget& e = w->editor();
    SpyKeys spy(e.keyInput());
    e.SetKeyInput(&spy);
    editing::CElwView& v = w->view();

    TypeKeys(&e, "ab");
    Key(&e, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    TypeKeys(&e, "cd");
    Key(&e, Qt::Key_Home);
    Key(&e, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_TRUE(w->selection().active());
    EXPECT_EQ(v.caretPos(), 1u);
    Key(&e, Qt::Key_End);
    Commit(&e, QString::fromUtf8("日本"));
    Key(&e, Qt::Key_PageUp);  // PageDown: the caret goes up a page
    EXPECT_EQ(v.caretLineNumber(), 1);
    Key(&e, Qt::Key_PageDown);
    EXPECT_EQ(v.caretLineNumber(), 2);
    EXPECT_EQ(DocumentBytes(v), "ab\ncd" + Iconv("CP932", "日本"));
    EXPECT_EQ(spy.presses, (std::vector<std::string>{
                               "65:a", "66:b", "13:", "67:c", "68:d",
                               "36:", "39s:", "35:", "0:" + Iconv("CP932", "日本"), "33:", "34:"}));
    // Ctrl+Z goes the same way and takes the last character back.
    Key(&e, Qt::Key_Z, Qt::ControlModifier, QStringLiteral("\x1a"));
    EXPECT_EQ(spy.presses.back(), "90c:");
    EXPECT_EQ(DocumentBytes(v), "ab\ncd" + Iconv("CP932", "日"));
    e.SetKeyInput(nullptr);
}

TEST(KeyInputWidget, ShiftArrowsWithoutShiftSelectFollowTheKeyTable) {
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.show();
    DocWindow* w = frame.NewFile();
    ASSERT_NE(w, nullptr);
    frame.dispatcher().options.shiftSelect = false;
    EditWidget& e = w->editor();
    TypeKeys(&e, "abc");
    Key(&e, Qt::Key_Left, Qt::ShiftModifier);
    Key(&e, Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_FALSE(w->selection().active());
    EXPECT_EQ(w->view().caretPos(), 3u);
    // Keys without any key byte still type their text.
    Key(&e, Qt::Key_Exclam, Qt::ShiftModifier, QStringLiteral("!"));
    EXPECT_EQ(DocumentBytes(w->view()), "abc!");
}

}  // namespace
}  // namespace norv::qt
