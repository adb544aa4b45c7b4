// The undo history of a document: a list of edit records, a current point, and a save point.
//
// Each record describes one edit as a primitive that can be played both ways: text inserted at a
// position, text deleted forward from a position, or both (overwriting). A line feed inside a
// record's text is a line break. Records also carry the flags of the lines they cover before and
// after the edit, so that undoing and redoing give back the line flags exactly. Several records
// make one user step when the later ones carry the group flag.
//
// The history holds at most `limit` kilobytes of saved text; the oldest records are dropped to
// stay under it. Every state of the text that the history can reach has a serial number, and the
// save point is the serial of the state that was last loaded or saved: the document is unmodified
// exactly when the current state is the save point. Once that state has left the history (dropped
// as too old, or in a redo branch that a new edit discarded), only a save makes the document
// unmodified again.
//
// Playing records back is the editor's business: Undo, Redo and RepeatLast hand each record to an
// UndoTarget.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "document/record_queue.h"

namespace norv::document {

enum class UndoKind : int16_t {
    kNone = 0,
    kType = 1,                // typing in insert mode; text = the typed bytes
    kOverwrite = 2,           // typing in overwrite mode; text = overwritten, text2 = put in
    kInsertBlock = 3,         // paste, insert file, inserted text
    kSplit = 4,               // a line break; text = "\n" and the indentation inserted with it
    kInsertLine = 5,          // a whole line inserted (Duplicate, PopLine); text = line + "\n"
    kFlipCase = 51,           // text = the range before, text2 = the range after
    kFlipCaseSelection = 52,  // as 51, for a stream selection
    kConvert = 53,            // a piece of a line converted: text = before, text2 = after
    kOrder = 60,              // lines reordered in place (Sort): text = the new order, four
                              // bytes (little-endian) per line, each the offset from at.line of
                              // the line that went there; the texts are not copied
    kReflow = 54,             // lines rewritten by a paragraph command; as 51
    kReplaceLines = 55,       // whole lines put in place of others (a program's output): as
                              // 51; Repeat inserts the new text again, as for a paste
    kIndent = 61,             // the same text put at the start of lines (Indent): text = that
                              // text; text2 = one byte for each line from at.line, its flags
                              // before the edit, with kIndentedLine when the text went there
    kDeleteAfter = 101,       // deleting at and after the caret; text = the deleted bytes
    kDeleteSelection = 102,   // deleting a selection over several lines
    kDeleteLine = 103,        // deleting a whole line with its line feed
    kDeleteBefore = 104,      // deleting before the caret
};

// The bit of a kIndent record's line byte that says the line got the text (no line flag uses it).
inline constexpr uint8_t kIndentedLine = 0x80;

// True for the kinds that insert text (Repeat plays them again).
constexpr bool IsInsertKind(UndoKind k) {
    return k == UndoKind::kType || k == UndoKind::kOverwrite || k == UndoKind::kInsertBlock ||
           k == UndoKind::kSplit || k == UndoKind::kInsertLine || k == UndoKind::kReplaceLines;
}

// A caret position: 1-based line number and byte offset in the line.
struct UndoPosition {
    int32_t line = 1;
    uint32_t column = 0;
    bool operator==(const UndoPosition&) const = default;
};

// One edit. Its bytes are kept in one buffer: the text, the second text (only the kinds that
// replace one text by another have one), and the flags of the lines it covers before and after
// the edit, which for most edits are one byte each and so stay inside the buffer's own space.
struct UndoRecord {
    UndoKind kind = UndoKind::kNone;
    bool group = false;     // undoing this record goes on with the record before it
    uint8_t lineFlags = 0;  // flags of the caret line when the step began
    UndoPosition before;    // caret when the step began
    UndoPosition after;     // caret when the step ended
    UndoPosition at;        // where the edit applies: text2/text removed from here forward,
                            // then text (insert kinds) inserted here
    int64_t serial = 0;     // the state the text is in after this record

    // text: inserted bytes (insert kinds) or removed bytes (delete kinds);
    // text2: Overwrite / FlipCase / Convert / Reflow: the bytes put in place of `text`;
    // flagsBefore: flags of the lines at.line, at.line+1, ... before the edit; flagsAfter: ...
    // and after it.
    std::string_view text() const { return std::string_view(bytes_).substr(0, textLen_); }
    std::string_view text2() const { return std::string_view(bytes_).substr(textLen_, text2Len_); }
    std::string_view flagsBefore() const {
        return std::string_view(bytes_).substr(textLen_ + text2Len_, flagsLen_);
    }
    std::string_view flagsAfter() const {
        return std::string_view(bytes_).substr(size_t{textLen_} + text2Len_ + flagsLen_);
    }
    void SetContents(std::string&& text, std::string_view text2, std::string_view flagsBefore,
                     std::string_view flagsAfter);
    void SetText(std::string_view text) {
        SetContents(std::string(text), text2(), flagsBefore(), flagsAfter());
    }
    // What the edit removes from `at` and what it leaves there.
    std::string_view Removed() const;
    std::string_view Inserted() const { return InsertedOf(kind, text(), text2()); }
    // What a record of `kind` with these texts leaves at `at`.
    static std::string_view InsertedOf(UndoKind kind, std::string_view text,
                                       std::string_view text2);
    size_t Size() const { return size_t{textLen_} + text2Len_; }

