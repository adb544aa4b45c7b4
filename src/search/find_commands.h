// Find, FindNext/FindPrev, Mark All, GetFindWord and the replace loop over the edit views.
//
// FindCommands holds the Find and Replace search objects, the replacement, the histories and
// the search state shared by every window. It works on views through their public interface;
// the selection, the list of open windows, the Escape key and the "Replace?" question reach it
// through FindEnvironment, which the application fills (tests fill it with simple fakes).
//
// A search that continues in the next window or wraps around runs on at once in the same call,
// from the caret position itself, instead of being posted.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editing/edit_view.h"
#include "platform/ui.h"
#include "search/find.h"
#include "search/find_history.h"

namespace norv::search {

// The selection as the search sees it.
struct SelectedArea {
    bool box = false;
    int line1 = 1;
    size_t pos1 = 0;  // stream: byte offsets; box: display columns
    int line2 = 1;
    size_t pos2 = 0;
};

class FoundTextSelection {
  public:
    virtual ~FoundTextSelection() = default;
    // Selects a finished stream selection; the caret goes to (line2, pos2).
    virtual void Select(editing::CElwView& view, int line1, size_t pos1, int line2,
                        size_t pos2) = 0;
    virtual void Cancel(editing::CElwView& view) = 0;
    // The view's selection with its ends ordered, or nothing.
    virtual std::optional<SelectedArea> Area(editing::CElwView& view) = 0;
    // Restores a selection taken from Area().
    virtual void Restore(editing::CElwView& view, const SelectedArea& area) = 0;
};

// The document windows in window order.
class OpenWindows {
  public:
    virtual ~OpenWindows() = default;
    virtual std::vector<editing::CElwView*> Views() = 0;
    // Makes the window of `view` the active one (restoring it when minimised).
    virtual void Activate(editing::CElwView& view) = 0;
};

// The "Replace?" question.
enum class ReplaceAnswer { kYes, kYesToAll /* "&Yes" with Shift */, kReplaceAll, kNo, kCancel };

struct ReplaceQuestion {
    int line = 0;  // where the selected match begins
    size_t pos = 0;
};

// The Find dialog: filled with the word at the caret (or the string GetFindWord set) and the
// Find object's options; the front end shows it and returns false when it is cancelled.
struct FindDialogRequest {
    std::string searchString;
    FindOptions options;
    const FindHistory* history = nullptr;  // choosing an entry restores its options
    bool forward = true;                   // the direction buttons
    bool markAll = false;                  // "Mark A&ll" was pressed
    bool saveOptions = false;              // "&Save Options"
};

// The Replace dialog.
struct ReplaceDialogRequest {
    std::string searchString;
    std::string replacement;
    FindOptions options;
    const FindHistory* findHistory = nullptr;
    const FindHistory* replaceHistory = nullptr;
    bool all = false;          // "Replace &All" instead of asking for each match
    bool saveOptions = false;  // "Save &Options"
};

// The settings keys the dialogs save their options under.
inline constexpr std::string_view kFindOptionKey = "FindOption";
inline constexpr std::string_view kReplOptionKey = "ReplOption";

struct FindEnvironment {
    std::function<bool(FindDialogRequest&)> findDialog;
    std::function<bool(ReplaceDialogRequest&)> replaceDialog;
    // Writes an option string to the settings (section "Settings").
    std::function<void(std::string_view key, std::string_view options)> saveOptions;
    platform::UserInterface* ui = nullptr;
    FoundTextSelection* selection = nullptr;
    OpenWindows* windows = nullptr;
    // True when Escape is down or was pressed since the last call.
    std::function<bool()> escapePressed;
    std::function<ReplaceAnswer(const ReplaceQuestion&)> askReplace;
    // Paints the view now (the replace loop shows its progress every kReplacePollCount).
    std::function<void(editing::CElwView&)> repaint;
    bool jumpCenter = false;  // JumpCenter
    bool selectFind = true;   // SelectFind
    bool silent = false;      // a script's silent mode: no message box, no beep
    int systemCodePage = 932;
    // The code page the search and replacement strings are written in (0: each document's own).
    int stringCodePage = 0;
};

inline constexpr std::string_view kFindingText = "Finding ...(ESC key to break)";
// The status text beside the beep of a search that found nothing, before the search string.
inline constexpr std::string_view kNotFoundText = "Not found: ";
// The search string is shown up to this many characters (and "...").
inline constexpr size_t kNotFoundShownChars = 80;
inline constexpr std::string_view kReplacedFormat = "%d words are replaced";
// Escape is polled and the view repainted once every this many replacements.
inline constexpr int kReplacePollCount = 10;

// The editor state values a search leaves for scripts.
inline constexpr int kStateReplaced = 1;
inline constexpr int kStateNotFound = 4;

class FindCommands : public editing::FindStringSource, public editing::CommandExtension {
  public:
    explicit FindCommands(FindEnvironment& env) : env_(env) {}

