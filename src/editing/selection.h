// The selection of one edit view (stream or box) and the commands that work on it: copy, cut
// and paste through the system clipboard or the box buffer, the clipboard history, and copying
// the selection to a file or inserting a file.
//
// A selection has two ends, the anchor (start) and the end that follows the caret while the
// selection is being extended. Every operation first normalises it: the ends are ordered, a box
// orders its two columns independently (start column = left edge), and a selection whose ends
// coincide is cleared. Stream ends are byte offsets; box ends are display columns of the logical
// line (tabs expanded, double-byte characters two wide), turned into byte offsets line by line.
//
// Texts carry their length everywhere: a NUL byte in a line is copied, pasted and written like
// any other byte.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editing/clipboard_history.h"
#include "editing/edit_view.h"
#include "editing/sort_order.h"
#include "platform/clipboard.h"
#include "platform/file_system.h"

namespace norv::editing {

enum class SelectionKind { kStream = 0, kBegun = 1, kBox = 2 };

struct SelectionEnd {
    int line = 1;    // logical line number
    size_t pos = 0;  // byte offset in the line (stream ends)
    int column = 0;  // display column in the logical line (box ends)
};

// The pieces of the most recently copied box, one per line, in the encoding they were copied
// from, so that a box pasted into a document of the other internal encoding is converted.
struct BoxBuffer {
    std::vector<std::string> pieces;
    int codePage = 0;
};

enum class FileCommand { kCopyToFile, kAppendToFile, kPasteFile };

// The file dialog of the file commands; the front end fills `path` or returns false.
struct FileCommandRequest {
    FileCommand command = FileCommand::kCopyToFile;
    std::string path;
};

// What every view of the program shares for its selection commands.
struct ClipboardContext {
    platform::Clipboard* clipboard = nullptr;
    platform::FileSystem* files = nullptr;
    BoxBuffer box;
    ClipboardHistory history;
    // The file dialog; null: the file commands do nothing.
    std::function<bool(FileCommandRequest&)> askFile;
    // The clipboard history dialog.
    std::function<HistoryButton(ClipboardHistoryRequest&)> historyDialog;
    // A file name handed over by a running script: the file commands take it instead of asking.
    std::optional<std::string> scriptFileName;
    // Whether the last file command read or wrote its file (scripts report it).
    bool fileCommandDone = false;
    // Beeps when the clipboard cannot be read at a change.
    platform::UserInterface* ui = nullptr;

    // The system clipboard changed: records its text in the history, unless the history dialog
    // placed it there itself.
    void ClipboardChanged();
    bool changingFromHistory = false;
};

class Selection : public SelectionHooks {
  public:
    // Attaches itself to the view's selection hooks; detaches on destruction, so it goes before
    // its view.
    Selection(CElwView& view, ClipboardContext& context);
    ~Selection() override;
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

    bool active() const { return active_; }
    bool extending() const { return extending_; }
    SelectionKind kind() const { return kind_; }
    const SelectionEnd& start() const { return start_; }
    const SelectionEnd& end() const { return end_; }

    // ShiftSelect; and whether Shift is held with the command now running (set by the key
    // dispatch). With both, caret moves extend a stream selection instead of cancelling it.
    bool shiftSelect = true;
    bool shiftHeld = false;
    // The mouse is captured (a drag is making the selection): commands leave it in place.
    bool mouseCaptured = false;

    // Anchors a selection at the caret that follows the caret from now on.
    void Anchor(SelectionKind kind);
    // Selects from (line1, pos1) to (line2, pos2) as a finished stream selection (found text,
    // scripts); the caret goes to the second end.
    void Select(int line1, size_t pos1, int line2, size_t pos2);
    // Selects the box of lines line1 to line2 between two display columns; the caret stays.
    void SelectBox(int line1, int column1, int line2, int column2);
    void Cancel();
    void Normalize();
    // The selected text as one block in the document's bytes: a stream with CR LF line ends, a
    // box with its pieces separated by CR.
    std::string Block();
    // The selected text handed over in order, as Block() has it but with `lineEnd` between the
    // lines of a stream and after each piece of a box, so that a large selection needs no copy
    // of its own. `take` never gets a line end and text in one call.
    void Pieces(std::string_view lineEnd, const std::function<void(std::string_view)>& take);
    // The pieces of the box, one per line.
    std::vector<std::string> BoxPieces();

    // SelectionHooks
    bool HasSelection(const CElwView&) const override { return active_; }
    bool IsBox(const CElwView&) const override { return active_ && kind_ == SelectionKind::kBox; }
    void DeleteSelection(CElwView&) override;
    void CaretMoved(CElwView&) override;
    bool StreamRange(const CElwView&, document::UndoPosition* from,
                     document::UndoPosition* to) const override;
    bool LineRange(const CElwView&, int* first, int* last, bool* endsAtLineStart) const override;
    void SelectStream(CElwView&, int line1, size_t pos1, int line2, size_t pos2) override {
        Select(line1, pos1, line2, pos2);
    }
    bool BeforeCommand(CElwView&, CommandId id) override;
    void LinesEdited(CElwView&, const document::LineEdit& edit) override;
    void LinesReplaced(CElwView&) override { Cancel(); }
    void CancelSelection(CElwView&) override { Cancel(); }

  private:
    SelectionEnd CaretEnd() const;
    void Snap(SelectionEnd& e) const;
    // Byte offset of a display column in a line (inside a character: its start; beyond the
    // end: the end).
    size_t PosOfColumn(int lineNumber, int column) const;
    int ColumnOfPos(const view::LineText& t, size_t pos) const;
    bool Handle(CommandId id);
    // False when the text could not be placed on the clipboard.
    bool Copy(bool append);
    void Paste();
    void PasteText(const std::string& unicode);
    void BoxPaste();
    void FileCommandRun(FileCommand c);
    void PasteFromHistory();
    // Sort and Convert of the selection (sort_convert_commands.cpp).
    void SortCommand();
    void ConvertCommand();
    void SortBoxPieces(const SortOrderOptions& options);
    void SortLineRange(const SortOrderOptions& options, bool boxKey);
    void ConvertPieces(const ConvertChoices& choices);
    std::string ToUnicode(const std::string& bytes) const;
    std::string FromUnicode(const std::string& text) const;

    CElwView& view_;
    ClipboardContext& ctx_;
    bool active_ = false;
    bool extending_ = false;
    SelectionKind kind_ = SelectionKind::kStream;
    SelectionEnd start_;
    SelectionEnd end_;
};

// The view commands that leave a selection in place (they work on it).
bool WorksOnSelection(CommandId id);

}  // namespace norv::editing
