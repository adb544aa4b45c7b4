// The command line of an external program: its run options, and its place-holders filled from
// the current file, the environment and the user, without ever letting a value run a command.
//
// A command line (UTF-8: the caller converts it from the system code page first, so that a
// Shift-JIS trail byte 0x5C is never taken for a backslash) is split into words as a POSIX
// shell splits it: blanks and tabs separate words, '...' keeps everything, "..." keeps
// everything but a backslash before $ ` " \, and a backslash outside quotes takes the next
// character. Nothing is expanded: $, backquotes, *, ~, ;, |, > stay ordinary characters. The
// place-holders %I[...] and %E{...} are never split at their blanks. Each word's place-holders
// are then replaced by their values, and a value is always part of its one word:
//
//   %%  a %                       %P  the current file's full path (empty without one)
//   %F  its file name             %N  the file name up to its last "." (the whole name without)
//   %D  its folder; "/" is added when the next character of the line is not a blank (the root
//       folder is "/")
//   %E{NAME}  the environment variable NAME (an exact name, else the first that equals it
//       without regard to case), at full length; without both braces the % is dropped
//   %I, %I[prompt]  what the user types ("Input Parameters", or the prompt); nothing on Cancel
//   %T  the filter input file: the first %T writes the selection into it and turns filter
//       mode on; every %T is that file's path
//   %   before anything else: dropped, the character copied (a % at the end is dropped)
//
// A word made only of place-holders that came out empty is dropped; a quoted one stays as an
// empty argument. With capture, a last unquoted word "2" is dropped and the error stream is
// captured instead of the output.
//
// With the command shell (option C) the line is not split: it goes to `/bin/sh -c` as written,
// each value quoted for the place it stands in (outside quotes in '...' with ' as '\'', inside
// '...' with ' as '\'', inside "..." with a backslash before $ ` " \), so the shell sees every
// value as data.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norv::tools {

// The run options, from a string of option letters (other characters are ignored).
struct ShellOptions {
    bool minimized = false;        // I: kept and written back
    bool commandShell = false;     // C: through /bin/sh -c
    bool captureAtCaret = false;   // E: the output goes to the caret (wins over O)
    bool captureToOutput = false;  // O: the output goes to the output document
    bool saveCurrent = false;      // S: launcher only, not looked at with A
    bool saveAll = false;          // A: launcher only

    bool capture() const { return captureAtCaret || captureToOutput; }
    bool operator==(const ShellOptions&) const = default;
};

ShellOptions ParseShellOptions(std::string_view letters);
// The string the Shell dialog writes back: I, then E or O, then C.
std::string ShellDialogOptionString(const ShellOptions& options);
// The string a launcher entry is kept with: the dialog's letters, then S or A.
std::string LauncherOptionString(const ShellOptions& options);

// Where the place-holders' values come from.
struct ShellContext {
    std::string path;  // the current file's full path; empty without one
    // The environment's variables (name=value); empty: the process's own.
    std::optional<std::vector<std::string>> environment;
    // %I: the text typed for `prompt`, nothing when cancelled.
    std::function<std::optional<std::string>(std::string_view prompt)> ask;
    // The first %T: writes the selection (or the whole text, then selected) into the filter
    // input file and returns its path; nothing when it could not be written.
    std::function<std::optional<std::string>()> writeFilterInput;
};

struct ShellCommand {
    std::vector<std::string> argv;  // the program and its arguments (without C)
    std::string shellText;          // with C: the text for /bin/sh -c
    bool throughShell = false;
    bool filterMode = false;     // a %T was met
    bool captureErrors = false;  // the trailing "2": the error stream is captured
    std::string filterInput;     // the filter input file's path
};

enum class ShellError {
    kNone,
    kUnclosedQuote,  // a quote is not closed, or the line ends in a backslash
    kNoProgram,      // no word is left
    kFilterInput,    // the filter input file could not be written
};

// Expands `line` for a run with `options`. Nothing (and `*error`) when the program cannot be
// started: the caller shows the start failure message.
std::optional<ShellCommand> ExpandShellCommand(std::string_view line, const ShellOptions& options,
                                               ShellContext& context, ShellError* error);

// A text with its place-holders replaced but never split or unquoted (a launcher entry's
// start-in folder). %T has no meaning there and gives nothing; a cancelled %I is empty, as in
// a command line.
std::string ExpandShellText(std::string_view text, ShellContext& context);

// The value of the environment variable `name` in `environment` (name=value entries): the
// exact name, else the first whose name equals it without regard to ASCII case.
std::optional<std::string> FindEnvironmentValue(const std::vector<std::string>& environment,
                                                std::string_view name);
// The process's own environment as name=value entries.
std::vector<std::string> ProcessEnvironment();

// `value` quoted for /bin/sh where it stands: outside quotes, inside '...' or inside "...".
enum class ShellQuoteContext { kOutside, kSingle, kDouble };
std::string QuoteForShell(std::string_view value, ShellQuoteContext where);

}  // namespace norv::tools
