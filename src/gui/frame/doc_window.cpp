// A document window, its panes, and the window commands of the frame that make and move
// between windows and panes (New Window, Split, Next Pane).
#include "gui/frame/doc_window.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/config/syntax_rules.h"
#include "gui/editor/text_bridge.h"
#include "gui/frame/main_frame.h"
#include "platform/code_page.h"

namespace norv::qt {
namespace {

view::LayoutOptions LayoutFor(const document::CElwDoc& doc, view::LayoutOptions base = {}) {
    base.codePage = doc.CodePage();
    base.tabWidth = doc.tabWidth > 0 ? doc.tabWidth : 8;
    return base;
}

// A pane's key input: the key belongs to the pane it reached, which is the active one from then
// on, so the command goes to its view (and Split never removes the pane handling the key).
class PaneKeys : public app::KeyInput {
  public:
    PaneKeys(std::function<void()> activate, const DocWindow::PressHandler& press)
        : activate_(std::move(activate)), press_(press) {}
    app::PressResult Press(const app::KeyStroke& stroke, std::string_view bytes) override {
        activate_();
        return press_ ? press_(stroke, bytes) : app::PressResult::kNothing;
    }

  private:
    std::function<void()> activate_;
    const DocWindow::PressHandler& press_;
};

}  // namespace

DocWindow::DocWindow(MainFrame& frame, std::shared_ptr<document::CElwDoc> doc,
                     editing::EditorShared& shared, editing::ClipboardContext& clipboard,
                     const QFont& font, const DisplayOptions& display, const DocWindow* like,
                     const view::LayoutOptions* layout, bool deferred)
    : frame_(frame),
      shared_(shared),
      clipboard_(clipboard),
      doc_(std::move(doc)),
      font_(font),
      display_(display) {
    if (deferred && !like) {
        deferred_.emplace();
        if (layout) deferred_->layout = *layout;
        return;
    }
    MakeSplitter();
    AddPane(like ? &like->view() : nullptr, layout);
    ApplySyntax();
}

void DocWindow::MakeSplitter() {
    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setChildrenCollapsible(false);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(splitter_);
}

void DocWindow::MakeView() {
    if (!deferred_) return;
    const DeferredView d = std::move(*deferred_);
    deferred_.reset();
    MakeSplitter();
    const view::LayoutOptions layout = d.layout ? *d.layout : LayoutFor(*doc_);
    AddPane(nullptr, &layout);
    Pane& p = *panes_.front();
    if (d.edit) p.view->options() = *d.edit;
    if (d.shiftSelect) p.selection->shiftSelect = *d.shiftSelect;
    ApplySyntax();
    if (d.caretLine != 1 || d.caretPos != 0 || d.middle)
        PlaceCaret(d.caretLine, d.caretPos, d.middle);
}

view::LayoutOptions DocWindow::layoutOptions() const {
    if (!deferred_) return view().layout().options();
    view::LayoutOptions layout = deferred_->layout ? *deferred_->layout : LayoutFor(*doc_);
    layout.codePage = doc_->CodePage();
    return layout;
}

editing::EditOptions DocWindow::editOptions() const {
    if (!deferred_) return view().options();
    return deferred_->edit ? *deferred_->edit : editing::EditOptions{};
}

int DocWindow::caretLine() const {
    return deferred_ ? deferred_->caretLine : view().caretLineNumber();
}

size_t DocWindow::caretPos() const {
    return deferred_ ? deferred_->caretPos : view().caretPos();
}

void DocWindow::SetLayoutOptions(const view::LayoutOptions& layout) {
    if (deferred_)
        deferred_->layout = layout;
    else
        view().SetLayout(layout);
}

void DocWindow::SetShiftSelect(bool on) {
    if (deferred_)
        deferred_->shiftSelect = on;
    else
        selection().shiftSelect = on;
}

void DocWindow::PlaceCaret(int line, size_t pos, bool middle) {
    line = std::clamp(line, 1, std::max(1, doc_->lineCount()));
    if (deferred_) {
        deferred_->caretLine = line;
        deferred_->caretPos = pos;
        deferred_->middle = middle;
        return;
    }
    editing::CElwView& v = view();
    v.SetCaret(line, 0);
    if (pos > 0) v.SetCaret(line, std::min(pos, v.TextOf(v.caretLine()).end()));
    if (middle) v.Execute(editing::CommandId::MakeMid, 1);
    editor().Refresh();
}

void DocWindow::SetFirstShowState(int showCmd, const QRect& normal) {
    firstShowCmd_ = showCmd;
    normal_ = normal;
}

void DocWindow::RefreshView() {
    if (!panes_.empty()) editor().Refresh();
}

void DocWindow::SyncView() {
    if (!panes_.empty()) view().Sync();
}

void DocWindow::SetDisplayOptions(const DisplayOptions& display) {
    display_ = display;
    for (auto& p : panes_) p->editor->SetDisplayOptions(display);
}

DocWindow::~DocWindow() {
    frame_.ForgetWindow(*this, false);
    // Each widget refers to its view, each view to the document; the document goes with the
    // last window that shows it.
    while (!panes_.empty()) RemovePane(panes_.size() - 1);
    if (frame_.tearingDown()) return;
    // The windows left on the document number themselves again.
    std::weak_ptr<document::CElwDoc> doc = doc_;
    doc_.reset();
    MainFrame* frame = &frame_;
    QTimer::singleShot(0, frame, [frame, doc] {
        if (auto d = doc.lock())
            for (DocWindow* w : frame->WindowsOf(*d)) w->UpdateWindowTitle();
    });
}

void DocWindow::AddPane(const editing::CElwView* like, const view::LayoutOptions* given) {
    // A layout runs over every line: the first pane is laid out once, with what it will show.
    view::LayoutOptions layout;
    if (like) {
        layout = like->layout().options();
    } else if (!panes_.empty()) {
        layout = panes_.front()->view->layout().options();
    } else if (given) {
        layout = *given;
        layout.codePage = doc_->CodePage();
    } else {
        layout = LayoutFor(*doc_);
    }
    auto p = std::make_unique<Pane>();
    p->view = std::make_unique<editing::CElwView>(*doc_, doc_->undo, shared_, layout);
    // Editing options come from the document's file type: the same in every view of it.
    if (like)
        p->view->options() = like->options();
    else if (!panes_.empty())
        p->view->options() = panes_.front()->view->options();
    p->selection = std::make_unique<editing::Selection>(*p->view, clipboard_);
    p->sink = std::make_unique<app::EditViewSink>(*p->view, *p->selection);
    p->editor = new EditWidget(*p->view, font_, display_);
    p->editor->SetSelection(p->selection.get());
    p->editor->SetSyntaxRules(syntax_);
    p->sink->frontEnd = [editor = p->editor](editing::CommandId id) {
        return editor->RunFrontEndCommand(id);
    };
    if (like) {
        p->view->SetCaret(like->caretLineNumber(), like->caretPos());
        p->view->ScrollTo(like->topRow());
    }
    EditWidget* editor = p->editor;
    p->keys = std::make_unique<PaneKeys>([this, editor] { Activate(editor); }, press_);
    editor->SetKeyInput(p->keys.get());
    // Edits made through another view of the document are shown at once.
    p->view->onChanged = [editor] { editor->Refresh(); };
    connect(editor, &EditWidget::caretChanged, this, &DocWindow::caretChanged);
    editor->installEventFilter(this);
    splitter_->addWidget(editor);
    panes_.push_back(std::move(p));
    LinkPanes();
}

void DocWindow::RemovePane(size_t i) {
    Pane& p = *panes_[i];
    p.view->onChanged = nullptr;
    delete p.editor;
    p.keys.reset();
    p.sink.reset();
    p.selection.reset();
    p.view.reset();
    panes_.erase(panes_.begin() + static_cast<std::ptrdiff_t>(i));
    active_ = std::clamp(active_ - (static_cast<int>(i) < active_ ? 1 : 0), 0,
                         std::max(0, static_cast<int>(panes_.size()) - 1));
    LinkPanes();
}

void DocWindow::LinkPanes() {
    if (panes_.empty()) return;
    setFocusProxy(panes_[static_cast<size_t>(active_)]->editor);
    // The two panes of a split scroll each other (RlupAnother, RlupBoth).
    if (panes_.size() == 2) {
        panes_[0]->view->SetOtherView(panes_[1]->view.get());
        panes_[1]->view->SetOtherView(panes_[0]->view.get());
    } else {
        panes_[0]->view->SetOtherView(nullptr);
    }
}

void DocWindow::SetPressHandler(PressHandler handler) {
    press_ = std::move(handler);
}

void DocWindow::SetEditorFont(const QFont& font) {
    font_ = font;
    for (auto& p : panes_) p->editor->SetEditorFont(font);
}

void DocWindow::SetEditOptions(const editing::EditOptions& options) {
    if (deferred_) deferred_->edit = options;
    for (auto& p : panes_) p->view->options() = options;
}

void DocWindow::FocusPane(int i) {
    MakeView();
    if (i < 0 || i >= paneCount()) return;
    active_ = i;
    LinkPanes();
    editor().setFocus();
    emit caretChanged();
}

void DocWindow::Activate(const QObject* editor) {
    for (size_t i = 0; i < panes_.size(); ++i) {
        if (panes_[i]->editor == editor && active_ != static_cast<int>(i)) {
            active_ = static_cast<int>(i);
            LinkPanes();
            emit caretChanged();
        }
    }
}

bool DocWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) Activate(watched);
    constexpr Qt::WindowStates kAside = Qt::WindowMaximized | Qt::WindowMinimized;
    if (watched == parentWidget()) {
        const auto* sub = static_cast<const QWidget*>(watched);
        // The sub-window moved or resized: its normal rectangle unless it is maximized or
        // minimized (then the one it comes back to stays). Its state about to change from
        // normal (this filter sees the change before the sub-window applies it): the rectangle
        // it has now, also in a frame not shown, where moves and resizes wait for the show.
        if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
            !(sub->windowState() & kAside))
            normal_ = sub->geometry();
        if (event->type() == QEvent::WindowStateChange &&
            !(static_cast<QWindowStateChangeEvent*>(event)->oldState() & kAside))
            normal_ = sub->geometry();
    }
    return QWidget::eventFilter(watched, event);
}

