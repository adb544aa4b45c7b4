// Scripts in the main frame: the frame as the editor of the one script host that every script
// of the frame runs on (script files, key macros, resident scripts, add-ins), and what holds
// while a script runs.
//
// While a script or a key macro runs, the user's input to the frame's windows is held back (a
// modal dialog or pop-up menu the script opened still takes it), so that no menu command or
// close request reaches the frame from under the script; Escape and Ctrl+Break are only noted.
// The script's pump lets painting and timers through. In a run without windows (and on the
// offscreen platform of tests) SIGINT is Ctrl+Break.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/key_macros.h"
#include "app/scripting/editor_script_host.h"
#include "app/scripting/run_script.h"
#include "app/scripting/script_editor.h"

namespace norv::qt {

class MainFrame;
class DocWindow;

class ScriptWiring : public QObject, public app::ScriptEditor {
  public:
    // A run without windows (the application's "norvHeadless") answers input boxes through
    // `answerInput` and writes notices to standard error.
    explicit ScriptWiring(MainFrame& frame);
    ~ScriptWiring() override;
    ScriptWiring(const ScriptWiring&) = delete;
    ScriptWiring& operator=(const ScriptWiring&) = delete;

    app::EditorScriptHost& host() { return *host_; }
    // Where the host's runs stand (the key-macro recorder asks).
    app::ScriptLevel Level() const;
    // The folder of the companion files (unset: the settings file's folder).
    void SetSettingsFolder(std::string folder) { settingsFolder_ = std::move(folder); }
    // Runs a script file by name (the -A option and every other request by name).
    app::ScriptOutcome RunFile(const std::string& name);
    // Whether a script runs now.
    bool running() const { return running_ > 0; }
    // The frame closes once the outermost run has ended (the script asked for the end).
    void CloseWhenDone() { closeWhenDone_ = true; }

    // The input box of a run without windows (the command line's answers); unset: a dialog.
    std::function<std::optional<std::string>(std::string_view prompt, std::string_view title,
                                             std::string_view initial)>
        answerInput;

    // Ctrl+Break noted since the last call of BreakPressed, without taking it: long work of
    // the script's commands (a program it waits for) stops on it and the script then ends.
    bool BreakPending();

    // ScriptEditor
    platform::UserInterface& ui() override;
    platform::FileSystem& fs() override;
    const app::Settings& settings() override;
    std::string SettingsFolder() override;
    std::string ProgramFolder() override;
    editing::CElwView* ActiveView() override;
    editing::Selection* ActiveSelection() override;
    editing::ClipboardContext& clipboard() override;
    bool ActivateNextWindow() override;
    void Repaint() override;
    void ShowCaret(bool shown) override;
    void SetSilent(int level) override;
    void RunCommand(size_t command) override;
    bool RunHiddenCommand(size_t hidden) override;
    app::PressResult PressKey(const app::KeyStroke& stroke, std::string_view bytes) override;
    std::optional<std::string> InputBox(std::string_view prompt, std::string_view title,
                                        std::string_view initial) override;
    void Notice(std::string_view text) override;
    bool OpenFile(const std::string& path, document::CodeChoice choice) override;
    bool ShowFileLine(const std::string& path, int line) override;
    bool SaveActiveAs(const std::string& path) override;
    void ShowMarkList() override;
    search::FindCommands& find() override;
    uint64_t Grep(const app::GrepArguments& arguments) override;
    bool Shell(const std::optional<std::string>& line,
               const std::optional<std::string>& options) override;
    bool ShellMenu(int entry) override;
    void PumpMessages() override;
    bool BreakPressed() override;
    bool EscapePressed() override;
    void Sleep(int ms) override;
    void RunBegins() override;
    void RunEnds() override;
    app::ScriptFrame* scriptFrame() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Paints what the script changed in the active window (unless silent).
    void ShowChanges();

    MainFrame& frame_;
    std::string settingsFolder_;
    bool headless_;
    bool sigintBreaks_;
    std::unique_ptr<app::EditorScriptHost> host_;
    int running_ = 0;
    bool closeWhenDone_ = false;
    int silent_ = 0;
    bool breakNoted_ = false;
    bool escapeNoted_ = false;
    QElapsedTimer lastLook_;
};

}  // namespace norv::qt
