// Find in files and tag jumps in the main frame.
#include "gui/frame/grep_wiring.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalBlocker>
#include <QTimer>

#include "gui/dialogs/grep_dialog.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace norv::qt {

GrepWiring::GrepWiring(MainFrame& frame, editing::EditorShared& shared, platform::UserInterface& ui,
                       int systemCodePage)
    : frame_(frame),
      shared_(shared),
      ui_(ui),
      systemCodePage_(systemCodePage),
      next_(shared.extension) {
    shared_.extension = this;
    env_.fs = &platform::RealFileSystem();
    env_.ui = &ui_;
    env_.windows = this;
    env_.systemCodePage = systemCodePage;
    env_.escapePressed = [this] { return escape_.Poll(); };
    env_.repaint = [this](editing::CElwView& v) {
        if (DocWindow* w = WindowOf(v)) {
            w->editor().Refresh();
            w->editor().viewport()->repaint();
        }
    };
    env_.openTexts = [this] {
        std::vector<search::GrepOpenText> out;
        std::vector<const document::CElwDoc*> seen;
        for (DocWindow* w : frame_.Windows()) {
            const document::CElwDoc& d = w->doc();
            if (std::find(seen.begin(), seen.end(), &d) != seen.end()) continue;
            seen.push_back(&d);
            // What is being typed in a line belongs to the text searched.
            w->SyncView();
            out.push_back({d.path, &d.lines(), d.CodePage()});
        }
        return out;
    };
    env_.dialog = [this](app::GrepDialogRequest& r) {
        if (headless_) return false;
        DocWindow* w = frame_.ActiveWindow();
        return RunGrepDialog(&frame_, r, systemCodePage_,
                             w ? w->doc().CodePage() : systemCodePage_);
    };
}

GrepWiring::~GrepWiring() {
    if (shared_.extension == this) shared_.extension = next_;
}

void GrepWiring::UseHeadlessDialogs() {
    headless_ = true;
}

void GrepWiring::Prepare() {
    env_.settings = &frame_.configuration().settings;
    env_.store = frame_.settingsStore();
    env_.recorder = shared_.recorder;
    search::FindCommands& find = frame_.find().commands();
    env_.history = &find.histories.find;
    env_.historyChanged = [this] { frame_.find().SaveHistories(); };
}

std::string GrepWiring::PresetString() {
    search::FindCommands& find = frame_.find().commands();
    std::string preset;
    if (find.keepFindString) {
        preset = find.find.searchString;
    } else if (DocWindow* w = frame_.ActiveWindow()) {
        w->view().Sync();
        preset = find.WordAtCaret(w->view());
    }
    find.keepFindString = false;
    return preset.empty() ? find.find.searchString : preset;
}

uint64_t GrepWiring::RunGrep() {
    if (busy_) {
        ui_.Beep();
        return 0;
    }
    busy_ = true;
    Prepare();
    const uint64_t lines = grep_.Command(PresetString());
    busy_ = false;
    return lines;
}

uint64_t GrepWiring::RunGrepScript(const app::GrepArguments& arguments) {
    if (busy_) return 0;
    busy_ = true;
    Prepare();
    const uint64_t lines = grep_.Script(arguments, PresetString());
    busy_ = false;
    return lines;
}

DocWindow* GrepWiring::WindowOf(const editing::CElwView& view) const {
    for (DocWindow* w : frame_.Windows())
        if (w->madeView() == &view) return w;
    return nullptr;
}

void GrepWiring::Activate(DocWindow& w) {
    QMdiSubWindow* sub = frame_.SubWindowOf(w);
    {
        if (sub->isMinimized()) sub->showNormal();
        if (QMdiArea* area = sub->mdiArea()) {
            {
                // The frame answers an activation (the changed-on-disk question may load the
                // document again and replace its view) once the command has returned.
                const QSignalBlocker blocker(area);
                area->setActiveSubWindow(sub);
            }
            QPointer<QMdiSubWindow> later(sub);
            QTimer::singleShot(0, area, [later] {
                if (later && later->mdiArea() && later->mdiArea()->activeSubWindow() == later)
                    emit later->mdiArea()->subWindowActivated(later);
            });
        }
    }
    w.editor().setFocus();
}

std::vector<editing::CElwView*> GrepWiring::OutputCandidates() {
    std::vector<editing::CElwView*> out;
    // Only an output document can be the output: the other windows' views are not made for it.
    for (DocWindow* w : frame_.Windows())
        if (app::IsOutputDocument(w->doc())) out.push_back(&w->view());
    return out;
}

void GrepWiring::ActivateOutput(editing::CElwView& view) {
    if (DocWindow* w = WindowOf(view)) Activate(*w);
}

editing::CElwView* GrepWiring::NewOutputDocument() {
    DocWindow* w = frame_.NewFile();
    return w ? &w->view() : nullptr;
}

editing::CElwView* GrepWiring::OpenOrActivate(const std::string& path) {
    platform::FileSystem& fs = platform::RealFileSystem();
    const std::optional<platform::FileInfo> target = fs.Stat(path);
    for (DocWindow* w : frame_.Windows()) {
        const std::string& p = w->doc().path;
        if (p.empty()) continue;
        bool same = platform::FullPath(p) == platform::FullPath(path);
        if (!same && target) {
            const std::optional<platform::FileInfo> info = fs.Stat(p);
            same = info && info->device == target->device && info->inode == target->inode;
        }
        if (same) {
            Activate(*w);
            return &w->view();
        }
    }
    DocWindow* w = frame_.OpenFile(path);
    return w ? &w->view() : nullptr;
}

void GrepWiring::TagJump(DocWindow& from) {
    QPointer<DocWindow> origin(&from);
    from.view().Sync();
    if (search::RunTagJump(from.view(), platform::RealFileSystem(), ui_, *this) ==
        search::TagJumpStatus::kJumped) {
        tagFrom_ = origin;
        for (DocWindow* w : frame_.Windows()) w->RefreshView();
    }
}

void GrepWiring::BackToTag() {
    if (!tagFrom_) {
        ui_.Refuse(search::kNoTagOrigin);
        return;
    }
    for (DocWindow* w : frame_.Windows()) {
        if (w == tagFrom_.data()) {
            Activate(*w);
            return;
        }
    }
    ui_.Refuse(search::kNoTagOrigin);
}

bool GrepWiring::Handles(editing::CommandId id) const {
    return id == editing::CommandId::TagJump || id == editing::CommandId::BackToTag ||
           (next_ && next_->Handles(id));
}

bool GrepWiring::RunCommand(editing::CElwView& view, editing::CommandId id) {
    if (id != editing::CommandId::TagJump && id != editing::CommandId::BackToTag)
        return next_ ? next_->RunCommand(view, id) : false;
    if (shared_.recorder) shared_.recorder->RecordCommand(id);
    if (id == editing::CommandId::BackToTag) {
        BackToTag();
    } else if (DocWindow* w = WindowOf(view)) {
        TagJump(*w);
    }
    return true;
}

}  // namespace norv::qt
