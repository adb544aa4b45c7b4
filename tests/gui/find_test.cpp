// Find and replace through the real windows: the keys of the key table open the Find and
// Replace dialogs, the dialogs' fields and boxes are filled as a user would, F3 and Shift+F3
// repeat the search, the "Replace?" question is answered with its buttons, and the options and
// histories end up in the settings and history files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>

#include "app/config/history_file.h"
#include "app/config/settings.h"
#include "app/config/settings_store.h"
#include "gui/dialogs/find_dialogs.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/find_wiring.h"
#include "gui/frame/main_frame.h"
#include "gui/gui_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using testing::DocumentBytes;
using testing::Iconv;
using testing::Key;

std::string Sjis(std::string_view utf8) {
    return Iconv("CP932", utf8);
}

// Runs each action on the next modal dialog of type T that opens, in order.
template <typename T>
class ModalScript {
  public:
    explicit ModalScript(std::deque<std::function<void(T&)>> actions)
        : actions_(std::move(actions)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* d = qobject_cast<T*>(QApplication::activeModalWidget());
            // A dialog once answered is marked (the next one may be made at the same address).
            if (!d || d->property("answered").toBool() || actions_.empty()) return;
            d->setProperty("answered", true);
            auto action = std::move(actions_.front());
            actions_.pop_front();
            action(*d);
        });
        timer_.start();
    }
    bool done() const { return actions_.empty(); }

  private:
    std::deque<std::function<void(T&)>> actions_;
    QTimer timer_;
};

QPushButton* Button(QWidget& d, const QString& text) {
    for (QPushButton* b : d.findChildren<QPushButton*>())
        if (b->text() == text) return b;
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
}

QCheckBox* Box(QWidget& d, const QString& text) {
    for (QCheckBox* b : d.findChildren<QCheckBox*>())
        if (b->text() == text) return b;
    ADD_FAILURE() << "no check box " << text.toStdString();
    return nullptr;
}

// A click as the mouse makes it, with the modifiers held.
void Click(QPushButton* b, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    if (!b) return;
    const QPointF at(b->width() / 2.0, b->height() / 2.0);
    const QPointF global = b->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, mods);
    QApplication::sendEvent(b, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, mods);
    QApplication::sendEvent(b, &release);
}

// A main frame with its own settings and history files.
struct Frame {
    Frame() : settings(932), store(platform::RealFileSystem(), dir.File("norv.INI"), 932) {
        frame.show();
        frame.find().Configure(settings, &store, platform::RealFileSystem(), historyPath());
    }
    std::string historyPath() const { return dir.File("norv.HST"); }
    DocWindow* Open(std::string_view name, std::string_view bytes) {
        DocWindow* w = frame.OpenFile(dir.Write(name, bytes));
        EXPECT_NE(w, nullptr);
        return w;
    }
    norv::testing::TempDir dir;
    app::Settings settings;
    app::SettingsStore store;
    platform::HeadlessUi ui;
    MainFrame frame{&ui};
};

