// The paragraph commands in the frame through the real widgets: the "Add String" dialog and its
// setting, the menu items that need a selection, and automatic formatting while typing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <functional>
#include <string>

#include "app/config/configuration.h"
#include "gui/dialogs/add_string_dialog.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/menus.h"
#include "gui/gui_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using testing::DocumentBytes;
using testing::TypeKeys;

// Runs `fill` on the next modal dialog (it runs its own event loop, so this polls).
void WhenDialogShown(std::function<void(QDialog&)> fill) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, fill] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            fill(*d);
        }
    });
    timer->start();
}

struct Frame {
    Frame() : config(932) {}
    platform::HeadlessUi ui;
    app::Configuration config;
    MainFrame frame{&ui};
};

TEST(ParagraphFrame, AddStringDialogAndItsSetting) {
    norv::testing::TempDir dir;
    Frame f;
    f.frame.UseConfiguration(f.config, nullptr);
    f.frame.show();
    DocWindow* w = f.frame.OpenFile(dir.Write("a.txt", "abc\ndef"));
    ASSERT_NE(w, nullptr);
    CommandMenus& menus = f.frame.menus();
    menus.Update();
    // Without a selection only the alignments and the paragraph commands can run.
    EXPECT_FALSE(menus.ActionOf("AddString")->isEnabled());
    EXPECT_FALSE(menus.ActionOf("Indent")->isEnabled());
    EXPECT_FALSE(menus.ActionOf("BackInd")->isEnabled());
    EXPECT_TRUE(menus.ActionOf("EditCenter")->isEnabled());
    EXPECT_TRUE(menus.ActionOf("ReFormat")->isEnabled());
    EXPECT_TRUE(menus.ActionOf("DeFormat")->isEnabled());
    menus.ActionOf("SelectAll")->trigger();
    menus.Update();
    EXPECT_TRUE(menus.ActionOf("AddString")->isEnabled());
    EXPECT_TRUE(menus.ActionOf("Indent")->isEnabled());

    QString title, topText, endText;
    WhenDialogShown([&](QDialog& d) {
        title = d.windowTitle();
        auto* text = d.findChild<QLineEdit*>(kAddStringTextName);
        auto* top = d.findChild<QRadioButton*>(kAddStringTopName);
        auto* end = d.findChild<QRadioButton*>(kAddStringEndName);
        ASSERT_TRUE(text && top && end);
        topText = top->text();
        endText = end->text();
        text->setText(QStringLiteral("\\t> "));
        top->setChecked(true);
        d.accept();
    });
    menus.ActionOf("AddString")->trigger();
    EXPECT_EQ(title, QStringLiteral("Add String"));
    EXPECT_EQ(topText, QStringLiteral("&Top of Line"));
    EXPECT_EQ(endText, QStringLiteral("&End of Line"));
    EXPECT_EQ(DocumentBytes(w->view()), "\t> abc\n\t> def");
    EXPECT_EQ(f.config.settings.Text(app::Key::AddStr), "\\t> ");

    // The next time the dialog shows the string used last; at the end of the lines.
    QString shown;
    WhenDialogShown([&](QDialog& d) {
        auto* text = d.findChild<QLineEdit*>(kAddStringTextName);
        ASSERT_TRUE(text);
        shown = text->text();
        text->setText(QStringLiteral("日本"));
        d.findChild<QRadioButton*>(kAddStringEndName)->setChecked(true);
        d.accept();
    });
    menus.ActionOf("AddString")->trigger();
    EXPECT_EQ(shown, QStringLiteral("\\t> "));
    EXPECT_EQ(DocumentBytes(w->view()), testing::Iconv("CP932", "\t> abc日本\n\t> def日本"));
    // Cancelled: nothing changes.
    WhenDialogShown([](QDialog& d) { d.reject(); });
    menus.ActionOf("AddString")->trigger();
    EXPECT_EQ(DocumentBytes(w->view()), testing::Iconv("CP932", "\t> abc日本\n\t> def日本"));
}

TEST(ParagraphFrame, AutoFormatReflowsWhileTypingButNotInCFiles) {
    norv::testing::TempDir dir;
    Frame f;
    f.frame.UseConfiguration(f.config, nullptr);
    f.frame.show();
    const std::string words =
        "one two three four five six seven eight nine ten eleven twelve thirteen fourteen "
        "fifteen sixteen";
    for (const char* name : {"a.txt", "a.c"}) {
        SCOPED_TRACE(name);
        DocWindow* w = f.frame.OpenFile(dir.Write(name, ""));
        ASSERT_NE(w, nullptr);
        if (!w->view().options().autoSplit) f.frame.menus().ActionOf("ModeAutoSplit")->trigger();
        ASSERT_TRUE(w->view().options().autoSplit);
        bool shown = false;
        for (QLabel* l : f.frame.statusBar()->findChildren<QLabel*>())
            shown = shown || l->text() == QStringLiteral("AutoFmt");
        EXPECT_TRUE(shown);
        TypeKeys(&w->editor(), words);
        const std::string text = DocumentBytes(w->view());
        if (std::string(name) == "a.c") {
            EXPECT_EQ(text, words);
            continue;
        }
        EXPECT_NE(text.find('\n'), std::string::npos);
        std::string joined = text;
        for (char& c : joined)
            if (c == '\n') c = ' ';
        EXPECT_EQ(joined, words);
        // Deleting at the start pulls the words of the next row up.
        w->view().SetCaret(1, 0);
        const int before = w->view().doc().lines().count();
        for (int i = 0; i < 40; ++i) w->view().Execute(editing::CommandId::DeleteChar);
        EXPECT_LE(w->view().doc().lines().count(), before);
        std::string rest = DocumentBytes(w->view());
        for (char& c : rest)
            if (c == '\n') c = ' ';
        EXPECT_EQ(rest, words.substr(40));
    }
}

}  // namespace
}  // namespace norv::qt
