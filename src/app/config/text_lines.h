// Text lines of the configuration files (settings, keyword, data and history files).
//
// Lines end in LF; a CR before the LF (or at the very end of the file) belongs to the line end,
// not to the text, so files written on either convention read the same. A line is read whole
// whatever its length: a long line is never split into two, which would shift the fixed blocks of
// the data and history files. Each line remembers its own line end so that a file can be written
// back byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace norv::app {

// kCr: a CR that ends the file, taken as a line end whose LF is missing (the same CR followed
// by anything would be part of a CR LF), so that a value never ends in a CR.
enum class LineEnd : uint8_t { kNone, kLf, kCrLf, kCr };

struct TextLine {
    std::string text;
    LineEnd end = LineEnd::kLf;
};

// Walks the lines of a text without copying them.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}
    // The next line's text (without its line end); false at the end of the text.
    bool Next(std::string_view& line, LineEnd* end = nullptr);
    // Offset of the first byte after the line last returned (after its line end).
    size_t Position() const { return pos_; }

  private:
    std::string_view text_;
    size_t pos_ = 0;
};

std::vector<TextLine> SplitLines(std::string_view text);
// Gives every line but the last a line end (`end` where it had none or only a CR), so that lines
// never merge. A text that itself ends in CR gets CR LF, which keeps its CR in the text.
void EndLinesButTheLast(std::vector<TextLine>& lines, LineEnd end);
std::string JoinLines(const std::vector<TextLine>& lines);
void AppendLine(std::string& out, std::string_view text, LineEnd end);
std::string_view LineEndText(LineEnd end);
// The line end that new lines of this file get: that of its first line, else LF.
LineEnd DominantLineEnd(std::string_view text);

// True when a value can be stored on one line (no CR or LF in it).
bool FitsOnOneLine(std::string_view text);

// Splits at every tab (empty fields are kept).
std::vector<std::string_view> SplitTabs(std::string_view text);

// The longest prefix of `text` of at most `max` bytes that does not end inside a double-byte
// character of the code page.
std::string_view CutAtCharBoundary(std::string_view text, size_t max, int codePage);
// Upper-cases the single-byte letters a-z, never a trail byte of a double-byte character.
std::string UpperAscii(std::string_view text, int codePage);

// Leading blanks, optional sign, decimal digits; anything else stops the number. Wraps modulo
// 2^32 like a 32-bit register, so "4294967295" reads as -1. No digits read as 0.
int ParseLeadingInt(std::string_view text);

}  // namespace norv::app
