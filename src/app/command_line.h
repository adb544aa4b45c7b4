// The command line of the editor: options first, then file names.
//
// An option is "-" and one letter, in either case ("/" never starts an option: it starts an
// absolute path). A, W and T take a name (in the same argument or the next one), J a line and
// an optional ":column", K one letter (S, E, J) right behind it; other letters take nothing and
// unknown ones are ignored. Option parsing stops at the first argument that is not an option, or
// inside an argument at the first character that is neither "-" nor a known option letter; the
// rest is the file part. Arguments beginning with "--" are long options of this port and never
// file names; a lone "--" ends option parsing. A file part naming a file that does not exist and
// holding "*" or "?" is a wildcard for the open dialog.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace norv::app {

struct StartupOptions {
    std::string script;     // -A: run this script after the files are open
    std::string project;    // -W: open this project
    std::string newType;    // -T: the type of new documents (".c"); -H gives ".HTML"
    bool html = false;      // -H
    bool jump = false;      // -J was given
    int jumpLine = -1;      // -J line, 0-based; -1 when 0 was given
    int jumpColumn = -1;    // -J :column, 0-based; -1 when absent or 0
    int forcedCode = 0;     // -K: 0 none, 2 Shift-JIS, 3 EUC-JP, 4 JIS
    bool readOnly = false;  // -V
    bool preview = false;   // -P
    bool grep = false;      // -G
    bool hidden = false;    // -R
    // -W or -M in capitals: asks for a separate instance when the first one is visible.
    bool separateInstance = false;
    bool help = false;      // --help
    bool version = false;   // --version
    bool headless = false;  // --headless
    // --answer=TEXT, in order: each answers the next file dialog or input box of a run
    // without windows.
    std::vector<std::string> answers;
    std::vector<std::string> unknownLongOptions;
    std::vector<std::string> files;
    std::string wildcard;  // the file part is this pattern (files is then empty)
};

// Parses the arguments (without the program name). `exists` tells whether a file exists (for
// the wildcard rule).
StartupOptions ParseCommandLine(const std::vector<std::string>& args,
                                const std::function<bool(const std::string&)>& exists);

// A project name from -W: a name without a "/" is taken from the companion files' folder, and
// ".prf" is appended when the file name has no ".".
std::string ResolveProjectName(const std::string& name, const std::string& companionFolder);

// The arguments back as a command line that ParseCommandLine reads the same way (for a handoff
// to a running instance).
std::vector<std::string> CommandLineOf(const StartupOptions& options);

}  // namespace norv::app
