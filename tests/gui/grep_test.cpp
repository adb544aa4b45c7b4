// Find in files and tag jumps through the real windows: Ctrl+Q, G opens "Find From File", its
// fields, boxes and folder choosers are used as a user would, the hits arrive in "#Output#"
// under the status text, Escape stops a walk keeping what was found, F10 on a hit opens the
// file at its line and F9 comes back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>

#include "app/config/settings.h"
#include "app/config/settings_store.h"
#include "gui/dialogs/grep_dialog.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/grep_wiring.h"
#include "gui/frame/main_frame.h"
#include "gui/gui_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using testing::DocumentBytes;
using testing::Iconv;
using testing::Key;

using OnDialog = testing::OnModal<GrepDialog>;

template <typename T>
T* Child(QWidget& d, const QString& text) {
    for (T* w : d.findChildren<T*>())
        if (w->text() == text) return w;
    ADD_FAILURE() << "no " << text.toStdString();
    return nullptr;
}

struct Frame {
    Frame() : store(platform::RealFileSystem(), dir.File("norv.INI"), 932), config(932) {
        frame.UseConfiguration(config, &store);
        frame.show();
        root = dir.path() + "/";
        dir.Write("a.c", "int a;\nkey one\n");
        std::filesystem::create_directories(root + "src");
        dir.Write("src/b.c", Iconv("CP932", "// 日本語\r\nkey two\r\n"));
        dir.Write("src/c.h", "key three\n");
        before = platform::CurrentFolder();
    }
    ~Frame() { platform::ChangeCurrentFolder(before); }
    DocWindow* Output() {
        for (DocWindow* w : frame.Windows())
            if (platform::FileNameOf(w->doc().path) == "#Output#") return w;
        return nullptr;
    }
    norv::testing::TempDir dir;
    std::string root;
    std::string before;
    app::SettingsStore store;
    app::Configuration config;
    platform::HeadlessUi ui;
    MainFrame frame{&ui};
};

TEST(GrepGui, TheDialogFindsIntoTheOutputAndSavesItsOptions) {
    Frame f;
    DocWindow* w = f.frame.NewFile();
    w->view().InsertText("key");
    w->view().SetCaret(1, 0);
    OnDialog dialog([&](GrepDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Find From File"));
        for (const char* label :
             {"&String to Find:", "File T&ype:", "&Input Folder:", "Fol&der:", "Dri&ve:"})
            Child<QLabel>(d, QString::fromLatin1(label));
        Child<QPushButton>(d, QStringLiteral("&Current Folder"));
        for (const char* box :
             {"Match &Word Only", "Match &Top of Line", "&Ignore Case", "Ignore M&BCS",
              "&Regular Expression", "Search S&ub Folders", "Output &Full Path"})
            Child<QCheckBox>(d, QString::fromLatin1(box));
        // The word at the caret; GrepOption's "RI".
        EXPECT_EQ(d.field()->currentText(), QStringLiteral("key"));
        EXPECT_TRUE(Child<QCheckBox>(d, QStringLiteral("&Regular Expression"))->isChecked());
        EXPECT_TRUE(Child<QCheckBox>(d, QStringLiteral("&Ignore Case"))->isChecked());
        Child<QCheckBox>(d, QStringLiteral("&Regular Expression"))->setChecked(false);
        Child<QCheckBox>(d, QStringLiteral("Search S&ub Folders"))->setChecked(true);
        Child<QCheckBox>(d, QStringLiteral("&Save Options"))->setChecked(true);
        d.masks()->setText(QStringLiteral("*.c;*.h"));
        d.folder()->setText(QString::fromStdString(f.root));
        d.accept();
    });
    Key(&w->editor(), Qt::Key_Q, Qt::ControlModifier);
    Key(&w->editor(), Qt::Key_G, Qt::ControlModifier);
    ASSERT_TRUE(dialog.done());
    DocWindow* out = f.Output();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(f.frame.ActiveWindow(), out);
    EXPECT_EQ(DocumentBytes(out->view()),
              "a.c(2): key one\nsrc/b.c(2): key two\nsrc/c.h(1): key three\n");
    EXPECT_FALSE(out->doc().modified);
    EXPECT_EQ(out->view().caretLineNumber(), 1);
    EXPECT_EQ(f.store.ReadText(app::Key::GrepOption), "IU");
    EXPECT_EQ(f.store.ReadText(app::Key::GrepDir), f.root);
    EXPECT_EQ(f.store.ReadText(app::Key::GrepMask), "*.c;*.h");
    EXPECT_EQ(f.frame.grep().stateValue(), 1);
    // The hits arrived under the status text with each file's path; then the idle text.
    auto seen = [&](const std::string& t) {
        return std::find(f.ui.statusTexts.begin(), f.ui.statusTexts.end(), t) !=
               f.ui.statusTexts.end();
    };
    EXPECT_TRUE(seen("Finding ...(ESC key to break)"));
    EXPECT_TRUE(seen("Finding ...(ESC key to break) a.c"));
    EXPECT_EQ(f.ui.statusTexts.back(), "");
}

