// The folders of the two modes and the desktop entry texts.
#include "setup/setup_environment.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/paths.h"

namespace norv::setup {
namespace {

std::string WithSlash(std::string s) {
    if (s.empty() || s.back() != '/') s.push_back('/');
    return s;
}

std::string AbsoluteVariable(const char* name) {
    const char* v = std::getenv(name);
    if (!v || v[0] != '/') return "";
    return WithSlash(v);
}

// A string value of a desktop entry: backslashes and control characters escaped.
std::string EntryString(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else
            out.push_back(c);
    }
    return out;
}

}  // namespace

SetupEnvironment SetupEnvironment::FromProcess(bool forceUser) {
    SetupEnvironment env;
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') {
        env.home = WithSlash(home);
    } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
        env.home = WithSlash(pw->pw_dir);
    } else {
        env.home = "/";
    }
    env.xdgDataHome = AbsoluteVariable("XDG_DATA_HOME");
    env.xdgConfigHome = AbsoluteVariable("XDG_CONFIG_HOME");
    env.tmpDir = AbsoluteVariable("TMPDIR");
    if (env.tmpDir.empty()) env.tmpDir = "/tmp/";
    env.systemMode = geteuid() == 0 && !forceUser;
    env.userByChoice = geteuid() == 0 && forceUser;
    return env;
}

std::string SetupEnvironment::DataFolder() const {
    if (systemMode) return "/usr/local/share/";
    return xdgDataHome.empty() ? home + ".local/share/" : xdgDataHome;
}

std::string SetupEnvironment::ApplicationsFolder() const {
    return DataFolder() + "applications/";
}

std::string SetupEnvironment::ConfigFolder() const {
    return xdgConfigHome.empty() ? home + ".config/" : xdgConfigHome;
}

std::string SetupEnvironment::DefaultTarget(const SetupInf& inf) const {
    std::string base = systemMode ? "/opt/" : home + ".local/opt/";
    return base + inf.vender + "/" + inf.appTitle + "/";
}

std::string SetupEnvironment::RecordFolder(const SetupInf& inf) const {
    return DataFolder() + inf.vender + "/" + inf.appTitle + "/";
}

std::string SetupEnvironment::RecordPath(const SetupInf& inf) const {
    return RecordFolder(inf) + std::string(kRecordFileName);
}

std::string UninstallEntryName(const SetupInf& inf) {
    return inf.appTitle + "-uninstall.desktop";
}

std::string SendToEntryName(const SetupInf& inf) {
    if (inf.files.empty()) return "";
    return platform::WithoutExtension(platform::FileNameOf(inf.files.front())) + ".desktop";
}

std::string ExecArgument(std::string_view program) {
    bool quote = false;
    for (char c : program)
        if (std::string_view(" \t\n\"'\\><~|&;$*?#()`").find(c) != std::string_view::npos)
            quote = true;
    std::string arg;
    if (quote) arg.push_back('"');
    for (char c : program) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) arg.push_back('\\');
        arg.push_back(c);
        if (c == '%') arg.push_back('%');  // a literal percent sign is doubled
    }
    if (quote) arg.push_back('"');
    // The Exec value is a string value too: its own backslashes are escaped once more.
    return EntryString(arg);
}

std::string DesktopEntryText(const DesktopEntry& e) {
    std::string out = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
    out += "Name=" + EntryString(e.name) + "\n";
    out += "Exec=" + ExecArgument(e.program);
    if (!e.args.empty()) out += " " + e.args;
    out += "\n";
    if (!e.icon.empty()) out += "Icon=" + EntryString(e.icon) + "\n";
    out += "Terminal=false\n";
    if (!e.mimeTypes.empty()) out += "MimeType=" + e.mimeTypes + "\n";
    if (!e.categories.empty()) out += "Categories=" + e.categories + "\n";
    if (e.noDisplay) out += "NoDisplay=true\n";
    return out;
}

}  // namespace norv::setup
