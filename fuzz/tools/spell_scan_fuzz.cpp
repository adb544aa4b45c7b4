// The spelling check's scan on arbitrary bytes: the first bytes choose the code (Shift-JIS, a
// code page without double-byte characters, UTF-8), a selection and the dialog's answers; the
// rest is the document, one line per line feed. The engine is a fake that asks about every
// word. Every word the scan passes is the line's bytes at a character start, obeys the word
// rules (at most 256 bytes, a letter or digit first, each further byte taken by its rule, the
// word as long as the rules allow), the words come in text order, and the scan ends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "app/spell_check.h"
#include "document/char_model.h"
#include "document/document.h"
#include "document/undo_list.h"
#include "editing/edit_view.h"
#include "editing/selection.h"
#include "platform/fakes/fake_clipboard.h"
#include "tools/spell/word_scanner.h"

using namespace norv;

namespace {

// Whether byte n (n >= 1) of a word starting at `s` is taken by the rules.
bool Takes(std::string_view line, size_t s, size_t n) {
    auto at = [&](size_t i) -> uint8_t {
        return i < line.size() ? static_cast<uint8_t>(line[i]) : 0;
    };
    const uint8_t c = at(s + n);
    if (s + n >= line.size()) return false;
    if (tools::IsWordByte(c)) return true;
    if ((c == '\'' || c == '-') && tools::IsWordByte(at(s + n + 1))) return true;
    if (c == '.' && n == 1) return true;
    return c == '.' && n >= 3 && tools::IsWordByte(at(s + n - 1)) && at(s + n - 2) == '.';
}

class AskingEngine : public tools::SpellEngine {
  public:
    tools::WordVerdict CheckWord(std::string_view w, std::string* replacement) override {
        if (w.empty() || w.size() > tools::kMaxWordBytes) std::abort();
        if (auto it = changes.find(std::string(w)); it != changes.end()) {
            *replacement = it->second;
            return tools::WordVerdict::kReplace;
        }
        return tools::WordVerdict::kNotAccepted;
    }
    std::vector<std::string> Suggest(std::string_view, int) override { return {"x"}; }
    void IgnoreAll(std::string_view) override {}
    bool AddToUserList(std::string_view) override { return true; }
    void ChangeAll(std::string_view w, std::string_view r) override {
        changes[std::string(w)] = std::string(r);
    }
    std::string UserListPath() const override { return {}; }
    std::map<std::string, std::string> changes;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    static constexpr int kCodes[] = {0, 1, 2};  // Shift-JIS, code page 1252, UTF-8
    const int code = kCodes[data[0] % 3];
    const bool selected = data[0] & 4;
    const uint8_t answers = data[1];
    document::LineHeap heap;
    document::DocumentEnvironment env;
    env.heap = &heap;
    env.codePage = code == 1 ? 1252 : 932;
    document::CElwDoc doc(env);
    doc.NewDocument();
    if (code == 2) doc.code = document::TextCode::kUtf8;
    const int codePage = doc.CodePage();
    std::string_view rest(reinterpret_cast<const char*>(data + 6), size - 6);
    doc.lines().Reset();
    for (;;) {
        size_t nl = rest.find('\n');
        std::string_view line = rest.substr(0, nl);
        if (line.size() >= document::kMaxLineBytes)
            line = line.substr(0, document::kMaxLineBytes - 1);
        doc.lines().AppendContent(line.data(), line.size(), 0);
        if (nl == std::string_view::npos) break;
        rest.remove_prefix(nl + 1);
    }
    document::UndoList undo(1 << 20);
    editing::EditorShared shared(heap);
    editing::CElwView view(doc, undo, shared);
    platform::FakeClipboard clip;
    editing::ClipboardContext ctx;
    ctx.clipboard = &clip;
    editing::Selection sel(view, ctx);
    const int count = doc.lines().count();
    if (selected) sel.Select(1 + data[2] % count, data[3], 1 + data[4] % count, data[5]);

    AskingEngine engine;
    app::SpellCheckEnvironment senv;
    int asked = 0;
    int lastLine = 0;
    size_t lastEnd = 0;
    senv.dialog = [&](app::SpellingRequest& r) {
        view.Sync();
        const document::LineRecord* rec =
            editing::RecordFrom(view.caretLine(), view.caretLineNumber(), r.line);
        if (!rec) std::abort();
        const std::string_view line(rec->text(), rec->contentLength());
        if (r.end > line.size() || r.start >= r.end) std::abort();
        if (line.substr(r.start, r.end - r.start) != r.word) std::abort();
        // Text order, and never twice at one place.
        if (r.line < lastLine || (r.line == lastLine && r.start < lastEnd)) std::abort();
        lastLine = r.line;
        // A character start.
        size_t q = 0;
        while (q < r.start)
            q += document::CharLength(codePage, line.data() + q, line.data() + line.size());
        if (q != r.start) std::abort();
        if (!tools::IsWordByte(static_cast<uint8_t>(r.word[0]))) std::abort();
        const size_t n = r.word.size();
        for (size_t i = 1; i < n; ++i)
            if (!Takes(line, r.start, i)) std::abort();
        if (n < tools::kMaxWordBytes && Takes(line, r.start, n)) std::abort();
        const int a = (answers >> (2 * (asked++ % 4))) & 3;
        r.FillSuggestions();
        switch (a) {
            case 0:
                lastEnd = r.end;
                return app::SpellingAnswer::kIgnore;
            case 1:
                lastEnd = r.start + 1;
                return app::SpellingAnswer::kChange;
            case 2:
                lastEnd = r.start + 1;
                // What the dialog can hand back: characters of the code (here ASCII).
                r.changeTo.clear();
                for (int i = 2; i < 5; ++i) r.changeTo += static_cast<char>(' ' + data[i] % 95);
                return app::SpellingAnswer::kChangeAll;
            default:
                lastEnd = r.end;
                return asked > 64 ? app::SpellingAnswer::kExit : app::SpellingAnswer::kClosed;
        }
    };
    app::RunSpellCheck(view, &sel, engine, senv);
    view.Sync();
    return 0;
}
