// Painting and input of the edit view. Every character is drawn at its own cell position, so a
// font whose glyphs are slightly wider or narrower than the grid never shifts the columns that
// the core computed; the core's layout alone says where a character stands.
#include "gui/editor/edit_widget.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <climits>
#include <string>

#include "gui/editor/key_codes.h"
#include "gui/editor/text_bridge.h"
#include "view/line_layout.h"

namespace norv::qt {
namespace {

using editing::CommandId;

// The ruler: one hundred columns, repeated.
constexpr const char kGauge[] =
    "----+----1----+----2----+----3----+----4----+----5----+----6----+----7----+----8----+----9"
    "----+----0";
static_assert(sizeof(kGauge) == 101);

// The line-number column is at least seven cells and eight pixels wide.
constexpr int kNumberCells = 7;
constexpr int kNumberExtraPixels = 8;
constexpr int kTextMargin = 2;

bool IsDoubleByteSpace(int codePage, std::string_view ch) {
    return codePage == 932 ? ch == "\x81\x40" : ch == "\xE3\x80\x80";
}

// A colour of the settings, where black text and a white background mean the system's colours.
QColor SystemOr(const QColor& c, const QColor& meaningSystem, const QColor& system) {
    return c == meaningSystem ? system : c;
}

}  // namespace

EditWidget::EditWidget(editing::CElwView& view, const QFont& font, const DisplayOptions& options,
                       QWidget* parent)
    : QAbstractScrollArea(parent),
      view_(&view),
      typing_(std::make_unique<app::TypingKeyInput>(view)),
      font_(font),
      options_(options) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(false);
    rollTimer_ = new QTimer(this);
    connect(rollTimer_, &QTimer::timeout, this, [this] { RollTick(); });
    ApplyScrollBarPolicies();
    UpdateMetrics();
}

void EditWidget::ApplyScrollBarPolicies() {
    setHorizontalScrollBarPolicy(options_.hScrollBar ? Qt::ScrollBarAlwaysOn
                                                     : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(options_.vScrollBar ? Qt::ScrollBarAlwaysOn
                                                   : Qt::ScrollBarAlwaysOff);
}

void EditWidget::SetView(editing::CElwView& view) {
    StopRoll();
    view_ = &view;
    typing_->SetView(view);
    Refresh();
}

void EditWidget::SetPaused(bool paused) {
    paused_ = paused;
    if (!paused_) Refresh();
}

void EditWidget::SetDisplayOptions(const DisplayOptions& options) {
    options_ = options;
    ApplyScrollBarPolicies();
    UpdateMetrics();
    Refresh();
}

void EditWidget::SetEditorFont(const QFont& font) {
    font_ = font;
    UpdateMetrics();
    Refresh();
}

void EditWidget::UpdateMetrics() {
    QFontMetrics m(font_);
    cellWidth_ = std::max(1, m.horizontalAdvance(QLatin1Char('M')));
    cellHeight_ = std::max(1, m.height() + std::max(0, options_.wideLine));
    ascent_ = m.ascent() + std::max(0, options_.wideLine) / 2;
    boldFont_ = font_;
    boldFont_.setBold(true);
}

int EditWidget::numberCells() const {
    // The highest number shown is the line count, or the display-row count when rows are
    // numbered: the column grows with it, so no number loses its first digits.
    int64_t highest = options_.nonLogicalLine ? view_->totalRows() : view_->doc().lineCount();
    int digits = 1;
    for (; highest >= 10; highest /= 10) ++digits;
    return std::max(kNumberCells, digits + 1);
}

int EditWidget::numberColumnWidth() const {
    return options_.lineNumber ? numberCells() * cellWidth_ + kNumberExtraPixels : 0;
}

QString EditWidget::NumberText(const editing::CElwView::Row& row, int screenRow) const {
    if (options_.nonLogicalLine)
        return QString::number(static_cast<qlonglong>(view_->topRow() + screenRow + 1)) +
               QLatin1Char(':');
    if (row.index == 0) return QString::number(row.lineNumber) + QLatin1Char(':');
    return QStringLiteral(":");
}

int EditWidget::textLeft() const {
    return numberColumnWidth() + kTextMargin;
}

int EditWidget::textTop() const {
    return options_.columnGauge ? cellHeight_ : 0;
}

QRect EditWidget::CellRect(int screenRow, int column, int cells) const {
    return QRect(textLeft() + (column - view_->leftColumn()) * cellWidth_,
                 textTop() + screenRow * cellHeight_, cells * cellWidth_, cellHeight_);
}

QColor EditWidget::TextColor() const {
    return SystemOr(options_.colors.text, QColor(0, 0, 0), palette().color(QPalette::Text));
}

QColor EditWidget::BackColor() const {
    return SystemOr(options_.colors.back, QColor(255, 255, 255), palette().color(QPalette::Base));
}

void EditWidget::UpdateWindowSize() {
    const QSize s = viewport()->size();
    int rows = std::max(1, (s.height() - textTop()) / cellHeight_);
    int columns = std::max(1, (s.width() - textLeft()) / cellWidth_);
    if (rows != view_->windowRows() || columns != view_->windowColumns())
        view_->SetWindowSize(rows, columns);
}

void EditWidget::SyncScrollBars() {
    syncing_ = true;
    QScrollBar* v = verticalScrollBar();
    const int64_t last = std::max<int64_t>(0, view_->totalRows() - 1);
    v->setRange(0, static_cast<int>(std::min<int64_t>(last, INT_MAX)));
    v->setPageStep(view_->windowRows());
    v->setSingleStep(1);
    v->setValue(static_cast<int>(std::min<int64_t>(view_->topRow(), INT_MAX)));
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, view_->maxLeftColumn());
    h->setPageStep(view_->windowColumns());
    h->setSingleStep(1);
    h->setValue(view_->leftColumn());
    syncing_ = false;
}

