// The text find in files searches, read in blocks: a file's bytes as stored, or the lines of a
// document open in a window.
//
// A file is cut into lines exactly as the loader cuts it (document/file_reader.h: LF, CR LF,
// CR CR LF and a lone CR end a line, a line is cut after 65,534 bytes and goes on in the next,
// a final 0x1A is dropped, after a final line end comes an empty last line), and each line is
// put into the block with a line feed of its own: the block holds what a document of the file
// would hold, so line numbers are the ones the editor shows and a file searched open or
// closed gives the same lines.
//
// Memory stays bounded: the reader and the block are reused from file to file, and a block is
// searched once it holds `blockBytes` bytes. Its last lines (those within kGrepLookahead bytes
// of its end) are carried over into the next block unsearched, so that an attempt that runs
// over line ends never meets the end of a block that the file goes on after.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "document/document.h"
#include "document/file_reader.h"
#include "document/line_list.h"
#include "document/text_code.h"
#include "platform/file_system.h"
#include "search/grep_scan.h"

namespace norv::search {

// Where the lines found go, and how the search asks to stop.
class GrepLineSink {
  public:
    virtual ~GrepLineSink() = default;
    // A line holding a match: its 1-based number and its text without the line end. False
    // stops the search.
    virtual bool Line(uint64_t number, std::string_view text) = 0;
    // Asked once every kGrepPollLines lines read (lines taken many at a time: once when they
    // reach the next multiple); true stops the search (Escape).
    virtual bool Poll() = 0;
    // The code page of the text of the lines that follow (a system code page, or UTF-8).
    virtual void TextCodePage(int /*codePage*/) {}
};

// Reading each file in its own code: the code decided as the loader decides it, the text as
// a document of the file holds it (the system code page, or UTF-8 for the UTF-8 and UTF-16
// family), searched with the matcher compiled for that form.
struct GrepDecoding {
    document::LoadSettings load;
    int systemCodePage = 0;
    GrepMatcher* system = nullptr;  // compiled for systemCodePage
    GrepMatcher* utf8 = nullptr;    // compiled for UTF-8
};

inline constexpr uint64_t kGrepPollLines = 1000;
inline constexpr size_t kGrepBlockBytes = size_t{1} << 20;
// A file's whole lines are put into the block this many bytes at a time.
inline constexpr size_t kGrepRegionBytes = size_t{64} << 10;

enum class GrepTextStatus : uint8_t {
    kDone,
    kStopped,     // the sink asked to stop
    kUnreadable,  // the file could not be opened (nothing was searched)
};

class GrepTextSearch {
  public:
    explicit GrepTextSearch(size_t blockBytes = kGrepBlockBytes);

    // Searches the file's bytes as stored. A read error after opening ends the file quietly
    // with what was read.
    GrepTextStatus SearchFile(platform::FileSystem& fs, const std::string& path,
                              GrepMatcher& matcher, GrepLineSink& sink);
    // Searches the file as a document of it would hold it: its code decided (from the bytes in
    // memory when the whole file fits in the block, else by a reading of its own), a file of
    // ASCII without ESC and NUL searched as stored at once, the system code page and UTF-8
    // searched as stored (after a byte-order mark), EUC-JP, JIS and UTF-16 decoded line by
    // line. *code gets the code decided.
    GrepTextStatus SearchFileInItsCode(platform::FileSystem& fs, const std::string& path,
                                       const GrepDecoding& decoding, GrepLineSink& sink,
                                       document::TextCode* code = nullptr);
    // Searches a document's lines as they are in memory.
    GrepTextStatus SearchLines(const document::LineList& lines, GrepMatcher& matcher,
                               GrepLineSink& sink);

  private:
    class DecodedLines;
    // Searches the bytes of the opened file as stored, from its position on.
    GrepTextStatus SearchOpened(GrepMatcher& matcher, GrepLineSink& sink);
    void Begin();
    // Adds one line (its text without a line end) and searches a full block.
    bool Add(std::string_view content, GrepMatcher& matcher, GrepLineSink& sink);
    // Adds the whole lines of a region of the file (it ends with a line feed), their line ends
    // read as the reader reads them, and searches a full block; *going turns false when the
    // search stops. False, with nothing added, when a line is too long for the editor's
    // lines, so the reader cuts it.
    bool AddRegion(const char* data, size_t size, GrepMatcher& matcher, GrepLineSink& sink,
                   bool* going);
    // Searches the block up to its carried lines, or all of it at the end of the text.
    bool Scan(bool last, GrepMatcher& matcher, GrepLineSink& sink);

    size_t blockBytes_;
    document::MappedFileReader reader_;
    document::MappedFileReader decider_;  // the reading that decides a file's code
    std::string block_;
    uint64_t firstLine_ = 1;  // the number of the block's first line
    uint64_t read_ = 0;       // lines read
    bool stopped_ = false;
};

}  // namespace norv::search
