// The status bar and the line-number column through the real widgets: the document's code after
// loading, Save As, Save and the Character Code menu; its line ends and the read-only state; the
// reasons of refusals in the message field, which the next key clears; and line numbers of many
// digits in a column wide enough for them.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <string>

#include "app/config/settings.h"
#include "app/config/settings_store.h"
#include "gui/dialogs/find_dialogs.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/find_wiring.h"
#include "gui/frame/main_frame.h"
#include "gui/gui_test_support.h"
#include "gui/services/qt_ui.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using document::CodeChoice;
using document::TextCode;
using testing::Commit;
using testing::Iconv;
using testing::Key;
using testing::OnModal;
using testing::TypeKeys;

// Save As answered without the dialog: the name and the code list's entry set by the test.
struct SaveAsDialogs : FileDialogs {
    bool AskOpen(OpenRequest&) override { return false; }
    bool AskSaveAs(document::SaveAsRequest& request) override {
        request.name = name;
        request.choice = choice;
        request.addBom = false;
        return true;
    }
    std::string name;
    CodeChoice choice = CodeChoice::kDefault;
};

// A frame with the program's own message boxes and status bar.
struct Frame {
    Frame() : settings(932), store(platform::RealFileSystem(), dir.File("norv.INI"), 932) {
        frame.resize(700, 400);
        frame.show();
        frame.find().Configure(settings, &store, platform::RealFileSystem(), dir.File("norv.HST"));
    }
    DocWindow* Open(const std::string& name, const std::string& bytes) {
        DocWindow* w = frame.OpenFile(dir.Write(name, bytes));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString Field(const char* name) {
        auto* label = frame.statusBar()->findChild<QLabel*>(QString::fromLatin1(name));
        return label ? label->text() : QStringLiteral("<no field>");
    }
    // The code's name, after the code of the character under the caret.
    std::string Code() {
        return Field("codeState").section(QStringLiteral("  "), -1).toStdString();
    }
    std::string LineEnds() { return Field("lineEndState").toStdString(); }
    std::string Message() { return frame.messageLabel()->text().toStdString(); }
    bool SaveAs(DocWindow& w, const std::string& name, CodeChoice choice) {
        dialogs.name = dir.File(name);
        dialogs.choice = choice;
        return frame.FileSave(w, true);
    }

    norv::testing::TempDir dir;
    app::Settings settings;
    app::SettingsStore store;
    SaveAsDialogs dialogs;
    MainFrame frame{nullptr, &dialogs};
};

// Clicks the button labelled `label` of the next message box.
struct Answer : OnModal<QMessageBox> {
    explicit Answer(const char* label)
        : OnModal<QMessageBox>([label](QMessageBox& box) {
              for (QPushButton* b : box.findChildren<QPushButton*>())
                  if (b->text() == QString::fromLatin1(label)) b->click();
          }) {}
};

constexpr const char* kIdle = QtUserInterface::kIdleText;

TEST(StatusBar, CodeOfEveryLoad) {
    Frame f;
    const std::string text = "日本語の行\n二行目\n";
    static const struct {
        const char* name;
        std::string bytes;
        const char* shown;
    } kCases[] = {
        {"sjis", Iconv("CP932", text), "ShiftJIS"},
        {"euc", Iconv("EUC-JP", text), "EUC"},
        {"jis", Iconv("ISO-2022-JP", text), "JIS"},
        {"utf8", text, "UTF8"},
        {"utf16le", "\xFF\xFE" + Iconv("UTF-16LE", text), "Unicode"},
        {"utf16be", "\xFE\xFF" + Iconv("UTF-16BE", text), "Unicode(BE)"},
        {"utf16le without a mark", Iconv("UTF-16LE", text), "Unicode"},
        {"utf16be without a mark", Iconv("UTF-16BE", text), "Unicode(BE)"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(f.Open(std::string(c.name) + ".txt", c.bytes), nullptr);
        EXPECT_EQ(f.Code(), c.shown);
    }
}

TEST(StatusBar, CodeFollowsSaveAsSaveAndTheCharacterCodeMenu) {
    Frame f;
    const std::string text = "日本語の行\n";
    DocWindow* w = f.Open("a.txt", text);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(f.Code(), "UTF8");
    {
        // Across the Unicode family: the question first, then the file is Shift-JIS.
        Answer ok("OK");
        ASSERT_TRUE(f.SaveAs(*w, "b.txt", CodeChoice::kAnsi));
        EXPECT_TRUE(ok.done());
    }
    EXPECT_EQ(norv::testing::ReadFileBytes(f.dir.File("b.txt")), Iconv("CP932", text));
    EXPECT_EQ(f.Code(), "ShiftJIS");
    TypeKeys(&w->editor(), "x");
    ASSERT_TRUE(f.frame.FileSave(*w, false));
    EXPECT_EQ(f.Code(), "ShiftJIS");
    EXPECT_EQ(norv::testing::ReadFileBytes(f.dir.File("b.txt")), Iconv("CP932", "x" + text));

    // Within a family, Save As takes the code for the text too.
    DocWindow* e = f.Open("e.txt", Iconv("EUC-JP", text));
    ASSERT_EQ(f.Code(), "EUC");
    ASSERT_TRUE(f.SaveAs(*e, "f.txt", CodeChoice::kJis));
    EXPECT_EQ(f.Code(), "JIS");
    ASSERT_TRUE(f.SaveAs(*e, "g.txt", CodeChoice::kAnsi));
    EXPECT_EQ(f.Code(), "ShiftJIS");

    // The menu; on code page 932 the ANSI family asks about checking the Kanji code.
    DocWindow* p = f.Open("p.txt", "plain\n");
    {
        Answer no("&No");
        f.frame.SetCharacterCode(*p, TextCode::kEuc, false);
    }
    EXPECT_EQ(f.Code(), "EUC");
    f.frame.SetCharacterCode(*p, TextCode::kUtf8, false);
    EXPECT_EQ(f.Code(), "UTF8");
    f.frame.SetCharacterCode(*p, TextCode::kUcs2Be, false);
    EXPECT_EQ(f.Code(), "Unicode(BE)");
    ASSERT_TRUE(f.frame.FileSave(*p, false));
    EXPECT_EQ(f.Code(), "Unicode(BE)");
    EXPECT_EQ(norv::testing::ReadFileBytes(f.dir.File("p.txt")),
              "\xFE\xFF" + Iconv("UTF-16BE", "plain\n"));
}

TEST(StatusBar, LineEndsAndTheReadOnlyState) {
    Frame f;
    static const struct {
        const char* name;
        const char* bytes;
        const char* shown;
    } kCases[] = {
        {"lf", "a\nb\n", "LF"},
        {"crlf", "a\r\nb\r\n", "CRLF"},
        {"cr", "a\rb\r", "CR"},
        {"LF and CR", "a\nb\rc\n", "Mixed"},
        {"CR LF with a lone LF takes CR LF", "a\r\nb\nc", "CRLF"},
        {"no line end: the kind of new lines", "a", "CRLF"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(f.Open(std::string(c.name) + ".txt", c.bytes), nullptr);
        EXPECT_EQ(f.LineEnds(), c.shown);
    }
    DocWindow* w = f.Open("m.txt", "a\nb\rc\n");
    f.frame.SetReturnCode(*w, document::EolMode::kLf);
    EXPECT_EQ(f.LineEnds(), "LF");
    f.frame.SetReturnCode(*w, document::EolMode::kDefault);
    EXPECT_EQ(f.LineEnds(), "Mixed");
    // Save As keeps the line ends, and the field says so.
    {
        Answer ok("OK");
        ASSERT_TRUE(f.SaveAs(*w, "m2.txt", CodeChoice::kUnicode));
    }
    EXPECT_EQ(f.LineEnds(), "Mixed");
    EXPECT_EQ(f.Code(), "Unicode");

    EXPECT_EQ(f.Field("readOnlyState").toStdString(), "");
    f.frame.ToggleReadOnly(*w);
    EXPECT_EQ(f.Field("readOnlyState").toStdString(), "R/O");
    f.frame.ToggleReadOnly(*w);
    EXPECT_EQ(f.Field("readOnlyState").toStdString(), "");
}

TEST(StatusBar, RefusalsSayWhyUntilTheNextKey) {
    Frame f;
    DocWindow* w = f.Open("s.txt", Iconv("CP932", "検索と置換\n"));
    ASSERT_NE(w, nullptr);
    QWidget* editor = &w->editor();
    const std::string before = testing::DocumentBytes(w->view());
    const std::string unwritable = "This character cannot be written in ShiftJIS";
    EXPECT_EQ(f.Message(), kIdle);

    // An emoji in a Shift-JIS document, committed by an input method or typed on a key.
    Commit(editor, QStringLiteral("😀"));
    EXPECT_EQ(f.Message(), unwritable);
    Key(editor, Qt::Key_Right);
    EXPECT_EQ(f.Message(), kIdle);
    Key(editor, Qt::Key_A, Qt::NoModifier, QStringLiteral("😀"));
    EXPECT_EQ(f.Message(), unwritable);
    TypeKeys(editor, "b");
    EXPECT_EQ(f.Message(), kIdle);
    EXPECT_EQ(testing::DocumentBytes(w->view()), Iconv("CP932", "検b索と置換\n"));

    // A search that finds nothing names what it looked for.
    {
        OnModal<FindDialog> find([](FindDialog& d) {
            d.field()->setEditText(QStringLiteral("見つからない語"));
            for (QPushButton* b : d.findChildren<QPushButton*>())
                if (b->text() == QStringLiteral("&Find")) b->click();
        });
        Key(editor, Qt::Key_F, Qt::ControlModifier);
        EXPECT_TRUE(find.done());
    }
    EXPECT_EQ(f.Message(), "Not found: 見つからない語");
    Key(editor, Qt::Key_F3);  // again: still not found
    EXPECT_EQ(f.Message(), "Not found: 見つからない語");
    Key(editor, Qt::Key_Left);
    EXPECT_EQ(f.Message(), kIdle);

    // Changes to a read-only document; moving says nothing.
    f.frame.ToggleReadOnly(*w);
    TypeKeys(editor, "x");
    EXPECT_EQ(f.Message(), "Read only");
    Key(editor, Qt::Key_End);
    EXPECT_EQ(f.Message(), kIdle);
    Key(editor, Qt::Key_Backspace);
    EXPECT_EQ(f.Message(), "Read only");
    Commit(editor, QStringLiteral("😀"));
    EXPECT_EQ(f.Message(), "Read only");
    Key(editor, Qt::Key_Home);
    EXPECT_EQ(f.Message(), kIdle);
    EXPECT_EQ(testing::DocumentBytes(w->view()), Iconv("CP932", "検b索と置換\n"));

    // A UTF-8 document holds the emoji.
    DocWindow* u = f.Open("u.txt", "utf-8 テキスト\n");
    Commit(&u->editor(), QStringLiteral("😀"));
    EXPECT_EQ(f.Message(), kIdle);
    EXPECT_EQ(testing::DocumentBytes(u->view()), "😀utf-8 テキスト\n");
}

TEST(LineNumberColumn, EveryDigitAndTheColonFit) {
    Frame f;
    static const struct {
        int lines;
        int cells;  // the column's width in cells
    } kCases[] = {{1, 7}, {999'999, 7}, {1'000'000, 8}, {10'000'000, 9}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.lines);
        std::string bytes(static_cast<size_t>(c.lines - 1), '\n');
        bytes += "last";
        DocWindow* w = f.Open("n" + std::to_string(c.lines) + ".txt", bytes);
        ASSERT_NE(w, nullptr);
        ASSERT_EQ(w->doc().lineCount(), c.lines);
        Key(&w->editor(), Qt::Key_End, Qt::ControlModifier);
        EditWidget& e = w->editor();
        e.repaint();
        const std::vector<editing::CElwView::Row> rows = w->view().VisibleRows();
        ASSERT_FALSE(rows.empty());
        int last = -1;
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].lineNumber == c.lines) last = static_cast<int>(i);
        ASSERT_GE(last, 0);
        const QString text = e.NumberText(rows[static_cast<size_t>(last)], last);
        EXPECT_EQ(text.toStdString(), std::to_string(c.lines) + ":");
        EXPECT_EQ(e.numberCells(), c.cells);
        EXPECT_GE(e.numberColumnWidth(),
                  QFontMetrics(f.frame.editorFont()).horizontalAdvance(text));
        EXPECT_GT(e.textLeft(), e.numberColumnWidth());
        f.frame.FileClose(*w);
    }
}

}  // namespace
}  // namespace norv::qt
