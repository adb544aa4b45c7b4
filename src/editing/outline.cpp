#include "editing/outline.h"

#include <algorithm>
#include <cassert>

#include "document/char_model.h"

namespace norv::editing {

using document::LF_MARK;
using document::LineRecord;

namespace {

enum class HeadingChar : uint8_t { kOther, kBlank, kTab, kDot, kDigit, kSectionSign, kLetter };

// Code page 932: the double-byte digits and the section sign.
constexpr uint16_t kSjisDigitZero = 0x824F;
constexpr uint16_t kSjisDigitNine = 0x8258;
constexpr uint16_t kSjisSectionSign = 0x8198;
constexpr int kCodePage932 = 932;

HeadingChar Classify(int codePage, const char* p, size_t len) {
    const auto b0 = static_cast<uint8_t>(p[0]);
    if (len == 1) {
        if (b0 == ' ') return HeadingChar::kBlank;
        if (b0 == '\t') return HeadingChar::kTab;
        if (b0 == '.') return HeadingChar::kDot;
        if (b0 >= '0' && b0 <= '9') return HeadingChar::kDigit;
        if ((b0 | 0x20) >= 'a' && (b0 | 0x20) <= 'z') return HeadingChar::kLetter;
        return HeadingChar::kOther;
    }
    const auto b1 = static_cast<uint8_t>(p[1]);
    if (document::IsUtf8CodePage(codePage)) {
        if (len == 3 && b0 == 0xEF && b1 == 0xBC && static_cast<uint8_t>(p[2]) >= 0x90 &&
            static_cast<uint8_t>(p[2]) <= 0x99)
            return HeadingChar::kDigit;
        if (len == 2 && b0 == 0xC2 && b1 == 0xA7) return HeadingChar::kSectionSign;
        return HeadingChar::kOther;
    }
    if (codePage != kCodePage932 || len != 2) return HeadingChar::kOther;
    const auto code = static_cast<uint16_t>(b0 << 8 | b1);
    if (code >= kSjisDigitZero && code <= kSjisDigitNine) return HeadingChar::kDigit;
    if (code == kSjisSectionSign) return HeadingChar::kSectionSign;
    return HeadingChar::kOther;
}

// Reads a line's characters one by one.
class HeadingReader {
  public:
    HeadingReader(std::string_view text, int codePage)
        : p_(text.data()), end_(text.data() + text.size()), codePage_(codePage) {}
    bool done() const { return p_ == end_; }
    HeadingChar Peek() const {
        return done() ? HeadingChar::kOther : Classify(codePage_, p_, Len());
    }
    // The class of the character after the next one.
    HeadingChar PeekSecond() const {
        if (done()) return HeadingChar::kOther;
        const char* q = p_ + Len();
        return q == end_ ? HeadingChar::kOther
                         : Classify(codePage_, q, document::CharLength(codePage_, q, end_));
    }
    void Next() { p_ += Len(); }

