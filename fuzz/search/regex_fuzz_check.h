// The checks of the regular-expression fuzz target, shared with the test that runs its seeds
// and kept crash inputs as plain tests (so builds without libFuzzer check them too).
//
// Input: one byte of options (bits 0-1 the code page: 932, 65001, 1252; bit 2 ignore case;
// bit 3 ignore width; bits 4-6 the match conditions), one byte with the pattern's length, the
// pattern, and the text, which is cut into lines at its line feeds (the last line gets one).
// Besides memory errors the run checks that a match stays inside the text and that the
// first-byte prefilter never changes an answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"
#include "search/regex.h"

namespace norv::search::fuzzing {

class FuzzLines : public FollowingLines {
  public:
    std::vector<std::string> lines;
    size_t base = 0;
    std::string_view Line(size_t k) override {
        return base + k < lines.size() ? std::string_view(lines[base + k]) : std::string_view{};
    }
};

// Runs one input; returns what went wrong, or an empty string.
inline std::string RunRegexInput(const uint8_t* data, size_t size) {
    if (size < 2) return {};
    static const bool fixed = platform::SetSystemCodePage(932);
    (void)fixed;
    const uint8_t flags = data[0];
    const size_t patternLength = data[1];
    if (size < 2 + patternLength) return {};
    std::string_view pattern(reinterpret_cast<const char*>(data + 2), patternLength);
    std::string_view text(reinterpret_cast<const char*>(data + 2 + patternLength),
                          size - 2 - patternLength);

    static const int kCodePages[] = {932, 65001, 1252, 932};
    RegexOptions options{kCodePages[flags & 3], (flags & 4) != 0, (flags & 8) != 0};
    MatchConditions conditions{(flags & 16) != 0, (flags & 32) != 0, (flags & 64) != 0};

    FuzzLines lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        if (nl == std::string_view::npos) {
            lines.lines.push_back(std::string(text.substr(start)) + "\n");
            break;
        }
        lines.lines.emplace_back(text.substr(start, nl + 1 - start));
        start = nl + 1;
    }
    size_t rest = text.size() + 1;  // bytes from a line's start to the end of the text, at most

    Regex re;
    if (re.Compile(pattern, options) != CompileStatus::kOk) return {};
    for (size_t i = 0; i < lines.lines.size(); ++i) {
        lines.base = i;
        std::string_view line = lines.lines[i];
        auto with = re.FindInLine(line, 0, &lines, conditions, true);
        auto without = re.FindInLine(line, 0, &lines, conditions, false);
        if (with.has_value() != without.has_value())
            return "prefilter changed whether a line matches";
        if (with && (with->start != without->start || with->length != without->length)) {
            return "prefilter changed a match";
        }
        if (with && (with->start >= line.size() || with->start + with->length > rest)) {
            return "match outside the text";
        }
        rest -= line.size();
    }
    return {};
}

}  // namespace norv::search::fuzzing
