// The settings the editing commands read, as plain values with their usual defaults. The
// application fills them from the settings store and the document's file-type profile; the
// editing code never reads the store itself.
#pragma once

#include <string>

namespace norv::editing {

// Used for ANKTitle when the setting is empty: asterisk, hyphen and the yen sign (0x5C).
inline constexpr const char* kDefaultAnkTitle = "*-\\";

struct EditOptions {
    // File type
    bool autoIndent = true;        // AutoInd
    bool dbcsSpaceIndent = false;  // DSpcInd: the ideographic space counts as indentation
    bool softTab = false;          // SoftTAB
    bool noWrap = false;           // NoWrap: no automatic splitting
    bool cFile = false;            // the file type is C (type letter "C")
    bool cppMode = true;           // C_CppMode
    // Editing
    bool freeCursor = false;    // FreeCursor
    bool eolOverCursor = true;  // EOLOverCsr
    bool fillByTab = false;     // FillByTAB
    bool autoSplit = false;     // AutoSplit
    bool removeSpaces = true;   // RemoveSpc
    bool jumpCenter = true;     // JumpCenter
    std::string ankTitle;       // ANKTitle (empty: the default)
    std::string dbcsTitle;      // DBCSTitle (empty: none)
    std::string ankDelimiter;   // ANKDelimiter (empty: the default set)
    std::string dbcsDelimiter;  // DBCSDelimiter
    // Scrolling
    bool accelerate = true;  // Accell
    int accelRepeat = 30;    // AccRpt
    int accelMode = 1;       // AccMode
    // Undo
    size_t undoLimitKb = 1024;  // UndoLimit
    bool undoReset = true;      // UndoReset
};

}  // namespace norv::editing
