// Spell checking through the real widgets: the "Spelling" dialog's fields and buttons, a double
// click in the suggestions, its place beside the word, and the Tools menu's "Spe&ll Check" on a
// document with a dictionary of the test's own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

#include "app/config/settings.h"
#include "app/config/settings_store.h"
#include "gui/dialogs/spelling_dialog.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/spell_wiring.h"
#include "gui/gui_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using testing::DocumentBytes;
using OnDialog = testing::OnModal<SpellingDialog>;

app::SpellingRequest Request() {
    app::SpellingRequest r;
    r.word = "recieve";
    r.changeTo = r.word;
    r.codePage = 932;
    r.suggest = [] { return std::vector<std::string>{"receive", "relieve", "\x93\xFA\x96\x7B"}; };
    return r;
}

QPushButton* Button(SpellingDialog& d, app::SpellingAnswer a) {
    return d.findChild<QPushButton*>(kSpellingButtonNames[static_cast<int>(a)]);
}

TEST(SpellingGui, TheDialogShowsTheWordItsSuggestionsAndTheFirstOneToChangeTo) {
    app::SpellingRequest r = Request();
    SpellingDialog d(nullptr, r);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Spelling"));
    QStringList labels;
    for (QLabel* l : d.findChildren<QLabel*>()) labels << l->text();
    EXPECT_TRUE(labels.contains("Not in dictionary:"));
    EXPECT_TRUE(labels.contains("Suggestions:"));
    EXPECT_TRUE(labels.contains("Change to:"));
    auto* word = d.findChild<QLineEdit*>(kSpellingWordName);
    auto* changeTo = d.findChild<QLineEdit*>(kSpellingChangeToName);
    auto* list = d.findChild<QListWidget*>(kSpellingSuggestionsName);
    ASSERT_TRUE(word && changeTo && list);
    EXPECT_EQ(word->text(), "recieve");
    EXPECT_TRUE(word->isReadOnly());
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(2)->text(), QString::fromUtf8("日本")) << "shown from the document's code";
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(changeTo->text(), "receive");
    list->setCurrentRow(1);
    EXPECT_EQ(changeTo->text(), "relieve") << "choosing a suggestion copies it";
    const char* texts[] = {"&Ignore", "I&gnore All", "&Add",
                           "&Change", "C&hange All", "E&xit Spelling Check"};
    for (int i = 0; i < 6; ++i) {
        QPushButton* b = Button(d, static_cast<app::SpellingAnswer>(i));
        ASSERT_TRUE(b);
        EXPECT_EQ(b->text(), texts[i]);
    }
}

TEST(SpellingGui, NoSuggestionsChangeToTheWordItself) {
    app::SpellingRequest r = Request();
    r.suggest = [] { return std::vector<std::string>{}; };
    SpellingDialog d(nullptr, r);
    EXPECT_EQ(d.findChild<QLineEdit*>(kSpellingChangeToName)->text(), "recieve");
    EXPECT_EQ(d.findChild<QListWidget*>(kSpellingSuggestionsName)->count(), 0);
}

TEST(SpellingGui, EachButtonGivesItsAnswerAndChangeGivesTheText) {
    for (int i = 0; i < 6; ++i) {
        const auto a = static_cast<app::SpellingAnswer>(i);
        app::SpellingRequest r = Request();
        OnDialog on([&](SpellingDialog& d) {
            d.findChild<QLineEdit*>(kSpellingChangeToName)->setText(QString::fromUtf8("rec日ve"));
            Button(d, a)->click();
        });
        EXPECT_EQ(AskSpelling(nullptr, r, QRect(100, 100, 40, 16)), a) << i;
        ASSERT_TRUE(on.done());
        if (a == app::SpellingAnswer::kChange || a == app::SpellingAnswer::kChangeAll)
            EXPECT_EQ(r.changeTo, "rec\x93\xFAve") << "in the document's code";
    }
    // Closed any other way.
    app::SpellingRequest r = Request();
    OnDialog closing([](SpellingDialog& d) { d.reject(); });
    EXPECT_EQ(AskSpelling(nullptr, r, QRect(100, 100, 40, 16)), app::SpellingAnswer::kClosed);
}

TEST(SpellingGui, ATextTheCodeCannotHoldKeepsTheDialogOpen) {
    app::SpellingRequest r = Request();
    bool stayed = false;
    OnDialog on([&](SpellingDialog& d) {
        d.findChild<QLineEdit*>(kSpellingChangeToName)->setText(QString::fromUtf8("caf\u00e9"));
        Button(d, app::SpellingAnswer::kChange)->click();
        stayed = d.isVisible();
        Button(d, app::SpellingAnswer::kIgnore)->click();
    });
    EXPECT_EQ(AskSpelling(nullptr, r, QRect(100, 100, 40, 16)), app::SpellingAnswer::kIgnore);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(r.changeTo, "receive");
}

TEST(SpellingGui, ADoubleClickOnASuggestionChangesToIt) {
    app::SpellingRequest r = Request();
    OnDialog on([&](SpellingDialog& d) {
        auto* list = d.findChild<QListWidget*>(kSpellingSuggestionsName);
        const QPoint at = list->visualItemRect(list->item(1)).center();
        QWidget* port = list->viewport();
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                               QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            QMouseEvent e(t, at, port->mapToGlobal(at), Qt::LeftButton,
                          t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
            QApplication::sendEvent(port, &e);
        }
    });
    EXPECT_EQ(AskSpelling(nullptr, r, QRect(100, 100, 40, 16)), app::SpellingAnswer::kChange);
    EXPECT_EQ(r.changeTo, "relieve");
}

