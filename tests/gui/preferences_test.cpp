// The preferences dialog through its real widgets: each page changes its kinds of control, OK
// stores only what changed and the open view follows, Cancel and refused values store nothing,
// and every page fits the dialog at its default size.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <functional>

#include "app/commands/key_names.h"
#include "app/config/settings_store.h"
#include "gui/dialogs/preference_dialog.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/menus.h"
#include "gui/gui_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using testing::Key;
using testing::TypeKeys;

const char kIni[] = "[Settings]\nUndoLimit=1024\n[Options]\nLineNumber=1\n";
const char kKwd[] =
    "\x10"
    "C words\t*.c\t2\nif\t0\nwhile\t0\n";
const char kDat[] =
    "##UserMenu\n#Begin\n#End\n#Begin\n#End\n#Begin\n#End\n#Begin\n#End\n#Begin\n#End\n";

// Polls until `find` finds a widget, then runs `fill` on it once.
void WhenShown(std::function<QWidget*()> find, std::function<void(QWidget&)> fill) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, find, fill] {
        if (QWidget* w = find()) {
            timer->stop();
            timer->deleteLater();
            fill(*w);
        }
    });
    timer->start();
}

template <typename D>
void WhenModal(std::function<void(D&)> fill) {
    WhenShown([] { return qobject_cast<D*>(QApplication::activeModalWidget()); },
              [fill](QWidget& w) { fill(static_cast<D&>(w)); });
}

// The texts of the next popup of this name; it is closed without a choice.
void WhenPopupShown(const char* name, QStringList& texts) {
    WhenShown(
        [name]() -> QWidget* {
            auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            return m && m->objectName() == QLatin1String(name) ? m : nullptr;
        },
        [&texts](QWidget& w) {
            for (QAction* a : static_cast<QMenu&>(w).actions())
                if (!a->isSeparator()) texts << a->text();
            static_cast<QMenu&>(w).close();
        });
}

