// The walk of find in files: which files of a folder tree are searched, in which order, and
// what each line found is reported as.
//
// In each folder, for each mask in order, the entries whose names match it (without regard to
// case) and that are neither folders nor hidden are searched in name order (bytes); a file
// that two masks match is searched, and reported, twice. With sub folders on, every sub folder
// whose name does not begin with "." follows, in name order, depth first, its path prefix
// extended by its name and "/".
//
// Only regular files are read (a FIFO, device or socket could block or never end). A folder
// is walked at most once per search, known by its device and inode, so a link that points up
// the tree ends instead of repeating without end. A file or folder that cannot be read is
// passed over without a word. A file that is open in a window (the same device and inode) is
// searched in its memory instead of its bytes on disk.
//
// Escape is polled between files, after every kGrepPollHits-th line found and every
// kGrepPollLines lines read; a poll that says stop ends the walk, keeping what was found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/line_list.h"
#include "platform/file_system.h"
#include "search/grep_options.h"
#include "search/grep_scan.h"
#include "search/grep_text.h"

namespace norv::search {

inline constexpr uint64_t kGrepPollHits = 100;
// The editor state values a search leaves for scripts.
inline constexpr int kGrepStateFound = 1;
inline constexpr int kGrepStateNotFound = 4;

// A document open in a window, searched in memory when the walk meets its file.
struct GrepOpenText {
    std::string path;
    const document::LineList* lines = nullptr;
    int codePage = 0;  // of its text
};

struct GrepWalkRequest {
    std::string folder;  // the start folder: a full path ending in "/"
    std::vector<std::string> masks;
    GrepOptions options;
    std::vector<GrepOpenText> open;
};

// A line found: the path as the output writes it (full, or relative to the start folder; file
// system bytes), the line's number and text, and the code page the text is in.
struct GrepHit {
    std::string_view path;
    uint64_t line = 0;
    std::string_view text;
    int textCodePage = 0;
};

class GrepWalkEvents {
  public:
    virtual ~GrepWalkEvents() = default;
    // A file is about to be searched (its path as the output writes it).
    virtual void Searching(std::string_view path) = 0;
    // A line found; false ends the walk.
    virtual bool Found(const GrepHit& hit) = 0;
    // Polled; true ends the walk (Escape).
    virtual bool Poll() = 0;
};

struct GrepWalkResult {
    uint64_t hits = 0;
    uint64_t files = 0;  // files searched
    bool broken = false;
};

// Walks the tree and searches with `matcher`, compiled for `textCodePage` (the code page of
// the files' bytes). With `decoding`, every file is read in its own code instead, and a
// document open in a window is searched with the matcher of its own text's form.
GrepWalkResult RunGrepWalk(platform::FileSystem& fs, const GrepWalkRequest& request,
                           GrepMatcher& matcher, int textCodePage, GrepWalkEvents& events,
                           size_t blockBytes = kGrepBlockBytes,
                           const GrepDecoding* decoding = nullptr);

}  // namespace norv::search