// Ctrl+F opens the dialog; the actions fill it.
void FindThroughDialog(QWidget* editor, std::function<void(FindDialog&)> fill) {
    ModalScript<FindDialog> script({std::move(fill)});
    Key(editor, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(script.done());
}

// Ctrl+Q, A opens the Replace dialog; then the "Replace?" questions are answered in order.
void ReplaceThroughDialog(QWidget* editor, std::function<void(ReplaceDialog&)> fill,
                          std::deque<std::function<void(ReplaceAssureDialog&)>> answers = {}) {
    ModalScript<ReplaceDialog> script({std::move(fill)});
    ModalScript<ReplaceAssureDialog> questions(std::move(answers));
    Key(editor, Qt::Key_Q, Qt::ControlModifier);
    Key(editor, Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(questions.done());
}

TEST(FindGui, JapaneseInShiftJisThroughTheDialogThenF3AndShiftF3) {
    Frame f;
    DocWindow* w = f.Open("t.txt", Sjis("一行目\r\n検索と検索\r\n三行目 検索\r\n"));
    QWidget* editor = &w->editor();
    FindThroughDialog(editor, [](FindDialog& d) {
        d.field()->setEditText(QStringLiteral("検索"));
        Click(Button(d, QStringLiteral("&Find")));
    });
    editing::CElwView& v = w->view();
    EXPECT_EQ(v.caretLineNumber(), 2);
    EXPECT_EQ(v.caretPos(), 0u);
    ASSERT_TRUE(w->selection().active());
    EXPECT_EQ(w->selection().Block(), Sjis("検索"));
    ASSERT_FALSE(f.ui.statusTexts.empty());
    EXPECT_NE(std::find(f.ui.statusTexts.begin(), f.ui.statusTexts.end(),
                        "Finding ...(ESC key to break)"),
              f.ui.statusTexts.end());

    static const struct {
        int key;
        Qt::KeyboardModifiers mods;
        int line;
        size_t pos;
        int beeps;
    } kSteps[] = {
        {Qt::Key_F3, Qt::NoModifier, 2, 6, 0}, {Qt::Key_F3, Qt::ShiftModifier, 2, 0, 0},
        {Qt::Key_F3, Qt::NoModifier, 2, 6, 0}, {Qt::Key_F3, Qt::NoModifier, 3, 7, 0},
        {Qt::Key_F3, Qt::NoModifier, 3, 7, 1},  // nothing further: a beep, the caret stays
    };
    for (const auto& s : kSteps) {
        Key(editor, s.key, s.mods);
        EXPECT_EQ(v.caretLineNumber(), s.line);
        EXPECT_EQ(v.caretPos(), s.pos);
        EXPECT_EQ(f.ui.beeps, s.beeps);
    }
    EXPECT_EQ(DocumentBytes(v), Sjis("一行目\n検索と検索\n三行目 検索\n"));
    EXPECT_TRUE(f.ui.messages.empty());

    // PasteFindString (Ctrl+Q, I) types the find string.
    w->selection().Cancel();
    Key(editor, Qt::Key_Home, Qt::ControlModifier);
    Key(editor, Qt::Key_Q, Qt::ControlModifier);
    Key(editor, Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(DocumentBytes(v), Sjis("検索一行目\n検索と検索\n三行目 検索\n"));
}

TEST(FindGui, ReplaceAllCountsAndKeepsOptionsAndHistories) {
    {
        Frame f;
        DocWindow* w = f.Open("t.txt", Sjis("検索 a\r\nb 検索\r\n検索検索\r\n"));
        Key(&w->editor(), Qt::Key_End, Qt::ControlModifier);
        ReplaceThroughDialog(&w->editor(), [](ReplaceDialog& d) {
            d.field()->setEditText(QStringLiteral("検索"));
            d.replacementField()->setEditText(QStringLiteral("置換\\t"));
            Box(d, QStringLiteral("From Be&ginning of Text"))->setChecked(true);
            Box(d, QStringLiteral("Save &Options"))->setChecked(true);
            Click(Button(d, QStringLiteral("Replace &All")));
        });
        EXPECT_EQ(DocumentBytes(w->view()), Sjis("置換\t a\nb 置換\t\n置換\t置換\t\n"));
        EXPECT_EQ(f.ui.messages, std::vector<std::string>{"4 words are replaced"});
        // The caret is back where it was.
        EXPECT_EQ(w->view().caretLineNumber(), 4);
        // The options went to the settings file, the strings to the history file.
        EXPECT_EQ(f.store.ReadText(app::Key::ReplOption), "G");
        app::HistoryFile h;
        ASSERT_EQ(app::LoadHistoryFile(platform::RealFileSystem(), f.historyPath(), h), 0);
        EXPECT_EQ(h.find[0].text, Sjis("検索"));
        EXPECT_EQ(h.find[0].options, "G");
        EXPECT_EQ(h.replace[0].text, Sjis("置換\\t"));

        // The next run of the program offers them again, with their options.
        MainFrame next(&f.ui);
        app::Settings settings(932);
        settings.Load(f.store);
        next.find().Configure(settings, &f.store, platform::RealFileSystem(), f.historyPath());
        search::FindCommands& c = next.find().commands();
        ASSERT_EQ(c.histories.find.entries().size(), 1u);
        EXPECT_EQ(c.histories.replace.entries().front().text, Sjis("置換\\t"));
        EXPECT_TRUE(c.replace.options.fromBeginning);
        DocWindow* w2 = next.OpenFile(f.dir.Write("u.txt", "x\r\n"));
        ASSERT_NE(w2, nullptr);
        bool sawHistory = false;
        ReplaceThroughDialog(&w2->editor(), [&](ReplaceDialog& d) {
            sawHistory = d.field()->count() == 1 &&
                         d.field()->itemText(0) == QStringLiteral("検索") &&
                         d.replacementField()->itemText(0) == QStringLiteral("置換\\t") &&
                         Box(d, QStringLiteral("From Be&ginning of Text"))->isChecked();
            d.reject();
        });
        EXPECT_TRUE(sawHistory);
    }
}

TEST(FindGui, ReplaceQuestionAnswers) {
    using Answer = std::function<void(ReplaceAssureDialog&)>;
    const Answer yes = [](ReplaceAssureDialog& d) { Click(Button(d, QStringLiteral("&Yes"))); };
    const Answer shiftYes = [](ReplaceAssureDialog& d) {
        Click(Button(d, QStringLiteral("&Yes")), Qt::ShiftModifier);
    };
    const Answer no = [](ReplaceAssureDialog& d) { Click(Button(d, QStringLiteral("&No"))); };
    const Answer all = [](ReplaceAssureDialog& d) {
        Click(Button(d, QStringLiteral("Replace &All")));
    };
    const Answer cancel = [](ReplaceAssureDialog& d) {
        Click(Button(d, QStringLiteral("Cancel")));
    };
    const Answer escape = [](ReplaceAssureDialog& d) { Key(&d, Qt::Key_Escape); };
    static const char* kNone = nullptr;
    const struct {
        const char* name;
        std::deque<Answer> answers;
        const char* text;
        const char* message;
    } kCases[] = {
        {"yes, no, yes", {yes, no, yes, cancel}, "b a b a a", "2 words are replaced"},
        {"shift+yes replaces the rest", {no, shiftYes}, "a b b b b", "4 words are replaced"},
        {"replace all", {yes, all}, "b b b b b", "5 words are replaced"},
        {"cancel at once", {cancel}, "a a a a a", kNone},
        {"escape is cancel", {yes, escape}, "b a a a a", "1 words are replaced"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Frame f;
        DocWindow* w = f.Open("t.txt", "a a a a a");
        ReplaceThroughDialog(
            &w->editor(),
            [](ReplaceDialog& d) {
                d.field()->setEditText(QStringLiteral("a"));
                d.replacementField()->setEditText(QStringLiteral("b"));
                Box(d, QStringLiteral("From Be&ginning of Text"))->setChecked(true);
                Click(Button(d, QStringLiteral("Replace")));
            },
            c.answers);
        EXPECT_EQ(DocumentBytes(w->view()), c.text);
        if (c.message) {
            EXPECT_EQ(f.ui.messages, std::vector<std::string>{c.message});
        } else {
            EXPECT_TRUE(f.ui.messages.empty());
            EXPECT_EQ(f.ui.beeps, 1);
        }
        // No selection of a match is left behind to be typed over.
        EXPECT_FALSE(w->selection().active());
    }
}

TEST(FindGui, MarkAllAndFindInAllWindowsMoveToTheWindowWithTheMatch) {
    Frame f;
    DocWindow* a = f.Open("a.txt", "one\r\nnothing here\r\n");
    DocWindow* b = f.Open("b.txt", "zzz\r\nwanted 1\r\nwanted 2\r\n");
    // Back in the first window; the string is only in the second.
    a->editor().setFocus();
    f.frame.tabStrip()->tabBarClicked(0);
    ASSERT_EQ(f.frame.ActiveWindow(), a);
    FindThroughDialog(&a->editor(), [](FindDialog& d) {
        d.field()->setEditText(QStringLiteral("wanted"));
        Box(d, QStringLiteral("In &All Windows"))->setChecked(true);
        Click(Button(d, QStringLiteral("&Find")));
    });
    QApplication::processEvents();
    EXPECT_EQ(f.frame.ActiveWindow(), b);
    EXPECT_EQ(f.frame.tabStrip()->currentIndex(), 1);
    EXPECT_EQ(b->view().caretLineNumber(), 2);
    ASSERT_TRUE(b->selection().active());
    EXPECT_EQ(b->selection().Block(), "wanted");

    // Mark All bookmarks every line with a match and keeps M on.
    FindThroughDialog(&b->editor(), [](FindDialog& d) {
        Box(d, QStringLiteral("In &All Windows"))->setChecked(false);
        Click(Button(d, QStringLiteral("Mark A&ll")));
    });
    int marked = 0;
    for (const document::LineRecord* r = b->doc().lines().first(); r; r = r->next)
        marked += (r->flags & document::LF_MARK) ? 1 : 0;
    EXPECT_EQ(marked, 2);
    EXPECT_TRUE(f.frame.find().commands().find.options.markFoundLine);
}

TEST(FindGui, EscapeBreaksALongSearchAndOtherInputWaits) {
    Frame f;
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "x line\r\n";
    DocWindow* w = f.Open("t.txt", text);
    // Escape and a typed key arrive while Mark All runs: Escape ends it, the key is not typed.
    QApplication::postEvent(&w->editor(),
                            new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    QApplication::postEvent(&w->editor(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier,
                                                        QStringLiteral("z")));
    search::FindOptions o;
    f.frame.find().commands().Find(w->view(), "x", o, true, true);
    int marked = 0;
    for (const document::LineRecord* r = w->doc().lines().first(); r; r = r->next)
        marked += (r->flags & document::LF_MARK) ? 1 : 0;
    EXPECT_GE(marked, 1);
    EXPECT_LT(marked, 3000);
    QApplication::processEvents();
    EXPECT_FALSE(w->doc().modified);
}

// A character the system code page lacks, typed into the field, is found in a UTF-8 document
// (and a "?" there is not taken for it); the Find dialog's options go to the settings.
TEST(FindGui, CharactersOutsideTheSystemCodePageInAUtf8Document) {
    Frame f;
    DocWindow* w = f.Open("u.txt", "\xEF\xBB\xBFx ? \xED\x95\x9C y\n");
    ASSERT_EQ(w->doc().code, document::TextCode::kUtf8);
    FindThroughDialog(&w->editor(), [](FindDialog& d) {
        d.field()->setEditText(QStringLiteral("한 Y"));
        Box(d, QStringLiteral("&Ignore Case"))->setChecked(true);
        Box(d, QStringLiteral("Match &Word Only"))->setChecked(true);
        Box(d, QStringLiteral("&Save Options"))->setChecked(true);
        Click(Button(d, QStringLiteral("&Find")));
    });
    EXPECT_EQ(w->view().caretPos(), 4u);
    EXPECT_EQ(w->selection().Block(), "\xED\x95\x9C y");
    EXPECT_EQ(f.frame.find().commands().find.searchString, "\\xed\\x95\\x9c Y");
    EXPECT_EQ(f.store.ReadText(app::Key::FindOption), "IW");
    EXPECT_EQ(f.ui.beeps, 0);
}

TEST(FindGui, FieldsHoldTheSystemCodePageAndEscapeTheRest) {
    static const struct {
        const char* typed;
        int documentCodePage;
        const char* bytes;  // UTF-8 of the Shift-JIS bytes, or escapes
    } kCases[] = {
        {"検索", 932, "検索"},
        {"a\\tb", 65001, "a\\tb"},
        {"한", 65001, "\\xed\\x95\\x9c"},
        {"x😀", 65000, "x\\xf0\\x9f\\x98\\x80"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.typed);
        const std::string got =
            FieldFromQString(QString::fromUtf8(c.typed), 932, c.documentCodePage);
        EXPECT_EQ(got, Sjis(c.bytes));
        EXPECT_EQ(FieldToQString(got, 932), QString::fromUtf8(c.bytes));
    }
    // The field's limit never cuts an escape sequence or a character.
    QString many;
    for (int i = 0; i < 70; ++i) many += QStringLiteral("한");
    const std::string cut = FieldFromQString(many, 932, 65001);
    EXPECT_EQ(cut.size(), 252u);
    EXPECT_EQ(FieldFromQString(QString(300, QLatin1Char('a')), 932, 932).size(), 255u);
}

}  // namespace
}  // namespace norv::qt
