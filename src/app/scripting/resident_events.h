// The occasions at which the editor runs its resident scripts, with the run-context codes the
// scripts read as NORVSTATE.
//
// At an event every resident runs once from its Main, in list order, with the event's code;
// .PARMA and .PARMSTRA carry what the event is about (the key code for a key, the character
// code for a typed character, the path for an open or a save). A run whose Main returns a value
// other than 0 stops an open or a save and takes a key; every resident still hears the event.
//
// A resident never runs inside a run of its own: an event raised while its run is on the stack
// (its DOEVENTS, WAIT, the pump after a built-in, a command, an open or a save it makes) is
// skipped for that script, and the other residents hear it. No event is raised while the
// editor's own silent searches run (brace matching).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace norv::app {

enum class ResidentEvent : int {
    kOpen = 1,         // before a file opens (.PARMSTRA the path); may be cancelled
    kReOpen = 2,       // ReOpen, and each file a command line handed over opens
    kNew = 3,          // a new document
    kBeforeSave = 4,   // before a save (.PARMSTRA the target); may be cancelled
    kAfterSave = 5,    // after a save (.PARMSTRA the file written)
    kClose = 6,        // a document closed
    kMainClose = 7,    // the main window closes
    kKey = 8,          // a key press (.PARMA its 16-bit key code); may be taken
    kChar = 9,         // a typed character (.PARMA its code in the system code page)
    kSplitLine = 10,   // SplitLine
    kTimer = 11,       // the one-second timer
    kViewActive = 12,  // a view became active
};

// The run-context codes of the runs that are not events: an add-in command or the resident
// menu running a resident again, and the resident menu asking for a caption.
inline constexpr int kRunAgainCode = 13;
inline constexpr int kCaptionCode = 14;

// The codes of typed text (bytes of a document of `codePage`) as .PARMA gives them: a byte, or
// a double-byte character of the system code page as lead << 8 | trail. Characters the system
// code page lacks give no code.
std::vector<uint16_t> CharacterCodes(std::string_view bytes, int codePage);

}  // namespace norv::app
