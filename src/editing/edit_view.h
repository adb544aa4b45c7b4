// The logic of an edit view: the caret, the scroll position, the layout of the document into
// display rows, and every caret, scroll and editing command, without any window.
//
// Whoever shows the view tells it the window size in rows and columns, sends it command
// identifiers and typed bytes, and paints the rows that VisibleRows() returns.
//
// The caret is a line record, its 1-based number, and a byte offset in it. The line under the
// caret is edited in the program's line edit buffer and written back when the caret leaves the
// line or the text is read (Sync). Every line's display-row count is cached in its record, and
// the view keeps the sum, so scrolling never lays out the whole document. All edits happen at the
// caret through two primitives (insert bytes, delete bytes forward, a line feed in either being a
// line break); each primitive leaves one undo record, and the records of one command form one
// undo group.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"
#include "document/line_edit_buffer.h"
#include "document/line_stack.h"
#include "document/undo_list.h"
#include "editing/command_ids.h"
#include "editing/edit_options.h"
#include "editing/saved_position.h"
#include "editing/sort_convert_requests.h"
#include "editing/word_classes.h"
#include "platform/ui.h"
#include "view/line_layout.h"

namespace norv::editing {

class CElwView;

// The reasons of refusals, shown in the status bar beside the beep: a command that would change
// a read-only document, and a character that the document's code cannot hold (followed by the
// code's status-bar name).
inline constexpr std::string_view kReadOnlyText = "Read only";
inline constexpr std::string_view kUnwritableText = "This character cannot be written in ";
inline constexpr std::string_view kNoClipboardText = "The clipboard holds no text";

// Whether a view command changes the text (and so is refused in a read-only document). The cut
// commands are not among them: in a read-only document they still copy.
bool ChangesText(CommandId id);

// The record `to - from` lines after (or before) `r`, which is line `from`.
document::LineRecord* RecordFrom(document::LineRecord* r, int from, int to);

// Text to be inserted as InsertText puts it in: "\r\n" becomes "\n", and a lead byte of
// `codePage` before a line end or the end of the text becomes a space.
std::string CleanInsertedText(std::string_view text, int codePage);
// Whether cleaning leaves `text` as it is for certain (ASCII without CR): then it needs no copy.
bool InsertedTextIsClean(std::string_view text);

// Every command reports itself here before it acts (the key-macro recorder).
class CommandRecorder {
  public:
    virtual ~CommandRecorder() = default;
    virtual void RecordCommand(CommandId id) = 0;
    // A typed character: one byte, or a double-byte character as lead << 8 | trail.
    virtual void RecordChar(uint16_t code, int repeat) = 0;
    // A typed character as the bytes of the document's code page (`codePage`, a UTF-8 code
    // page for the documents of the Unicode family). The default reports it as RecordChar.
    virtual void RecordTyped(std::string_view ch, int repeat, int /*codePage*/) {
        RecordChar(ch.size() == 2 ? static_cast<uint16_t>(static_cast<uint8_t>(ch[0]) << 8 |
                                                          static_cast<uint8_t>(ch[1]))
                                  : static_cast<uint8_t>(ch[0]),
                   repeat);
    }
    // JumpLine with the line and the counting mode it took from its dialog.
    virtual void RecordJump(int64_t line, bool logical) {
        (void)line, (void)logical;
        RecordCommand(CommandId::JumpLine);
    }
    // CopyToFile, AppendFile and PasteFromFile with the file they took (a path of the file
    // system), recorded once the file is known.
    virtual void RecordFileCommand(CommandId id, std::string_view path) {
        (void)path;
        RecordCommand(id);
    }
    // A search or replace with its arguments, recorded instead of the command that opened the
    // dialog: the search string, the replacement (Replace only) and the option string.
    virtual void RecordSearch(CommandId /*id*/, std::string_view /*searchString*/,
                              std::string_view /*replacement*/, std::string_view /*options*/) {}
    // A frame command with the texts it took from its dialog or a script (find in files: the
    // search string, the folder, the masks and the option string).
    virtual void RecordFrameCommand(uint16_t /*id*/, const std::vector<std::string>& /*texts*/) {}
    // Sort and Convert with the values they took from their dialogs or a script, recorded
    // instead of the commands (a macro replays them without the dialogs).
    virtual void RecordSort(const SortArguments& /*values*/) {}
    virtual void RecordConvert(const ConvertArguments& /*values*/) {}
    // AddString with the string and the place it took from its dialog or a script, recorded
    // instead of the bare command.
    virtual void RecordAddString(std::string_view /*text*/, bool /*atEnd*/) {
        RecordCommand(CommandId::AddString);
    }
};

// View commands carried out outside the view's own code (find and replace): Execute hands them
// over and does nothing else with them, so the handler reports them to the recorder itself.
class CommandExtension {
  public:
    virtual ~CommandExtension() = default;
    virtual bool Handles(CommandId id) const = 0;
    virtual bool RunCommand(CElwView& view, CommandId id) = 0;
};

// The find string of the find and replace state (PasteFindString inserts it).
class FindStringSource {
  public:
    virtual ~FindStringSource() = default;
    virtual std::string FindString() const = 0;
};

// The selection, filled in by the selection code; without one the view has no selection.
class SelectionHooks {
  public:
    virtual ~SelectionHooks() = default;
    virtual bool HasSelection(const CElwView&) const = 0;
    virtual bool IsBox(const CElwView&) const = 0;
    // Deletes the selection through the view's edit primitives.
    virtual void DeleteSelection(CElwView&) = 0;
    // Called after every caret move (a selection being extended follows the caret).
    virtual void CaretMoved(CElwView&) {}
    // The lines of the selection (stream or box), first to last, and whether it ends at the
    // first byte of its last line (a stream selection ending there); false without one.
    virtual bool LineRange(const CElwView&, int* /*first*/, int* /*last*/,
                           bool* /*endsAtLineStart*/) const {
        return false;
    }
    // The range of a stream selection (not a box), or false.
    virtual bool StreamRange(const CElwView&, document::UndoPosition* /*from*/,
                             document::UndoPosition* /*to*/) const {
        return false;
    }
    // Selects from (line1, pos1) to (line2, pos2) as a finished stream selection; the caret goes
    // to the second end.
    virtual void SelectStream(CElwView&, int /*line1*/, size_t /*pos1*/, int /*line2*/,
                              size_t /*pos2*/) {}
    // Called before every command of the view, inside its undo group: the selection may cancel
    // itself, or carry out the command (returns true, and the view does nothing more).
    virtual bool BeforeCommand(CElwView&, CommandId) { return false; }
    // Another view of the document edited the text: the ends follow the text they were on.
    virtual void LinesEdited(CElwView&, const document::LineEdit&) {}
    // The document's lines were all replaced.
    virtual void LinesReplaced(CElwView&) {}
    // Drops the selection without touching the text (its lines are about to be replaced).
    virtual void CancelSelection(CElwView&) {}
};

// The "Step Undo/Redo" dialog: the front end fills it and returns false when closed.
struct StepDoRequest {
    bool canUndo = false;
    bool canRedo = false;
    int steps = 1;      // remembered between calls
    bool redo = false;  // the button pressed
    // Set by the view: a dialog that stays open steps through it at each button press (undo or
    // redo, that many steps); it answers whether the history can still be undone and redone.
    std::function<void(bool redo, int steps, bool* canUndo, bool* canRedo)> step;
};

// The "Jump To" dialog: a line number, counted in display rows or in text lines.
struct JumpRequest {
    int64_t line = 1;
    bool logical = true;  // remembered between calls
};

// The "Add String" dialog: the string (escape sequences not yet decoded) and where it goes. The
// front end fills it and returns false when cancelled.
struct AddStringRequest {
    std::string text;        // in the document's encoding (codePage)
    bool textGiven = false;  // a script gave the text; otherwise the last one used fills it
    bool atEnd = false;
    int codePage = 932;
};

// A place in a document's text: its 1-based line and a byte offset in it.
struct TextPlace {
    int line = 1;
    size_t pos = 0;
};

// Escape is polled once every this many lines by the long bookmark and brace commands.
inline constexpr int kLinesPerEscapePoll = 1000;

// State shared by all views of the program.
struct EditorShared {
    explicit EditorShared(document::LineHeap& heap) : stack(heap) {}

