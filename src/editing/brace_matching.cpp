// Brace matching: candidate bytes are found with memchr, and each is kept only when it starts
// a one-byte character. In a double-byte code page that is decided where the byte stands: a byte
// that is not a lead byte always ends a character, so the run of lead-byte values just before
// the candidate pairs up from its start, and the candidate starts a character exactly when that
// run is even. In UTF-8 the line's characters are walked from its start (a lead byte takes the
// bytes it announces, whatever they are). Other code pages have one-byte characters only.
#include "editing/brace_matching.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <cstring>
#include <vector>

#include "document/char_model.h"

namespace norv::editing {

using document::LineRecord;

namespace {

constexpr std::string_view kOpening = "({[<";
constexpr std::string_view kClosing = ")}]>";

// The offsets of the one-byte characters of a line equal to `a` or `b`, in order.
class BraceFinder {
  public:
    BraceFinder(int codePage, char a, char b)
        : codePage_(codePage), utf8_(document::IsUtf8CodePage(codePage)), a_(a), b_(b) {
        for (int v = 0; v < 256; ++v)
            if (platform::IsLeadByte(codePage, static_cast<uint8_t>(v))) lead_ = true;
    }

    // The braces of `text` in [from, to), appended to `out`.
    void Find(std::string_view text, size_t from, size_t to, std::vector<size_t>* out) const {
        const char* base = text.data();
        const char* p = base + from;
        const char* end = base + std::min(to, text.size());
        size_t walked = 0;  // a character start at or before every candidate yet to come
        while (p < end) {
            const auto* qa = static_cast<const char*>(std::memchr(p, a_, size_t(end - p)));
            const auto* qb = static_cast<const char*>(std::memchr(p, b_, size_t(end - p)));
            const char* q = !qa ? qb : !qb ? qa : std::min(qa, qb);
            if (!q) break;
            const size_t i = size_t(q - base);
            if (StartsCharacter(text, i, &walked)) out->push_back(i);
            p = q + 1;
        }
    }

  private:
    bool StartsCharacter(std::string_view text, size_t i, size_t* walked) const {
        if (utf8_) {
            const char* end = text.data() + text.size();
            while (*walked < i)
                *walked += document::CharLength(codePage_, text.data() + *walked, end);
            return *walked == i;
        }
        if (!lead_) return true;
        size_t run = 0;
        while (run < i && platform::IsLeadByte(codePage_, static_cast<uint8_t>(text[i - run - 1])))
            ++run;
        return run % 2 == 0;
    }