template <typename W>
W* Find(QWidget& d, const char* name) {
    W* w = d.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

void PressOk(CElwProp& d) {
    d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

// OK with a refused value: the message it shows, and the dialog stays open.
QString RefusedMessage(CElwProp& d) {
    QString text;
    WhenModal<QMessageBox>([&text](QMessageBox& box) {
        text = box.text();
        box.accept();
    });
    PressOk(d);
    EXPECT_TRUE(d.isVisible());
    return text;
}

struct Desk {
    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    app::Configuration config{932};
    std::string ini, kwd, dat;
    std::unique_ptr<app::SettingsStore> store;
    MainFrame frame{&ui};
    bool told = false;

    explicit Desk(const std::string& iniText = kIni) {
        ini = dir.Write("n.INI", iniText);
        kwd = dir.Write("n.KWD", kKwd);
        dat = dir.Write("n.DAT", kDat);
        store = std::make_unique<app::SettingsStore>(platform::RealFileSystem(), ini, 932);
        store->LoadCache();
        config.settings.Load(*store);
        store->ReleaseCache();
        app::LoadKeywordFile(platform::RealFileSystem(), kwd, config.keywords);
        app::LoadDataFile(platform::RealFileSystem(), dat, config.data);
        frame.UseConfiguration(config, store.get());
        frame.SetKeywordFile(&config.keywords);
        frame.SetPreferenceFiles({&platform::RealFileSystem(), dir.path() + "/", kwd, dat});
        frame.settingsChanged = [this] { told = true; };
        frame.resize(800, 600);
        frame.show();
    }
    std::string Ini() const { return norv::testing::ReadFileBytes(ini); }
    // Opens the dialog on a page and lets `fill` work on it.
    void Run(app::PageId page, std::function<void(CElwProp&)> fill) {
        bool ran = false;
        WhenModal<CElwProp>([&, page, fill](CElwProp& d) {
            d.tabs()->setCurrentIndex(int(page));
            fill(d);
            ran = true;
            if (d.isVisible()) d.reject();
        });
        frame.RunFrameCommand(app::FrameCommandId::SetProperty, 0);
        EXPECT_TRUE(ran);
    }
};

TEST(Preferences, PagesInTheirOrderAndCancelStoresNothing) {
    Desk desk;
    DocWindow* w = desk.frame.OpenFile(desk.dir.Write("a.txt", "abc"));
    ASSERT_NE(w, nullptr);
    desk.Run(app::PageId::COption, [](CElwProp& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Preferences"));
        QStringList titles;
        for (int i = 0; i < d.tabs()->count(); ++i) titles << d.tabs()->tabText(i);
        EXPECT_EQ(titles, (QStringList{"Options", "Advanced", "Display", "Tools", "File Types",
                                       "Font and Color", "Keys", "Keywords", "Menus", "Scripts",
                                       "Print", "Key Edit", "Others"}));
        // Every key with a page has its control, named as stored, on that page.
        for (const app::PageField& f : app::kPageFields) {
            QWidget* page = d.page(f.page);
            EXPECT_NE(page->findChild<QWidget*>(QString::fromUtf8(app::SpecOf(f.key).name)),
                      nullptr)
                << app::SpecOf(f.key).name;
        }
        Find<QCheckBox>(d, "InsertMode")->setChecked(false);
        Find<QLineEdit>(d, "UndoLimit")->setText(QStringLiteral("64"));
        d.reject();
    });
    EXPECT_EQ(desk.Ini(), kIni);
    EXPECT_FALSE(desk.told);
    EXPECT_TRUE(desk.config.settings.Flag(app::Key::InsertMode));
}

TEST(Preferences, OptionsAndAdvancedStoreOnlyWhatChangedAndTakeEffect) {
    Desk desk;
    DocWindow* w = desk.frame.OpenFile(desk.dir.Write("a.txt", "abc"));
    ASSERT_NE(w, nullptr);
    desk.Run(app::PageId::COption, [](CElwProp& d) {
        // The edges of the range and one past them.
        QLineEdit* column = Find<QLineEdit>(d, "AutoSplitCol");
        for (const char* bad : {"1", "10000"}) {
            column->setText(QString::fromLatin1(bad));
            EXPECT_EQ(RefusedMessage(d), QStringLiteral("Automatic formatting column: the value "
                                                        "must be from 2 to 9999."));
        }
        column->setText(QStringLiteral("9999"));
        Find<QCheckBox>(d, "FreeCursor")->setChecked(true);
        Find<QLineEdit>(d, "UndoLimit")->setText(QStringLiteral("64"));
        d.tabs()->setCurrentIndex(int(app::PageId::CAdvanced));
        Find<QLineEdit>(d, "TwoDelay")->setText(QStringLiteral("750"));
        Find<QComboBox>(d, "AccMode")->setCurrentIndex(0);
        Find<QCheckBox>(d, "FixWindow")->setChecked(true);
        PressOk(d);
    });
    EXPECT_EQ(desk.Ini(),
              "[Settings]\nUndoLimit=64\nAutoSplitCol=9999\nAccMode=0\nTwoDelay=750\n"
              "[Options]\nLineNumber=1\nFreeCursor=1\nFixWindow=1\n");
    EXPECT_TRUE(desk.told);
    EXPECT_EQ(desk.frame.dispatcher().options.twoDelay, 750);
    EXPECT_TRUE(w->view().options().freeCursor);
}

TEST(Preferences, DisplayChangesTheViewAndTheBars) {
    Desk desk;
    DocWindow* w = desk.frame.OpenFile(desk.dir.Write("a.txt", "abc"));
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(w->editor().displayOptions().lineNumber);
    desk.Run(app::PageId::CDispOpt, [](CElwProp& d) {
        Find<QCheckBox>(d, "LineNumber")->setChecked(false);
        Find<QCheckBox>(d, "StatBar")->setChecked(false);
        Find<QLineEdit>(d, "WideLine")->setText(QStringLiteral("65"));
        EXPECT_EQ(RefusedMessage(d),
                  QStringLiteral("Extra row height (pixels): the value must be from 0 to 64."));
        Find<QLineEdit>(d, "WideLine")->setText(QStringLiteral("4"));
        PressOk(d);
    });
    EXPECT_FALSE(w->editor().displayOptions().lineNumber);
    EXPECT_EQ(w->editor().displayOptions().wideLine, 4);
    EXPECT_FALSE(desk.frame.statusBar()->isVisibleTo(&desk.frame));
    EXPECT_EQ(desk.Ini(),
              "[Settings]\nUndoLimit=1024\nWideLine=4\n[Options]\nLineNumber=0\nStatBar=0\n");
}

TEST(Preferences, ToolsRefusesAnEmptyExtensionAndStoresHelpEntries) {
    Desk desk;
    desk.Run(app::PageId::CExtOpt, [](CElwProp& d) {
        EXPECT_EQ(Find<QCheckBox>(d, "SpAm")->text(), QStringLiteral("&American"));
        Find<QLineEdit>(d, "Help:")->setText(QStringLiteral("tenth.html"));
        Find<QLineEdit>(d, "Help:Ext")->setText(QStringLiteral("*.c;;*.h"));
        EXPECT_EQ(RefusedMessage(d),
                  QStringLiteral("Help 10 extensions: an entry of the list is empty."));
        Find<QLineEdit>(d, "Help:Ext")->setText(QStringLiteral("*.c;*.h"));
        Find<QCheckBox>(d, "SpBr")->setChecked(false);
        PressOk(d);
    });
    EXPECT_EQ(desk.Ini(), std::string(kIni) +
                              "[Others]\nSpBr=0\nHelp:=tenth.html\n"
                              "Help:Ext=*.c;*.h\n");
    EXPECT_EQ(desk.config.settings.Help(9).file, "tenth.html");
    // The tenth help entry applies to C files; with one open the Help menu lists it.
    ASSERT_NE(desk.frame.OpenFile(desk.dir.Write("a.c", "int x;")), nullptr);
    EXPECT_TRUE(desk.frame.menus().ActionOf("Help10")->isVisible());
}

TEST(Preferences, FileTypesEditEveryProfileAndNewDocumentsTakeThem) {
    Desk desk;
    desk.Run(app::PageId::CFOptDlg, [](CElwProp& d) {
        auto* profiles = Find<QComboBox>(d, "profile");
        ASSERT_EQ(profiles->count(), 13);
        profiles->setCurrentIndex(1);
        auto* fixed = Find<QCheckBox>(d, "CNoWrap");
        EXPECT_TRUE(fixed->isChecked());
        EXPECT_FALSE(fixed->isEnabled());
        Find<QLineEdit>(d, "C_CppColumn")->setText(QStringLiteral("0"));
        Find<QLineEdit>(d, "C_CppTAB")->setText(QStringLiteral("2"));
        profiles->setCurrentIndex(0);
        EXPECT_EQ(RefusedMessage(d),
                  QStringLiteral("C source: Wrap column: the value must be from 2 to 9999."));
        EXPECT_EQ(profiles->currentIndex(), 1) << "the refused field's profile comes forward";
        Find<QLineEdit>(d, "C_CppColumn")->setText(QStringLiteral("120"));
        Find<QLineEdit>(d, "C_Ext")->setText(QStringLiteral("*.c;*.cc"));
        Find<QCheckBox>(d, "U3SoftT")->setChecked(true);
        PressOk(d);
    });
    EXPECT_EQ(desk.Ini(),
              "[Settings]\nUndoLimit=1024\nC_CppTAB=2\nC_CppColumn=120\n[Options]\n"
              "LineNumber=1\nU3SoftT=1\n[Others]\nC_Ext=*.c;*.cc\n");
    DocWindow* w = desk.frame.OpenFile(desk.dir.Write("b.cc", "int x;"));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->doc().typeCode, 'C');
    EXPECT_EQ(w->doc().tabWidth, 2);
}

TEST(Preferences, FontAndColorRepaintTheViewAndRefuseAMissingFont) {
    Desk desk;
    DocWindow* w = desk.frame.OpenFile(desk.dir.Write("a.txt", "abc"));
    ASSERT_NE(w, nullptr);
    const int rowHeight = QFontMetrics(w->editor().editorFont()).height();
    desk.Run(app::PageId::CFontColor, [](CElwProp& d) {
        EXPECT_EQ(Find<QPushButton>(d, "URLColor")->text(), QStringLiteral("URL&e-mail"));
        EXPECT_EQ(Find<QPushButton>(d, "LBakColor")->text(), QStringLiteral("Line No Bkgnd"));
        auto* font = Find<QComboBox>(d, "TextFont");
        font->setEditText(QStringLiteral("No Such Face Anywhere"));
        EXPECT_EQ(RefusedMessage(d),
                  QStringLiteral("Font: the font \"No Such Face Anywhere\" is not installed."));
        ASSERT_GT(font->count(), 0);
        font->setCurrentIndex(0);
        Find<QLineEdit>(d, "TextFontHeight")->setText(QStringLiteral("30"));
        WhenModal<QColorDialog>([](QColorDialog& c) {
            c.setCurrentColor(QColor(10, 200, 30));
            c.accept();
        });
        Find<QPushButton>(d, "BackColor")->click();
        EXPECT_EQ(Find<ColourButton>(d, "BackColor")->colour(), QColor(10, 200, 30));
        PressOk(d);
    });
    const std::string ini = desk.Ini();
    EXPECT_NE(ini.find("[Colors]\nBackColor=010 200 030\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("TextFontHeight=30\n"), std::string::npos) << ini;
    EXPECT_GT(QFontMetrics(w->editor().editorFont()).height(), rowHeight);
    EXPECT_EQ(w->editor().editorFont().pixelSize(), 30);
    // The text area's background is painted in the new colour.
    const QImage image = w->editor().grab().toImage();
    EXPECT_EQ(image.pixelColor(image.width() - 30, image.height() - 30), QColor(10, 200, 30));
}

TEST(Preferences, KeyFilesRoundTripAndKeyDefinitionFollowsAnotherFile) {
    Desk desk;
    const std::string saved = desk.dir.File("Mine.KEY");
    std::vector<std::string> answers = {saved};
    desk.frame.chooseKeyFile = [&answers](QWidget*, bool) {
        const std::string a = answers.empty() ? std::string() : answers.front();
        if (!answers.empty()) answers.erase(answers.begin());
        return QString::fromStdString(a);
    };
    desk.Run(app::PageId::CKeyDlg, [](CElwProp& d) {
        auto* groups = Find<QComboBox>(d, "group");
        QStringList names;
        for (int i = 0; i < groups->count(); ++i) names << groups->itemText(i);
        EXPECT_EQ(names, (QStringList{"Caret Movement", "Line Edit", "Edit", "Scroll", "Jump",
                                      "Search", "File", "Window", "Macros and Tools"}));
        groups->setCurrentIndex(4);
        auto* commands = Find<QTreeWidget>(d, "commands");
        ASSERT_GT(commands->topLevelItemCount(), 0);
        EXPECT_EQ(commands->topLevelItem(0)->text(0), QStringLiteral("TextTop"));
        EXPECT_EQ(commands->topLevelItem(0)->text(1), QStringLiteral("Ctrl+Q^R"));
        Find<QPushButton>(d, "save")->click();
        d.reject();
    });
    const std::string bytes = norv::testing::ReadFileBytes(saved);
    EXPECT_EQ(bytes, app::KeyTable().Format());
    // Loaded back, saved again: the same bytes.
    std::filesystem::rename(saved, desk.dir.File("Other.KEY"));
    answers = {desk.dir.File("Other.KEY"), desk.dir.File("Again.KEY")};
    desk.Run(app::PageId::CKeyDlg, [](CElwProp& d) {
        Find<QPushButton>(d, "load")->click();
        Find<QPushButton>(d, "save")->click();
        PressOk(d);
    });
    EXPECT_EQ(norv::testing::ReadFileBytes(desk.dir.File("Again.KEY")), bytes);
    EXPECT_EQ(desk.config.settings.Text(app::Key::KeyDefinition), "Other.KEY");
    // The same file reached through a link leaves KeyDefinition as it is.
    std::filesystem::create_symlink(desk.dir.File("Other.KEY"), desk.dir.File("Link.KEY"));
    answers = {desk.dir.File("Link.KEY")};
    desk.Run(app::PageId::CKeyDlg, [](CElwProp& d) {
        Find<QPushButton>(d, "load")->click();
        PressOk(d);
    });
    EXPECT_EQ(desk.config.settings.Text(app::Key::KeyDefinition), "Other.KEY");
}

TEST(Preferences, KeyEditMovesADuplicateKeyAndNewPrefixesWorkAtOnce) {
    Desk desk;
    DocWindow* w = desk.frame.OpenFile(desk.dir.Write("a.txt", "a\nb\nc"));
    ASSERT_NE(w, nullptr);
    desk.ui.QueueAnswer(platform::kIdYes);
    desk.Run(app::PageId::CEditKey, [](CElwProp& d) {
        auto* command = Find<QComboBox>(d, "command");
        command->setCurrentIndex(command->findText(QStringLiteral("TextBot")));
        Find<QRadioButton>(d, "slot2")->setChecked(true);
        QLineEdit* capture = Find<QLineEdit>(d, "keyCapture");
        capture->setFocus();
        Key(capture, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(capture->text(), QStringLiteral("Ctrl+A"));
        Find<QPushButton>(d, "assign")->click();
        // A two-stroke key through a new prefix letter.
        auto* prefixes = Find<QLineEdit>(d, "TwoStroke");
        EXPECT_EQ(prefixes->text(), QStringLiteral("KOQ"));
        prefixes->setFocus();
        prefixes->selectAll();
        TypeKeys(prefixes, "KOQP");
        command->setCurrentIndex(command->findText(QStringLiteral("TextTop")));
        Find<QRadioButton>(d, "slot1")->setChecked(true);
        capture->setFocus();
        Key(capture, Qt::Key_P, Qt::ControlModifier);
        EXPECT_EQ(capture->text(), QStringLiteral("Ctrl+P^"));
        Key(capture, Qt::Key_T);
        EXPECT_EQ(capture->text(), QStringLiteral("Ctrl+P^T"));
        Find<QPushButton>(d, "assign")->click();
        PressOk(d);
    });
    ASSERT_EQ(desk.ui.messages.size(), 1u);
    EXPECT_EQ(desk.ui.messages[0], "Duplicate key assign was found.\nDo you want to delete it?");
    const app::KeyTable& keys = desk.frame.keyTable();
    const size_t textBot = size_t(app::CommandIndexByName("TextBot"));
    EXPECT_EQ(keys.key(textBot, 1), app::KeyFromName("Ctrl+A"));
    EXPECT_EQ(keys.Find(app::KeyFromName("Ctrl+A")), int(textBot)) << "SelectAll lost it";
    // The keys work in the open view at once.
    Key(&w->editor(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(w->view().caretLineNumber(), 3);
    EXPECT_FALSE(w->selection().active());
    Key(&w->editor(), Qt::Key_P, Qt::ControlModifier);
    Key(&w->editor(), Qt::Key_T);
    EXPECT_EQ(w->view().caretLineNumber(), 1);
    // The two-stroke menu of the new prefix shows the new assignment.
    Key(&w->editor(), Qt::Key_P, Qt::ControlModifier);
    QStringList popup;
    WhenPopupShown(kTwoStrokeMenuName, popup);
    desk.frame.ShowTwoStrokeMenu();
    ASSERT_EQ(popup.size(), 1);
    EXPECT_TRUE(popup[0].startsWith(QStringLiteral("&T: "))) << popup[0].toStdString();
    // And they are kept in the key file KeyDefinition names.
    EXPECT_EQ(norv::testing::ReadFileBytes(desk.dir.File("Norv.KEY")), keys.Format());
}

TEST(Preferences, KeywordsMenusAndScriptsWriteTheirFiles) {
    Desk desk;
    desk.Run(app::PageId::CKwdDlg, [](CElwProp& d) {
        auto* groups = Find<QListWidget>(d, "groups");
        ASSERT_EQ(groups->count(), 16);
        EXPECT_EQ(groups->item(0)->text(), QStringLiteral("1: C words"));
        EXPECT_EQ(Find<QListWidget>(d, "keywords")->count(), 2);
        Find<QLineEdit>(d, "keyword")->setText(QStringLiteral("return"));
        Find<QPushButton>(d, "addKeyword")->click();
        d.tabs()->setCurrentIndex(int(app::PageId::CMenuCust));
        Find<QLineEdit>(d, "Menu0Item")->setText(QStringLiteral("Mine"));
        Find<QLineEdit>(d, "caption")->setText(QStringLiteral("&Top"));
        auto* command = Find<QComboBox>(d, "commandName");
        command->setCurrentIndex(command->findText(QStringLiteral("TextTop")));
        Find<QPushButton>(d, "addItem")->click();
        Find<QPushButton>(d, "addSeparator")->click();
        d.tabs()->setCurrentIndex(int(app::PageId::CScript));
        EXPECT_NE(d.findChild<QLabel*>(), nullptr);
        Find<QLineEdit>(d, "addin16")->setText(QStringLiteral("last.nrs"));
        Find<QCheckBox>(d, "addinStart16")->setChecked(true);
        Find<QLineEdit>(d, "ScriptDir")->setText(QStringLiteral("/tmp/scripts"));
        PressOk(d);
    });
    EXPECT_EQ(norv::testing::ReadFileBytes(desk.kwd), std::string(kKwd) + "return\t0\n");
    const std::string dat = norv::testing::ReadFileBytes(desk.dat);
    EXPECT_EQ(dat.substr(0, 37), "##UserMenu\n#Begin\n&Top\tTextTop\n-\n#End");
    EXPECT_NE(dat.find("\tlast.nrs\t1"), std::string::npos) << dat;
    EXPECT_EQ(desk.config.data.menus[0].size(), 2u);
    // The user menu shows the new item.
    QStringList popup;
    WhenPopupShown(kUserMenuName, popup);
    desk.frame.ShowUserMenu(0, 0);
    EXPECT_EQ(popup, QStringList{QStringLiteral("&Top")});
    EXPECT_NE(desk.Ini().find("Menu0Item=Mine\n"), std::string::npos);
    EXPECT_NE(desk.Ini().find("ScriptDir=/tmp/scripts\n"), std::string::npos);
}

TEST(Preferences, PrintAndOthersStoreChoicesAndTexts) {
    Desk desk;
    desk.Run(app::PageId::CPrintFmt, [](CElwProp& d) {
        Find<QComboBox>(d, "HeadAlign")->setCurrentIndex(0);
        Find<QLineEdit>(d, "PrintTop")->setText(QStringLiteral("101"));
        EXPECT_EQ(RefusedMessage(d),
                  QStringLiteral("Top margin (mm): the value must be from 0 to 100."));
        Find<QLineEdit>(d, "PrintTop")->setText(QStringLiteral("100"));
        Find<QLineEdit>(d, "Footer")->setText(QStringLiteral("&p / &P"));
        d.tabs()->setCurrentIndex(int(app::PageId::COthers));
        EXPECT_EQ(Find<QComboBox>(d, "TextMode")->currentText(), QStringLiteral("CR LF"));
        Find<QComboBox>(d, "TextMode")->setCurrentIndex(1);
        // A text the settings file's code page cannot hold is refused.
        Find<QLineEdit>(d, "BackUpPath")->setText(QStringLiteral("/tmp/\u00e9\u20ac"));
        EXPECT_NE(RefusedMessage(d).indexOf(QStringLiteral("Backup folder: ")), -1);
        Find<QLineEdit>(d, "BackUpPath")->setText(QStringLiteral("/tmp/\u65e5\u672c"));
        PressOk(d);
    });
    EXPECT_EQ(desk.Ini(),
              "[Settings]\nUndoLimit=1024\nFooter=&p / &P\nHeadAlign=0\n"
              "PrintTop=100\nTextMode=1\nBackUpPath=/tmp/" +
                  testing::Iconv("SHIFT_JIS", "\u65e5\u672c") + "\n[Options]\nLineNumber=1\n");
}

TEST(Preferences, EveryPageFitsAtTheDefaultSize) {
    Desk desk;
    desk.Run(app::PageId::COption, [](CElwProp& d) {
        for (int i = 0; i < d.tabs()->count(); ++i) {
            d.tabs()->setCurrentIndex(i);
            QApplication::processEvents();
            for (QWidget* c : d.tabs()->currentWidget()->findChildren<QWidget*>()) {
                // A combo box's own editor and a list's viewport are sized by their owners.
                if (!c->isVisible() || c->parentWidget()->inherits("QAbstractScrollArea") ||
                    qobject_cast<QComboBox*>(c->parentWidget()))
                    continue;
                if (!qobject_cast<QLabel*>(c) && !qobject_cast<QAbstractButton*>(c) &&
                    !qobject_cast<QLineEdit*>(c) && !qobject_cast<QComboBox*>(c))
                    continue;
                const QSize hint = c->sizeHint();
                EXPECT_GE(c->width(), hint.width())
                    << d.tabs()->tabText(i).toStdString() << " " << c->objectName().toStdString()
                    << " " << c->metaObject()->className();
                EXPECT_GE(c->height(), hint.height())
                    << d.tabs()->tabText(i).toStdString() << " " << c->objectName().toStdString();
            }
        }
    });
}

TEST(Preferences, HeadlessRunsCancelTheDialog) {
    Desk desk;
    qApp->setProperty("norvHeadless", true);
    bool shown = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (qobject_cast<CElwProp*>(QApplication::activeModalWidget())) {
            shown = true;
            QApplication::activeModalWidget()->close();
        }
    });
    probe.start(5);
    desk.frame.RunFrameCommand(app::FrameCommandId::SetProperty, 0);
    qApp->setProperty("norvHeadless", false);
    EXPECT_FALSE(shown);
    EXPECT_EQ(desk.Ini(), kIni);
}

}  // namespace
}  // namespace norv::qt
