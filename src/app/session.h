// The open documents as a whole: closing one of them or the program, the questions asked on
// the way, Save, Save All, Save and Close, and the rules that hold for every open.
//
// The session decides and asks (through the user interface); the front end's windows are its
// `SessionHost`: they list the documents, write back the line being edited, show a save's
// result and go away when told. A failed save never closes anything: the document stays open
// and modified, the program keeps running, and the save's own message is the one the user
// sees.
//
// Closing the program runs the closing steps in their fixed order; the steps that belong to
// the window (folder, bars, placement, the bookmark list) and to later subsystems (the project,
// the resident scripts' close event, resident mode) are named slots that their owners fill.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"
#include "editing/edit_view.h"
#include "platform/ui.h"

namespace norv::app {

// The status text of a command whose handler comes with a later part of the program.
inline constexpr std::string_view kNotAvailableText = "This command is not available yet.";
// The reasons beside the beeps of frame commands that have nothing to act on.
inline constexpr std::string_view kNoDocumentText = "No document is open";
inline constexpr std::string_view kNoOtherWindowText = "No other window";
// Says so (status text and beep); keys, menus and scripts alike.
void ReportNotAvailable(platform::UserInterface* ui);

class SessionHost {
  public:
    virtual ~SessionHost() = default;
    // The open documents, each once, in window order.
    virtual std::vector<document::CElwDoc*> Documents() const = 0;
    // Writes the line being edited in the document's views back into the document.
    virtual void SyncViews(document::CElwDoc& doc) = 0;
    // After a successful save: the views take the document's (maybe new) code page and title.
    virtual void Saved(document::CElwDoc& doc) = 0;
    // Closes every window of the document without asking anything.
    virtual void CloseWindows(document::CElwDoc& doc) = 0;
    // Brings a window of the document to the front (before a question about it).
    virtual void Activate(document::CElwDoc&) {}
    // Closes the main window: the closing steps run (`Session::CloseProgram`); true when the
    // program ends or hides.
    virtual bool Quit() = 0;
};

// The steps of closing the program, in their order. An unset step does nothing.
struct ClosingSteps {
    // 1. The current folder goes to InitialDir; the settings folder becomes current.
    std::function<void()> storeCurrentFolder;
    // 2. The bar layout (only when the window is neither minimised nor hidden).
    std::function<void()> saveBarLayout;
    // 3. The window's placement, when no project is open.
    std::function<void()> savePlacement;
    // 4. ShowMarkList.
    std::function<void()> storeMarkList;
    // The find histories, when they changed since they were last written (ours: the design
    // leaves open whether they outlive the run).
    std::function<void()> storeFindHistories;
    // 5. Whether a project is open, and closing it (the question, the saves, forgetting it);
    // false when a save of it failed or the user kept it: the program then stays.
    std::function<bool()> projectOpen;
    std::function<bool()> closeProject;
    // 6. The resident scripts' close event.
    std::function<void()> residentCloseEvent;
    // 7. Whether resident mode is on, and what it does once every document is closed: true
    // when the program really ends (another instance took the tray), false when it hides.
    std::function<bool()> residentMode;
    std::function<bool()> residentHide;
};

enum class CloseOutcome {
    kEnded,   // every document closed; the program ends
    kKept,    // the user kept a document, or a save failed: everything stays as it was
    kHidden,  // resident mode: documents closed, the window hides behind the tray icon
};

class Session {
  public:
    Session(SessionHost& host, platform::UserInterface& ui) : host_(host), ui_(ui) {}

    ClosingSteps closing;

    // Save (no dialog when the document has a path) or Save As; true when saved.
    bool Save(document::CElwDoc& doc, bool withDialog);
    // Asked before a modified document closes: "Save changes to NAME?" Yes saves (a failed save
    // keeps it), No discards, Cancel keeps it. True when it may close.
    bool QueryClose(document::CElwDoc& doc);
    // Closes the document (every window of it), asking first; true when closed.
    bool Close(document::CElwDoc& doc);
    // Save and Close: a modified document is saved first (a failure keeps it open); an
    // unmodified one keeps its bookmarks.
    bool SaveAndClose(document::CElwDoc& doc);
    // Saves every modified document, going on past a failure; unmodified ones keep their
    // bookmarks. True when every save succeeded.
    bool SaveAll();
    // Saves every modified document, and closes the program (the host's Quit) only when all
    // were saved.
    bool SaveAllAndQuit();
    // Every document closes the usual way, in window order; false at the first one kept (the
    // ones before it are closed).
    bool CloseAll();
    // The closing steps 1 to 8.
    CloseOutcome CloseProgram();

    // Whether another document may open: at most 100 at once. Otherwise "Cannot read more than
    // 100 files." is shown and nothing opens.
    bool RoomForDocument();

  private:
    SessionHost& host_;
    platform::UserInterface& ui_;
};

// The name a question shows for a document: its path, else its title without the "*" mark.
std::string DocumentName(const document::CElwDoc& doc);

// Replaces the whole text of the view's document as one undo step (Undo gives the old text
// back); the caret goes to the top.
void ReplaceWholeText(editing::CElwView& view, const std::string& text);

}  // namespace norv::app
