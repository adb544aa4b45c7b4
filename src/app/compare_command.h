// The Compare command: the dialog naming the current file and offering the other open
// documents, the CmpRange and CmpMatch settings, the walk, the bookmarks of both documents and
// the closing message with the editor state value a script reads.
//
// Both documents are compared as text: when one holds UTF-8 and the other code-page text, the
// code-page lines are converted to UTF-8 first, so the same text never counts as different.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "document/document.h"
#include "editing/compare_walk.h"
#include "platform/ui.h"

namespace norv::app {

class Settings;
class SettingsStore;

inline constexpr char kCompareDifferent[] =
    "The comparison is complete.\nDifferent lines are marked.";
inline constexpr char kCompareSame[] = "No difference.";

// The editor state values of Compare.
inline constexpr int kCompareStateDifferent = 1;
inline constexpr int kCompareStateSame = 2;

// The compare dialog: `current` the current file's name, `targets` the other documents' names;
// the front end sets `target` (an index into them) and the two numbers, or returns false.
struct CompareRequest {
    std::string current;
    std::vector<std::string> targets;
    int target = 0;
    int range = 100;  // 10 to 10000
    int match = 3;    // 1 to 10
};

struct CompareEnvironment {
    platform::UserInterface* ui = nullptr;
    Settings* settings = nullptr;
    SettingsStore* store = nullptr;  // null: the settings change for this run only
    std::function<bool(CompareRequest&)> dialog;
    // Polled every 1000 lines: true stops the walk (with a beep; the marks so far stay).
    std::function<bool()> escapePressed;
    // Called before a document's lines are read (the line being typed is written back) and
    // after its bookmarks changed (its views and the bookmark list show them again).
    std::function<void(document::CElwDoc&)> flush;
    std::function<void(document::CElwDoc&)> repaint;
};

// The name a document goes by in the dialog: its path, or its title without one.
std::string CompareName(const document::CElwDoc& doc);

// Runs the command on `current` against one of `others` (the other open documents). Returns
// the editor state value: 1 lines were marked, 2 no difference, 0 nothing done (fewer than two
// documents, the dialog cancelled).
int RunCompare(document::CElwDoc& current, const std::vector<document::CElwDoc*>& others,
               CompareEnvironment& env);

// The walk and the bookmarks without the dialog: clears every bookmark of both documents, then
// marks the lines that differ. Returns whether any line was marked; *stopped tells whether
// Escape stopped it.
bool CompareDocuments(document::CElwDoc& current, document::CElwDoc& target,
                      editing::CompareLimits limits, const std::function<bool()>& escape,
                      bool* stopped = nullptr);

}  // namespace norv::app