  private:
    std::string bytes_;  // text, text2, flagsBefore, flagsAfter
    uint32_t textLen_ = 0;
    uint32_t text2Len_ = 0;
    uint32_t flagsLen_ = 0;  // of flagsBefore
};

class UndoTarget {
  public:
    virtual ~UndoTarget() = default;
    // Play a record back (undo) or forward (redo). With `restoreChanged` the lines' LF_CHANGED
    // bits come from the record's flags; without, the lines are marked changed (the state
    // reached is older than the last save, so they differ from the file).
    virtual void PlayBack(const UndoRecord& r, bool restoreChanged) = 0;
    virtual void PlayForward(const UndoRecord& r, bool restoreChanged) = 0;
    // Apply an inserting record again at the caret (Repeat).
    virtual void PlayAgain(const UndoRecord& r) = 0;
    // Called once after a run of Undo or Redo, with whether the save point was reached.
    virtual void AfterReplay(bool atSavePoint) = 0;
};

class UndoList {
  public:
    static constexpr size_t kDefaultLimitKb = 1024;

    // limitKb = 0 switches the size checks off.
    explicit UndoList(size_t limitKb = kDefaultLimitKb) : limitKb_(limitKb) {}

    void SetLimit(size_t limitKb) { limitKb_ = limitKb; }
    size_t limitKb() const { return limitKb_; }

    // Set while Undo, Redo or Repeat play records; edits made then are not recorded.
    bool replaying() const { return replaying_; }
    // Set by callers whose edits must not be recorded.
    void Suspend(bool on) { suspended_ = on; }
    bool suspended() const { return suspended_; }
    bool recording() const { return !replaying_ && !suspended_; }

    // Before an edit: discards the redo branch and notes the caret.
    void BeginStep(UndoPosition caret, uint8_t lineFlags);
    // The edit itself (kind, texts, position, line flags); `before` and `serial` are filled here.
    void RecordStep(UndoRecord&& step);
    // After the edit: notes the caret and appends the record; keeps the history under the limit.
    void EndStep(UndoPosition caret);
    // The next recorded step undoes together with the one before it.
    void MarkGroup() { pendingGroup_ = true; }
    void UnmarkGroup() { pendingGroup_ = false; }

    int Undo(UndoTarget& target);
    int Redo(UndoTarget& target);
    int RepeatLast(UndoTarget& target);
    bool CanUndo() const { return current_ > 0; }
    bool CanRedo() const { return current_ < records_.size(); }

    // Frees every record. The current state stays the save point if it was one.
    void Clear();
    // The text was saved (or loaded): the current state is the save point. With `reset` the
    // history is cleared first (the UndoReset setting).
    void MarkSaved(bool reset = false);
    // The text changed without a record (recording suspended, or a record was refused): no
    // state of the history matches the file any more.
    void ForgetSavePoint() { savedSerial_ = -1; }
    bool AtSavePoint() const { return StateSerial() == savedSerial_; }

    bool truncated() const { return truncated_; }
    size_t totalBytes() const { return total_; }
    size_t size() const { return records_.size(); }
    size_t current() const { return current_; }
    const UndoRecord& at(size_t i) const { return records_[i]; }

    // A readable listing of the history (for test failures).
    std::string Dump() const;

  private:
    int64_t StateSerial() const { return current_ ? records_[current_ - 1].serial : baseSerial_; }
    void DropOldest();

    RecordQueue<UndoRecord, 256> records_;
    size_t current_ = 0;  // records before this index are applied
    UndoRecord pending_;  // the step being written
    bool pendingOpen_ = false;
    bool pendingGroup_ = false;
    size_t total_ = 0;
    size_t limitKb_;
    bool replaying_ = false;
    bool suspended_ = false;
    bool truncated_ = false;
    int64_t nextSerial_ = 1;
    int64_t baseSerial_ = 0;   // the state before the first record
    int64_t savedSerial_ = 0;  // the save point; -1 when it left the history
};

}  // namespace norv::document