    document::LineEditBuffer buffer;
    document::LineStack stack;
    // Whether each slot of the stack holds UTF-8 text (lines move between documents).
    bool stackUtf8[document::LineStack::kSlots] = {};
    bool insertMode = true;
    std::string pendingChar;  // bytes of a multi-byte character typed so far
    bool controlCodePending = false;
    int stepDoSteps = 1;
    bool jumpLogical = true;

    CommandRecorder* recorder = nullptr;
    FindStringSource* findString = nullptr;
    CommandExtension* extension = nullptr;
    platform::UserInterface* ui = nullptr;
    // The dialog of StepDo; null: nothing happens.
    std::function<bool(StepDoRequest&)> stepDoDialog;
    // The dialog of JumpLine; null: nothing happens.
    std::function<bool(JumpRequest&)> jumpDialog;
    // The dialog of AddString; null: nothing happens. addStringUsed is told of every string
    // used (it is kept as the AddStr setting).
    std::function<bool(AddStringRequest&)> addStringDialog;
    std::function<void(const AddStringRequest&)> addStringUsed;
    // The local time for TimeStamp (null: the system clock).
    std::function<std::tm()> localTime;
    // True when Ctrl is held or another BackSpace is queued (BackSpace after a split line).
    std::function<bool()> backSpacePending;
    // True when Escape was pressed since the last call (long commands poll it); null: never.
    std::function<bool()> escapePressed;
    // Sort and Convert: their dialogs (null: nothing happens), the Sort settings read before
    // its dialog and written after it, the direction chosen last (kept for the run), and the
    // values of a running script's SORT and CONVERT (taken by the next Sort or Convert).
    std::function<bool(SortRequest&)> sortDialog;
    std::function<bool(ConvertRequest&)> convertDialog;
    std::function<void(SortRequest&)> loadSortSettings;
    std::function<void(const SortRequest&)> saveSortSettings;
    bool sortDescending = false;
    std::optional<SortArguments> scriptSort;
    std::optional<ConvertArguments> scriptConvert;
    // MarkList: shows or hides the bookmark list; null: nothing happens.
    std::function<void(CElwView&)> markList;
    // The silent search of the tag rule of OtherParen: `text` (the document's bytes) searched
    // from `from` forward or backward, ignoring case and as a whole word, leaving the Find
    // string, its options, the selection and the caret as they were. Null: no tag is found.
    std::function<std::optional<TextPlace>(CElwView&, TextPlace from, std::string_view text,
                                           bool forward)>
        tagSearch;
    // While above zero the resident scripts hear no events (a silent search is running).
    int residentEventsSuppressed = 0;
    // The view whose line is in the buffer.
    CElwView* bufferOwner = nullptr;
    // Every view, so that a record moved by one view's write-back is followed by all views of
    // its document.
    std::vector<CElwView*> views;
};

// Every view of a document shares the document's layout (the rows cached in its records) and
// hears of the edits made through the others (document::DocumentView), so that its caret, top
// row, row totals and selection always refer to lines that exist.
class CElwView : public document::UndoTarget, public document::DocumentView {
  public:
    CElwView(document::CElwDoc& doc, document::UndoList& undo, EditorShared& shared,
             const view::LayoutOptions& layout = {}, const EditOptions& options = {});
    ~CElwView() override;
    CElwView(const CElwView&) = delete;
    CElwView& operator=(const CElwView&) = delete;

