// A document window: one document shown in one pane, or in two panes one above the other when
// the window is split. Several windows may show the same document (New Window); they share it,
// and it goes with the last of them. Each pane has its own edit view, selection and widget; the
// views of one document follow each other's edits (the core does that), and the window keeps
// the widgets painting what their views hold.
//
// A window may be made deferred (a project's windows as they are restored): it is then only its
// document and what its view will be (layout, editing options, caret line, title, and the state
// its sub-window will show in). The view, its pane and widgets are made the first time anything
// needs them (`view()`, `editor()`...: laying out a view runs over every line); the frame puts
// the window into its MDI area when it is first shown. The calls below that name a deferred
// window's state (`layoutOptions`, `SetEditOptions`, `PlaceCaret`, `RefreshView`...) keep it
// as it is.
#pragma once

#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/commands/edit_view_sink.h"
#include "app/config/keyword_file.h"
#include "app/key_input.h"
#include "document/document.h"
#include "editing/edit_view.h"
#include "editing/selection.h"
#include "gui/editor/edit_widget.h"

class QSplitter;
class QKeyEvent;

namespace norv::qt {

class MainFrame;

// What a window whose view is not made yet keeps of it.
struct DeferredView {
    std::optional<view::LayoutOptions> layout;
    std::optional<editing::EditOptions> edit;
    std::optional<bool> shiftSelect;
    int caretLine = 1;
    size_t caretPos = 0;
    bool middle = false;  // MakeMid once it is made
};

class DocWindow : public QWidget {
    Q_OBJECT

  public:
    // `doc` is loaded (or new); the view starts at its first line, or where the view of `like`
    // stands (a new window of the same document). Without `like` the view is laid out with
    // `layout` when given (the document's code page whatever it says), else with the
    // document's character model and tab width. The window has no title until the frame
    // gives it one (UpdateWindowTitle).
    DocWindow(MainFrame& frame, std::shared_ptr<document::CElwDoc> doc,
              editing::EditorShared& shared, editing::ClipboardContext& clipboard,
              const QFont& font, const DisplayOptions& display, const DocWindow* like = nullptr,
              const view::LayoutOptions* layout = nullptr, bool deferred = false);
    ~DocWindow() override;

    // Whether the view and its widgets exist (not a deferred window yet to be needed).
    bool viewMade() const { return !panes_.empty(); }
    // Makes the view and its widgets of a deferred window: its caret put back, MakeMid when the
    // caret was placed so.
    void MakeView();
    // The active pane's view if it is made (never makes it).
    const editing::CElwView* madeView() const {
        return panes_.empty() ? nullptr : panes_[static_cast<size_t>(active_)]->view.get();
    }
    // What the view is or will be laid out and edited with; where its caret is or will be
    // (line 1-based, position a byte offset in the line).
    view::LayoutOptions layoutOptions() const;
    editing::EditOptions editOptions() const;
    int caretLine() const;
    size_t caretPos() const;
    // The layout the view takes (a layout runs over every line: only when it differs).
    void SetLayoutOptions(const view::LayoutOptions& layout);
    void SetShiftSelect(bool on);
    // Puts the caret at `line` (within the text) and `pos` (within the line); `middle`: MakeMid.
    void PlaceCaret(int line, size_t pos, bool middle);
    // The state the sub-window is first shown in (3 maximized, 2 minimized, else normal at
    // `normal`, an empty rectangle leaving the area's own).
    void SetFirstShowState(int showCmd, const QRect& normal);
    int firstShowCmd() const { return firstShowCmd_; }
    // The sub-window's rectangle when it is neither maximized nor minimized: the one it is first
    // shown at or comes back to, kept while it is maximized or minimized (empty: not known).
    const QRect& normalRect() const { return normal_; }
    void NoteNormalRect(const QRect& r) { normal_ = r; }
    // The active pane repaints; the line buffer goes back to the document: both only when made.
    void RefreshView();
    void SyncView();
    void SetDisplayOptions(const DisplayOptions& display);

