// The main frame through its real windows and dialogs: typing, saving through the Save As
// dialog with the code list, reopening, and the question asked when a modified window closes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "gui/gui_test_support.h"
#include "platform/headless/headless_ui.h"
#include "platform/qt/doc_window.h"
#include "platform/qt/file_dialogs.h"
#include "platform/qt/main_frame.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using testing::Commit;
using testing::DocumentBytes;
using testing::Iconv;
using testing::Key;
using testing::TypeKeys;

// Runs `fill` on the next file dialog that opens (modal dialogs run their own event loop).
void WhenDialogOpens(std::function<void(QFileDialog&)> fill) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, fill] {
        if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            fill(*d);
        }
    });
    timer->start();
}

void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

TEST(MainFrame, TypeThenSaveAsEucThroughTheDialogAndReopen) {
    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.show();
    DocWindow* w = frame.OpenFile(dir.Write("in.txt", Iconv("CP932", "最初の行\r\nsecond")));
    ASSERT_NE(w, nullptr);
    QWidget* editor = &w->editor();

    Key(editor, Qt::Key_End);
    TypeKeys(editor, "abc");
    Commit(editor, QStringLiteral("日本語"));
    Key(editor, Qt::Key_Return);
    TypeKeys(editor, "xyz");
    Key(editor, Qt::Key_Backspace);
    const std::string typed = "最初の行abc日本語\nxy\nsecond";
    ASSERT_EQ(DocumentBytes(w->view()), Iconv("CP932", typed));
    EXPECT_TRUE(w->doc().modified);

    // Undo takes something back, redo brings exactly that back.
    Key(editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_NE(DocumentBytes(w->view()), Iconv("CP932", typed));
    Key(editor, Qt::Key_Y, Qt::ControlModifier);
    ASSERT_EQ(DocumentBytes(w->view()), Iconv("CP932", typed));

    const std::string out = dir.File("out-euc.txt");
    bool bomEnabledForEuc = true;
    WhenDialogOpens([&](QFileDialog& d) {
        auto* codes = d.findChild<QComboBox*>(QtFileDialogs::kCodeListName);
        auto* bom = d.findChild<QCheckBox*>(QtFileDialogs::kAddBomName);
        ASSERT_TRUE(codes && bom);
        EXPECT_EQ(codes->itemText(2), QStringLiteral("EUC"));
        codes->setCurrentIndex(2);
        bomEnabledForEuc = bom->isEnabled();
        d.selectFile(QString::fromStdString(out));
        static_cast<QDialog&>(d).accept();
    });
    ASSERT_TRUE(frame.FileSave(*w, true));
    EXPECT_FALSE(bomEnabledForEuc);
    EXPECT_EQ(norv::testing::ReadFileBytes(out), Iconv("EUC-JP", typed));
    EXPECT_FALSE(w->doc().modified);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("out-euc.txt"));

    DocWindow* again = frame.OpenFile(out);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->doc().code, document::TextCode::Euc);
    EXPECT_EQ(DocumentBytes(again->view()), Iconv("CP932", typed));
    EXPECT_TRUE(ui.messages.empty()) << ui.messages.front();
}

TEST(MainFrame, ClosingAModifiedWindowAsksAndAFailedSaveKeepsIt) {
    static const struct {
        const char* name;
        int answer;
        bool folderGone;  // the save fails
        bool closed;
    } kCases[] = {
        {"cancel keeps the window", platform::kIdCancel, false, false},
        {"no discards the changes", platform::kIdNo, false, true},
        {"yes saves and closes", platform::kIdYes, false, true},
        {"yes with a failing save keeps the window and its changes", platform::kIdYes, true, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        norv::testing::TempDir dir;
        const std::string folder = dir.File("sub");
        std::filesystem::create_directory(folder);
        const std::string path = folder + "/t.txt";
        { std::ofstream(path) << "text"; }
        platform::HeadlessUi ui;
        MainFrame frame(&ui);
        DocWindow* w = frame.OpenFile(path);
        ASSERT_NE(w, nullptr);
        TypeKeys(&w->editor(), "new ");
        if (c.folderGone) std::filesystem::remove_all(folder);
        ui.QueueAnswer(c.answer);
        const bool closed = frame.FileClose(*w);
        FlushDeletes();
        EXPECT_EQ(closed, c.closed);
        ASSERT_EQ(ui.messages.size(), c.folderGone ? 2u : 1u);
        EXPECT_EQ(ui.messages[0].rfind("Save changes to ", 0), 0u) << ui.messages[0];
        EXPECT_EQ(frame.Windows().size(), c.closed ? 0u : 1u);
        if (!c.closed) EXPECT_TRUE(frame.Windows().front()->doc().modified);
        if (c.answer == platform::kIdYes && !c.folderGone)
            EXPECT_EQ(norv::testing::ReadFileBytes(path), "new text");
        if (c.answer == platform::kIdNo) EXPECT_EQ(norv::testing::ReadFileBytes(path), "text");
    }
}

}  // namespace
}  // namespace norv::qt
