// Find in files and tag jumps in the main frame: the Grep command with its dialog, the output
// document in a window, Escape and painting while the walk runs, and TagJump / BackToTag on
// the windows.
//
// TagJump and BackToTag are view commands: the wiring stands in front of the views' command
// extension (find and replace) and hands every other command on to it.
#pragma once

#include <QMdiSubWindow>
#include <QPointer>
#include <memory>
#include <string>
#include <vector>

#include "app/find_in_files.h"
#include "app/output_document.h"
#include "editing/edit_view.h"
#include "gui/frame/find_wiring.h"
#include "search/tag_jump.h"

namespace norv::qt {

class MainFrame;
class DocWindow;

class GrepWiring : public app::OutputWindows,
                   public search::TagJumpHost,
                   private editing::CommandExtension {
  public:
    GrepWiring(MainFrame& frame, editing::EditorShared& shared, platform::UserInterface& ui,
               int systemCodePage);
    ~GrepWiring() override;
    GrepWiring(const GrepWiring&) = delete;
    GrepWiring& operator=(const GrepWiring&) = delete;

    // Runs without windows: the dialog is cancelled.
    void UseHeadlessDialogs();

    // The Grep command: the dialog, then the search. Returns the output lines.
    uint64_t RunGrep();
    // GREP of a script: a missing argument asks through the dialog.
    uint64_t RunGrepScript(const app::GrepArguments& arguments);
    // The editor state value the last search left (1 found, 4 not).
    int stateValue() const { return grep_.stateValue; }

    // TagJump from the caret line of `w`, and BackToTag.
    void TagJump(DocWindow& w);
    void BackToTag();

    // OutputWindows
    std::vector<editing::CElwView*> OutputCandidates() override;
    void ActivateOutput(editing::CElwView& view) override;
    editing::CElwView* NewOutputDocument() override;
    // TagJumpHost
    editing::CElwView* OpenOrActivate(const std::string& path) override;

  private:
    // CommandExtension
    bool Handles(editing::CommandId id) const override;
    bool RunCommand(editing::CElwView& view, editing::CommandId id) override;

    DocWindow* WindowOf(const editing::CElwView& view) const;
    // Activates a window without the frame's own answer, which comes once the command is done.
    void Activate(DocWindow& w);
    std::string PresetString();
    // Points the environment at the frame's settings as they are now.
    void Prepare();

    MainFrame& frame_;
    editing::EditorShared& shared_;
    platform::UserInterface& ui_;
    int systemCodePage_;
    editing::CommandExtension* next_;
    EscapePoller escape_;
    app::GrepEnvironment env_;
    app::FindInFiles grep_{env_};
    bool busy_ = false;
    bool headless_ = false;
    QPointer<DocWindow> tagFrom_;
};

}  // namespace norv::qt