void DocWindow::ToggleSplit() {
    MakeView();
    if (panes_.size() == 1) {
        const int half = std::max(1, splitter_->height() / 2);
        AddPane(&view());
        splitter_->setSizes({half, half});
        paneEditor(1).Refresh();
        editor().Refresh();
    } else {
        // The pane in use stays.
        RemovePane(active_ == 0 ? 1 : 0);
        editor().Refresh();
    }
    editor().setFocus();
}

bool DocWindow::NextPane() {
    if (active_ + 1 >= paneCount()) return false;
    FocusPane(active_ + 1);
    return true;
}

void DocWindow::ApplyLayout() {
    if (deferred_) {
        deferred_->layout = LayoutFor(*doc_, layoutOptions());
        return;
    }
    // Every view of the document takes the layout; the others repaint through their views.
    view().SetLayout(LayoutFor(*doc_, view().layout().options()));
    for (auto& p : panes_) p->editor->Refresh();
}

std::vector<DocWindow*> DocWindow::Siblings() const {
    return frame_.WindowsOf(*doc_);
}

void DocWindow::RunReplacingLines(const std::function<void()>& op) {
    view().Sync();
    const platform::FileTime loadedBefore = doc_->loadTime;
    const document::LineRecord* firstBefore = doc_->lines().first();
    const int countBefore = doc_->lineCount();
    // No window of the document paints while the lines may be replaced (the question's box
    // lets the others paint).
    // (A window closed while the question is open drops out of the list by itself.)
    std::vector<QPointer<DocWindow>> windows;
    for (DocWindow* w : Siblings()) windows.emplace_back(w);
    if (std::find(windows.begin(), windows.end(), this) == windows.end())
        windows.emplace_back(this);
    auto pause = [&windows](bool paused) {
        for (const QPointer<DocWindow>& w : windows)
            if (w)
                for (auto& p : w->panes_) p->editor->SetPaused(paused);
    };
    pause(true);
    op();
    const bool replaced = doc_->loadTime != loadedBefore || doc_->lines().first() != firstBefore ||
                          doc_->lineCount() != countBefore;
    if (replaced) {
        // A failed load may leave no line; a document always has one.
        if (!doc_->lines().first()) doc_->lines().AppendLineFromText("\n", 0);
        doc_->undo.Clear();
        doc_->undo.MarkSaved();
        // Every view lets go of the old records and starts at the first line.
        doc_->NotifyReplaced();
        view().SetLayout(LayoutFor(*doc_, view().layout().options()));
    }
    pause(false);
    for (const QPointer<DocWindow>& w : windows)
        if (w) w->UpdateWindowTitle();
}