TEST(GrepGui, TheFolderChoosers) {
    Frame f;
    app::GrepDialogRequest r;
    r.folder = "/";
    GrepDialog d(&f.frame, r, 932, 932);
    d.show();
    platform::ChangeCurrentFolder(f.root + "src");
    Child<QPushButton>(d, QStringLiteral("&Current Folder"))->click();
    EXPECT_EQ(d.folder()->text().toStdString(), f.root + "src/");
    // The drive list: "/", the home folder, the mounted file systems.
    ASSERT_GE(d.drives()->count(), 2);
    EXPECT_EQ(d.drives()->itemText(0), QStringLiteral("/"));
    EXPECT_EQ(d.drives()->itemText(1).toStdString(), platform::ExpandHome("~/"));
    d.drives()->activated(0);
    EXPECT_EQ(d.folder()->text(), QStringLiteral("/"));
    // A folder chosen in the tree.
    QAbstractItemModel* model = d.folderTree()->model();
    const QModelIndex tmp =
        static_cast<QFileSystemModel*>(model)->index(QString::fromStdString(f.root));
    ASSERT_TRUE(tmp.isValid());
    d.folderTree()->setCurrentIndex(tmp);
    EXPECT_EQ(d.folder()->text().toStdString(), f.root);
    d.Store();
    EXPECT_EQ(r.folder, f.root);
}

TEST(GrepGui, EscapeStopsAWalkKeepingWhatWasFound) {
    Frame f;
    for (int i = 0; i < 40; ++i) f.dir.Write("many" + std::to_string(100 + i) + ".txt", "key\n");
    DocWindow* w = f.frame.NewFile();
    // Escape pressed while the first file is searched: the walk ends before the second.
    QKeyEvent* esc = new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::postEvent(&w->editor(), esc);
    const uint64_t lines = f.frame.grep().RunGrepScript({"key", f.root, "many*.txt", ""});
    EXPECT_EQ(lines, 1u);
    DocWindow* out = f.Output();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(DocumentBytes(out->view()), "many100.txt(1): key\n");
}

TEST(GrepGui, F10OpensTheHitAtItsLineAndF9ComesBack) {
    Frame f;
    std::string lines;
    for (int i = 1; i <= 200; ++i) lines += i == 150 ? "key here\n" : "line\n";
    f.dir.Write("src/long file.txt", lines);
    ASSERT_EQ(f.frame.grep().RunGrepScript({"key here", f.root, "*.txt", "U"}), 1u);
    DocWindow* out = f.Output();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(DocumentBytes(out->view()), "\"src/long file.txt\"(150): key here\n");
    Key(&out->editor(), Qt::Key_F10);
    DocWindow* target = f.frame.ActiveWindow();
    ASSERT_NE(target, out);
    EXPECT_EQ(target->doc().path, f.root + "src/long file.txt");
    EXPECT_EQ(target->view().caretLineNumber(), 150);
    EXPECT_EQ(target->view().caretScreenRow(), target->view().windowRows() / 2);
    Key(&target->editor(), Qt::Key_F9);
    EXPECT_EQ(f.frame.ActiveWindow(), out);
    // The window is activated again, not opened twice.
    Key(&out->editor(), Qt::Key_F10);
    EXPECT_EQ(f.frame.ActiveWindow(), target);
    EXPECT_EQ(f.frame.Windows().size(), 2u);
    // A compiler message in any document: Ctrl+Q, J.
    DocWindow* msg = f.frame.NewFile();
    msg->view().InsertText((f.root + "a.c:2:1: error").c_str());
    Key(&msg->editor(), Qt::Key_Q, Qt::ControlModifier);
    Key(&msg->editor(), Qt::Key_J, Qt::ControlModifier);
    ASSERT_NE(f.frame.ActiveWindow(), msg);
    EXPECT_EQ(f.frame.ActiveWindow()->doc().path, f.root + "a.c");
    EXPECT_EQ(f.frame.ActiveWindow()->view().caretLineNumber(), 2);
}

}  // namespace
}  // namespace norv::qt