    document::CElwDoc& doc() const { return *doc_; }
    const std::shared_ptr<document::CElwDoc>& sharedDoc() const { return doc_; }
    // The active pane: its view, widget, selection, and the two as the key dispatch's target
    // (each makes a deferred window's view).
    editing::CElwView& view() const { return *pane().view; }
    EditWidget& editor() const { return *pane().editor; }
    editing::Selection& selection() const { return *pane().selection; }
    app::EditViewSink& sink() const { return *pane().sink; }

    // Panes: one, or two when split.
    int paneCount() const { return static_cast<int>(panes_.size()); }
    int activePane() const { return active_; }
    EditWidget& paneEditor(int i) const { return *panes_[static_cast<size_t>(i)]->editor; }
    // Makes a pane the active one and gives it the focus.
    void FocusPane(int i);
    // Splits the window into two panes on the document, or, when split, removes the pane that
    // is not active.
    void ToggleSplit();
    // Moves the focus to the next pane; false when the active pane was the last one.
    bool NextPane();

    // The editing options of the document's file type, for every pane.
    void SetEditOptions(const editing::EditOptions& options);
    // Every pane, and the panes split off later.
    void SetEditorFont(const QFont& font);
    // Every pane's key presses go here (the program's key input), the pane that took the key
    // being the active one by then.
    using PressHandler =
        std::function<app::PressResult(const app::KeyStroke& stroke, std::string_view bytes)>;
    void SetPressHandler(PressHandler handler);

    // The layout follows the document's character model and tab width.
    void ApplyLayout();
    // Runs an operation that may load the document again (Reload, the changed-on-disk
    // question): every window of the document stops painting meanwhile, and when the lines
    // were replaced every view of it starts again at the first line.
    void RunReplacingLines(const std::function<void()>& op);
    // Shows the document's title; with several windows on the document, ":1", ":2"... after it
    // in the order the windows were opened.
    void UpdateWindowTitle();
    // Gives every pane the colouring rules of the frame's keyword file for this file's name;
    // unless `force`, only when the name or the keyword file changed.
    void ApplySyntax(bool force = false);
    // The number scripts know the window by: given once by the frame, never to another window.
    uint32_t scriptValue() const { return scriptValue_; }
    void SetScriptValue(uint32_t value) { scriptValue_ = value; }

  signals:
    // The caret of a pane moved or the text changed (the frame updates the status bar).
    void caretChanged();

  protected:
    // Asks about unsaved changes, unless another window still shows the document; a refused
    // or failed save keeps the window open.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Pane {
        std::unique_ptr<editing::CElwView> view;
        std::unique_ptr<editing::Selection> selection;  // attached to view, goes before it
        std::unique_ptr<app::EditViewSink> sink;
        std::unique_ptr<app::KeyInput> keys;  // the pane's key input: activates it, then presses
        EditWidget* editor = nullptr;
    };
    const Pane& pane() const {
        // The view of a deferred window is made when something first needs it.
        if (panes_.empty()) const_cast<DocWindow*>(this)->MakeView();
        return *panes_[static_cast<size_t>(active_)];
    }
    // A pane on the document; with `like`, its caret and top row are those of that view.
    void AddPane(const editing::CElwView* like, const view::LayoutOptions* layout = nullptr);
    void MakeSplitter();
    void RemovePane(size_t i);
    void LinkPanes();
    // The pane of this widget becomes the active one.
    void Activate(const QObject* editor);
    // The windows showing this window's document, this one included, in opening order.
    std::vector<DocWindow*> Siblings() const;

    MainFrame& frame_;
    editing::EditorShared& shared_;
    editing::ClipboardContext& clipboard_;
    std::shared_ptr<document::CElwDoc> doc_;
    QFont font_;
    DisplayOptions display_;
    QSplitter* splitter_ = nullptr;
    std::vector<std::unique_ptr<Pane>> panes_;
    int active_ = 0;
    PressHandler press_;
    bool syntaxApplied_ = false;
    const app::KeywordFile* syntaxFile_ = nullptr;
    std::string syntaxName_;
    std::shared_ptr<const view::SyntaxRules> syntax_;
    uint32_t scriptValue_ = 0;
    // A deferred window's view as it will be made.
    std::optional<DeferredView> deferred_;
    int firstShowCmd_ = 3;
    QRect normal_;
};

}  // namespace norv::qt