    document::CElwDoc& doc() const { return doc_; }
    document::UndoList& undo() const { return undo_; }
    EditorShared& shared() const { return shared_; }
    const view::LineLayout& layout() const { return layout_; }
    EditOptions& options() { return options_; }
    const EditOptions& options() const { return options_; }
    void SetSelectionHooks(SelectionHooks* hooks) { selection_ = hooks; }
    // The other edit window (RlupAnother, RlupBoth); may be null. Cleared when that view goes.
    void SetOtherView(CElwView* other) { other_ = other; }
    CElwView* otherView() const { return other_; }
    // Told whenever the view changed because of something done through another view (an edit,
    // an undo, a save, a scroll of RlupAnother): the window shows it again.
    std::function<void()> onChanged;

    // A new layout (wrap column, tab width, sets): every line is laid out again, for every view
    // of the document (they share the rows cached in the records).
    void SetLayout(const view::LayoutOptions& layout);
    void SetWindowSize(int rows, int columns);
    int windowRows() const { return rows_; }
    int windowColumns() const { return columns_; }

    // Commands. Returns false for identifiers this view does not handle. `keyRepeat` is how many
    // times the key has auto-repeated (scrolling accelerates).
    bool Execute(CommandId id, int keyRepeat = 0);
    // A typed byte (a lead byte waits for its trail byte), `repeat` times.
    void TypeByte(uint8_t byte, int repeat = 1);
    // A character was typed that the document's code cannot hold: nothing is typed, and the
    // refusal says why.
    void TypeUnwritable();
    // The refusal of a change to a read-only document.
    void RefuseReadOnly();
    // AddString with the values a script gives: the string and the place (true: the end of each
    // line). A missing value is asked for in the dialog, filled with what was given.
    void AddString(std::optional<std::string> text, std::optional<bool> atEnd);
    // Inserts text at the caret as one undo record: "\r\n" and "\n" break the line, a lone "\r"
    // is a character, a lead byte before a line end becomes a space. Inserted lines get `flags`.
    void InsertText(std::string_view text, uint8_t flags = 0);

