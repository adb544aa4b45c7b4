// The edit view on screen. It paints the display rows that the core view laid out on a fixed
// grid of half-width cells (a double-byte character takes two), with the line-number column,
// the ruler, the marks and the caret, and turns key, input-method, mouse and wheel events into
// the core view's commands and typed bytes. It keeps no text of its own.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QElapsedTimer>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/commands/address_program.h"
#include "app/key_input.h"
#include "editing/edit_view.h"
#include "editing/selection.h"
#include "view/syntax.h"

class QTimer;

namespace norv::qt {

// The colours of the display; black text and a white background stand for the system's colours.
struct DisplayColors {
    QColor text{0, 0, 0};
    QColor back{255, 255, 255};
    QColor mark{127, 0, 0};  // text of bookmarked lines
    QColor url{0, 0, 192};
    QColor eof{127, 127, 127};
    QColor cr{127, 127, 127};
    QColor tab{192, 192, 192};
    QColor ctrl{192, 0, 192};
    QColor lineNumber{0, 0, 127};
    QColor lineNumberBack{192, 192, 192};
    QColor ruler{0, 0, 127};
    QColor rulerBack{192, 192, 192};
    QColor underline{0, 0, 192};
    QColor changed{192, 0, 192};
    QColor html{127, 0, 127};
    std::array<QColor, view::kSyntaxGroups> keywords = MakeKeywordColors();
    bool operator==(const DisplayColors&) const = default;

    static std::array<QColor, view::kSyntaxGroups> MakeKeywordColors() {
        std::array<QColor, view::kSyntaxGroups> c;
        c.fill(QColor(0, 0, 192));
        return c;
    }
};

struct DisplayOptions {
    bool lineNumber = true;       // LineNumber
    bool nonLogicalLine = false;  // NonLogicalLine
    bool columnGauge = true;      // ColumnGauge
    bool tabDisplay = true;       // TabDisplay
    bool dspcDisplay = true;      // DSpcDisplay
    bool crDisplay = true;        // CRDisplay
    bool eofDisplay = true;       // EOFDisplay
    bool showChange = true;       // ShowChange
    bool underLine = false;       // UnderLine
    bool boxCursor = false;       // BoxCursor
    int wideLine = 0;             // WideLine: extra pixels per row
    bool hScrollBar = false;      // HScrollBar
    bool vScrollBar = true;       // VScrollBar
    int rollTimer = 101;          // RollTimer: milliseconds per row of smooth scrolling
    DisplayColors colors;
    // The programs that open addresses (URLPrg, MailPrg), in the system's code page.
    std::string urlProgram;
    std::string mailProgram;
    bool operator==(const DisplayOptions&) const = default;
};

class EditWidget : public QAbstractScrollArea {
    Q_OBJECT

  public:
    EditWidget(editing::CElwView& view, const QFont& font, const DisplayOptions& options,
               QWidget* parent = nullptr);

    editing::CElwView& view() const { return *view_; }
    // Shows another view (the document was loaded again and its view built anew).
    void SetView(editing::CElwView& view);
    // While the document's lines are being replaced the widget neither paints text nor takes
    // input: the view may point at records that no longer exist.
    void SetPaused(bool paused);
    // A script's SHOWCURSOR: the caret is not drawn while hidden.
    void SetCaretHidden(bool hidden);
    // A script's IMECTRL: whether the input method serves this view (on unless turned off).
    void SetInputMethodEnabled(bool enabled);
    bool inputMethodEnabled() const { return inputMethodEnabled_; }
    // Where key presses and committed text go (owned by the caller; null: the widget's own,
    // which only types). The widget turns each key event into a key stroke and the bytes it
    // types, and hands both over in one call.
    void SetKeyInput(app::KeyInput* input) { keyInput_ = input; }
    app::KeyInput& keyInput() const { return keyInput_ ? *keyInput_ : *typing_; }

    // The selection painted and extended with Shift (may be null).
    void SetSelection(editing::Selection* selection) { selection_ = selection; }
    const DisplayOptions& displayOptions() const { return options_; }
    void SetDisplayOptions(const DisplayOptions& options);
    // The text font: cells, rows and the ruler follow it.
    void SetEditorFont(const QFont& font);
    const QFont& editorFont() const { return font_; }