void DocWindow::UpdateWindowTitle() {
    QString title = FromUtf8(doc_->title);
    const std::vector<DocWindow*> windows = Siblings();
    if (windows.size() > 1) {
        const auto at = std::find(windows.begin(), windows.end(), this);
        if (at != windows.end())
            title += QStringLiteral(":%1").arg(static_cast<int>(at - windows.begin()) + 1);
    }
    setWindowTitle(title);
    ApplySyntax();
}

void DocWindow::ApplySyntax(bool force) {
    // A deferred window is coloured as its view is made.
    if (deferred_) {
        syntaxApplied_ = false;
        return;
    }
    const app::KeywordFile* keywords = frame_.keywordFile();
    // An untitled document of a file type is coloured as a file of its extension.
    const std::string name = doc_->path.empty() ? "untitled" + doc_->typeExtension : doc_->path;
    if (!force && syntaxApplied_ && keywords == syntaxFile_ && name == syntaxName_) return;
    syntaxApplied_ = true;
    syntaxFile_ = keywords;
    syntaxName_ = name;
    syntax_.reset();
    if (keywords) {
        syntax_ = std::make_shared<const view::SyntaxRules>(
            app::SyntaxRulesFor(*keywords, name, platform::SystemCodePage()));
    }
    for (const auto& p : panes_) p->editor->SetSyntaxRules(syntax_);
}