    // The caret.
    document::LineRecord* caretLine() const { return line_; }
    int caretLineNumber() const { return lineNo_; }
    size_t caretPos() const { return pos_; }
    // The caret's display column in its row (beyond the line end in the free area).
    int caretColumn() const;
    // The caret's display row in the document (0-based) and on screen.
    int64_t caretRow() const;
    int caretScreenRow() const { return static_cast<int>(caretRow() - topRow_); }
    int goalColumn() const { return goal_; }
    // Places the caret (line clamped to the document, position to a character start).
    void SetCaret(int lineNumber, size_t pos);
    // Moves to line `n` (clamped), counted in text lines or in display rows; with JumpCenter
    // the line is centred in the window.
    void JumpTo(int64_t n, bool logical);

    // The saved position: written before every long move; PrevPos exchanges it with the caret.
    const SavedPosition& savedPosition() const { return saved_; }
    void SavePosition();
    // Goes to the start of line `lineNumber` as a long move (the bookmark list's items): the
    // position is saved first, and with JumpCenter the line is centred.
    void JumpToLine(int lineNumber);

    // Scrolling.
    int64_t topRow() const { return topRow_; }
    int leftColumn() const { return left_; }
    int64_t totalRows() const { return totalRows_; }
    void ScrollTo(int64_t topRow);
    // The first shown column, limited so that the wrap column stays reachable.
    void ScrollLeftTo(int column);
    int maxLeftColumn() const;
    // One step of smooth scrolling (SlowRlup / SlowRldn, driven by the front end's timer): the
    // text moves one row with the caret on its screen row. False at the end of the text, where
    // the timer stops.
    bool SlowScrollStep(bool up);

    struct Row {
        const document::LineRecord* line;
        int lineNumber;
        size_t start;  // byte offsets of the row in the line
        size_t end;
        int32_t index;  // the row's index in its line
        std::string text;
    };
    // The rows of the window, from the top row.
    std::vector<Row> VisibleRows();

    // Writes the line buffer back when it holds a line of this document, whichever view of it
    // was editing (the document is about to be read).
    void Sync();
    // The text of a line as the user sees it now (the buffer for the caret line).
    std::string LineContent(const document::LineRecord* r) const;
    view::LineText TextOf(const document::LineRecord* r) const;
    // The text of a line before its line feed: the record's own bytes, or a copy in `scratch`
    // while the edit buffer holds the line. Good until the next edit.
    std::string_view ContentOf(const document::LineRecord* r, std::string& scratch) const;
    // The display rows of a line (laid out when not cached).
    int32_t RowsOf(document::LineRecord* r) const;
    // Lays out every line again and recounts the total.
    void RecountRows();

    // The comment-block states of line starts (kept in the records) are right through this
    // line; 0: none is. Every edit lowers it for each view of the document, and laying the
    // whole document out again resets it. Whoever paints scans on from here.
    int statesValidThrough() const { return statesValid_; }
    void SetStatesValidThrough(int line) { statesValid_ = line; }

