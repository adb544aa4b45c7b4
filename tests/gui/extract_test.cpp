// E&xtract in the real Open dialog: two files selected give the message, a file that is no
// archive does nothing, Cancel in the destination chooser runs nothing, a refused archive says
// which name it holds, and a real extraction with unzip leaves the dialog open showing the
// destination; with the mode switch the archiver's output is shown read-only.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <string>

#include "app/config/settings.h"
#include "app/config/settings_store.h"
#include "gui/dialogs/file_dialogs.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/shell_wiring.h"
#include "platform/fakes/headless_ui.h"
#include "platform/paths.h"
#include "support/archive_builder.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

namespace fs = std::filesystem;

// Runs `action` on the next modal window named `name` that opens (once).
class OnNamedModal {
  public:
    OnNamedModal(const char* name, std::function<void(QWidget&)> action)
        : name_(name), action_(std::move(action)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w || done_ || w->objectName() != name_) return;
            done_ = true;
            action_(*w);
        });
        timer_.start();
    }
    bool done() const { return done_; }

  private:
    QString name_;
    std::function<void(QWidget&)> action_;
    QTimer timer_;
    bool done_ = false;
};

// The Open dialog: a modal file dialog that is not the destination chooser.
class OnOpenDialog {
  public:
    explicit OnOpenDialog(std::function<void(QFileDialog&)> action) : action_(std::move(action)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!d || done_ || d->objectName() == QtFileDialogs::kExtractFolderDialogName) return;
            done_ = true;
            action_(*d);
        });
        timer_.start();
    }
    bool done() const { return done_; }

  private:
    std::function<void(QFileDialog&)> action_;
    QTimer timer_;
    bool done_ = false;
};

struct Frame {
    Frame() : store(platform::RealFileSystem(), dir.File("norv.INI"), 932), config(932) {
        frame.UseConfiguration(config, &store);
        frame.show();
        before = platform::CurrentFolder();
        platform::ChangeCurrentFolder(dir.path());
    }
    ~Frame() { platform::ChangeCurrentFolder(before); }
    norv::testing::TempDir dir;
    std::string before;
    app::SettingsStore store;
    app::Configuration config;
    platform::HeadlessUi ui;
    MainFrame frame{&ui};
};

// Whether the dialog's list shows `name` in the folder it shows now (it loads in the
// background).
bool ListShows(QFileDialog& d, const QString& name) {
    auto* list = d.findChild<QListView*>(QStringLiteral("listView"));
    for (int i = 0; i < 400 && list; ++i) {
        const QModelIndex root = list->rootIndex();
        for (int r = 0; r < list->model()->rowCount(root); ++r)
            if (list->model()->index(r, 0, root).data().toString() == name) return true;
        QApplication::processEvents();
        usleep(5000);
    }
    return false;
}

