// The edit view widget on its own: typed and committed text in the document's code, and the
// cell grid read back from the painted image.
#include "gui/editor/edit_widget.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <memory>
#include <string>

#include "app/config/settings.h"
#include "document/document.h"
#include "document/line_heap.h"
#include "editing/edit_view.h"
#include "gui/editor/display_settings.h"
#include "gui/editor/text_bridge.h"
#include "gui/gui_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using document::CodeChoice;
using testing::Commit;
using testing::DocumentBytes;
using testing::Iconv;

// A document loaded from bytes, its view and the widget, with no main frame.
struct Viewer {
    Viewer(const std::string& bytes, CodeChoice choice, DisplayOptions display = {})
        : shared(document::ProgramLineHeap()) {
        env.ui = &ui;
        env.codePage = 932;
        shared.ui = &ui;
        doc = std::make_unique<document::CElwDoc>(env);
        EXPECT_EQ(doc->OpenDocument(dir.Write("text.txt", bytes), choice), 1);
        view::LayoutOptions layout;
        layout.codePage = doc->CodePage();
        view = std::make_unique<editing::CElwView>(*doc, doc->undo, shared, layout);
        widget = std::make_unique<EditWidget>(*view, ChooseEditorFont(QString(), 12), display);
        widget->resize(720, 360);
        widget->show();
        widget->Refresh();
    }
    ~Viewer() {
        widget.reset();
        view.reset();
        shared.stack.Clear();
    }

