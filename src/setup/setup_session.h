// One run of setup: the INF it read, where it runs from, and the services it works through
// (files, messages, outside tools), so that tests drive installing and uninstalling in-process
// with injected faults and a recording user interface.
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/ui.h"
#include "setup/inf_file.h"
#include "setup/setup_environment.h"
#include "setup/setup_texts.h"

namespace norv::setup {

// The desktop tools setup calls (update-desktop-database, xdg-mime, xdg-open).
class ToolRunner {
  public:
    virtual ~ToolRunner() = default;
    // Runs a tool found on PATH and waits for it; false when it is missing or failed. A missing
    // tool is not an error of setup: the entries work without the caches.
    virtual bool Run(const std::vector<std::string>& argv) = 0;
    // Opens a folder in the file manager without waiting.
    virtual void OpenFolder(const std::string& folder) = 0;
};

// The tools of the machine, each bounded in time.
ToolRunner& SystemTools();

// What the install dialog shows while installing.
class InstallProgress {
  public:
    virtual ~InstallProgress() = default;
    // The edit field gives way to the progress bar, of range 0..steps.
    virtual void Begin(int steps) = 0;
    virtual void Advance() = 0;
    // Before the desktop entries are made.
    virtual void HideWindow() = 0;
};

struct SetupSession {
    SetupSession(platform::FileSystem& files, platform::UserInterface& userInterface,
                 ToolRunner& toolRunner)
        : fs(files), ui(userInterface), tools(toolRunner) {}

    platform::FileSystem& fs;
    platform::UserInterface& ui;
    ToolRunner& tools;
    Language language = Language::kEnglish;
    SetupEnvironment env;
    std::string programPath;  // setup's own full path
    std::string infPath;
    SetupInf inf;
    bool openFolderAtEnd = true;  // not in --headless runs

    std::string_view Text(TextId id) const { return TextOf(id, language); }
    std::string SourceFolder() const;
};

}  // namespace norv::setup