    // Geometry of the grid in viewport pixels.
    int cellWidth() const { return cellWidth_; }
    int cellHeight() const { return cellHeight_; }
    int textLeft() const;
    int textTop() const;
    // The line-number column: seven cells, or one cell more than the digits of the highest
    // number it shows, plus eight pixels. Its text on a row is the number and a colon, or a
    // colon alone on the further rows of a line (as drawn, right-aligned, without blanks).
    int numberCells() const;
    int numberColumnWidth() const;
    QString NumberText(const editing::CElwView::Row& row, int screenRow) const;
    // The rectangle of `cells` cells at a screen row and a column of the view's grid.
    QRect CellRect(int screenRow, int column, int cells = 1) const;

    // Runs a view command as a key would, then repaints and reports the caret.
    bool RunCommand(editing::CommandId id, int keyRepeat = 0);
    // Types text as the keyboard does (converted to the document's code; beeps when it cannot
    // be held), through the key input.
    void TypeText(const QString& text);
    // After the document or the view changed outside the widget: window size, scroll bar, paint.
    void Refresh();

    // What the text is coloured with (null: nothing). New rules scan the comment states again.
    void SetSyntaxRules(std::shared_ptr<const view::SyntaxRules> rules);
    const view::SyntaxRules* syntaxRules() const { return rules_.get(); }
    // The commands of the address at the caret; false (with a beep) when there is none.
    bool RunAddressCommand(app::AddressCommand command);
    // Starts a program detached, never through a shell; replaced by tests.
    std::function<bool(const std::vector<std::string>& args)> startProgram;
    // Commands the widget carries out itself (smooth scrolling); false for all others.
    bool RunFrontEndCommand(editing::CommandId id);
    bool rolling() const;

  signals:
    // The caret moved or the text changed (the frame updates the status bar).
    void caretChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    void UpdateMetrics();
    void ApplyScrollBarPolicies();
    // Places the caret at the character under a viewport point; false above the text.
    bool PlaceCaretAt(QPoint point);
    void UpdateWindowSize();
    void SyncScrollBars();
    void PaintRuler(QPainter& p);
    void PaintRow(QPainter& p, const editing::CElwView::Row& row, int screenRow);
    void PaintCaret(QPainter& p);
    // Whether the character at byte `pos` (display columns `column` to `column + width` of its
    // logical line) of line `lineNumber` is selected; `pos` at the line end asks about the line
    // end. A box holds the characters that a copy takes: a tab or double-byte character cut by
    // the left edge is in, one cut by the right edge is out.
    bool Selected(int lineNumber, size_t pos, int column, int width = 1) const;
    // The styles of a line's bytes for painting (cached for the rows of one line).
    const std::vector<view::CharStyle>& StylesOf(const editing::CElwView::Row& row);
    // Brings the comment states up to the last line on screen.
    void UpdateCommentStates(const std::vector<editing::CElwView::Row>& rows);
    void StartRoll(bool up);
    void StopRoll();
    void RollTick();
    // One row of the roll; false at the end of the text.
    bool RollStep(bool up);
    bool OpenAddress(const std::string& address, bool isUrl);
    QColor TextColor() const;
    QColor BackColor() const;

    // The key stroke of a key event (none for keys the key table cannot name) and the bytes it
    // types (empty when none, or when the document's code cannot hold them: `held` false).
    std::optional<app::KeyStroke> StrokeOf(const QKeyEvent* event) const;
    std::string BytesOf(const QString& text, bool& held) const;

    editing::CElwView* view_;
    app::KeyInput* keyInput_ = nullptr;
    std::unique_ptr<app::TypingKeyInput> typing_;
    editing::Selection* selection_ = nullptr;
    bool paused_ = false;
    bool caretHidden_ = false;
    bool inputMethodEnabled_ = true;
    bool dragging_ = false;  // the left button is down in the text
    bool dragAnchored_ = false;
    QFont font_;
    DisplayOptions options_;
    int cellWidth_ = 8;
    int cellHeight_ = 16;
    int ascent_ = 12;
    bool syncing_ = false;
    QString preedit_;
    int preeditCursor_ = 0;
    QFont boldFont_;
    std::shared_ptr<const view::SyntaxRules> rules_;
    const document::LineRecord* styledLine_ = nullptr;  // the line of styles_, during a paint
    std::vector<view::CharStyle> styles_;
    QTimer* rollTimer_ = nullptr;
    int rollDirection_ = 0;    // 1: the text moves up, -1: down, 0: still
    int rollOffset_ = 0;       // pixels the rows are still drawn away from their places
    QPixmap rollLeaving_;      // the top row as it stood before the text moved up a row
    QElapsedTimer rollClock_;  // since the roll started
    qint64 rollSteps_ = 0;     // rows stepped since then (after the first)
};

}  // namespace norv::qt
