// Helpers of the regular-expression tests: texts as the editor's lines, Shift-JIS literals.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"
#include "search/regex.h"

namespace norv::search::testing {

// UTF-8 source text to code-page bytes (Shift-JIS for 932).
inline std::string Bytes(std::string_view utf8, int codePage) {
    if (codePage == platform::kCodePageUtf8) return std::string(utf8);
    return platform::WideToMultiByte(codePage, platform::MultiByteToWide(65001, utf8));
}

// A text cut into lines that keep their line feeds; the last line gets one if it lacks it.
class LineText : public FollowingLines {
  public:
    explicit LineText(std::string_view text) {
        size_t start = 0;
        while (start < text.size()) {
            size_t nl = text.find('\n', start);
            if (nl == std::string_view::npos) {
                lines_.push_back(std::string(text.substr(start)) + "\n");
                break;
            }
            lines_.emplace_back(text.substr(start, nl + 1 - start));
            start = nl + 1;
        }
    }
    size_t Count() const { return lines_.size(); }
    std::string_view At(size_t i) const { return lines_[i]; }
    void SetBase(size_t line) { base_ = line; }
    std::string_view Line(size_t k) override {
        return base_ + k < lines_.size() ? std::string_view(lines_[base_ + k]) : std::string_view{};
    }
    // The bytes from (line, pos) on, `length` of them, across lines.
    std::string Slice(size_t line, size_t pos, size_t length) const {
        std::string all;
        for (size_t i = line; i < lines_.size(); ++i) all += lines_[i];
        return all.substr(pos, length);
    }

  private:
    std::vector<std::string> lines_;
    size_t base_ = 0;
};

struct Found {
    size_t line = 0;
    size_t start = 0;
    std::string text;
};

// The first match in the text, scanning forward line by line as the search does.
inline std::optional<Found> FindFirst(Regex& re, std::string_view text,
                                      const MatchConditions& conditions = {},
                                      bool usePrefilter = true) {
    LineText lines(text);
    for (size_t i = 0; i < lines.Count(); ++i) {
        lines.SetBase(i);
        if (auto m = re.FindInLine(lines.At(i), 0, &lines, conditions, usePrefilter)) {
            return Found{i, m->start, lines.Slice(i, m->start, m->length)};
        }
    }
    return std::nullopt;
}

}  // namespace norv::search::testing
