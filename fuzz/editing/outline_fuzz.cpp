// The bookmark list's outline on arbitrary bytes: the first byte chooses the code (Shift-JIS,
// a code page without double-byte characters, UTF-8), the tab width and which lines are marked;
// the rest are lines. Levels, item texts and the nesting stay inside their lines and keep their
// rules: an item text is at most 127 bytes and "...", cut at a character start; a parent comes
// before its child with a smaller level; a subtree follows its item; ordinals find their lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "document/char_model.h"
#include "document/line_list.h"
#include "editing/outline.h"
#include "platform/code_page.h"

using namespace norv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static constexpr int kCodePages[] = {932, 1252, platform::kCodePageUtf8Internal};
    const int codePage = kCodePages[data[0] % 3];
    const int tab = 1 + (data[0] >> 2) % 16;
    const uint8_t markBits = data[1];
    std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
    document::LineHeap heap;
    document::LineList lines(heap);
    for (size_t n = 0; !rest.empty() || n == 0; ++n) {
        size_t nl = rest.find('\n');
        std::string_view line = rest.substr(0, nl);
        if (line.size() >= document::kMaxLineBytes)
            line = line.substr(0, document::kMaxLineBytes - 1);
        const bool marked = (markBits >> (n % 8)) & 1;
        lines.AppendContent(line.data(), line.size(), marked ? document::LF_MARK : 0);
        if (nl == std::string_view::npos) break;
        rest.remove_prefix(nl + 1);
    }
    std::vector<editing::OutlineItem> items = editing::BuildOutline(lines.first(), codePage, tab);
    for (size_t i = 0; i < items.size(); ++i) {
        const editing::OutlineItem& it = items[i];
        if (it.level < 0) std::abort();
        if (it.parent >= static_cast<int>(i)) std::abort();
        if (it.parent >= 0 && items[static_cast<size_t>(it.parent)].level >= it.level) std::abort();
        const std::string_view text = it.text;
        if (text.size() > editing::kItemTextBytes + 3) std::abort();
        if (text.size() > editing::kItemTextBytes && text.substr(text.size() - 3) != "...")
            std::abort();
        if (editing::LineOfMark(lines.first(), it.ordinal) != it.line) std::abort();
        const size_t end = editing::SubtreeEnd(items, i);
        if (end <= i || end > items.size()) std::abort();
        // The item's text is the line's own bytes from a character start.
        const document::LineRecord* r = lines.LineAt(it.line);
        const std::string_view line(r->text(), r->contentLength());
        const std::string_view body =
            text.size() > editing::kItemTextBytes ? text.substr(0, text.size() - 3) : text;
        const size_t at = line.find(body);
        if (at == std::string_view::npos) std::abort();
        size_t q = 0;
        while (q < at)
            q += document::CharLength(codePage, line.data() + q, line.data() + line.size());
        if (q != at) std::abort();
    }
    return 0;
}