    // After a successful save: clears the changed marks (unless the save did, as the document's
    // own save does while it writes the lines), makes this the save point and, with UndoReset,
    // clears the history.
    void OnSaved(bool marksCleared = false);

    // Edit primitives for the selection and paragraph code. Each leaves one undo record (of
    // `kind`) grouped with the other records of the running command.
    std::string InsertAtCaret(std::string_view bytes, document::UndoKind kind);
    std::string DeleteForward(size_t n, document::UndoKind kind);
    std::string DeleteBackward(size_t n, document::UndoKind kind);
    // Replaces the `n` bytes after the caret by `bytes` as one record of `kind` (Convert). A line
    // growing beyond a record's limit goes on in further lines carrying LF_CONTINUED, so that
    // a save writes it whole.
    std::string ReplaceForward(size_t n, std::string_view bytes, document::UndoKind kind);
    // The record of a line, walked to from the caret line or from whichever end is nearer;
    // null outside the text.
    document::LineRecord* NearestRecord(int lineNumber) const;
    // Puts the lines from `first` in a new order (order[i]: the offset from `first` of the line
    // that goes to place i) as one Order record. Each line keeps its record, so its bookmark
    // goes with it; lines that moved are marked changed. Nothing when no line moves.
    // `records`, when given, are the records of those lines, already walked to.
    void ReorderLines(int first, const std::vector<uint32_t>& order,
                      std::vector<document::LineRecord*> records = {});
    // Replaces lines [first, first + count) by the lines of `text` (separated by line feeds) in
    // one step, without editing them one at a time, as one record of `kind` (a kind that removes
    // one text and puts another: the old lines, then the new) grouped with the running command.
    // Lines longer than a record holds go on in continued records; the new lines take the flags
    // that deleting the old ones and inserting the text would give them, and `flags` runs on them
    // before the record is made. The caret goes behind the new text, which is returned.
    document::UndoPosition ReplaceLines(int first, int count, std::string_view text,
                                        document::UndoKind kind = document::UndoKind::kReflow,
                                        const std::function<void()>& flags = nullptr);
    // Puts `bytes` (no line feed among them, short enough for one record) in place of the text
    // of line `line`, keeping its record (and so its handle and bookmark) and its line end, as one
    // record of `kind` that deletes the old text and inserts the new from the line's start, the
    // caret behind it: what deleting the text and inserting `bytes` there would give, without the
    // edit buffer. False, with nothing done, for a line that goes on in or from another record,
    // for text that does not fit, or when the heap has no room.
    bool ReplaceLineText(int line, std::string_view bytes, document::UndoKind kind);
    // As InsertText in place of lines first..last, whole (the external filter's output): the
    // text is cleaned as InsertText cleans it, the selection is cancelled, and one undo record
    // replaces the lines, after which an undo puts the caret at the start of `first`. `text`
    // must not lie in this document (clean text is spliced in without a copy). Repeat puts the
    // text in again at the caret.
    void ReplaceWholeLines(int first, int last, std::string_view text);
    bool readOnly() const { return doc_.readOnly; }
    // The records made from here on by the running command undo as a group of their own.
    void StartUndoGroup() { recordsInCommand_ = 0; }

    // UndoTarget
    void PlayBack(const document::UndoRecord& r, bool restoreChanged) override;
    void PlayForward(const document::UndoRecord& r, bool restoreChanged) override;
    void PlayAgain(const document::UndoRecord& r) override;
    void AfterReplay(bool atSavePoint) override;

    // DocumentView
    void LinesEdited(const document::LineEdit& edit) override;
    void LineMoved(document::LineRecord* from, document::LineRecord* to) override;
    void LinesRewritten() override;
    void LinesReplaced() override;
    void Repaint() override;

    // Hands the line buffer back (another view needs it).
    void ReleaseBuffer();

  private:
    friend class CommandScope;