    CFind find;
    CFind replace;
    std::string replacement;  // as typed, with escape sequences
    FindHistories histories;
    int stateValue = 0;

    // Find, FindForward, FindBackward: `markAll` is the dialog's "Mark A&ll" or N in a script's
    // options. Returns whether anything was found.
    bool Find(editing::CElwView& view, std::string_view searchString, const FindOptions& options,
              bool forward, bool markAll);
    // The same with a script's or macro's option string.
    bool FindWithOptionString(editing::CElwView& view, std::string_view searchString,
                              std::string_view optionString, bool forward);
    // The Find and Replace commands: the dialog, then the search or the replace loop. The Find
    // dialog's direction buttons start at `forward`, or at the last search's direction. Both
    // report the search they ran to the view's recorder.
    bool FindCommand(editing::CElwView& view, std::optional<bool> forward = std::nullopt);
    int ReplaceCommand(editing::CElwView& view);
    bool FindNext(editing::CElwView& view) { return Repeat(view, true); }
    bool FindPrev(editing::CElwView& view) { return Repeat(view, false); }
    // Replace and ReplAgain: the replace loop with the Replace object; `all` replaces without
    // asking. Returns the number of replacements.
    int Replace(editing::CElwView& view, bool all);
    int ReplaceWith(editing::CElwView& view, std::string_view searchString,
                    std::string_view replacementText, const FindOptions& options, bool all);
    // The script built-in: N replaces without asking, and wrap around is off.
    int ReplaceWithOptionString(editing::CElwView& view, std::string_view searchString,
                                std::string_view replacementText, std::string_view optionString);
    void GetFindWord(editing::CElwView& view);
    // The silent search of the tag rule: `text` (the document's bytes) from `from`, ignoring
    // case and as a whole word, through a search object of its own, so that the Find string,
    // its options, the histories, the selection and the caret stay as they were.
    std::optional<editing::TextPlace> SearchTag(editing::CElwView& view, editing::TextPlace from,
                                                std::string_view text, bool forward);
    // The word at the caret, escaped for a search field (the dialogs start with it).
    std::string WordAtCaret(editing::CElwView& view);

    // Whether GetFindWord set the string (the Find dialog then keeps it); the dialog clears it.
    bool keepFindString = false;

    // FindStringSource
    std::string FindString() const override { return find.searchString; }
    // CommandExtension: SearchFwd, SearchBwd, SearchNext, SearchPrev, Replace, ReplAgain and
    // GetWord.
    bool Handles(editing::CommandId id) const override;
    bool RunCommand(editing::CElwView& view, editing::CommandId id) override;

  private:
    bool Repeat(editing::CElwView& view, bool forward);
    bool RunFind(editing::CElwView& view, bool forward, bool markAll, bool repeat);
    int MarkAll(editing::CElwView& view, bool forward, bool* broken);
    void Compiled(CFind& f, editing::CElwView& view);
    std::optional<TextPos> Step(editing::CElwView& view, bool forward, bool textStartStays = true);
    TextPos Caret(editing::CElwView& view);
    void ShowFound(editing::CElwView& view, const FoundText& m);
    void Center(editing::CElwView& view);
    editing::CElwView* NextWindow(editing::CElwView& view, bool forward);
    void Status(std::string_view text);
    void NotFound();
    // A replace in a read-only document: state 4 and the refusal, unless silent.
    void RefuseReadOnly();
    bool Escape() { return env_.escapePressed && env_.escapePressed(); }

    FindEnvironment& env_;
    // The search state of the program.
    document::CElwDoc* startDoc_ = nullptr;
    int wrapState_ = 0;  // 0 none, 1 wrapped to the top, 2 wrapped to the end
    bool fromCaret_ = false;
    bool markAllOn_ = false;
    int replaceCount_ = 0;
    bool replaceAll_ = false;
};

}  // namespace norv::search
