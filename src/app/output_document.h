// The "#Output#" document: where find in files (and the external tools) write their lines.
//
// One output document serves the program: an open document whose file name begins with
// "#Output#" is taken again (activated and emptied, keeping its character code); without one a
// new document is made, in UTF-8 so that any path and any text can be written into it. Its path
// becomes the folder of the work plus "#Output#", so a tag jump on one of its lines reads names
// relative to that folder.
//
// Lines are appended at the end without undo records (the undo history of the document is
// cleared: the lines it described are gone), gathered and put into the text when the caller
// shows them (Flush), so that painting can be coalesced. Finish leaves the document unmodified
// and shown from its top.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "editing/edit_view.h"

namespace norv::app {

inline constexpr std::string_view kOutputName = "#Output#";

// The document windows, as the output document needs them.
class OutputWindows {
  public:
    virtual ~OutputWindows() = default;
    // The views of the open windows, in window order.
    virtual std::vector<editing::CElwView*> OutputCandidates() = 0;
    virtual void ActivateOutput(editing::CElwView& view) = 0;
    // A new untitled document in a window of its own; null when none can be made.
    virtual editing::CElwView* NewOutputDocument() = 0;
};

// Whether a document is an output document (its file name begins with "#Output#").
bool IsOutputDocument(const document::CElwDoc& doc);

class OutputDocument {
  public:
    // Finds or makes the output document for work in `folder` (a full path ending in "/").
    // False when there is none and none can be made.
    bool Prepare(OutputWindows& windows, const std::string& folder);

    editing::CElwView* view() const { return view_; }
    // The code page its lines are written in.
    int codePage() const;
    // One line with its line feed; kept until Flush when `pendingLimit` bytes are not reached.
    void Append(std::string_view line);
    // Any text, also part of a line (a program's output as it arrives); not counted in lines().
    void AppendText(std::string_view text);
    // Puts the lines gathered into the text; true when there were any.
    bool Flush();
    // Flushes, then: not modified, caret and window at the top.
    void Finish();
    // Lines appended since Prepare.
    size_t lines() const { return lines_; }

    size_t pendingLimit = size_t{1} << 20;

  private:
    editing::CElwView* view_ = nullptr;
    std::string pending_;
    size_t lines_ = 0;
};

}  // namespace norv::app