    QImage Grab() {
        return widget->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    document::DocumentEnvironment env;
    editing::EditorShared shared;
    std::unique_ptr<document::CElwDoc> doc;
    std::unique_ptr<editing::CElwView> view;
    std::unique_ptr<EditWidget> widget;
};

TEST(EditWidget, CommittedTextIsTypedInTheDocumentsCode) {
    static const struct {
        const char* name;
        CodeChoice choice;
        const char* typed;  // UTF-8, as the input method commits it
        bool holdable;      // the document's code has every character
    } kCases[] = {
        {"kanji into Shift-JIS", CodeChoice::kAnsi, "日本語", true},
        {"half-width katakana into Shift-JIS", CodeChoice::kAnsi, "ｱｲ", true},
        {"Hangul into Shift-JIS beeps", CodeChoice::kAnsi, "한국", false},
        {"one unholdable character stops the whole text", CodeChoice::kAnsi, "日한", false},
        {"Hangul into UTF-8", CodeChoice::kUtf8, "한국", true},
        {"astral character into UTF-8", CodeChoice::kUtf8, "\xF0\x9F\x98\x80", true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Viewer v("ab", c.choice);
        v.view->SetCaret(1, 1);
        Commit(v.widget.get(), QString::fromUtf8(c.typed));
        const bool utf8 = c.choice == CodeChoice::kUtf8;
        const std::string typed = utf8 ? std::string(c.typed) : Iconv("CP932", c.typed);
        EXPECT_EQ(DocumentBytes(*v.view), c.holdable ? "a" + typed + "b" : std::string("ab"));
    }
}

// The cells of a painted row: the same glyph drawn in two cells gives the same pixels.
bool SameCells(const QImage& img, const QRect& a, const QRect& b) {
    return img.copy(a) == img.copy(b);
}

bool HasInk(const QImage& img, const QRect& r, QRgb back) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (img.pixel(x, y) != back) return true;
    return false;
}

TEST(EditWidget, DoubleByteCharactersSpanTwoCells) {
    DisplayOptions display;
    display.crDisplay = false;
    display.eofDisplay = false;
    Viewer v(Iconv("CP932", "漢字ab\r\nab\r\n\r\n"), CodeChoice::kDefault, display);
    v.view->SetCaret(3, 0);  // the caret stays out of the rows looked at
    v.widget->Refresh();
    const QImage img = v.Grab();
    EditWidget& w = *v.widget;
    const QRgb back = img.pixel(w.CellRect(0, 20).center());
    // "a" and "b" after two kanji stand in cells 4 and 5, exactly where they stand in cells 0
    // and 1 of the next row.
    EXPECT_TRUE(SameCells(img, w.CellRect(0, 4), w.CellRect(1, 0)));
    EXPECT_TRUE(SameCells(img, w.CellRect(0, 5), w.CellRect(1, 1)));
    EXPECT_TRUE(HasInk(img, w.CellRect(1, 0), back));
    // Each kanji inks both of its cells.
    for (int cell = 0; cell < 4; ++cell)
        EXPECT_TRUE(HasInk(img, w.CellRect(0, cell), back)) << cell;
    EXPECT_FALSE(HasInk(img, w.CellRect(0, 6), back));
}

TEST(EditWidget, ScreenshotOfShiftJisWithLineNumbersAndRuler) {
    const std::string text =
        "#include <stdio.h>\r\n"
        "/* 日本語のコメント：表示の確認 */\r\n"
        "int main(void)\r\n"
        "{\r\n"
        "\tprintf(\"こんにちは、世界\\n\");\t/* タブの後 */\r\n"
        "　全角スペースで始まる行。半角ｶﾀｶﾅも混ぜる。\r\n"
        "この行はとても長いので、八十桁で折り返されて次の表示行に続き、行番号の欄には二行目から"
        "コロンだけが表示されます。\r\n"
        "\treturn 0;\r\n"
        "}\r\n";
    Viewer v(Iconv("CP932", text), CodeChoice::kDefault);
    v.widget->resize(860, 300);
    v.widget->setFocus();
    v.view->SetCaret(5, 1);
    v.widget->Refresh();
    const QString folder = QStringLiteral(NORV_BINARY_DIR "/gui-screenshots");
    QDir().mkpath(folder);
    const QString file = folder + QStringLiteral("/sjis-line-numbers-ruler.png");
    ASSERT_TRUE(v.Grab().save(file));
    EXPECT_EQ(v.doc->code, document::TextCode::kAnsi);
    // The long line wraps into more than one display row.
    EXPECT_GT(v.view->totalRows(), v.doc->lineCount());
}

// The colours of the settings reach the screen: the text background, the ruler's and the line
// numbers' backgrounds; white backgrounds mean the system's colour.
TEST(EditWidget, BackgroundsComeFromTheSettings) {
    static const struct {
        const char* name;
        const char* back;
        const char* rulerBack;
        const char* numberBack;
        bool numbers;
    } kCases[] = {
        {"coloured", "000 000 064", "000 128 000", "128 000 000", true},
        {"white means the system's colour", "255 255 255", "192 192 192", "255 255 255", true},
        {"no line-number column", "010 020 030", "192 192 192", "128 000 000", false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        app::Settings settings(932);
        settings.Set(app::Key::BackColor, c.back);
        settings.Set(app::Key::GbakColor, c.rulerBack);
        settings.Set(app::Key::LBakColor, c.numberBack);
        settings.Set(app::Key::LineNumber, c.numbers ? 1 : 0);
        const DisplayOptions display = DisplayOptionsFrom(settings);
        Viewer v("a\r\n", CodeChoice::kDefault, display);
        const QImage img = v.Grab();
        EditWidget& w = *v.widget;
        const QColor system = w.palette().color(QPalette::Base);
        auto colour = [](const char* text) {
            const app::ColourValue value = app::ParseColour(text);
            return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
        };
        auto systemOr = [&](const char* text) {
            return colour(text) == QColor(255, 255, 255) ? system : colour(text);
        };
        EXPECT_EQ(QColor(img.pixel(w.CellRect(3, 30).center())), systemOr(c.back));
        EXPECT_EQ(QColor(img.pixel(w.textLeft() + 5, 1)), colour(c.rulerBack));
        if (c.numbers) {
            EXPECT_EQ(QColor(img.pixel(2, w.CellRect(3, 0).center().y())), systemOr(c.numberBack));
        } else {
            EXPECT_LT(w.textLeft(), w.cellWidth());
        }
    }
}

}  // namespace
}  // namespace norv::qt
