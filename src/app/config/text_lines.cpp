// Line splitting and the small text helpers shared by the configuration-file readers.
#include "app/config/text_lines.h"

#include "platform/code_page.h"

namespace norv::app {

bool LineReader::Next(std::string_view& line, LineEnd* end) {
    if (pos_ >= text_.size()) return false;
    size_t lf = text_.find('\n', pos_);
    size_t stop = lf == std::string_view::npos ? text_.size() : lf;
    LineEnd kind = lf == std::string_view::npos ? LineEnd::kNone : LineEnd::kLf;
    size_t textEnd = stop;
    if (textEnd > pos_ && text_[textEnd - 1] == '\r') {
        --textEnd;
        kind = kind == LineEnd::kLf ? LineEnd::kCrLf : LineEnd::kCr;
    }
    line = text_.substr(pos_, textEnd - pos_);
    if (end) *end = kind;
    pos_ = lf == std::string_view::npos ? text_.size() : lf + 1;
    return true;
}

std::vector<TextLine> SplitLines(std::string_view text) {
    std::vector<TextLine> lines;
    LineReader reader(text);
    std::string_view line;
    LineEnd end;
    while (reader.Next(line, &end)) lines.push_back({std::string(line), end});
    return lines;
}

void EndLinesButTheLast(std::vector<TextLine>& lines, LineEnd end) {
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        TextLine& l = lines[i];
        if (l.end != LineEnd::kNone && l.end != LineEnd::kCr) continue;
        l.end = !l.text.empty() && l.text.back() == '\r' ? LineEnd::kCrLf : end;
    }
}

std::string_view LineEndText(LineEnd end) {
    switch (end) {
        case LineEnd::kLf:
            return "\n";
        case LineEnd::kCrLf:
            return "\r\n";
        case LineEnd::kCr:
            return "\r";
        case LineEnd::kNone:
            break;
    }
    return {};
}

void AppendLine(std::string& out, std::string_view text, LineEnd end) {
    out.append(text);
    out.append(LineEndText(end));
}

std::string JoinLines(const std::vector<TextLine>& lines) {
    std::string out;
    size_t total = 0;
    for (const auto& l : lines) total += l.text.size() + 2;
    out.reserve(total);
    for (const auto& l : lines) AppendLine(out, l.text, l.end);
    return out;
}

LineEnd DominantLineEnd(std::string_view text) {
    LineReader reader(text);
    std::string_view line;
    LineEnd end = LineEnd::kLf;
    if (reader.Next(line, &end) && end == LineEnd::kCrLf) return LineEnd::kCrLf;
    return LineEnd::kLf;
}

bool FitsOnOneLine(std::string_view text) {
    return text.find_first_of("\r\n") == std::string_view::npos;
}

std::vector<std::string_view> SplitTabs(std::string_view text) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = text.find('\t', start);
        if (tab == std::string_view::npos) {
            fields.push_back(text.substr(start));
            return fields;
        }
        fields.push_back(text.substr(start, tab - start));
        start = tab + 1;
    }
}

std::string_view CutAtCharBoundary(std::string_view text, size_t max, int codePage) {
    if (text.size() <= max) return text;
    size_t i = 0;
    while (i < max) {
        size_t width =
            platform::IsLeadByte(codePage, static_cast<uint8_t>(text[i])) && i + 1 < text.size()
                ? 2
                : 1;
        if (i + width > max) break;
        i += width;
    }
    return text.substr(0, i);
}

std::string UpperAscii(std::string_view text, int codePage) {
    std::string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        auto b = static_cast<uint8_t>(out[i]);
        if (platform::IsLeadByte(codePage, b)) {
            ++i;  // the trail byte may look like a letter
        } else if (b >= 'a' && b <= 'z') {
            out[i] = static_cast<char>(b - 'a' + 'A');
        }
    }
    return out;
}

int ParseLeadingInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    uint32_t value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
        ++i;
    }
    if (negative) value = 0u - value;
    return static_cast<int>(value);
}

}  // namespace norv::app
