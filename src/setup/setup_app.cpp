// Start of setup: the command line, the INF file and its checks, then installing (through the
// dialog, or straight away under --headless) or uninstalling.
#include "setup/setup_app.h"

#include <QApplication>
#include <cstdio>
#include <optional>

#include "platform/fakes/headless_ui.h"
#include "platform/paths.h"
#include "setup/installer.h"
#include "setup/setup_dialog.h"
#include "setup/uninstaller.h"

namespace norv::setup {
namespace {

// The progress of a --headless install: nothing to show.
class NoProgress final : public InstallProgress {
  public:
    void Begin(int) override {}
    void Advance() override {}
    void HideWindow() override {}
};

bool HasDisplay() {
    for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* s = std::getenv(v);
        if (s && *s) return true;
    }
    return false;
}

}  // namespace

SetupOptions ParseSetupArgs(const std::vector<std::string>& args) {
    SetupOptions o;
    bool first = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "--headless") {
            o.headless = true;
        } else if (a == "--user") {
            o.user = true;
        } else if (a == "--target") {
            if (i + 1 == args.size()) {
                o.error = "--target needs a folder";
                continue;
            }
            o.target = args[++i];
        } else if (a.rfind("--target=", 0) == 0) {
            o.target = a.substr(9);
        } else if (a.rfind("--", 0) == 0) {
            o.error = "unknown option " + a;
        } else if (first) {
            // The first argument decides, as designed: "u" uninstalls, anything else installs.
            o.uninstall = a == "u" || a == "U";
            first = false;
        }
    }
    return o;
}

int RunSetup(int argc, char** argv, const std::string& programPath) {
    std::vector<std::string> args(argv + 1, argv + argc);
    SetupOptions options = ParseSetupArgs(args);
    Language language = LanguageFromEnvironment();
    if (options.help) {
        std::fputs(std::string(TextOf(TextId::kUsage, language)).c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts(kSetupVersion);
        return 0;
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "setup: %s\n%s", options.error.c_str(),
                     std::string(TextOf(TextId::kUsage, language)).c_str());
        return 2;
    }
    std::string infPath = InfPathOf(programPath);
    std::string infText;
    platform::FileSystem& fs = platform::RealFileSystem();
    // Without an INF file, or without a title in it, setup ends at once and shows nothing.
    if (platform::ReadWholeFile(fs, infPath, infText) != 0) return options.headless ? 1 : 0;
    SetupInf inf = ParseInf(infText);
    if (inf.appTitle.empty()) return options.headless ? 1 : 0;

    // A --headless run makes no application object at all: Qt's start-up would make a runtime
    // folder, and nothing of it is needed without windows.
    if (!options.headless && !HasDisplay()) {
        std::fputs(
            "setup: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); run it with "
            "--headless.\n",
            stderr);
        return 2;
    }
    std::optional<QApplication> app;
    if (!options.headless && !QCoreApplication::instance()) app.emplace(argc, argv);
    platform::HeadlessUi headlessUi(true);
    QtSetupUi qtUi(language);
    platform::UserInterface& ui =
        options.headless ? static_cast<platform::UserInterface&>(headlessUi) : qtUi;
    SetupSession session{fs, ui, SystemTools()};
    session.language = language;
    session.env = SetupEnvironment::FromProcess(options.user);
    session.programPath = programPath;
    session.infPath = infPath;
    session.inf = inf;
    session.openFolderAtEnd = !options.headless;

    if (std::string key = RefusedKey(inf); !key.empty()) {
        ui.MessageBox(FillIn(TextOf(TextId::kRefusedValue, language), {key}),
                      platform::mb::kOk | platform::mb::kIconError);
        return options.headless ? 1 : 0;
    }
    if (options.uninstall) {
        SelfRemoval removal;
        UninstallOutcome outcome = Uninstall(session, removal);
        if (outcome != UninstallOutcome::kDone) return options.headless ? 1 : 0;
        // Designed as silent: without the script the program and its folder simply stay.
        bool started = StartSelfRemoval(fs, session.env.tmpDir, removal);
        return options.headless && !started ? 1 : 0;
    }
    std::string target =
        options.target.empty() ? session.env.DefaultTarget(inf) : NormalizeTarget(options.target);
    if (options.headless) {
        NoProgress progress;
        return Install(session, target, progress) == InstallOutcome::kDone ? 0 : 1;
    }
    SetupDialog dialog(language, target, [&](const std::string& chosen) {
        return Install(session, chosen, dialog) != InstallOutcome::kFolderFailed;
    });
    dialog.exec();
    return 0;
}

}  // namespace norv::setup
