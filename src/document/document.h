// A text document: its lines, its character code and line-end mode, its file.
//
// `CElwDoc` owns its record list (all records come from the program's `LineHeap`); loading
// (`OpenDocument`, `NewDocument`) fills it. What the document needs from the rest of the program
// comes through `DocumentEnvironment`: the file layer, where status codes and messages go, the
// settings that loading and saving read, and hooks that later subsystems fill (the resident-script
// open event, the file-type profile, the bookmark file).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/document_views.h"
#include "document/line_handles.h"
#include "document/line_list.h"
#include "document/text_code.h"
#include "document/undo_list.h"
#include "platform/file_system.h"
#include "platform/status.h"
#include "platform/ui.h"

namespace norv::document {

class CElwDoc;

// The settings read while loading (their storage is the settings store).
struct LoadSettings {
    bool eucRead = true;
    bool jisRead = true;
    bool utf8Read = true;
    // UTF-16 files without a byte-order mark are recognised when no code was forced.
    bool utf16Read = true;
    bool saveRead = true;
    bool orgCr = true;
};

// The settings read while saving.
struct SaveSettings {
    int textMode = 0;        // line end of lines without a recorded one: 0 CR LF, 1 LF, 2 CR
    int saveMode = 0;        // 0 none, 1 tabs to spaces, 2 spaces to tabs
    bool delSpace = false;   // strip blanks at line ends
    bool addEof = false;     // append 0x1A
    int trashOutGen = 3;     // backup generations; 0 = none
    std::string backUpPath;  // folder of backups (relative to the document's folder or absolute)
    bool mirroring = false;
    std::string mirrorPath;
    bool relCreate = true;  // create a relative backup or mirror folder
    bool undoReset = true;  // clear the undo history after a save
    bool addBom = true;     // first state of the dialogs' byte-order-mark box
    bool saveMarkInfo = true;
};

// The Save As dialog, answered by the front end (or by a test or script).
struct SaveAsRequest {
    std::string name;                          // in: proposed name; out: the chosen path
    CodeChoice choice = CodeChoice::kDefault;  // out: the code list's choice
    bool addBom = true;                        // in/out: the byte-order-mark box
};

class DocumentDialogs {
  public:
    virtual ~DocumentDialogs() = default;
    // Fills the request; false when the user cancelled.
    virtual bool AskSaveAs(SaveAsRequest& request) = 0;
};

class DocumentHooks {
  public:
    virtual ~DocumentHooks() = default;
    // The resident scripts' before-save event with the file about to be written; false cancels
    // the save.
    virtual bool OnBeforeSave(CElwDoc&, const std::string& /*target*/) { return true; }
    // The resident scripts' after-save event (the document's path is the file written).
    virtual void OnAfterSave(CElwDoc&) {}
    // Clears the undo history after a save (when UndoReset is on).
    virtual void ResetUndo(CElwDoc&) {}
    // Replaces the whole text as one undoable edit (the Check Kanji Code conversion); false when
    // no editor is attached, and the lines are then replaced directly.
    virtual bool ReplaceWholeText(CElwDoc&, const std::string& /*text*/) { return false; }
    // The title changed (the front end shows it).
    virtual void TitleChanged(CElwDoc&) {}
    // The resident scripts' open event; false cancels the open.
    virtual bool OnOpenEvent(CElwDoc&, const std::string& /*path*/) { return true; }
    // Chooses the document's file-type profile from its path.
    virtual void ChooseFileType(CElwDoc&) {}
    // Writes back a line being edited (before the document is read as a whole).
    virtual void FlushEditBuffer(CElwDoc&) {}
    // After a DelSpace save changed lines: views re-lay out and redraw.
    virtual void LinesChanged(CElwDoc&) {}
    // The document's bookmarks changed (CElwDoc::NoteBookmarksChanged): the bookmark list and
    // the views are refreshed, once for all the notices of one command.
    virtual void BookmarksChanged(CElwDoc&) {}
};

struct DocumentEnvironment {
    LineHeap* heap = nullptr;            // null: the program's heap
    platform::FileSystem* fs = nullptr;  // null: the real file system
    platform::StatusSink* status = nullptr;
    platform::UserInterface* ui = nullptr;
    DocumentDialogs* dialogs = nullptr;
    DocumentHooks* hooks = nullptr;
    LoadSettings load;
    SaveSettings save;
    int codePage = 0;  // the system code page; 0 = ask the platform
    // Documents open in the program, the one being opened included (more than 100 refuse).
    int openDocuments = 1;
    // Lines converted from EUC-JP / JIS by the last open (program-wide, reset by every open).
    int eucLines = 0;
    int jisLines = 0;
    // Bytes read per block while loading.
    size_t readBlockBytes = 1u << 20;

    LineHeap& Heap() const;
    platform::FileSystem& Fs() const;
    int CodePage() const;
};

inline constexpr int kMaxDocuments = 100;

class CElwDoc {
  public:
    explicit CElwDoc(DocumentEnvironment& env);
    CElwDoc(const CElwDoc&) = delete;
    CElwDoc& operator=(const CElwDoc&) = delete;

