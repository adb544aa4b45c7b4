// Forming the output lines of find in files.
#include "search/grep_output.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "document/char_model.h"
#include "document/codecs.h"
#include "platform/code_page.h"

namespace norv::search {

bool GrepPathNeedsQuotes(std::string_view path) {
    return path.find_first_of(" ()") != std::string_view::npos;
}

void AppendInCodePage(std::string& out, std::string_view text, int fromCodePage, int toCodePage) {
    const bool fromUtf8 = document::IsUtf8CodePage(fromCodePage);
    const bool toUtf8 = document::IsUtf8CodePage(toCodePage);
    if (fromUtf8 == toUtf8) {
        out.append(text);
    } else if (toUtf8) {
        document::AnsiToUtf8(out, text, fromCodePage);
    } else {
        document::Utf8ToAnsi(out, text, toCodePage);
    }
}

size_t WholeCharsWithin(std::string_view text, size_t limit, int codePage) {
    if (text.size() <= limit) return text.size();
    const char* p = text.data();
    const char* end = p + text.size();
    size_t at = 0;
    while (at < limit) {
        const size_t n = document::CharLength(codePage, p + at, end);
        if (at + n > limit) break;
        at += n;
    }
    return at;
}

std::string FormatGrepLine(std::string_view path, uint64_t line, std::string_view text,
                           int textCodePage, int outputCodePage) {
    std::string out;
    const bool quote = GrepPathNeedsQuotes(path);
    if (quote) out += '"';
    AppendInCodePage(out, path, platform::kCodePageUtf8, outputCodePage);
    if (quote) out += '"';
    char number[32];
    std::snprintf(number, sizeof number, "(%" PRIu64 "): ", line);
    out += number;
    // A character of up to four bytes gives at least one byte when converted, so a prefix of
    // four times the limit is enough to cut from.
    std::string piece(text.substr(0, WholeCharsWithin(text, 4 * kGrepTextLimit, textCodePage)));
    std::replace(piece.begin(), piece.end(), '\0', '@');
    std::string converted;
    AppendInCodePage(converted, piece, textCodePage, outputCodePage);
    out.append(converted, 0, WholeCharsWithin(converted, kGrepTextLimit, outputCodePage));
    out += '\n';
    return out;
}

}  // namespace norv::search