void EditWidget::Refresh() {
    if (paused_) return;
    UpdateWindowSize();
    SyncScrollBars();
    viewport()->update();
    updateMicroFocus();
    emit caretChanged();
}

bool EditWidget::RunCommand(CommandId id, int keyRepeat) {
    if (paused_) return false;
    if (RunFrontEndCommand(id)) return true;
    UpdateWindowSize();
    bool handled = view_->Execute(id, keyRepeat);
    Refresh();
    return handled;
}

void EditWidget::TypeText(const QString& text) {
    if (text.isEmpty() || paused_) return;
    UpdateWindowSize();
    bool held = true;
    const std::string bytes = BytesOf(text, held);
    app::KeyStroke none;
    none.unwritable = !held;
    keyInput().Press(none, bytes);
    Refresh();
}

// ---- painting --------------------------------------------------------------------------------

void EditWidget::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    p.setFont(font_);
    p.fillRect(viewport()->rect(), BackColor());
    if (paused_) return;
    UpdateWindowSize();
    if (options_.lineNumber) {
        p.fillRect(QRect(0, 0, textLeft() - kTextMargin, viewport()->height()),
                   SystemOr(options_.colors.lineNumberBack, QColor(255, 255, 255),
                            palette().color(QPalette::Base)));
    }
    std::vector<editing::CElwView::Row> rows = view_->VisibleRows();
    UpdateCommentStates(rows);
    styledLine_ = nullptr;
    {
        // While a smooth scroll is under way the rows are drawn a few pixels from their
        // places, sliding in; the ruler stays.
        p.save();
        p.setClipRect(QRect(0, textTop(), viewport()->width(), viewport()->height()));
        p.translate(0, rollDirection_ * rollOffset_);
        if (rollDirection_ > 0 && rollOffset_ > 0 && !rollLeaving_.isNull())
            p.drawPixmap(0, textTop() - cellHeight_, rollLeaving_);
        for (size_t i = 0; i < rows.size(); ++i) PaintRow(p, rows[i], static_cast<int>(i));
        if (!caretHidden_) PaintCaret(p);
        p.restore();
    }
    styledLine_ = nullptr;
    if (options_.columnGauge) PaintRuler(p);
}

void EditWidget::PaintRuler(QPainter& p) {
    const int width = viewport()->width();
    p.fillRect(QRect(0, 0, width, cellHeight_), options_.colors.rulerBack);
    p.setPen(options_.colors.ruler);
    const int wrap = view_->layout().wrapColumn();
    if (options_.lineNumber) {
        p.drawText(QPoint(0, ascent_), QString::asprintf("%4d=> ", wrap));
    }
    const int left = view_->leftColumn();
    const int last = std::min(wrap, left + view_->windowColumns() + 1);
    QString text;
    for (int c = left; c < last; ++c) text += QLatin1Char(kGauge[c % 100]);
    for (int i = 0; i < text.size(); ++i)
        p.drawText(QPoint(textLeft() + i * cellWidth_, ascent_), QString(text[i]));
}