    DocumentEnvironment& env() const { return *env_; }
    LineList& lines() { return lines_; }
    const LineList& lines() const { return lines_; }
    int lineCount() const { return lines_.count(); }

    // Loads a file. `choice` is the code chosen in the open dialog or kept for Reload.
    // Returns 1 on success, 0 on failure.
    int OpenDocument(const std::string& path, CodeChoice choice = CodeChoice::kDefault);
    // An empty document: one line holding only a line feed.
    int NewDocument();

    // The code page of the character model for this document's text.
    int CodePage() const;

    // Fields of the loaded file.
    TextCode code = TextCode::kAnsi;
    TextCode saveCode = TextCode::kNone;
    bool bom = true;  // write a byte-order mark when saving a Unicode code
    EolMode eolMode = EolMode::kDefault;
    // The line-end mode is the one the loader decided (not chosen by the user): lines keep the
    // line ends they had in the file, and only lines made in the editor take the mode, so a file
    // with mixed line ends is written back as it was.
    bool eolModeFromFile = false;
    // The file read had more than one kind of line end (shown as "Mixed" while the mode is -1).
    bool mixedLineEnds = false;
    CodeChoice codeChoice = CodeChoice::kUnset;
    platform::FileTime fileTime = 0;
    platform::FileTime loadTime = 0;
    bool onFixedDisk = true;
    std::string path;
    std::string title;
    bool modified = false;
    bool readOnly = false;
    // A UCS-2 file that ended with a line end (written back after the last line).
    bool endsWithEol = false;
    // The document's undo history (its views edit through it).
    UndoList undo;
    // The names scripts hold for its lines.
    LineHandles lineHandles;
    int tabWidth = 8;           // of the document's file-type profile
    std::string typeExtension;  // of the file-type profile, for the title of an untitled text
    char typeCode = ' ';        // the file-type profile: ' ', 'C', 'H', '1'..'9', ':'
    uint64_t fileSize = 0;      // size of the file at load or save (the external-change test)
    bool autoSaveFlag = false;  // modified since its auto-save copy was written
    int autoSaveNumber = -1;    // this document's auto-save file number, kept for its life

    // Save (no dialog when the document has a path) and Save As: returns 1 when saved.
    int DoSave(const std::string& newPath, bool withDialog);
    // The Character Code menu: "&ANSI" Ansi, "&JIS" Jis, "EU&C (EOL=Default)" Euc,
    // "&EUC-JP (EOL=LF)" Euc with eucLf, "&Unicode" Ucs2Le, "U&nicode (Big Endian)" Ucs2Be,
    // "U&TF8" Utf8. Returns 1 when the code was changed.
    int SetCharacterCode(TextCode target, bool eucLf = false);
    // The Return Code menu: Default, CR LF, LF, CR.
    void SetReturnCode(EolMode mode);
    // Read&Only Mode.
    void ToggleReadOnly();
    // Marks the document modified (never when read-only) or unmodified (re-reading the file
    // time); rebuilds the title when the state changes.
    void SetModified(bool value);
    // 1 when the file on a fixed disk has another last-write time or size than when it was
    // loaded or saved.
    int IsChangedOnDisk();
    // Asked when a view of the document is activated: reloads on Yes, or remembers the new time.
    void CheckChangedOnDisk();
    // Reload: asks first when modified; keeps the read-only state. Returns 1 when reloaded.
    int Reload();
    // Rebuilds the title from the path (or the old title) with "<R>" or "*".
    void UpdateTitle();

    // The bookmark notice: raised by every change of a line's bookmark (the bookmark commands,
    // marks set by a search, a sort or a comparison, the joins of formatting, scripts, loading,
    // and edits or undo steps that delete, join, split or restore marked lines). It sets
    // `bookmarksChanged`, which whoever lists the bookmarks clears when it has read them again,
    // counts in `bookmarkNotices`, and tells the hooks.
    void NoteBookmarksChanged();
    bool bookmarksChanged = false;
    uint64_t bookmarkNotices = 0;

    // Writes the document to `path` in its save code and line ends, with backups and the mirror.
    // Returns 1 on success, 0 on failure (the file on disk is then left as it was). The numbers
    // of the marked lines go to `markLines` when it is given.
    int SaveDocument(const std::string& path, std::vector<uint32_t>* markLines = nullptr);

    // The views showing the document. Each is told of every change made through another one
    // (and of records that move), so that none of them keeps a line that is gone.
    void AttachView(DocumentView* view);
    void DetachView(DocumentView* view);
    const std::vector<DocumentView*>& views() const { return views_; }
    void NotifyEdit(const LineEdit& edit, const DocumentView* source);
    void NotifyRewritten();
    void NotifyReplaced();
    void NotifyRepaint(const DocumentView* source);

  private:
    friend class DocumentLoader;
    DocumentEnvironment* env_;
    LineList lines_;
    std::vector<DocumentView*> views_;
};

}  // namespace norv::document
