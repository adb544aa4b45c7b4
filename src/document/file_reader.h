// The file reader of the loader: cuts a file into lines as it reads it in blocks.
//
// A line ends at LF (kind 0x10), at CR LF or CR CR LF (kind 0x18, one CR LF), at a lone CR
// (kind 0x08), at the end of the data (kind 0), or after n - 1 bytes (kind 0, cut: the next
// line continues it). A 0x1A that is the very last byte of the file is dropped; anywhere else it
// is an ordinary byte. After the last line end comes one more (empty) line, so a file that ends
// with a line end loads with an empty last line. The file is read in blocks with room for the
// longest line, so memory does not grow with the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/codecs.h"
#include "platform/file_system.h"

namespace norv::document {

struct ReadLine {
    const char* data = nullptr;  // valid until the next call
    size_t length = 0;           // bytes before the line end
    uint8_t kind = 0;            // 0x18, 0x10, 0x08, or 0
    bool cut = false;            // ended because the line was too long
    bool crcrlf = false;         // the CR LF line end was CR CR LF
    size_t available = 0;        // bytes readable from `data` on (the line and what follows)
    // Whether the line's bytes hold one of 0x80-0xFF (known when highKnown), and one of ESC
    // (0x1B) or SO (0x0E) (known when escKnown): known for the classes the reader was asked for
    // (Classes), and no longer once ShortenCut shortened the line.
    bool highKnown = false;
    bool highBytes = false;
    bool escKnown = false;
    bool escOrSo = false;
};

class MappedFileReader {
  public:
    explicit MappedFileReader(size_t blockBytes = 1u << 20);

    // 0, or the system error number.
    int Open(platform::FileSystem& fs, const std::string& path);
    // Reads from memory instead (tests and fuzzing).
    void OpenMemory(std::string data);
    void Close();

    // The next line, at most maxBytes - 1 bytes long; false once the end-of-file flag is set.
    bool Next(ReadLine& line, size_t maxBytes = 65535);
    // Which classes of bytes the next lines report (both at first); a class no longer asked
    // for costs nothing.
    void Classes(bool high, bool esc) {
        want_ = static_cast<uint8_t>((high ? kHighClass : 0) | (esc ? kEscClass : 0));
    }
    // As Next, copied into out (room for n bytes) with a line feed and a zero byte behind it;
    // returns the length including the line feed, 0 when there is no line.
    size_t ReadLineInto(char* out, size_t n);
    // Shortens a line that Next cut to its first `keep` bytes (at least 1); the rest starts the
    // next line. Called before the next Next.
    void ShortenCut(ReadLine& line, size_t keep);

    // Line ends met so far.
    uint64_t crlfCount = 0;
    uint64_t lfCount = 0;
    uint64_t crCount = 0;
    uint8_t lastKind = 0;
    // A read error (errno) met after opening; the lines read so far stay valid.
    int readError = 0;
    bool eof() const { return eofFlag_; }
    // Whether the bytes of `line` hold an ESC (0x1B) or SO (0x0E); one pass over the file in all
    // for lines that do not know it.
    bool HasEscOrSo(const ReadLine& line);
    uint64_t fileSize() const { return fileSize_; }
    // The next n bytes without consuming them (fewer at the end of the file).
    const char* Peek(size_t n, size_t* available);
    void Skip(size_t n);
    // Runs the UTF-8 test over every byte as it is read (the stream of a file's lines, line ends
    // included, reads as UTF-8 exactly when each of its lines does); the scanner stops looking
    // once it has seen a malformed sequence. At the end of the file a sequence still open counts
    // as malformed.
    void ScanUtf8With(Utf8Scanner* scanner) { utf8_ = scanner; }
    // Reads raw bytes (for UCS-2 files): up to n bytes, 0 at the end.
    size_t ReadRaw(char* out, size_t n);

  private:
    bool Fill(size_t want);  // makes at least `want` bytes available when the file has them

    // The block buffer: never cleared, since every byte read is written first; pages of it
    // that a small file does not reach are never touched.
    struct Buffer {
        std::unique_ptr<char[]> bytes;
        size_t length = 0;
        char* data() const { return bytes.get(); }
        size_t size() const { return length; }
        void Reserve(size_t n);
    };

    std::unique_ptr<platform::InputFile> file_;
    Buffer buf_;
    size_t blockBytes_;
    size_t pos_ = 0;              // next unread byte in buf_
    size_t end_ = 0;              // end of valid bytes in buf_
    uint64_t bufFileOffset_ = 0;  // file offset of buf_[0]
    uint64_t fileSize_ = 0;
    bool sourceDone_ = true;  // no more bytes to read from the source
    bool eofFlag_ = false;
    uint64_t escScanned_ = 0;  // file offset up to which ESC/SO was looked for
    uint64_t nextEsc_ = 0;     // file offset of the next ESC/SO (valid when < escScanned_)
    // The classes of the 64 bytes of buf_ from winPos_ (bit i for byte winPos_ + i): line breaks
    // (CR, LF), bytes 0x80-0xFF, ESC and SO. Valid until the buffer changes; bits of bytes past
    // end_ mean nothing.
    static constexpr uint8_t kHighClass = 1;
    static constexpr uint8_t kEscClass = 2;
    uint8_t want_ = kHighClass | kEscClass;
    bool winValid_ = false;
    uint8_t winHas_ = 0;  // the classes besides line breaks that the window holds
    size_t winPos_ = 0;
    uint64_t winBreaks_ = 0;
    uint64_t winHigh_ = 0;
    uint64_t winEsc_ = 0;
    template <bool kHigh, bool kEsc>
    void Classify(size_t at);
    bool opened_ = false;
    bool unscanned_ = false;  // bytes given in memory that the UTF-8 test has not seen
    Utf8Scanner* utf8_ = nullptr;
    void FeedScanner(size_t from, size_t to);
};

// The first CR or LF in [p, end), or end.
const char* FindLineBreak(const char* p, const char* end);

}  // namespace norv::document