void EditWidget::PaintRow(QPainter& p, const editing::CElwView::Row& row, int screenRow) {
    const int y = textTop() + screenRow * cellHeight_;
    const int baseline = y + ascent_;
    const DisplayColors& colors = options_.colors;

    if (options_.lineNumber) {
        // Right-aligned, one cell per character.
        const QString number = NumberText(row, screenRow);
        const int right = numberCells() * cellWidth_ + kNumberExtraPixels / 2;
        p.setPen(colors.lineNumber);
        for (int i = 0; i < number.size(); ++i) {
            const int x = right - (static_cast<int>(number.size()) - i) * cellWidth_;
            p.drawText(QPoint(x, baseline), QString(number[i]));
        }
        if (options_.showChange && (row.line->flags & document::LF_CHANGED) && row.index == 0)
            p.fillRect(QRect(right + 1, y, 3, cellHeight_), colors.changed);
    }

    const view::LineLayout& layout = view_->layout();
    const int codePage = view_->doc().CodePage();
    const std::string bytes = row.text + '\n';
    const view::LineText t(bytes);
    const bool marked = (row.line->flags & document::LF_MARK) != 0;
    const QColor textColor = marked ? colors.mark : TextColor();
    const int left = view_->leftColumn();
    const int maxColumn = left + view_->windowColumns() + 2;
    const bool anySelection = selection_ && selection_->active();
    // The column in the logical line, for box selections (rows after the first continue it).
    int lineColumn = 0;
    if (anySelection && row.index > 0) {
        const view::LineText whole = view_->TextOf(row.line);
        for (size_t k = 0; k < row.start;) {
            const size_t n = layout.CharLen(whole, k);
            lineColumn = layout.Advance(whole, k, n, lineColumn);
            k += n;
        }
    }
    const QColor highlight = palette().color(QPalette::Highlight);
    const QColor highlightedText = palette().color(QPalette::HighlightedText);
    const std::vector<view::CharStyle>& styles = StylesOf(row);
    int col = 0;
    size_t i = 0;
    while (i < row.text.size() && col < maxColumn) {
        const size_t len = layout.CharLen(t, i);
        const int next = layout.Advance(t, i, len, col);
        const uint8_t b = t[i];
        const QRect cell = CellRect(screenRow, col, next - col);
        const bool selected =
            anySelection && Selected(row.lineNumber, row.start + i, lineColumn, next - col);
        lineColumn += next - col;
        if (selected && col >= left) p.fillRect(cell, highlight);
        if (col >= left) {
            if (b == '\t') {
                if (options_.tabDisplay) {
                    p.setPen(colors.tab);
                    p.drawText(QPoint(cell.left(), baseline), QStringLiteral("\u00BB"));
                }
            } else if (len == 1 && (b < 0x20 || b == 0x7F)) {
                p.setPen(colors.ctrl);
                p.drawText(QPoint(cell.left(), baseline),
                           QString(QChar(b == 0x7F ? '?' : '@' + b)));
            } else {
                std::string_view ch(bytes.data() + i, len);
                if (IsDoubleByteSpace(codePage, ch)) {
                    if (options_.dspcDisplay) {
                        p.setPen(colors.tab);
                        p.drawRect(cell.adjusted(2, 3, -3, -3));
                    }
                } else {
                    const size_t at = row.start + i;
                    const view::CharStyle style =
                        at < styles.size() ? styles[at] : view::CharStyle{};
                    QColor pen = textColor;
                    if (style.link)
                        pen = colors.url;
                    else if (style.group >= 0)
                        pen = colors.keywords[static_cast<size_t>(style.group)];
                    else if (style.markup)
                        pen = colors.html;
                    p.setPen(selected ? highlightedText : pen);
                    if (style.bold) p.setFont(boldFont_);
                    p.drawText(QPoint(cell.left(), baseline), BytesToQString(codePage, ch));
                    if (style.bold) p.setFont(font_);
                }
            }
        }
        col = next;
        i += len;
    }

    // Marks after the last row of a line: the line end, or the end of the text.
    const bool lastRowOfLine = row.end >= view_->TextOf(row.line).end();
    if (lastRowOfLine && col >= left) {
        const QRect cell = CellRect(screenRow, col);
        if (anySelection && Selected(row.lineNumber, row.start + row.text.size(), lineColumn))
            p.fillRect(cell, highlight);
        if (!row.line->next) {
            if (options_.eofDisplay) {
                p.setPen(colors.eof);
                p.drawText(QPoint(cell.left(), baseline), QStringLiteral("[EOF]"));
            }
        } else if (options_.crDisplay) {
            p.setPen(colors.cr);
            p.drawText(QPoint(cell.left(), baseline), QStringLiteral("\u2193"));
        }
    }
}