    int codePage_;
    bool utf8_;
    bool lead_ = false;
    char a_;
    char b_;
};

std::string_view ContentOf(const LineRecord* r) {
    return {r->text(), r->contentLength()};
}

}  // namespace

char BracePartner(char c, bool* opening) {
    if (size_t i = kOpening.find(c); c && i != std::string_view::npos) {
        *opening = true;
        return kClosing[i];
    }
    if (size_t i = kClosing.find(c); c && i != std::string_view::npos) {
        *opening = false;
        return kOpening[i];
    }
    return 0;
}

std::optional<TextPlace> MatchBrace(const LineRecord* line, int lineNumber, size_t pos,
                                    int codePage, const std::function<bool()>& escape,
                                    bool* stopped) {
    *stopped = false;
    std::string_view text = ContentOf(line);
    assert(pos < text.size() && "the caret stands on the brace");
    const char c = text[pos];
    bool opening = false;
    const char partner = BracePartner(c, &opening);
    if (!partner) return std::nullopt;
    const BraceFinder finder(codePage, c, partner);
    std::vector<size_t> found;
    int depth = 1;
    int lines = 0;
    const LineRecord* r = line;
    int n = lineNumber;
    size_t from = opening ? pos + 1 : 0;
    size_t to = opening ? text.size() : pos;
    for (;;) {
        found.clear();
        finder.Find(text, from, to, &found);
        if (opening) {
            for (size_t i : found)
                if ((text[i] == c ? ++depth : --depth) == 0) return TextPlace{n, i};
        } else {
            for (auto it = found.rbegin(); it != found.rend(); ++it)
                if ((text[*it] == c ? ++depth : --depth) == 0) return TextPlace{n, *it};
        }
        r = opening ? r->next : r->prev;
        if (!r) return std::nullopt;
        n += opening ? 1 : -1;
        if (++lines % kLinesPerEscapePoll == 0 && escape && escape()) {
            *stopped = true;
            return std::nullopt;
        }
        text = ContentOf(r);
        from = 0;
        to = text.size();
    }
}

std::optional<TagSearch> TagSearchAt(std::string_view line, size_t pos, int codePage) {
    // The character starts of the line up to just past the caret's word.
    const char* end = line.data() + line.size();
    auto lengthAt = [&](size_t i) { return document::CharLength(codePage, line.data() + i, end); };
    std::vector<size_t> starts;
    size_t caret = 0;  // index in `starts` of the caret's character
    for (size_t i = 0; i < line.size(); i += lengthAt(i)) {
        if (i <= pos) caret = starts.size();
        starts.push_back(i);
    }
    if (starts.empty() || starts[caret] != pos) return std::nullopt;
    auto single = [&](size_t k) { return lengthAt(starts[k]) == 1; };
    auto isWordChar = [&](size_t k) {
        return k < starts.size() && single(k) &&
               std::isalnum(static_cast<unsigned char>(line[starts[k]]));
    };
    if (single(caret) && line[pos] == '/' && caret + 1 < starts.size()) ++caret;
    size_t first = caret;
    while (first > 0 && isWordChar(first - 1)) --first;
    size_t last = first;
    while (isWordChar(last)) ++last;
    if (last == first) return std::nullopt;
    size_t k = first;
    while (k > 0 && single(k - 1) && static_cast<unsigned char>(line[starts[k - 1]]) < '!') --k;
    if (k == 0 || !single(k - 1)) return std::nullopt;
    const char reached = line[starts[k - 1]];
    if (reached != '<' && reached != '/') return std::nullopt;
    const size_t wordEnd = last < starts.size() ? starts[last] : line.size();
    const std::string_view word = line.substr(starts[first], wordEnd - starts[first]);
    TagSearch s;
    s.forward = reached == '<';
    s.text = std::string(1, s.forward ? '/' : '<') + std::string(word);
    s.from = starts[caret];
    return s;
}

// ---- OtherParen -------------------------------------------------------------------------------

void CElwView::CorrParen() {
    // The walk reads the records: the line being edited goes back first.
    ReleaseBuffer();
    const view::LineText t = CaretText();
    bool opening = false;
    if (pos_ < t.end() && layout_.CharLen(t, pos_) == 1 && BracePartner(char(t[pos_]), &opening)) {
        bool stopped = false;
        const std::optional<TextPlace> at =
            MatchBrace(line_, lineNo_, pos_, layout_.codePage(), shared_.escapePressed, &stopped);
        if (!at) return;
        SavePosition();
        SetCaret(at->line, at->pos);
        FinishLongMove();
        return;
    }
    if (doc_.typeCode == 'H') MatchTag();
}

bool CElwView::MatchTag() {
    if (!shared_.tagSearch) return false;
    const std::optional<TagSearch> tag =
        TagSearchAt(CaretText().Content(), pos_, layout_.codePage());
    if (!tag) return false;
    // The search is the program's own: resident scripts see nothing of it.
    ++shared_.residentEventsSuppressed;
    const std::optional<TextPlace> found =
        shared_.tagSearch(*this, TextPlace{lineNo_, tag->from}, tag->text, tag->forward);
    --shared_.residentEventsSuppressed;
    if (!found) return false;
    SavePosition();
    SetCaret(found->line, found->pos);
    // Onto the tag's name, past its "<" or "/".
    const view::LineText t = CaretText();
    if (pos_ < t.end()) pos_ += layout_.CharLen(t, pos_);
    FinishLongMove();
    return true;
}

}  // namespace norv::editing
