// The main frame as the editor of the script host: the active window's view and selection, the
// frame's commands, dialogs and file operations, and the message pump of a running script.
//
// While a script (or a key macro) runs, the pump lets timers and painting through but keeps the
// user's input from starting commands under the script's feet: key and mouse input is taken
// by a filter, which only notes Ctrl+Break (the script's stop key) and Escape. In a run
// without windows SIGINT is Ctrl+Break.
#pragma once

#include <memory>

#include "app/scripting/script_editor.h"

class QObject;

namespace norv::script {
class ScriptHost;
}

namespace norv::app {
class EditorScriptHost;
struct ScriptLevel;
}  // namespace norv::app

namespace norv::qt {

class MainFrame;

class FrameScriptEditor : public app::ScriptEditor {
  public:
    FrameScriptEditor(MainFrame& frame, bool headless);
    ~FrameScriptEditor() override;

    app::EditorScriptHost& host() { return *host_; }
    script::ScriptHost& scriptHost();
    // Where the host's runs stand (the key-macro recorder asks).
    app::ScriptLevel Level() const;

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
    app::PressResult PressKey(const app::KeyStroke& stroke, std::string_view bytes) override;
    void PumpMessages() override;
    bool BreakPressed() override;
    bool EscapePressed() override;
    void Sleep(int ms) override;
    void RunBegins() override { BeginRun(); }
    void RunEnds() override { EndRun(); }

    // Takes the user's input away from the windows while a script runs (nested runs count).
    void BeginRun();
    void EndRun();

    // The input filter notes these.
    bool breakPressed = false;
    bool escapePressed = false;

  private:
    MainFrame& frame_;
    bool headless_;
    int runs_ = 0;
    std::unique_ptr<QObject> filter_;
    std::unique_ptr<app::EditorScriptHost> host_;
};

}  // namespace norv::qt