    // The line buffer holding the caret line, loaded on demand.
    document::LineEditBuffer& Buffer();
    bool BufferHolds(const document::LineRecord* r) const;
    view::LineText CaretText() const { return TextOf(line_); }
    document::UndoPosition CaretPosition() const { return {lineNo_, static_cast<uint32_t>(pos_)}; }
    // Moves the caret to another line (writing the buffer back); keeps the row bookkeeping.
    void GoToLine(int lineNumber);
    void SetPos(size_t pos);
    void PlaceExactly(document::UndoPosition p);
    // Before this view edits: another view's line in the buffer is written back, so that no
    // record is changed or freed under it.
    void ClaimBuffer();
    // Sums the rows of every line (laying each out again when `relayout`).
    void SumRows(bool relayout);
    void Changed();
    // The state before a raw edit, and telling the other views what it did.
    struct EditStart {
        int line;
        size_t column;
        int64_t row;
        int64_t total;
    };
    EditStart StartEdit() const { return {lineNo_, pos_, lineRow_, totalRows_}; }
    void Announce(const EditStart& start, std::string_view removed, std::string_view inserted);
    // Recounts the caret line's rows after an edit.
    void RelayoutCaretLine();
    std::string FlagsOf(int lineNumber, size_t count);
    void ApplyFlags(int lineNumber, std::string_view flags, bool restoreChanged);
    void MarkEdited();
    // The caret line's text is about to change: later lines may start in other states.
    void NoteLineEdited();

    // Moves the records of an Order record's lines to their new places (or back), and brings
    // every view of the document to the records now at its line numbers.
    void PermuteLines(int first, std::string_view order, bool back);
    // The records of lines first, first + 1, ... (at most n).
    std::vector<document::LineRecord*> RecordsFrom(int first, size_t n);
    // Puts `records` (the lines from `first`) in the packed order; returns them as placed, or
    // nothing when the order is no permutation of them.
    std::vector<document::LineRecord*> PermuteRecords(
        int first, const std::vector<document::LineRecord*>& records, std::string_view order,
        bool back);

    // Raw edits, not recorded. The removed/inserted flags of lines are gathered for the record.
    std::string RawInsert(std::string_view bytes);
    std::string RawDelete(size_t n, std::string* removedFlags);
    void Commit(document::UndoKind kind, document::UndoPosition before, document::UndoPosition at,
                std::string text, std::string_view text2, std::string flagsBefore);
    // Indent: `text` put at the start of every non-empty line from first to last (the records
    // that continue a line are not line starts) as one record; a line with no room left goes on
    // in a continued record, through a record of its own. Returns the lines added that way.
    int IndentLines(int first, int last, std::string_view text);
    // Puts `text` at the start of a record or takes its first `remove` bytes away, in place;
    // rows, totals and the other views follow. Returns the record (it may have moved).
    document::LineRecord* EditLineStart(document::LineRecord* r, int lineNumber, int64_t row,
                                        std::string_view text, size_t remove);
    // Plays a kIndent record back or forward.
    void PlayIndent(const document::UndoRecord& r, bool back, bool restoreChanged);
    // Plays a record that replaced whole lines back or forward in one splice; false when the
    // record is not of that shape (it is then played as a deletion and an insertion).
    bool ReplayLines(const document::UndoRecord& r, bool back);

    // Caret moves (caret_moves.cpp)
    void MoveLeft();
    void MoveRight();
    bool MoveRowUp();
    bool MoveRowDown();
    void MoveUp();
    void MoveDown();
    void WordLeft();
    void WordRight();
    void TopOfLine();
    void EndOfLine();
    void LeftSide();
    void RightSide();
    void TextTop();
    void TextBottom();
    void ApplyGoal();
    void KeepCaretVisible(int topMargin, int bottomMargin);
    // caretColumn for the caret line's text `t` and the row of it that holds the caret.
    int CaretColumnIn(const view::LineText& t, const view::LineLayout::Row& row) const;
    void CaretMoved();
    // The caret may stand beyond the line end: free cursor on, or a box selection being made.
    bool FreeArea() const;

    // Scrolling (scroll_commands.cpp)
    bool Scroll(CommandId id, int keyRepeat);
    bool ScrollText(int64_t rows);
    void RollUpKeep(int n);
    void RollDownKeep(int n);
    void RollWithCaret(int n);