// Selects the names in the dialog's list, as clicks do, and presses E&xtract.
void Extract(QFileDialog& d, const QStringList& names) {
    auto* list = d.findChild<QListView*>(QStringLiteral("listView"));
    ASSERT_NE(list, nullptr);
    for (const QString& name : names) ASSERT_TRUE(ListShows(d, name)) << name.toStdString();
    list->selectionModel()->clearSelection();
    const QModelIndex root = list->rootIndex();
    for (int r = 0; r < list->model()->rowCount(root); ++r) {
        const QModelIndex index = list->model()->index(r, 0, root);
        if (names.contains(index.data().toString()))
            list->selectionModel()->select(index,
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    auto* button = d.findChild<QPushButton*>(QtFileDialogs::kExtractButtonName);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QStringLiteral("E&xtract"));
    button->click();
}

std::string DialogFolder(const QFileDialog& d) {
    return d.directory().absolutePath().toStdString();
}

TEST(ExtractGui, TheButtonsRefusalsAndChoices) {
    Frame f;
    f.config.settings.Set(app::Key::ZIPX, "sh -c ': > ran' %1 %2");
    f.dir.Write("a.zip", norv::testing::BuildZip({{"a.txt", "a"}}));
    f.dir.Write("b.zip", norv::testing::BuildZip({{"b.txt", "b"}}));
    f.dir.Write("notes.txt", "text");
    f.dir.Write("parent.ZIP", norv::testing::BuildZip({{"ok.txt", "ok"}, {"../x", "x"}}));
    int chooserShown = 0;
    OnNamedModal cancel(QtFileDialogs::kExtractFolderDialogName, [&](QWidget& w) {
        ++chooserShown;
        // It starts at the dialog's folder.
        EXPECT_EQ(static_cast<QFileDialog&>(w).directory().absolutePath().toStdString(),
                  f.dir.path());
        static_cast<QDialog&>(w).reject();
    });
    OnOpenDialog open([&](QFileDialog& d) {
        Extract(d, {QStringLiteral("a.zip"), QStringLiteral("b.zip")});
        ASSERT_EQ(f.ui.messages.size(), 1u);
        EXPECT_EQ(f.ui.messages[0], "You cannot choose multiple files.");
        Extract(d, {QStringLiteral("notes.txt")});
        EXPECT_EQ(f.ui.messages.size(), 1u) << f.ui.messages.back();
        EXPECT_EQ(chooserShown, 0);
        // Cancel in the chooser: nothing runs, the dialog stays where it was.
        Extract(d, {QStringLiteral("a.zip")});
        EXPECT_EQ(chooserShown, 1);
        EXPECT_EQ(f.ui.messages.size(), 1u);
        EXPECT_EQ(DialogFolder(d), f.dir.path());
        EXPECT_TRUE(d.isVisible());
        d.reject();
    });
    EXPECT_FALSE(f.frame.FileOpen(f.dir.path()));
    ASSERT_TRUE(open.done());
    EXPECT_FALSE(fs::exists(f.dir.File("ran")));

    // A refused archive: its message, and nothing written.
    const std::string dest = f.dir.File("dest");
    fs::create_directories(dest);
    OnNamedModal choose(QtFileDialogs::kExtractFolderDialogName, [&](QWidget& w) {
        auto& chooser = static_cast<QFileDialog&>(w);
        chooser.setDirectory(QString::fromStdString(dest));
        chooser.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->clear();
        static_cast<QDialog&>(chooser).accept();
    });
    OnOpenDialog again([&](QFileDialog& d) {
        Extract(d, {QStringLiteral("parent.ZIP")});
        d.reject();
    });
    f.frame.FileOpen(f.dir.path());
    ASSERT_TRUE(again.done());
    EXPECT_TRUE(choose.done());
    ASSERT_EQ(f.ui.messages.size(), 2u);
    EXPECT_EQ(f.ui.messages[1], "This archive holds a name outside the chosen folder:\n../x");
    EXPECT_FALSE(fs::exists(f.dir.File("ran")));
    EXPECT_FALSE(fs::exists(dest + "/ok.txt"));
    EXPECT_FALSE(fs::exists(f.dir.File("x")));
}

bool HaveUnzip() {
    return std::system("command -v unzip >/dev/null 2>&1") == 0;
}

TEST(ExtractGui, UnzipThenTheDialogShowsTheDestination) {
    if (!HaveUnzip()) GTEST_SKIP() << "no unzip";
    Frame f;
    f.dir.Write("docs 'one'.zip",
                norv::testing::BuildZip({{"inner/readme.txt", "read me\n"}, {"top.txt", "top"}}));
    const std::string dest = f.dir.File("out $(x)");
    fs::create_directories(dest);
    OnNamedModal choose(QtFileDialogs::kExtractFolderDialogName, [&](QWidget& w) {
        auto& chooser = static_cast<QFileDialog&>(w);
        chooser.setDirectory(QString::fromStdString(dest));
        chooser.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->clear();
        static_cast<QDialog&>(chooser).accept();
    });
    bool opened = false;
    OnOpenDialog open([&](QFileDialog& d) {
        Extract(d, {QStringLiteral("docs 'one'.zip")});
        EXPECT_TRUE(f.ui.messages.empty()) << f.ui.messages.front();
        // The dialog stays open in the destination, which is now the current folder.
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(DialogFolder(d), dest);
        EXPECT_EQ(platform::CurrentFolder(), dest + "/");
        EXPECT_TRUE(ListShows(d, QStringLiteral("top.txt")));
        EXPECT_TRUE(ListShows(d, QStringLiteral("inner")));
        // What came out can be opened from there.
        d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText("top.txt");
        static_cast<QDialog&>(d).accept();
        opened = true;
    });
    EXPECT_TRUE(f.frame.FileOpen(f.dir.path()));
    ASSERT_TRUE(open.done());
    EXPECT_TRUE(opened);
    EXPECT_TRUE(choose.done());
    std::string text;
    ASSERT_EQ(platform::ReadWholeFile(platform::RealFileSystem(), dest + "/inner/readme.txt", text),
              0);
    EXPECT_EQ(text, "read me\n");
    ASSERT_NE(f.frame.ActiveWindow(), nullptr);
    EXPECT_EQ(platform::FileNameOf(f.frame.ActiveWindow()->doc().path), "top.txt");
    EXPECT_FALSE(fs::exists(f.dir.File("x")));
}

TEST(ExtractGui, TheModeSwitchShowsTheArchiversOutputReadOnly) {
    if (!HaveUnzip()) GTEST_SKIP() << "no unzip";
    Frame f;
    f.config.settings.Set(app::Key::ZIPDOS, 1);
    // Without %2 no folder is asked for: unzip works in the dialog's folder.
    f.config.settings.Set(app::Key::ZIPX, "unzip -o %1");
    f.dir.Write("a.zip", norv::testing::BuildZip({{"a.txt", "a"}}));
    QString shown;
    bool readOnly = false;
    QString title;
    OnNamedModal output(QtFileDialogs::kArchiverOutputName, [&](QWidget& w) {
        title = w.windowTitle();
        auto* text = w.findChild<QPlainTextEdit*>();
        ASSERT_NE(text, nullptr);
        readOnly = text->isReadOnly();
        shown = text->toPlainText();
        static_cast<QDialog&>(w).reject();
    });
    OnOpenDialog open([&](QFileDialog& d) {
        Extract(d, {QStringLiteral("a.zip")});
        EXPECT_TRUE(output.done());
        EXPECT_EQ(DialogFolder(d), f.dir.path());
        d.reject();
    });
    f.frame.FileOpen(f.dir.path());
    ASSERT_TRUE(open.done());
    EXPECT_EQ(title, QStringLiteral("Archiver Output"));
    EXPECT_TRUE(readOnly);
    EXPECT_TRUE(shown.contains(QStringLiteral("a.txt"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("Archive:"))) << shown.toStdString();
    EXPECT_TRUE(fs::exists(f.dir.File("a.txt")));
}

}  // namespace
}  // namespace norv::qt
