// Where setup puts things: the default target, the data folder of the desktop entries and the
// install record, and the per-user settings folder. Per user these follow the XDG base
// directories; as root (unless --user) the target is under /opt and the entries under
// /usr/local/share.
#pragma once

#include <string>

#include "setup/inf_file.h"
#include "setup/install_record.h"

namespace norv::setup {

struct SetupEnvironment {
    std::string home;           // ends in "/"
    std::string xdgDataHome;    // "" when unset or relative
    std::string xdgConfigHome;  // "" when unset or relative
    std::string tmpDir;         // ends in "/"
    bool systemMode = false;    // root without --user
    bool userByChoice = false;  // root with --user: the uninstall entry must say so again

    static SetupEnvironment FromProcess(bool forceUser);

    // The data folder of the mode, ending in "/".
    std::string DataFolder() const;
    std::string ApplicationsFolder() const;
    // The per-user settings folder of the configuration, ending in "/".
    std::string ConfigFolder() const;
    // ~/.local/opt/<Vender>/<AppTitle>/ (or /opt/... in system mode).
    std::string DefaultTarget(const SetupInf& inf) const;
    // <data>/<Vender>/<AppTitle>/
    std::string RecordFolder(const SetupInf& inf) const;
    std::string RecordPath(const SetupInf& inf) const;
};

// The desktop entries of an installation: "<AppTitle>-uninstall.desktop", and the Send To
// entry named after the first listed file with its extension replaced by ".desktop".
std::string UninstallEntryName(const SetupInf& inf);
std::string SendToEntryName(const SetupInf& inf);

// The text of a desktop entry that runs `program` with `args` (each quoted as the Exec key
// requires) and opens `mimeTypes` (";"-separated, may be empty).
struct DesktopEntry {
    std::string name;
    std::string program;
    std::string args;  // already in Exec syntax (field codes such as "%F", or "u")
    std::string mimeTypes;
    std::string icon;  // an absolute path or ""
    std::string categories;
    bool noDisplay = false;
};
std::string DesktopEntryText(const DesktopEntry& entry);

// `program` as one argument of an Exec key: quoted when it holds a reserved character, with the
// escapes of the quoting and of the string value.
std::string ExecArgument(std::string_view program);

}  // namespace norv::setup