    // Editing (line_edits.cpp, word_edits.cpp, line_commands.cpp)
    bool Edit(CommandId id);
    void TypeCharacter(const std::string& ch);
    void TypeOne(const std::string& ch);
    void OverwriteOne(const std::string& ch);
    void FillToCaret();
    void DeleteChar();
    void BackSpace();
    void SplitLine(bool bullets, bool formatted);
    std::string IndentFor(const std::string& line, bool bullets) const;
    void Tab();
    void FlipCase();
    void FlipCaseOne();
    void DeleteToEnd();
    void DeleteToTop();
    void DeleteWord();
    void BackSpaceWord();
    void DeleteLine();
    void PopLine();
    void Duplicate();
    // Inserts `content` as whole lines above the caret line; the lower line keeps its flags.
    void InsertLinesAbove(const std::string& content);
    void RepeatChar();
    void TimeStamp();
    void PasteFindString();
    void CloseBrace();
    bool AutoSplitBefore(const std::string& ch);
    void StepDo();
    void JumpLine();

    // Paragraph commands (paragraph_commands.cpp).
    bool Paragraph(CommandId id);
    // The lines of the selection (its last line left out when the selection ends at its start).
    bool SelectedLines(int* first, int* last) const;
    void LineLoop(CommandId id, const std::string& added = {}, bool atEnd = false);
    void RunAddString(const std::string& text, bool atEnd);
    void Deformat();
    void Format();
    // Replaces the text from `from` to `to` by `text` as one undo record; `flags` runs on the
    // new lines before the record is made. Returns where the new text ends.
    document::UndoPosition ReplaceText(document::UndoPosition from, document::UndoPosition to,
                                       std::string_view text,
                                       const std::function<void()>& flags = nullptr);
    // Reflows lines [first, first + count) (continued records belong to their line) in
    // forced or automatic mode, keeping the caret behind its character.
    void Reflow(int first, int count, bool forced, bool select);
    // The formatter after an edit, when automatic formatting is on.
    void AutoFormat();

    // Bookmarks, changed lines, the screen's edges and the previous position
    // (bookmark_commands.cpp); the corresponding brace or tag (brace_matching.cpp).
    bool Bookmarks(CommandId id);
    void ToggleMark();
    void DeleteMark();
    void NextFlagged(uint8_t flag, bool forward);
    void MarkCaption();
    void PrevPosition();
    void ScreenEdge(bool bottom);
    void CorrParen();
    bool MatchTag();
    // Ends a long move with the caret placed (the saved position was written before): with
    // JumpCenter the caret line is centred.
    void FinishLongMove();
    // The bookmarks of this document changed: the notice, and the other views repaint.
    void NoteBookmarks();
    bool Escape() const { return shared_.escapePressed && shared_.escapePressed(); }
    void DeleteSelectionIfAny(bool boxToo);
    uint16_t CodeAt(const view::LineText& t, size_t i, size_t len) const;

    document::CElwDoc& doc_;
    document::UndoList& undo_;
    EditorShared& shared_;
    view::LineLayout layout_;
    EditOptions options_;
    WordClasses words_;
    SelectionHooks* selection_ = nullptr;
    CElwView* other_ = nullptr;

    document::LineRecord* line_ = nullptr;
    int lineNo_ = 1;
    size_t pos_ = 0;
    int64_t lineRow_ = 0;  // display row of the caret line's first row
    int virtualCol_ = -1;  // caret column beyond the line end, or -1
    int goal_ = -1;        // goal column of vertical moves, or -1
    int64_t topRow_ = 0;
    int left_ = 0;
    int rows_ = 25;
    int columns_ = 80;
    int64_t totalRows_ = 0;
    int statesValid_ = 0;
    SavedPosition saved_;

    bool replaying_ = false;
    bool forcedMarks_ = false;
    bool continueOverflow_ =
        false;  // a line filled by RawInsert goes on with LF_CONTINUED  // lines were marked
                // changed by playing records older than the save
    int recordsInCommand_ = 0;
    int commandDepth_ = 0;
};

// Brackets one command: the records made inside form one undo group.
class CommandScope {
  public:
    explicit CommandScope(CElwView& v) : v_(v) {
        if (v_.commandDepth_++ == 0) v_.recordsInCommand_ = 0;
    }
    ~CommandScope() { --v_.commandDepth_; }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

  private:
    CElwView& v_;
};

}  // namespace norv::editing