TEST(SpellingGui, TheDialogIsPlacedBesideTheWordNeverOverIt) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect words[] = {
        QRect(screen.left() + 50, screen.top() + 40, 60, 16),     // room below
        QRect(screen.left() + 50, screen.bottom() - 30, 60, 16),  // room above only
        QRect(screen.right() - 20, screen.center().y(), 60, 16),  // at the right edge
    };
    for (const QRect& word : words) {
        app::SpellingRequest r = Request();
        SpellingDialog d(nullptr, r);
        d.PlaceBeside(word);
        const QRect placed(d.pos(), d.frameGeometry().size());
        EXPECT_FALSE(placed.intersects(word)) << word.x() << "," << word.y();
        EXPECT_TRUE(screen.contains(placed.topLeft())) << word.x() << "," << word.y();
    }
}

// A dictionary that knows three words and suggests "the" for anything else.
class SmallDictionary : public tools::SpellDictionary {
  public:
    std::string Encoding() const override { return "UTF-8"; }
    bool Accepts(const std::string& w) override { return w == "the" || w == "cat" || w == "sat"; }
    std::vector<std::string> Suggest(const std::string&) override { return {"the"}; }
};

struct Frame {
    Frame() : store(platform::RealFileSystem(), dir.File("norv.INI"), 932), config(932) {
        frame.UseConfiguration(config, &store);
        frame.spell().SetSettingsFolder(dir.path() + "/");
        frame.spell().dictionaries = [this](std::string_view name) {
            opened.emplace_back(name);
            return std::unique_ptr<tools::SpellDictionary>(std::make_unique<SmallDictionary>());
        };
        frame.resize(800, 600);
        frame.show();
    }
    QAction* SpellItem() {
        for (QMenu* m : frame.menuBar()->findChildren<QMenu*>())
            for (QAction* a : m->actions())
                if (a->text() == QStringLiteral("Spe&ll Check")) return a;
        return nullptr;
    }
    norv::testing::TempDir dir;
    app::SettingsStore store;
    app::Configuration config;
    platform::HeadlessUi ui;
    MainFrame frame{&ui};
    std::vector<std::string> opened;
};

TEST(SpellingGui, TheToolsMenuChecksTheDocumentWithTheDialogBesideTheWord) {
    Frame f;
    DocWindow* w = f.frame.NewFile();
    w->view().InsertText("the cat\nteh sat teh");
    w->selection().Cancel();
    // The window's layout is settled, as it is for a user.
    QApplication::processEvents();
    QAction* item = f.SpellItem();
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isEnabled());
    QRect wordRect;
    QRect dialogRect;
    int dialogs = 0;
    std::function<void(SpellingDialog&)> change = [&](SpellingDialog& d) {
        ++dialogs;
        EXPECT_EQ(d.findChild<QLineEdit*>(kSpellingWordName)->text(), "teh");
        // The word is selected: the caret stands at its end on line 2.
        EXPECT_TRUE(w->selection().active());
        const editing::CElwView& v = w->view();
        const QRect cell =
            w->editor().CellRect(v.caretScreenRow(), v.caretColumn() - v.leftColumn());
        wordRect =
            QRect(w->editor().viewport()->mapToGlobal(cell.topLeft()) - QPoint(3 * cell.width(), 0),
                  QSize(3 * cell.width(), cell.height()));
        dialogRect = QRect(d.pos(), d.frameGeometry().size());
        Button(d, app::SpellingAnswer::kChangeAll)->click();
    };
    OnDialog on(change);
    item->trigger();
    ASSERT_TRUE(on.done());
    EXPECT_EQ(dialogs, 1) << "the second teh is changed through the change list";
    EXPECT_FALSE(dialogRect.intersects(wordRect))
        << "dialog " << dialogRect.x() << "," << dialogRect.y() << " " << dialogRect.width() << "x"
        << dialogRect.height() << " word " << wordRect.x() << "," << wordRect.y() << " "
        << wordRect.width() << "x" << wordRect.height();
    EXPECT_EQ(DocumentBytes(w->view()), "the cat\nthe sat the");
    EXPECT_EQ(f.opened, (std::vector<std::string>{"en_US", "en_GB"}));
    EXPECT_TRUE(norv::testing::ReadFileBytes(f.dir.File("BkIgn.tlx")).empty());
}

TEST(SpellingGui, WithNeitherDictionaryChosenNothingHappens) {
    Frame f;
    f.config.settings.Set(app::Key::SpAm, 0);
    f.config.settings.Set(app::Key::SpBr, 0);
    DocWindow* w = f.frame.NewFile();
    w->view().InsertText("teh");
    {
        OnDialog on([](SpellingDialog& d) { d.reject(); });
        f.SpellItem()->trigger();
        QApplication::processEvents();
        EXPECT_FALSE(on.done());
    }
    EXPECT_TRUE(f.opened.empty());
    EXPECT_EQ(DocumentBytes(w->view()), "teh");
    // Only the British one: it alone is opened.
    f.config.settings.Set(app::Key::SpBr, 1);
    OnDialog on2([](SpellingDialog& d) { d.reject(); });
    f.SpellItem()->trigger();
    EXPECT_TRUE(on2.done());
    EXPECT_EQ(f.opened, (std::vector<std::string>{"en_GB"}));
}

TEST(SpellingGui, WithoutWindowsEachWordGoesToStandardErrorAndTheCheckGoesOn) {
    Frame f;
    f.frame.spell().UseHeadlessDialogs();
    DocWindow* w = f.frame.NewFile();
    w->view().InsertText("teh cat zzz");
    ::testing::internal::CaptureStderr();
    f.SpellItem()->trigger();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "Not in dictionary: teh\nNot in dictionary: zzz\n");
    EXPECT_EQ(f.ui.beeps, 4);
    EXPECT_EQ(DocumentBytes(w->view()), "teh cat zzz");
}

}  // namespace
}  // namespace norv::qt
