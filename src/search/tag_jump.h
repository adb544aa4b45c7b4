// Tag jump: reading a file name and a line number from a line of text (an output line of find
// in files, a compiler's message, a line of grep -n) and going there.
//
// The line is scanned from its start for the first of: a period after a byte from "!" up that
// is not "/", a double quote, a colon followed by a blank, the end of the line.
//   - A double quote: the name is what follows, up to the next double quote (or the end).
//   - A period: the name runs back from it and on from it over characters from "!" up that
//     are not tag separators "();:|<>,'*+" (a colon ends a name on both sides: there are no
//     drive letters).
//   - Otherwise the name is the line up to its first "("; without one there is no name.
// The number is the first run of decimal digits after the name; without one the jump goes
// to the first line, with 0 too, and a number past the text (however long) to the last line.
// Colons around the name are dropped. A relative name is read from the folder of the document
// the jump is made from; when the name as written names no file and holds "\", it is tried
// with "\" read as "/" (a message written on another system). The scan reads only the line's
// own bytes, walking its characters forward (a trail byte can look like a separator).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "editing/edit_view.h"
#include "platform/file_system.h"
#include "platform/ui.h"

namespace norv::search {

inline constexpr std::string_view kTagSeparators = "();:|<>,'*+";
// The reasons beside the beeps: a line without a file name; BackToTag without a jump to go
// back from.
inline constexpr std::string_view kNoTagText = "No file name on this line";
inline constexpr std::string_view kNoTagOrigin = "No tag jump to go back to";

struct TagName {
    std::string name;              // in the line's code
    std::optional<uint64_t> line;  // as written (saturated); none: the first line
};

// `line` is the text without its line end, in `codePage`.
std::optional<TagName> ParseTagLine(std::string_view line, int codePage);

// The path a tag names (file-system bytes) for a document in `baseFolder` (ending in "/").
std::string TagPath(platform::FileSystem& fs, const std::string& baseFolder, std::string_view name);

// The 1-based line a tag's number goes to in a text of `lineCount` lines.
int TagTargetLine(std::optional<uint64_t> number, int lineCount);

// The windows a jump opens or activates.
class TagJumpHost {
  public:
    virtual ~TagJumpHost() = default;
    // The view of the file's window, opened or activated (paths compared resolved); null when
    // the file could not be opened (the reason has been shown).
    virtual editing::CElwView* OpenOrActivate(const std::string& path) = 0;
};

enum class TagJumpStatus : uint8_t { kJumped, kNoName, kNotOpened };

// The jump from the caret line of `from`: the base folder becomes the current folder, the file
// is opened or activated and the caret placed on the line, centred. A line without a name
// beeps.
TagJumpStatus RunTagJump(editing::CElwView& from, platform::FileSystem& fs,
                         platform::UserInterface& ui, TagJumpHost& host);

}  // namespace norv::search