  private:
    size_t Len() const { return document::CharLength(codePage_, p_, end_); }
    const char* p_;
    const char* end_;
    int codePage_;
};

}  // namespace

int HeadingLevel(std::string_view text, int codePage, int tabWidth) {
    HeadingReader r(text, codePage);
    int level = 0;
    for (; !r.done(); r.Next()) {
        const HeadingChar c = r.Peek();
        if (c == HeadingChar::kBlank)
            level += 1;
        else if (c == HeadingChar::kTab)
            level += tabWidth > 0 ? tabWidth - level % tabWidth : 1;
        else
            break;
    }
    bool dotSeen = false;
    while (!r.done()) {
        // One component: digits (a section sign before them skipped), or one letter.
        if (r.Peek() == HeadingChar::kSectionSign && r.PeekSecond() == HeadingChar::kDigit)
            r.Next();
        if (r.Peek() == HeadingChar::kDigit) {
            while (r.Peek() == HeadingChar::kDigit) r.Next();
        } else if (r.Peek() == HeadingChar::kLetter) {
            r.Next();
        } else {
            break;
        }
        const HeadingChar after = r.Peek();
        if (after == HeadingChar::kDot) {
            ++level;
            dotSeen = true;
            r.Next();
            continue;
        }
        if (!r.done() && dotSeen && (after == HeadingChar::kBlank || after == HeadingChar::kTab))
            ++level;
        break;
    }
    return level;
}

void AssignItemText(std::string& out, std::string_view text, int codePage) {
    size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
    text.remove_prefix(start);
    if (text.size() <= kItemTextBytes) {
        out.assign(text);
        return;
    }
    const char* end = text.data() + text.size();
    size_t cut = 0;
    for (;;) {
        const size_t len = document::CharLength(codePage, text.data() + cut, end);
        if (cut + len > kItemTextBytes) break;
        cut += len;
    }
    out.assign(text.substr(0, cut));
    out.append("...");
}

std::string ItemText(std::string_view text, int codePage) {
    std::string out;
    AssignItemText(out, text, codePage);
    return out;
}

std::vector<int> NestLevels(const std::vector<int>& levels) {
    // The open items from the root down: an item closes when a later one is not deeper.
    std::vector<int> parents(levels.size(), -1);
    std::vector<int> open;
    for (size_t i = 0; i < levels.size(); ++i) {
        while (!open.empty() && levels[static_cast<size_t>(open.back())] >= levels[i])
            open.pop_back();
        parents[i] = open.empty() ? -1 : open.back();
        open.push_back(static_cast<int>(i));
    }
    return parents;
}

void BuildOutline(const LineRecord* first, int codePage, int tabWidth,
                  std::vector<OutlineItem>& items) {
    size_t marked = 0;
    for (const LineRecord* r = first; r; r = r->next)
        if ((r->flags & LF_MARK) && r->contentLength() > 0) ++marked;
    // Items already there are filled again, their texts' buffers kept: a rebuild of a large
    // outline neither frees nor allocates one string per item.
    if (items.size() > marked) items.resize(marked);
    items.reserve(marked);
    // The open items from the root down, as NestLevels keeps them.
    std::vector<int> open;
    size_t count = 0;
    uint32_t ordinal = 0;
    int n = 1;
    for (const LineRecord* r = first; r; r = r->next, ++n) {
        if (!(r->flags & LF_MARK)) continue;
        const uint32_t k = ordinal++;
        if (r->contentLength() == 0) continue;
        const std::string_view text(r->text(), r->contentLength());
        if (count == items.size()) items.emplace_back();
        OutlineItem& item = items[count];
        item.line = n;
        item.ordinal = k;
        item.level = HeadingLevel(text, codePage, tabWidth);
        AssignItemText(item.text, text, codePage);
        while (!open.empty() && items[static_cast<size_t>(open.back())].level >= item.level)
            open.pop_back();
        item.parent = open.empty() ? -1 : open.back();
        open.push_back(static_cast<int>(count));
        ++count;
    }
    items.resize(count);
}

std::vector<OutlineItem> BuildOutline(const LineRecord* first, int codePage, int tabWidth) {
    std::vector<OutlineItem> items;
    BuildOutline(first, codePage, tabWidth, items);
    return items;
}

size_t SubtreeEnd(const std::vector<OutlineItem>& items, size_t i) {
    assert(i < items.size() && "an item of the outline");
    // The subtree follows its item in line order; an item is in it while one of its ancestors
    // is item i.
    size_t j = i + 1;
    for (; j < items.size(); ++j) {
        int p = items[j].parent;
        while (p > static_cast<int>(i)) p = items[static_cast<size_t>(p)].parent;
        if (p != static_cast<int>(i)) break;
    }
    return j;
}

int LineOfMark(const LineRecord* first, uint32_t ordinal) {
    uint32_t k = 0;
    int n = 1;
    for (const LineRecord* r = first; r; r = r->next, ++n)
        if ((r->flags & LF_MARK) && k++ == ordinal) return n;
    return 0;
}

std::string MarkedLinesText(const LineRecord* first, const std::vector<uint32_t>& ordinals) {
    std::string out;
    uint32_t k = 0;
    size_t next = 0;
    for (const LineRecord* r = first; r && next < ordinals.size(); r = r->next) {
        if (!(r->flags & LF_MARK)) continue;
        if (k++ != ordinals[next]) continue;
        out.append(r->text(), r->contentLength());
        out += "\r\n";
        ++next;
    }
    return out;
}

std::string LinesText(const LineRecord* first, int from, int to) {
    std::string out;
    int n = 1;
    for (const LineRecord* r = first; r && (to == 0 || n < to); r = r->next, ++n) {
        if (n < from) continue;
        // The empty line after the text's last line end is no line of its own.
        if (!r->next && r->contentLength() == 0) break;
        out.append(r->text(), r->contentLength());
        out += "\r\n";
    }
    return out;
}

}  // namespace norv::editing
