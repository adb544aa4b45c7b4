// The start-up sequence of the editor as a list of named steps in their fixed order.
//
// Each step is a slot that its owner fills: the application fills the steps of the process
// (settings, instances, the command line, scripts), the front end those bound to the window
// (the frame and its bars, showing it, the tool bars), and later subsystems the ones they
// bring (recovery belongs to the command-line step, the resident and start-up scripts, the -A
// script). A headless run goes through the same list; the window-bound steps then do nothing.
// A slot left empty is a step that does nothing yet. A step that returns false ends start-up
// there (the command line was handed to a running instance, or the frame could not be made).
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string_view>

namespace norv::app {

enum class StartupStep {
    kSettingsFile,        // 1. the settings file, its first-run copy, the settings cache
    kMarkStarting,        // 2. start-up runs; the system's name
    kInstanceProtocol,    // 3. hand the command line to a running instance, or become one
    kPlatformComponents,  // 4. nothing to set up on this platform
    kOptionalFacilities,  // 5. the input method and the archive library (none looked up yet)
    kRecentFileCount,     // 6. the recent-file list's size (MRUFiles)
    kDocumentTemplate,    // 7. nothing to register: documents and views are plain objects
    kLoadSettings,        // 8. every setting, keys, the data file, the history
    kCreateFrame,         // 9. the main frame and its bars; dropped files
    kCommandLine,         // 10. recovery, the project or workspace, the command line's files
    kShowWindow,          // 11. the main window shown
    kRestoreToolBars,     // 11. the tool bars as they were left
    kResidentScripts,     // 11. the resident script and the scripts that start with the program
    kReleaseCache,        // 12. the settings cache goes; start-up is over
    kStartupScript,       // 12. the -A script
    kResidentOrPosted,    // 13. resident start hidden, or the commands of -P and -G
    kResetOptions,        // 14. the start-up option state is reset
    kInputMethod,         // 14. the input method's functions (none needed here)
    kCount
};

struct StartupStepInfo {
    StartupStep step;
    int number;  // the step's number in the order of start-up
    std::string_view name;
    bool frontEnd;  // supplied by the front end (the window steps do nothing in a headless run)
};

inline constexpr StartupStepInfo kStartupSteps[] = {
    {StartupStep::kSettingsFile, 1, "SettingsFile", false},
    {StartupStep::kMarkStarting, 2, "MarkStarting", false},
    {StartupStep::kInstanceProtocol, 3, "InstanceProtocol", false},
    {StartupStep::kPlatformComponents, 4, "PlatformComponents", false},
    {StartupStep::kOptionalFacilities, 5, "OptionalFacilities", false},
    {StartupStep::kRecentFileCount, 6, "RecentFileCount", false},
    {StartupStep::kDocumentTemplate, 7, "DocumentTemplate", false},
    {StartupStep::kLoadSettings, 8, "LoadSettings", false},
    {StartupStep::kCreateFrame, 9, "CreateFrame", true},
    {StartupStep::kCommandLine, 10, "CommandLine", false},
    {StartupStep::kShowWindow, 11, "ShowWindow", true},
    {StartupStep::kRestoreToolBars, 11, "RestoreToolBars", true},
    {StartupStep::kResidentScripts, 11, "ResidentScripts", false},
    {StartupStep::kReleaseCache, 12, "ReleaseCache", false},
    {StartupStep::kStartupScript, 12, "StartupScript", false},
    {StartupStep::kResidentOrPosted, 13, "ResidentOrPosted", false},
    {StartupStep::kResetOptions, 14, "ResetOptions", false},
    {StartupStep::kInputMethod, 14, "InputMethod", false},
};
static_assert(std::size(kStartupSteps) == static_cast<size_t>(StartupStep::kCount));

const StartupStepInfo& InfoOf(StartupStep step);

class StartupSequence {
  public:
    using Action = std::function<bool()>;

    // Fills a step's slot with a step that always goes on.
    void Supply(StartupStep step, std::function<void()> action);
    // The same for a step that may end start-up: `action` returns false for that.
    void SupplyMayEnd(StartupStep step, Action action);
    bool Supplied(StartupStep step) const;

    // Told before each step runs, supplied or not (traces and tests).
    std::function<void(const StartupStepInfo&)> observer;

    // Runs every step in order; false when a step ended start-up (the steps after it do not
    // run).
    bool Run();

  private:
    std::array<Action, static_cast<size_t>(StartupStep::kCount)> actions_;
};

}  // namespace norv::app
