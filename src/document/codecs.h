// Every character-code conversion of the program.
//
// The loader decodes EUC-JP and JIS lines into Shift-JIS (the ANSI code page of a Japanese
// system) and UCS-2 into UTF-8; the saver encodes back. All conversions carry lengths: a NUL byte
// is an ordinary byte, and every decoder checks the remaining length before it reads an escape
// sequence or the second byte of a pair.
//
// Decoders that never make their input longer (JisToSjis, EucToSjis) write into a caller's
// buffer of at least `n` bytes; the others append to a std::string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace norv::document {

// JIS (ISO-2022-JP) to Shift-JIS. Returns 1 when a designation to kanji or kana was met, 0 when
// none was, -1 on a byte pair outside 0x21-0x7E in kanji state (a line that ends, or reaches
// its line feed, in kanji state fails). An unknown escape sequence, or one cut by the end of the
// text, is copied as bytes. In kana state (ESC ( I or SO) bytes from 0x1F up get their top bit;
// control bytes pass unchanged. `out` needs room for n bytes; *outLen gets the length (on -1,
// the length converted so far).
int JisToSjis(char* out, const char* in, size_t n, size_t* outLen);

// The JIS shift state, carried from one piece of a long line to the next.
enum class JisShift : uint8_t { kAscii, kKanji, kKana };

// As JisToSjis for a piece of a line: decoding starts in *shift and leaves the state at the end
// in it, and a piece that ends in kanji state is no failure (its line goes on in the next
// piece). Returns 1 when a designation was met or the piece began in kanji or kana state.
int JisToSjisFrom(char* out, const char* in, size_t n, size_t* outLen, JisShift* shift);

// EUC-JP to Shift-JIS. Returns 1 when any EUC character was converted, 0 when none, -1 on an
// invalid sequence: both bytes of a pair must be 0xA1-0xFE, 0x8E must be followed by a kana byte
// 0xA1-0xDF, and 0x8F (JIS X 0212, written as "？" 0x81 0x48) by two bytes 0xA1-0xFE; a
// sequence cut by the end of the text is invalid. `out` needs room for n bytes.
int EucToSjis(char* out, const char* in, size_t n, size_t* outLen);

// Shift-JIS to EUC-JP (appended to `out`). Returns 1 when any double-byte character was
// converted, 0 when none, -1 on an unconvertible character (the caller then writes the line
// unconverted; `out` holds a partial result).
int SjisToEuc(std::string& out, std::string_view in);

// Shift-JIS to JIS, appended to `out`; returns the number of bytes appended. Extension kanji of
// the IBM range are replaced through the extension table first; half-width katakana become
// full-width ones (a kana followed by a sound mark becomes the combined character). Bytes JIS
// cannot carry go between SO and SI, reduced to 7 bits where that leaves a byte of 0x1F or more.
// The text always ends in ASCII state.
size_t SjisToJis(std::string& out, std::string_view in);

// As SjisToJis for a piece of a line: *kanji is the state the previous piece left, and with
// `close` false the piece does not return to ASCII at its end, so the pieces of a line are
// written exactly as the whole line would be.
size_t SjisToJisFrom(std::string& out, std::string_view in, bool* kanji, bool close);

// UCS-2 (bytes, in file order) to UTF-8, appended; `swap` for big-endian input. A valid
// surrogate pair becomes one 4-byte sequence; a lone surrogate stays a 3-byte sequence.
// A final odd byte is ignored by this function (the loader deals with it).
size_t Ucs2ToUtf8(std::string& out, const char* in, size_t nBytes, bool swap);

// UTF-8 to UCS-2 code units, appended; returns the number of units appended. Sequences of one
// to six bytes are decoded; U+10000-U+10FFFF become a surrogate pair, values above U+10FFFF
// become U+FFFD; a byte that fits no lead pattern is dropped; a sequence broken by a
// non-continuation byte, or cut by the end, is dropped, and the byte that broke it starts the
// next character (so a line feed or a following character is never lost).
size_t Utf8ToUcs2(std::u16string& out, std::string_view in);

// ANSI code-page text to UTF-8 and back, appended; both return the number of bytes appended.
// Both copy the text for the UTF-8 code pages; Utf8ToAnsi writes "?" for unmappable characters.
size_t AnsiToUtf8(std::string& out, std::string_view in, int codePage);
size_t Utf8ToAnsi(std::string& out, std::string_view in, int codePage);

// 1 when the bytes hold at least one well-formed multi-byte sequence and no malformed one.
bool IsUtf8Line(const char* p, size_t n);

// The UTF-8 test over a text cut into pieces (the loader's lines, of which a long one may be
// split over several records): a sequence may continue into the next piece only when the piece
// was cut inside a line. ASCII-only pieces are neutral.
class Utf8Scanner {
  public:
    // Feeds a piece; `continues` says the next piece continues the same line.
    void Feed(const char* p, size_t n, bool continues);
    bool malformed() const { return malformed_; }
    bool sawMultiByte() const { return sawMultiByte_; }
    // Well-formed so far and at least one multi-byte sequence seen.
    bool IsUtf8() const { return !malformed_ && sawMultiByte_; }

  private:
    int pending_ = 0;  // continuation bytes still expected
    bool malformed_ = false;
    bool sawMultiByte_ = false;
};

// Shift-JIS <-> JIS X 0208 (row/cell arithmetic). SjisToJisCode returns 0 when the pair is not a
// JIS X 0208 position (lead 0xF0 and above, or a bad trail byte).
uint16_t JisToSjisCode(uint16_t jis);
uint16_t SjisToJisCode(uint16_t sjis);

// The Check Kanji Code decoders: which code the whole text is in, and the text converted.
enum class KanjiGuess { kNone, kJis, kEuc };
KanjiGuess CheckKanjiCode(std::string_view text, std::string* converted);

}  // namespace norv::document
