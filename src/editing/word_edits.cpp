// Word moves and word deletion. Characters are compared by their Shift-JIS codes (a UTF-8
// character is looked up through code page 932), so the same rules hold in both encodings.
// A line is walked forward to find character starts; it is never scanned backwards.
#include <vector>

#include "editing/edit_view.h"

namespace norv::editing {

using document::UndoKind;

namespace {

constexpr bool IsHiragana(uint16_t code) {
    return code >= 0x100 && (code >> 8) == 0x82;
}
constexpr bool IsBlank(uint16_t code) {
    return code == ' ' || code == '\t' || code == 0x8140;
}
constexpr bool ClassDelimits(WordClass c) {
    return c == WordClass::kAnkDelimiter || c == WordClass::kDbcsDelimiter;
}

// Character starts of [0, end).
std::vector<size_t> CharStarts(const view::LineLayout& layout, const view::LineText& t,
                               size_t end) {
    std::vector<size_t> s;
    for (size_t q = 0; q < end; q += layout.CharLen(t, q)) s.push_back(q);
    return s;
}

}  // namespace

uint16_t CElwView::CodeAt(const view::LineText& t, size_t i, size_t len) const {
    return view::CharCode(layout_.codePage(), t, i, len);
}

void CElwView::WordRight() {
    view::LineText t = CaretText();
    const size_t lf = t.end();
    virtualCol_ = -1;
    if (pos_ >= lf) {
        // Only a line end that is the very first character is passed.
        if (line_->next) GoToLine(lineNo_ + 1);
        return;
    }
    bool hiragana = false;
    size_t i = pos_;
    while (i < lf) {
        size_t len = layout_.CharLen(t, i);
        uint16_t code = CodeAt(t, i, len);
        bool delim = words_.IsDelimiter(code);
        if (len > 1) {
            if (IsHiragana(code))
                hiragana = true;
            else if (hiragana && (code >> 8) != 0x81)
                break;
        } else if (hiragana && !delim) {
            break;
        }
        if (delim) {
            // Skip the delimiters up to the next word or the line end. A lead byte standing
            // before the line end is a one-byte character here like everywhere else.
            while (i < lf) {
                size_t l = layout_.CharLen(t, i);
                if (!words_.IsDelimiter(CodeAt(t, i, l))) break;
                i += l;
            }
            break;
        }
        i += len;
    }
    pos_ = i;
}

void CElwView::WordLeft() {
    if (pos_ == 0 || virtualCol_ >= 0) {
        MoveLeft();
        return;
    }
    view::LineText t = CaretText();
    std::vector<size_t> s = CharStarts(layout_, t, pos_);
    auto lenOf = [&](size_t k) { return (k + 1 < s.size() ? s[k + 1] : pos_) - s[k]; };
    size_t k = s.size();
    while (k > 0 && words_.IsDelimiter(CodeAt(t, s[k - 1], lenOf(k - 1)))) --k;
    if (k == 0) {
        pos_ = 0;
        return;
    }
    // The first non-delimiter belongs to the word; hiragana before it count only while
    // nothing but hiragana has been taken after that first one.
    --k;
    bool allowance = true;
    while (k > 0) {
        uint16_t code = CodeAt(t, s[k - 1], lenOf(k - 1));
        if (words_.IsDelimiter(code)) break;
        if (IsHiragana(code)) {
            if (!allowance) break;
        } else {
            allowance = false;
        }
        --k;
    }
    pos_ = s[k];
}

void CElwView::DeleteWord() {
    view::LineText t = CaretText();
    const size_t lf = t.end();
    if (pos_ >= lf) {
        DeleteChar();
        return;
    }
    size_t len = layout_.CharLen(t, pos_);
    WordClass a = words_.ClassOf(CodeAt(t, pos_, len));
    size_t i = pos_;
    while (i < lf) {
        size_t l = layout_.CharLen(t, i);
        uint16_t c = CodeAt(t, i, l);
        i += l;
        if (i >= lf) break;
        if (!IsBlank(c) && ClassDelimits(a)) break;  // a single delimiter goes alone
        size_t nl = layout_.CharLen(t, i);
        if (words_.ClassOf(CodeAt(t, i, nl)) != a) break;
    }
    DeleteForward(i - pos_, UndoKind::kDeleteAfter);
}

void CElwView::BackSpaceWord() {
    if (pos_ == 0) {
        BackSpace();
        return;
    }
    view::LineText t = CaretText();
    std::vector<size_t> s = CharStarts(layout_, t, pos_);
    auto lenOf = [&](size_t k) { return (k + 1 < s.size() ? s[k + 1] : pos_) - s[k]; };
    size_t k = s.size() - 1;
    uint16_t c = CodeAt(t, s[k], lenOf(k));
    WordClass a = words_.ClassOf(c);
    if (!(ClassDelimits(a) && !IsBlank(c))) {
        for (;;) {
            if (k == 0) break;
            uint16_t here = CodeAt(t, s[k], lenOf(k));
            if (!IsBlank(here) && ClassDelimits(a)) break;
            if (words_.ClassOf(CodeAt(t, s[k - 1], lenOf(k - 1))) != a) break;
            --k;
        }
    }
    DeleteBackward(pos_ - s[k], UndoKind::kDeleteBefore);
}

}  // namespace norv::editing