void DocWindow::closeEvent(QCloseEvent* event) {
    // Another window keeps the document and its changes: nothing to ask.
    const std::vector<DocWindow*> windows = Siblings();
    const bool others = std::any_of(windows.begin(), windows.end(),
                                    [this](const DocWindow* w) { return w != this; });
    if (others) {
        event->accept();
        frame_.ForgetWindow(*this, true);
    } else if (frame_.QueryCloseDocument(*this)) {
        event->accept();
        frame_.ForgetWindow(*this, true);
        frame_.PostDocumentClosed();
    } else {
        event->ignore();
    }
}

// ---- the frame's window commands --------------------------------------------------------------

std::vector<DocWindow*> MainFrame::WindowsOf(const document::CElwDoc& doc) const {
    std::vector<DocWindow*> out;
    for (DocWindow* w : Windows())
        if (&w->doc() == &doc) out.push_back(w);
    return out;
}

int MainFrame::DocumentCount() const {
    std::vector<const document::CElwDoc*> docs;
    for (DocWindow* w : Windows())
        if (std::find(docs.begin(), docs.end(), &w->doc()) == docs.end()) docs.push_back(&w->doc());
    return static_cast<int>(docs.size());
}

DocWindow* MainFrame::NewWindow(DocWindow& w) {
    w.view().Sync();
    DocWindow* fresh = AddWindow(w.sharedDoc(), &w);
    for (DocWindow* s : WindowsOf(w.doc())) s->UpdateWindowTitle();
    return fresh;
}

void MainFrame::NextPane() {
    DocWindow* w = ActiveWindow();
    if (w && w->NextPane()) return;
    // The next window in opening order, after the last the first (shown now if it was not yet).
    const std::vector<DocWindow*> all = Windows();
    if (all.empty()) return;
    const auto at = std::find(all.begin(), all.end(), w);
    DocWindow* next = at == all.end()
                          ? all.front()
                          : all[(static_cast<size_t>(at - all.begin()) + 1) % all.size()];
    mdi_->setActiveSubWindow(SubWindowOf(*next));
    // A window is entered at its first pane.
    next->FocusPane(0);
}

void MainFrame::LinkOtherWindows() {
    // Two windows side by side scroll each other (RlupAnother, RlupBoth) unless split.
    const std::vector<DocWindow*> all = Windows();
    for (DocWindow* w : all) {
        if (w->paneCount() != 1) continue;
        DocWindow* other = nullptr;
        if (all.size() == 2) other = all[0] == w ? all[1] : all[0];
        w->view().SetOtherView(other ? &other->view() : nullptr);
    }
}

}  // namespace norv::qt
