// Sort, Convert and Compare through the real windows: the menu items enabled with a document,
// the dialogs with their texts filled as a user would, the settings they write, the converted
// text, and the marks and message of a comparison of two open documents.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/commands/command_table.h"
#include "app/config/configuration.h"
#include "app/config/settings_store.h"
#include "gui/dialogs/sort_convert_dialogs.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/gui_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using testing::DocumentBytes;

// Runs `action` on the next modal dialog, then presses its OK.
class OnDialog {
  public:
    explicit OnDialog(std::function<void(QDialog&)> action, bool accept = true)
        : action_(std::move(action)), accept_(accept) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!d || done_) return;
            done_ = true;
            action_(*d);
            if (accept_)
                d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            else
                d->reject();
        });
        timer_.start();
    }
    bool done() const { return done_; }

  private:
    std::function<void(QDialog&)> action_;
    bool accept_;
    QTimer timer_;
    bool done_ = false;
};

template <typename T>
T* Child(QWidget& d, const QString& text) {
    for (T* w : d.findChildren<T*>())
        if (w->text() == text) return w;
    ADD_FAILURE() << "no " << text.toStdString();
    return nullptr;
}

struct Frame {
    Frame() : config(932) {
        path = dir.Write("norv.INI", "");
        store = std::make_unique<app::SettingsStore>(platform::RealFileSystem(), path, 932);
        config.settings.Load(*store);
        frame.UseConfiguration(config, store.get());
        frame.show();
        QApplication::processEvents();
    }
    DocWindow* Open(std::string_view name, std::string_view bytes) {
        DocWindow* w = frame.OpenFile(dir.Write(name, bytes));
        EXPECT_NE(w, nullptr);
        QApplication::processEvents();
        return w;
    }
    void Run(const char* command) { frame.RunCommand(size_t(app::CommandIndexByName(command))); }
    bool Enabled(const char* command) {
        return frame.CommandEnabled(size_t(app::CommandIndexByName(command)));
    }
    std::string Ini() {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    norv::testing::TempDir dir;
    std::string path;
    app::Configuration config;
    std::unique_ptr<app::SettingsStore> store;
    platform::HeadlessUi ui;
    MainFrame frame{&ui};
};

TEST(SortCompareWindows, SortThroughItsDialogWritesTheSettings) {
    Frame f;
    EXPECT_FALSE(f.Enabled("EditSort"));
    DocWindow* w = f.Open("a.txt", "x=3\r\ny=1\r\nZ\r\n");
    EXPECT_TRUE(f.Enabled("EditSort"));
    EXPECT_TRUE(f.Enabled("EditConvert"));
    w->selection().Select(1, 0, 4, 0);
    OnDialog d([](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "Sort");
        EXPECT_TRUE(Child<QRadioButton>(dlg, "&Ascendant")->isChecked());
        Child<QRadioButton>(dlg, "&Decendant")->setChecked(true);
        Child<QCheckBox>(dlg, "Compare After This &String:")->setChecked(true);
        dlg.findChild<QLineEdit*>(kSortAfterTextName)->setText("=");
        Child<QCheckBox>(dlg, "&Ignore Case");
        // Only a box sorts entire lines by its columns.
        EXPECT_FALSE(Child<QCheckBox>(dlg, "&Sort Entire Lines")->isEnabled());
    });
    f.Run("EditSort");
    EXPECT_TRUE(d.done());
    EXPECT_EQ(DocumentBytes(w->view()), "x=3\ny=1\nZ\n");
    const std::string ini = f.Ini();
    EXPECT_NE(ini.find("SortAfter=1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("SortString=="), std::string::npos) << ini;
    // The direction is kept for the run: the next dialog opens on it.
    w->selection().Select(1, 0, 4, 0);
    OnDialog again([](QDialog& dlg) {
        EXPECT_TRUE(Child<QRadioButton>(dlg, "&Decendant")->isChecked());
        EXPECT_EQ(dlg.findChild<QLineEdit*>(kSortAfterTextName)->text(), "=");
        Child<QRadioButton>(dlg, "&Ascendant")->setChecked(true);
        Child<QCheckBox>(dlg, "Compare After This &String:")->setChecked(false);
    });
    f.Run("EditSort");
    EXPECT_EQ(DocumentBytes(w->view()), "Z\nx=3\ny=1\n");
}

TEST(SortCompareWindows, ConvertEnablesItsBoxesOnlyForAWidthConversion) {
    Frame f;
    // (ア's trail byte 0x41 makes the file Shift-JIS, not EUC-JP)
    DocWindow* w = f.Open("a.txt", testing::Iconv("CP932", "アabc ｶﾞ\r\n"));
    w->selection().Select(1, 2, 1, 8);
    OnDialog d([](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "Convert");
        auto* width = dlg.findChild<QComboBox*>(kConvertWidthName);
        auto* kana = dlg.findChild<QCheckBox*>(kConvertKanaName);
        auto* alnum = dlg.findChild<QCheckBox*>(kConvertAlphanumericsName);
        EXPECT_EQ(width->currentText(), "No Conversion");
        EXPECT_TRUE(kana->isChecked() && alnum->isChecked());
        EXPECT_FALSE(kana->isEnabled() || alnum->isEnabled());
        width->setCurrentIndex(2);  // SBCS to MBCS
        EXPECT_TRUE(kana->isEnabled() && alnum->isEnabled());
        alnum->setChecked(false);
        auto* caseBox = dlg.findChild<QComboBox*>(kConvertCaseName);
        EXPECT_EQ(caseBox->itemText(4), "Upper Top Of Word");
        caseBox->setCurrentIndex(1);  // UPPER ALL
        EXPECT_EQ(dlg.findChild<QComboBox*>(kConvertTabsName)->itemText(2), "Space to Tab");
    });
    f.Run("EditConvert");
    EXPECT_TRUE(d.done());
    EXPECT_EQ(DocumentBytes(w->view()), testing::Iconv("CP932", "アABC ガ\n"));
    // A cancelled dialog changes nothing.
    w->selection().Select(1, 0, 1, 8);
    OnDialog cancel(
        [](QDialog& dlg) { dlg.findChild<QComboBox*>(kConvertCaseName)->setCurrentIndex(2); },
        false);
    f.Run("EditConvert");
    EXPECT_EQ(DocumentBytes(w->view()), testing::Iconv("CP932", "アABC ガ\n"));
}

TEST(SortCompareWindows, CompareMarksTheOtherDocumentAndSaysSo) {
    Frame f;
    EXPECT_FALSE(f.Enabled("Compare"));
    DocWindow* copy = f.Open("copy.txt", "a\nb\ninserted\nc\nd\ne\n");
    DocWindow* original = f.Open("original.txt", "a\nb\nc\nd\ne\n");
    ASSERT_EQ(f.frame.ActiveWindow(), original);
    EXPECT_TRUE(f.Enabled("Compare"));
    OnDialog d([&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "Compare");
        EXPECT_NE(Child<QLabel>(dlg, QString::fromStdString(original->doc().path)), nullptr);
        auto* target = dlg.findChild<QComboBox*>(kCompareTargetName);
        ASSERT_EQ(target->count(), 1);
        EXPECT_EQ(target->itemText(0).toStdString(), copy->doc().path);
        EXPECT_EQ(dlg.findChild<QSpinBox*>(kCompareRangeName)->value(), 100);
        dlg.findChild<QSpinBox*>(kCompareMatchName)->setValue(2);
    });
    f.Run("Compare");
    EXPECT_TRUE(d.done());
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0], "The comparison is complete.\nDifferent lines are marked.");
    EXPECT_EQ(f.frame.compareState(), 1);
    std::string marks;
    for (auto* r = copy->doc().lines().first(); r; r = r->next)
        marks += (r->flags & document::LF_MARK) ? 'M' : '-';
    EXPECT_EQ(marks, "--M----");
    EXPECT_NE(f.Ini().find("CmpMatch=2"), std::string::npos);
}

}  // namespace
}  // namespace norv::qt
