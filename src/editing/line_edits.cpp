// Editing within and between lines: typed characters (insert and overwrite, the free area,
// automatic splitting at the wrap column), Delete and BackSpace, line splitting with automatic
// indentation, tabs, case flipping, and deleting to either end of the line.
#include <algorithm>
#include <cstring>

#include "document/char_model.h"
#include "editing/edit_view.h"
#include "platform/code_page.h"

namespace norv::editing {

using document::LF_CHANGED;
using document::LF_FORMATTED;
using document::UndoKind;
using document::UndoPosition;

namespace {

constexpr bool IsAsciiLetter(uint8_t b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}
constexpr char FlipLetter(char c) {
    auto b = static_cast<uint8_t>(c);
    return IsAsciiLetter(b) ? static_cast<char>(b ^ 0x20) : c;
}

}  // namespace

bool CElwView::Edit(CommandId id) {
    switch (id) {
        case CommandId::BackSpace:
        case CommandId::DeleteChar:
        case CommandId::InsertTab:
        case CommandId::ChangeCase:
        case CommandId::ChgCaseOne:
        case CommandId::DeleteAfter:
        case CommandId::DeleteTop:
        case CommandId::WordBS:
        case CommandId::WordDel:
        case CommandId::RepeatOne:
        case CommandId::WordPaste:
        case CommandId::TimeStamp:
        case CommandId::SplitLine:
        case CommandId::InsertAft:
        case CommandId::InsertBef:
        case CommandId::DupLine:
        case CommandId::DeleteLine:
        case CommandId::PopLine:
        case CommandId::Repeat:
        case CommandId::InputCtrl:
            break;
        default:
            return false;
    }
    if (doc_.readOnly) return true;
    switch (id) {
        case CommandId::InputCtrl:
            shared_.controlCodePending = true;
            if (shared_.ui) shared_.ui->SetStatusText("Input control code.");
            return true;
        case CommandId::BackSpace:
            BackSpace();
            break;
        case CommandId::DeleteChar:
            DeleteChar();
            break;
        case CommandId::InsertTab:
            Tab();
            break;
        case CommandId::ChangeCase:
            FlipCase();
            break;
        case CommandId::ChgCaseOne:
            FlipCaseOne();
            break;
        case CommandId::DeleteAfter:
            DeleteToEnd();
            break;
        case CommandId::DeleteTop:
            DeleteToTop();
            break;
        case CommandId::WordBS:
            BackSpaceWord();
            break;
        case CommandId::WordDel:
            DeleteWord();
            break;
        case CommandId::RepeatOne:
            RepeatChar();
            break;
        case CommandId::WordPaste:
            PasteFindString();
            break;
        case CommandId::TimeStamp:
            TimeStamp();
            break;
        case CommandId::SplitLine:
            SplitLine(false, false);
            break;
        case CommandId::InsertAft:
            EndOfLine();
            SplitLine(false, false);
            break;
        case CommandId::InsertBef:
            // Always from column 0: an empty line above, whatever the indentation.
            pos_ = 0;
            virtualCol_ = -1;
            SplitLine(false, false);
            goal_ = -1;
            if (MoveRowUp()) pos_ = CaretText().end();
            break;
        case CommandId::DupLine:
            Duplicate();
            break;
        case CommandId::DeleteLine:
            DeleteLine();
            break;
        case CommandId::PopLine:
            PopLine();
            break;
        case CommandId::Repeat:
            undo_.RepeatLast(*this);
            break;
        default:
            break;
    }
    switch (id) {
        case CommandId::BackSpace:
        case CommandId::DeleteChar:
        case CommandId::DeleteAfter:
        case CommandId::DeleteTop:
        case CommandId::WordBS:
        case CommandId::WordDel:
        case CommandId::WordPaste:
        case CommandId::TimeStamp:
        case CommandId::RepeatOne:
            AutoFormat();
            break;
        default:
            break;
    }
    goal_ = -1;
    KeepCaretVisible(0, 0);
    CaretMoved();
    return true;
}

void CElwView::DeleteSelectionIfAny(bool boxToo) {
    if (selection_ && selection_->HasSelection(*this) && (boxToo || !selection_->IsBox(*this)))
        selection_->DeleteSelection(*this);
}

// ---- typed characters -----------------------------------------------------------------------

void CElwView::TypeByte(uint8_t byte, int repeat) {
    ClaimBuffer();
    std::string ch;
    if (shared_.controlCodePending) {
        shared_.controlCodePending = false;
        if (shared_.ui) shared_.ui->SetStatusText("");
        ch.push_back(static_cast<char>(byte & 0x1F));
    } else if (!shared_.pendingChar.empty()) {
        shared_.pendingChar.push_back(static_cast<char>(byte));
        auto lead = static_cast<uint8_t>(shared_.pendingChar[0]);
        size_t want = 1 + static_cast<size_t>(document::CharTrailBytes(layout_.codePage(), lead));
        if (shared_.pendingChar.size() < want) return;
        ch.swap(shared_.pendingChar);
    } else {
        if (byte == 127) return;
        if (document::CharTrailBytes(layout_.codePage(), byte) > 0) {
            shared_.pendingChar.assign(1, static_cast<char>(byte));
            return;
        }
        ch.push_back(static_cast<char>(byte));
    }
    if (shared_.recorder) shared_.recorder->RecordTyped(ch, repeat, layout_.codePage());
    if (doc_.readOnly) {
        RefuseReadOnly();
        return;
    }
    CommandScope scope(*this);
    DeleteSelectionIfAny(false);
    for (int i = 0; i < repeat; ++i) TypeOne(ch);
    AutoFormat();
    goal_ = -1;
    KeepCaretVisible(0, 0);
    CaretMoved();
}

void CElwView::TypeOne(const std::string& ch) {
    if (virtualCol_ >= 0) {
        if (options_.freeCursor) FillToCaret();
        virtualCol_ = -1;
    }
    if (ch == "}" && options_.cFile && options_.cppMode) CloseBrace();
    if (AutoSplitBefore(ch)) return;
    if (!shared_.insertMode && pos_ < CaretText().end())
        OverwriteOne(ch);
    else
        InsertAtCaret(ch, UndoKind::kType);
}

void CElwView::OverwriteOne(const std::string& ch) {
    view::LineText t = CaretText();
    // Cover at least as many columns as the character takes; a wider character that is cut
    // leaves a space for its remaining column.
    int want = ch.size() > 1 ? 2 : 1;
    int covered = 0;
    size_t q = pos_;
    while (q < t.end() && covered < want) {
        size_t len = layout_.CharLen(t, q);
        covered += len > 1 ? 2 : 1;
        q += len;
    }
    UndoPosition at = CaretPosition();
    std::string fb = FlagsOf(lineNo_, 1);
    std::string put = ch;
    for (int i = want; i < covered; ++i) put.push_back(' ');
    std::string removed = RawDelete(q - pos_, nullptr);
    std::string ins = RawInsert(put);
    // The caret stands behind the typed character, before any filling space.
    pos_ -= put.size() - ch.size();
    Commit(UndoKind::kOverwrite, at, at, removed, ins, fb);
}

void CElwView::FillToCaret() {
    view::LineText t = CaretText();
    int col = layout_.ColumnOf(t, layout_.RowOf(t, pos_).start, pos_);
    const int target = virtualCol_;
    const int tab = layout_.tabWidth();
    std::string fill;
    while (col < target) {
        int stop = (col / tab + 1) * tab;
        if (options_.fillByTab && stop <= target) {
            fill.push_back('\t');
            col = stop;
        } else {
            fill.push_back(' ');
            ++col;
        }
    }
    virtualCol_ = -1;
    if (!fill.empty()) InsertAtCaret(fill, UndoKind::kInsertBlock);
}

// Automatic splitting at the wrap column. Returns true when the character was swallowed.
bool CElwView::AutoSplitBefore(const std::string& ch) {
    if (!options_.autoSplit || options_.noWrap || options_.cFile) return false;
    const int w = layout_.wrapColumn();
    const int k = caretColumn();
    view::LineText chText(ch);
    uint16_t code = CodeAt(chText, 0, ch.size());
    const bool dbcs = ch.size() > 1;
    if (dbcs) {
        if ((layout_.oida().Contains(code) && k >= w - 3) ||
            (k >= w - 1 && !layout_.bura().Contains(code))) {
            SplitLine(true, true);
        }
        return false;
    }
    if (layout_.oida().Contains(code) && k >= w - 2) {
        SplitLine(true, true);
        return false;
    }
    if (k < w) return false;
    if (ch == " ") {
        SplitLine(true, true);
        return true;
    }
    if (ch == "\t" || layout_.bura().Contains(code)) return false;
    // Move the word being typed to a new line.
    view::LineText t = CaretText();
    size_t indentEnd = 0;
    while (indentEnd < t.end() && (t[indentEnd] == ' ' || t[indentEnd] == '\t')) ++indentEnd;
    size_t q = pos_;
    while (q > indentEnd) {
        size_t p = layout_.PrevChar(t, q);
        size_t len = q - p;
        if (len == 1 && (t[p] == ' ' || t[p] == '\t')) break;
        if (len > 1 && !layout_.oida().Contains(CodeAt(t, p, len))) break;
        q = p;
    }
    if (q <= indentEnd) {
        SplitLine(true, true);  // one long word: it stays, the new character starts a line
        return false;
    }
    const size_t word = pos_ - q;
    pos_ = q;
    // The blank before the word, a whole character (a trail byte may look like a tab).
    size_t b = layout_.PrevChar(t, q);
    if (q - b == 1 && b >= indentEnd && (t[b] == ' ' || t[b] == '\t')) {
        DeleteBackward(1, UndoKind::kDeleteBefore);
    }
    SplitLine(true, true);
    pos_ += word;
    return false;
}

// ---- Delete and BackSpace -------------------------------------------------------------------

void CElwView::DeleteChar() {
    if (selection_ && selection_->HasSelection(*this)) {
        selection_->DeleteSelection(*this);
        return;
    }
    virtualCol_ = -1;
    view::LineText t = CaretText();
    if (pos_ < t.end()) {
        DeleteForward(layout_.CharLen(t, pos_), UndoKind::kDeleteAfter);
        return;
    }
    if (!line_->next) return;
    UndoPosition at = CaretPosition();
    std::string fb = FlagsOf(lineNo_, 1);
    std::string del = RawDelete(1, &fb);
    if (del.empty()) return;
    line_->flags &= static_cast<uint8_t>(~LF_FORMATTED);
    Commit(UndoKind::kDeleteAfter, at, at, del, {}, fb);
}

void CElwView::BackSpace() {
    if (selection_ && selection_->HasSelection(*this)) {
        selection_->DeleteSelection(*this);
        return;
    }
    virtualCol_ = -1;
    if (pos_ > 0) {
        size_t p = layout_.PrevChar(CaretText(), pos_);
        DeleteBackward(pos_ - p, UndoKind::kDeleteBefore);
        return;
    }
    if (lineNo_ <= 1) return;
    // The line end about to go is the previous line's.
    const bool formatted = line_->prev && (line_->prev->flags & LF_FORMATTED) != 0;
    UndoPosition before = CaretPosition();
    GoToLine(lineNo_ - 1);
    pos_ = CaretText().end();
    UndoPosition at = CaretPosition();
    std::string fb = FlagsOf(lineNo_, 1);
    std::string del = RawDelete(1, &fb);
    if (del.empty()) return;
    line_->flags &= static_cast<uint8_t>(~LF_FORMATTED);
    Commit(UndoKind::kDeleteBefore, before, at, del, {}, fb);
    // The space that an automatic split swallowed goes too.
    if (formatted && shared_.backSpacePending && shared_.backSpacePending()) BackSpace();
}

void CElwView::DeleteToEnd() {
    virtualCol_ = -1;
    size_t end = CaretText().end();
    if (pos_ < end) DeleteForward(end - pos_, UndoKind::kDeleteAfter);
}

void CElwView::DeleteToTop() {
    virtualCol_ = -1;
    if (pos_ > 0) DeleteBackward(pos_, UndoKind::kDeleteBefore);
}

// ---- line splitting and indentation ---------------------------------------------------------

std::string CElwView::IndentFor(const std::string& line, bool bullets) const {
    const int limit = layout_.wrapColumn() - 10;
    const size_t byteLimit = document::LineEditBuffer::kSize - 5;
    const view::CharSet ankTitle(options_.ankTitle.empty() ? kDefaultAnkTitle : options_.ankTitle,
                                 {});
    const view::CharSet dbcsTitle({}, options_.dbcsTitle);
    view::LineText t(line, "\n");
    std::string out;
    int col = 0;
    for (size_t i = 0; i < t.end();) {
        size_t len = layout_.CharLen(t, i);
        uint16_t code = CodeAt(t, i, len);
        std::string piece;
        int next;
        if (code == ' ' || code == '\t') {
            piece.assign(1, static_cast<char>(code));
            next = layout_.Advance(t, i, 1, col);
        } else if (code == kIdeographicSpace && options_.dbcsSpaceIndent) {
            piece = t.Slice(i, i + len);
            next = col + 2;
        } else if (bullets && len > 1 && dbcsTitle.Contains(code)) {
            piece.assign(2, ' ');
            next = col + 2;
        } else if (bullets && len == 1 && ankTitle.Contains(code) && i + 1 < t.end() &&
                   (t[i + 1] == ' ' || t[i + 1] == '\t')) {
            piece.assign(1, ' ');
            next = col + 1;
        } else {
            break;
        }
        if (next > limit || out.size() + piece.size() > byteLimit) break;
        out += piece;
        col = next;
        i += len;
    }
    return out;
}

void CElwView::SplitLine(bool bullets, bool formatted) {
    DeleteSelectionIfAny(false);
    virtualCol_ = -1;
    view::LineText t = CaretText();
    bool afterText = pos_ > 0 && t[pos_ - 1] > 0x20;
    uint8_t noted = 0;
    if (pos_ > 0) {
        size_t p = layout_.PrevChar(t, pos_);
        if (pos_ - p == 1) noted = t[p];
    }
    std::string content = t.Content();
    if (noted == '{' || noted == ':') {
        size_t b = content.find_first_not_of(" \t");
        if (b != std::string::npos && content.compare(b, 6, "switch") == 0) noted = 0;
    }
    if (options_.removeSpaces && pos_ > 0 && content.find_first_not_of(" \t") >= pos_) {
        DeleteToTop();
        content = CaretText().Content();
    }
    std::string indent =
        options_.autoIndent ? IndentFor(content.substr(0, pos_), bullets) : std::string();
    UndoPosition at = CaretPosition();
    std::string fb = FlagsOf(lineNo_, 1);
    std::string ins = RawInsert("\n" + indent);
    if (ins.empty()) return;
    // The mark goes on the line whose line end the split made, where reflowing looks for it.
    if (formatted && line_->prev) line_->prev->flags |= LF_FORMATTED;
    Commit(UndoKind::kSplit, at, at, ins, {}, fb);
    if (options_.cFile && options_.cppMode && options_.autoIndent && (noted == '{' || noted == ':'))
        Tab();
    if (afterText && options_.autoSplit) {
        view::LineText n = CaretText();
        if (pos_ < n.end() && n[pos_] == ' ') DeleteForward(1, UndoKind::kDeleteAfter);
    }
}

void CElwView::Tab() {
    if (!options_.softTab) {
        TypeOne("\t");
        return;
    }
    DeleteSelectionIfAny(false);
    if (virtualCol_ >= 0) {
        if (options_.freeCursor) FillToCaret();
        virtualCol_ = -1;
    }
    const int tab = layout_.tabWidth();
    int n = tab - caretColumn() % tab;
    InsertAtCaret(std::string(static_cast<size_t>(n), ' '), UndoKind::kType);
}

// A "}" typed on a line of blanks takes the indentation of the line of its "{".
void CElwView::CloseBrace() {
    view::LineText t = CaretText();
    for (size_t i = 0; i < pos_; ++i)
        if (t[i] != ' ' && t[i] != '\t') return;
    constexpr int kLineBudget = 100000;
    int depth = 1;
    const document::LineRecord* r = line_->prev;
    for (int n = 0; r && n < kLineBudget; r = r->prev, ++n) {
        view::LineText lt = TextOf(r);
        std::vector<size_t> braces;
        for (size_t q = 0; q < lt.end(); q += layout_.CharLen(lt, q))
            if (lt[q] == '{' || lt[q] == '}') braces.push_back(q);
        for (auto it = braces.rbegin(); it != braces.rend(); ++it) {
            depth += lt[*it] == '}' ? 1 : -1;
            if (depth == 0) {
                std::string c = lt.Content();
                std::string indent = c.substr(0, c.find_first_not_of(" \t"));
                if (t.Slice(0, pos_) == indent) return;
                DeleteToTop();
                if (!indent.empty()) InsertAtCaret(indent, UndoKind::kInsertBlock);
                return;
            }
        }
    }
}

// ---- case -----------------------------------------------------------------------------------

// Flips the single-byte letters of a text, walking characters: a trail byte that looks like a
// letter is left alone.
static std::string FlipLetters(std::string_view text, int codePage) {
    std::string out(text);
    const char* end = out.data() + out.size();
    for (char* p = out.data(); p < end;) {
        const char* lf =
            static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        size_t len = document::CharLength(codePage, p, lf ? lf : end);
        if (len == 1) *p = FlipLetter(*p);
        p += len;
    }
    return out;
}

void CElwView::FlipCase() {
    virtualCol_ = -1;
    UndoPosition from, to;
    if (selection_ && selection_->StreamRange(*this, &from, &to)) {
        // Count the bytes of the range (line feeds included) from the start of the range.
        PlaceExactly(from);
        size_t n = 0;
        for (int l = from.line; l < to.line; ++l) {
            n += TextOf(RecordFrom(line_, lineNo_, l)).size();
        }
        n = n + to.column - from.column;
        std::string fb = FlagsOf(lineNo_, 1);
        std::string orig = RawDelete(n, &fb);
        std::string ins = RawInsert(FlipLetters(orig, layout_.codePage()));
        Commit(UndoKind::kFlipCaseSelection, from, from, orig, ins, fb);
        PlaceExactly(to);
        return;
    }
    view::LineText t = CaretText();
    size_t q = pos_;
    // Only single-byte letters: a trail byte of a double-byte character is never a letter.
    while (q < t.end() && layout_.CharLen(t, q) == 1 && IsAsciiLetter(t[q])) ++q;
    if (q == pos_) return;
    UndoPosition at = CaretPosition();
    std::string fb = FlagsOf(lineNo_, 1);
    std::string orig = RawDelete(q - pos_, nullptr);
    std::string ins = RawInsert(FlipLetters(orig, layout_.codePage()));
    Commit(UndoKind::kFlipCase, at, at, orig, ins, fb);
}

void CElwView::FlipCaseOne() {
    virtualCol_ = -1;
    view::LineText t = CaretText();
    if (pos_ < t.end() && layout_.CharLen(t, pos_) == 1 && IsAsciiLetter(t[pos_])) {
        UndoPosition at = CaretPosition();
        std::string fb = FlagsOf(lineNo_, 1);
        std::string orig = RawDelete(1, nullptr);
        std::string ins = RawInsert(std::string(1, FlipLetter(orig[0])));
        Commit(UndoKind::kFlipCase, at, at, orig, ins, fb);
        return;
    }
    MoveRight();
}

// ---- inserting text -------------------------------------------------------------------------

std::string CleanInsertedText(std::string_view text, int cp) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out.push_back('\n');
            i += 2;
            continue;
        }
        size_t trail = static_cast<size_t>(document::CharTrailBytes(cp, static_cast<uint8_t>(c)));
        if (trail == 0) {
            out.push_back(c);
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < text.size() && j <= i + trail && text[j] != '\n' &&
               !(text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n'))
            ++j;
        if (j == i + 1 + trail) {
            out.append(text.substr(i, trail + 1));
            i = j;
        } else if (j == i + 1) {
            // A lead byte before a line end (or the end of the text) would join with whatever
            // follows it: it becomes a space.
            out.push_back(' ');
            ++i;
        } else {
            out.append(text.substr(i, j - i));
            i = j;
        }
    }
    return out;
}

bool InsertedTextIsClean(std::string_view text) {
    return platform::AsciiPrefix(text, true) == text.size();
}

void CElwView::InsertText(std::string_view text, uint8_t flags) {
    if (doc_.readOnly || text.empty()) return;
    // A copy, also of clean text: `text` may lie in this document, which changes below.
    const std::string out =
        InsertedTextIsClean(text) ? std::string(text) : CleanInsertedText(text, layout_.codePage());
    CommandScope scope(*this);
    DeleteSelectionIfAny(false);
    if (virtualCol_ >= 0) {
        if (options_.freeCursor) FillToCaret();
        virtualCol_ = -1;
    }
    UndoPosition at = CaretPosition();
    std::string fb = FlagsOf(lineNo_, 1);
    std::string ins = RawInsert(out);
    if (ins.empty()) return;
    if (flags) {
        // The lines the text made get the caller's flags.
        document::LineRecord* r = line_;
        for (int n = lineNo_; n > at.line; --n, r = r->prev) r->flags |= flags;
    }
    Commit(UndoKind::kInsertBlock, at, at, ins, {}, fb);
    AutoFormat();
    goal_ = -1;
    KeepCaretVisible(0, 0);
    CaretMoved();
}

}  // namespace norv::editing