bool EditWidget::Selected(int lineNumber, size_t pos, int column, int width) const {
    editing::SelectionEnd a = selection_->start();
    editing::SelectionEnd b = selection_->end();
    if (b.line < a.line || (b.line == a.line && b.pos < a.pos)) std::swap(a, b);
    if (lineNumber < a.line || lineNumber > b.line) return false;
    if (selection_->kind() == editing::SelectionKind::kBox) {
        const auto [c1, c2] = std::minmax(a.column, b.column);
        const int end = column + width;
        return end > c1 && end <= c2;
    }
    if (lineNumber == a.line && pos < a.pos) return false;
    if (lineNumber == b.line && pos >= b.pos) return false;
    return true;
}

void EditWidget::SetCaretHidden(bool hidden) {
    if (caretHidden_ == hidden) return;
    caretHidden_ = hidden;
    viewport()->update();
}

void EditWidget::PaintCaret(QPainter& p) {
    const int screenRow = view_->caretScreenRow();
    if (screenRow < 0 || screenRow >= view_->windowRows()) return;
    const int column = view_->caretColumn();
    const int y = textTop() + screenRow * cellHeight_;
    if (options_.underLine) {
        p.fillRect(QRect(textLeft(), y + cellHeight_ - 1, viewport()->width(), 1),
                   options_.colors.underline);
    }
    QRect cell = CellRect(screenRow, column);
    if (!preedit_.isEmpty()) {
        // The text being composed stands at the caret, underlined, until it is committed.
        QFontMetrics m(font_);
        QRect r(cell.left(), y, m.horizontalAdvance(preedit_), cellHeight_);
        p.fillRect(r, BackColor());
        p.setPen(TextColor());
        p.drawText(QPoint(r.left(), y + ascent_), preedit_);
        p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        cell.moveLeft(r.right() + 1);
    }
    if (!hasFocus()) return;
    if (options_.boxCursor || !view_->shared().insertMode) {
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(cell, Qt::white);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    } else {
        p.fillRect(QRect(cell.left(), y, 2, cellHeight_), TextColor());
    }
}

// ---- input -----------------------------------------------------------------------------------

void EditWidget::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateWindowSize();
    SyncScrollBars();
}

std::optional<app::KeyStroke> EditWidget::StrokeOf(const QKeyEvent* event) const {
    const std::optional<uint8_t> vk = VirtualKeyOf(event->key());
    if (!vk) return std::nullopt;
    const Qt::KeyboardModifiers mods = event->modifiers();
    app::KeyStroke stroke;
    stroke.key = *vk;
    stroke.ctrl = mods & Qt::ControlModifier;
    stroke.shift = mods & Qt::ShiftModifier;
    stroke.alt = mods & Qt::AltModifier;
    return stroke;
}

std::string EditWidget::BytesOf(const QString& text, bool& held) const {
    held = true;
    if (text.isEmpty()) return {};
    std::optional<std::string> bytes = QStringToBytes(view_->doc().CodePage(), text);
    if (!bytes) {
        held = false;
        return {};
    }
    return std::move(*bytes);
}

void EditWidget::SetInputMethodEnabled(bool enabled) {
    if (enabled == inputMethodEnabled_) return;
    inputMethodEnabled_ = enabled;
    setAttribute(Qt::WA_InputMethodEnabled, enabled);
    // A composition under way ends with the input method.
    if (!enabled && !preedit_.isEmpty()) {
        QGuiApplication::inputMethod()->reset();
        preedit_.clear();
        viewport()->update();
    }
    if (hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImEnabled);
}

void EditWidget::keyPressEvent(QKeyEvent* event) {
    if (paused_) return;
    // Any key but a lone modifier stops a smooth scroll.
    switch (event->key()) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_Meta:
        case Qt::Key_AltGr:
            break;
        default:
            StopRoll();
    }
    // A key held with Ctrl, Alt or Meta types nothing; nor do keys whose text is a control
    // character (their key byte says what they are).
    const QString text = event->text();
    const bool command =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    bool held = true;
    // The first character, not its first unit: an emoji's high surrogate is no printable char.
    const bool printable = !text.isEmpty() && QChar::isPrint(text.toUcs4().value(0));
    const std::string bytes = !command && printable ? BytesOf(text, held) : std::string();
    const std::optional<app::KeyStroke> stroke = StrokeOf(event);
    if (!stroke && bytes.empty() && held) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    UpdateWindowSize();
    app::KeyStroke pressed = stroke.value_or(app::KeyStroke{});
    pressed.unwritable = !held;
    keyInput().Press(pressed, bytes);
    Refresh();
}

void EditWidget::keyReleaseEvent(QKeyEvent* event) {
    QAbstractScrollArea::keyReleaseEvent(event);
}

