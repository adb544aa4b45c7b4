// norv: the editor program. Opens each file named on the command line in its own window.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/companion_files.h"
#include "app/settings.h"
#include "app/settings_store.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/qt/display_settings.h"
#include "platform/qt/doc_window.h"
#include "platform/qt/main_frame.h"

namespace {

constexpr const char* kUsage =
    "usage: norv [FILE...]\n"
    "Opens each FILE in a window of the editor.\n";

bool HasDisplay() {
    for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* s = std::getenv(v);
        if (s && *s) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (!optionsEnded && std::strcmp(a, "--") == 0) {
            optionsEnded = true;
        } else if (!optionsEnded && std::strcmp(a, "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!optionsEnded && std::strcmp(a, "--version") == 0) {
            std::puts("norv 0.1.0");
            return 0;
        } else if (!optionsEnded && a[0] == '-' && a[1] != '\0') {
            // Options of one letter ("-" and a letter) are not handled by this front end yet.
            std::fprintf(stderr, "norv: option %s is not supported yet; ignored\n", a);
        } else {
            files.emplace_back(a);
        }
    }
    if (!HasDisplay()) {
        std::fputs("norv: no display (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                   "Run it under a virtual display, e.g.:  xvfb-run -a norv FILE...\n",
                   stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("norv"));
    // The settings file is read when it exists; without it every key takes its default.
    norv::platform::FileSystem& fs = norv::platform::RealFileSystem();
    const int codePage = norv::platform::SystemCodePage();
    norv::app::Settings settings(codePage);
    const auto companions =
        norv::app::CompanionFiles::Locate(fs, norv::app::CompanionEnvironment::FromProcess());
    const std::string ini = companions.PathOf(norv::app::CompanionKind::Settings);
    if (fs.Stat(ini)) {
        norv::app::SettingsStore store(fs, ini, codePage);
        settings.Load(store);
    }
    norv::qt::MainFrame frame;
    frame.UseSettings(settings);
    frame.show();
    for (const std::string& f : files) frame.OpenFile(f);
    return QApplication::exec();
}