void EditWidget::inputMethodEvent(QInputMethodEvent* event) {
    preedit_ = event->preeditString();
    preeditCursor_ = static_cast<int>(preedit_.size());
    for (const QInputMethodEvent::Attribute& a : event->attributes())
        if (a.type == QInputMethodEvent::Cursor)
            preeditCursor_ = std::clamp(a.start, 0, static_cast<int>(preedit_.size()));
    if (!event->commitString().isEmpty() && !paused_) TypeText(event->commitString());
    viewport()->update();
    updateMicroFocus();
    event->accept();
}

QVariant EditWidget::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
        case Qt::ImEnabled:
            return inputMethodEnabled_;
        case Qt::ImCursorRectangle:
        case Qt::ImAnchorRectangle: {
            // At the caret, or at the cursor inside the text being composed, so the candidate
            // window opens beside what is being converted.
            QRect r = CellRect(view_->caretScreenRow(), view_->caretColumn());
            if (!preedit_.isEmpty())
                r.translate(QFontMetrics(font_).horizontalAdvance(preedit_.left(preeditCursor_)),
                            0);
            r.setWidth(2);
            return r.translated(viewport()->pos());
        }
        case Qt::ImFont:
            return font_;
        case Qt::ImSurroundingText:
            return BytesToQString(view_->doc().CodePage(), view_->LineContent(view_->caretLine()));
        case Qt::ImCursorPosition:
        case Qt::ImAnchorPosition:
            return static_cast<int>(
                BytesToQString(view_->doc().CodePage(),
                               view_->LineContent(view_->caretLine()).substr(0, view_->caretPos()))
                    .size());
        default:
            return QAbstractScrollArea::inputMethodQuery(query);
    }
}

bool EditWidget::PlaceCaretAt(QPoint pos) {
    if (pos.y() < textTop()) return false;
    const int screenRow = (pos.y() - textTop()) / cellHeight_;
    std::vector<editing::CElwView::Row> rows = view_->VisibleRows();
    if (rows.empty()) return false;
    const int last = static_cast<int>(rows.size()) - 1;
    const editing::CElwView::Row& row = rows[static_cast<size_t>(std::clamp(screenRow, 0, last))];
    // A click in the right half of a cell places the caret after its character.
    const int column =
        std::max(0, (pos.x() - textLeft() + cellWidth_ / 2) / cellWidth_ + view_->leftColumn());
    const view::LineText t = view_->TextOf(row.line);
    const view::LineLayout::Position at = view_->layout().ColumnToPosition(t, row.start, column);
    view_->SetCaret(row.lineNumber, at.pos);
    return true;
}

void EditWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || paused_) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    if (selection_) selection_->Cancel();
    dragging_ = PlaceCaretAt(event->position().toPoint());
    dragAnchored_ = false;
    Refresh();
}

// Dragging selects from where the button went down; with Alt the selection is a box.
void EditWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || paused_ || !(event->buttons() & Qt::LeftButton) || !selection_) return;
    if (!dragAnchored_) {
        selection_->Anchor((event->modifiers() & Qt::AltModifier)
                               ? editing::SelectionKind::kBox
                               : editing::SelectionKind::kStream);
        dragAnchored_ = true;
    }
    if (PlaceCaretAt(event->position().toPoint())) selection_->CaretMoved(*view_);
    Refresh();
}

void EditWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        if (dragAnchored_ && selection_ && !paused_) selection_->Normalize();
        Refresh();
        return;
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void EditWidget::wheelEvent(QWheelEvent* event) {
    if (paused_) return;
    // Three rows (or columns) per notch; a sideways wheel or Shift moves the columns.
    QPoint delta = event->angleDelta();
    if (event->modifiers() & Qt::ShiftModifier) delta = QPoint(delta.y(), delta.x());
    const int rows = delta.y() / 40;
    const int columns = delta.x() / 40;
    if (rows != 0 || columns != 0) {
        StopRoll();
        if (rows != 0) view_->ScrollTo(view_->topRow() - rows);
        if (columns != 0) view_->ScrollLeftTo(view_->leftColumn() - columns);
        Refresh();
    }
    event->accept();
}

void EditWidget::scrollContentsBy(int, int) {
    if (syncing_ || paused_) return;
    view_->ScrollTo(verticalScrollBar()->value());
    view_->ScrollLeftTo(horizontalScrollBar()->value());
    viewport()->update();
    updateMicroFocus();
}

void EditWidget::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void EditWidget::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

// Tab is a key of the text, never a focus move.
bool EditWidget::focusNextPrevChild(bool) {
    return false;
}

}  // namespace norv::qt
