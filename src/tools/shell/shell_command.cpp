// The command line of an external program (see shell_command.h).
#include "tools/shell/shell_command.h"

#include <unistd.h>

#include <cstddef>

extern char** environ;

namespace norv::tools {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

// A place-holder as the line holds it: the letter, its bracketed argument and the character of
// the line after it (0 at the end).
struct PlaceHolder {
    char letter = 0;  // 0: none (a % at the end of the line)
    std::string argument;
    bool braced = false;  // %E{...} or %I[...]
    char next = 0;
};

// Reads the place-holder that starts at line[i] ('%'), leaving i after it.
PlaceHolder ReadPlaceHolder(std::string_view line, size_t& i) {
    PlaceHolder p;
    ++i;  // the %
    if (i >= line.size()) return p;
    p.letter = line[i++];
    const char open = p.letter == 'E' ? '{' : p.letter == 'I' ? '[' : 0;
    if (open && i < line.size() && line[i] == open) {
        const size_t close = line.find(open == '{' ? '}' : ']', i + 1);
        if (close != std::string_view::npos) {
            p.argument = std::string(line.substr(i + 1, close - i - 1));
            p.braced = true;
            i = close + 1;
        }
    }
    p.next = i < line.size() ? line[i] : 0;
    return p;
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

class Expander {
  public:
    Expander(ShellContext& context, ShellCommand& command) : context_(context), command_(command) {}

    // Reads the place-holder at line[i] into `p` and gives its value; nothing (and *error)
    // when the filter input could not be written.
    std::optional<std::string> Next(std::string_view line, size_t& i, PlaceHolder& p,
                                    ShellError* error) {
        p = ReadPlaceHolder(line, i);
        std::optional<std::string> v = Value(p);
        if (!v) *error = ShellError::kFilterInput;
        return v;
    }

    // The value of a place-holder; nothing when the filter input could not be written.
    std::optional<std::string> Value(const PlaceHolder& p) {
        const std::string& path = context_.path;
        switch (p.letter) {
            case 0:
                return std::string();
            case 'P':
                return path;
            case 'F':
                return FileNameOf(path);
            case 'N': {
                const std::string name = FileNameOf(path);
                const size_t dot = name.rfind('.');
                return dot == std::string::npos ? name : name.substr(0, dot);
            }
            case 'D': {
                if (path.empty()) return std::string();
                const size_t slash = path.rfind('/');
                if (slash == std::string::npos) return std::string();
                std::string folder = path.substr(0, slash);
                if (folder.empty()) return std::string("/");
                if (!IsBlank(p.next)) folder.push_back('/');
                return folder;
            }
            case 'E': {
                if (!p.braced) return std::string("E");
                if (!environment_)
                    environment_ =
                        context_.environment ? *context_.environment : ProcessEnvironment();
                return FindEnvironmentValue(*environment_, p.argument).value_or(std::string());
            }
            case 'I': {
                if (!context_.ask) return std::string();
                return context_.ask(p.braced ? p.argument : "Input Parameters")
                    .value_or(std::string());
            }
            case 'T': {
                if (!command_.filterMode) {
                    std::optional<std::string> file =
                        context_.writeFilterInput ? context_.writeFilterInput() : std::nullopt;
                    if (!file) return std::nullopt;
                    command_.filterMode = true;
                    command_.filterInput = *file;
                }
                return command_.filterInput;
            }
            default:
                return std::string(1, p.letter);  // %% and unknown letters
        }
    }

  private:
    ShellContext& context_;
    ShellCommand& command_;
    std::optional<std::vector<std::string>> environment_;
};

// One word being read: its text, and whether anything but empty place-holders made it.
struct Word {
    std::string text;
    bool started = false;  // something of the line is in it
    bool kept = false;     // a quote or a literal character: never dropped
    bool quoted = false;
    bool fromValue = false;  // a place-holder put something into it
};

bool SplitAndExpand(std::string_view line, Expander& expander, std::vector<Word>& words,
                    ShellError* error) {
    enum class Quote { kNone, kSingle, kDouble } quote = Quote::kNone;
    Word word;
    auto end = [&] {
        if (word.started && (word.kept || !word.text.empty())) words.push_back(word);
        word = Word{};
    };
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == '%') {
            PlaceHolder p;
            std::optional<std::string> v = expander.Next(line, i, p, error);
            if (!v) return false;
            word.text += *v;
            word.started = true;
            if (!v->empty()) word.fromValue = true;
            continue;
        }
        if (quote == Quote::kSingle) {
            if (c == '\'') {
                quote = Quote::kNone;
            } else {
                word.text.push_back(c);
            }
            ++i;
            continue;
        }
        if (quote == Quote::kDouble) {
            if (c == '"') {
                quote = Quote::kNone;
                ++i;
            } else if (c == '\\' && i + 1 < line.size() &&
                       (line[i + 1] == '$' || line[i + 1] == '`' || line[i + 1] == '"' ||
                        line[i + 1] == '\\' || line[i + 1] == '\n')) {
                if (line[i + 1] != '\n') word.text.push_back(line[i + 1]);
                i += 2;
            } else {
                word.text.push_back(c);
                ++i;
            }
            continue;
        }
        if (IsBlank(c) || c == '\n') {
            end();
            ++i;
            continue;
        }
        word.started = true;
        if (c == '\'' || c == '"') {
            quote = c == '\'' ? Quote::kSingle : Quote::kDouble;
            word.kept = word.quoted = true;
            ++i;
        } else if (c == '\\') {
            if (i + 1 >= line.size()) {
                *error = ShellError::kUnclosedQuote;
                return false;
            }
            if (line[i + 1] != '\n') {
                word.text.push_back(line[i + 1]);
                word.kept = true;
            }
            i += 2;
        } else {
            word.text.push_back(c);
            word.kept = true;
            ++i;
        }
    }
    if (quote != Quote::kNone) {
        *error = ShellError::kUnclosedQuote;
        return false;
    }
    end();
    return true;
}

// The line for /bin/sh -c: written as it stands, each value quoted for its place.
bool ExpandForShell(std::string_view line, Expander& expander, std::string& out,
                    ShellError* error) {
    enum class Quote { kNone, kSingle, kDouble } quote = Quote::kNone;
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == '%') {
            PlaceHolder p;
            std::optional<std::string> v = expander.Next(line, i, p, error);
            if (!v) return false;
            // %% and the copied letters are characters of the line, not values.
            const bool literal = p.letter != 0 && std::string_view("PFNDEIT").find(p.letter) ==
                                                      std::string_view::npos;
            if (literal || (p.letter == 'E' && !p.braced)) {
                out += *v;
            } else {
                out += QuoteForShell(*v, quote == Quote::kNone     ? ShellQuoteContext::kOutside
                                         : quote == Quote::kSingle ? ShellQuoteContext::kSingle
                                                                   : ShellQuoteContext::kDouble);
            }
            continue;
        }
        out.push_back(c);
        ++i;
        if (quote == Quote::kSingle) {
            if (c == '\'') quote = Quote::kNone;
        } else if (quote == Quote::kDouble) {
            if (c == '"') {
                quote = Quote::kNone;
            } else if (c == '\\' && i < line.size() &&
                       std::string_view("$`\"\\\n").find(line[i]) != std::string_view::npos) {
                out.push_back(line[i++]);
            }
        } else if (c == '\'') {
            quote = Quote::kSingle;
        } else if (c == '"') {
            quote = Quote::kDouble;
        } else if (c == '\\') {
            if (i >= line.size()) {
                *error = ShellError::kUnclosedQuote;
                return false;
            }
            out.push_back(line[i++]);
        }
    }
    if (quote != Quote::kNone) {
        *error = ShellError::kUnclosedQuote;
        return false;
    }
    return true;
}

// Whether the line ends in an unquoted word "2" (a blank, then "2", then blanks only).
bool EndsInErrorRedirection(std::string_view line, size_t* cut) {
    size_t end = line.size();
    while (end > 0 && IsBlank(line[end - 1])) --end;
    if (end < 2 || line[end - 1] != '2' || !IsBlank(line[end - 2])) return false;
    *cut = end - 1;
    return true;
}

}  // namespace

ShellOptions ParseShellOptions(std::string_view letters) {
    ShellOptions o;
    for (char c : letters) {
        switch (c) {
            case 'I':
                o.minimized = true;
                break;
            case 'C':
                o.commandShell = true;
                break;
            case 'E':
                o.captureAtCaret = true;
                break;
            case 'O':
                o.captureToOutput = true;
                break;
            case 'S':
                o.saveCurrent = true;
                break;
            case 'A':
                o.saveAll = true;
                break;
            default:
                break;
        }
    }
    if (o.captureAtCaret) o.captureToOutput = false;
    if (o.saveAll) o.saveCurrent = false;
    return o;
}

std::string ShellDialogOptionString(const ShellOptions& options) {
    std::string s;
    if (options.minimized) s += 'I';
    if (options.captureAtCaret) {
        s += 'E';
    } else if (options.captureToOutput) {
        s += 'O';
    }
    if (options.commandShell) s += 'C';
    return s;
}

std::string LauncherOptionString(const ShellOptions& options) {
    std::string s = ShellDialogOptionString(options);
    if (options.saveAll) {
        s += 'A';
    } else if (options.saveCurrent) {
        s += 'S';
    }
    return s;
}

std::optional<std::string> FindEnvironmentValue(const std::vector<std::string>& environment,
                                                std::string_view name) {
    const std::string* loose = nullptr;
    for (const std::string& entry : environment) {
        const size_t eq = entry.find('=');
        if (eq == std::string::npos) continue;
        const std::string_view key(entry.data(), eq);
        if (key == name) return entry.substr(eq + 1);
        if (!loose && EqualIgnoringAsciiCase(key, name)) loose = &entry;
    }
    if (loose) return loose->substr(loose->find('=') + 1);
    return std::nullopt;
}

std::vector<std::string> ProcessEnvironment() {
    std::vector<std::string> out;
    for (char** e = environ; e && *e; ++e) out.emplace_back(*e);
    return out;
}

std::string QuoteForShell(std::string_view value, ShellQuoteContext where) {
    std::string out;
    switch (where) {
        case ShellQuoteContext::kOutside:
        case ShellQuoteContext::kSingle:
            if (where == ShellQuoteContext::kOutside) out.push_back('\'');
            for (char c : value) {
                if (c == '\'') {
                    out += "'\\''";
                } else {
                    out.push_back(c);
                }
            }
            if (where == ShellQuoteContext::kOutside) out.push_back('\'');
            break;
        case ShellQuoteContext::kDouble:
            for (char c : value) {
                if (c == '$' || c == '`' || c == '"' || c == '\\') out.push_back('\\');
                out.push_back(c);
            }
            break;
    }
    return out;
}

std::string ExpandShellText(std::string_view text, ShellContext& context) {
    ShellContext noFilter = context;
    noFilter.writeFilterInput = nullptr;
    ShellCommand command;
    Expander expander(noFilter, command);
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '%') {
            out.push_back(text[i++]);
            continue;
        }
        PlaceHolder p = ReadPlaceHolder(text, i);
        if (p.letter == 'T') continue;
        out += expander.Value(p).value_or(std::string());
    }
    return out;
}

std::optional<ShellCommand> ExpandShellCommand(std::string_view line, const ShellOptions& options,
                                               ShellContext& context, ShellError* error) {
    ShellError ignored = ShellError::kNone;
    if (!error) error = &ignored;
    *error = ShellError::kNone;
    ShellCommand command;
    Expander expander(context, command);
    if (options.commandShell) {
        std::string_view text = line;
        size_t cut = 0;
        if (options.capture() && EndsInErrorRedirection(text, &cut)) {
            command.captureErrors = true;
            text = text.substr(0, cut);
        }
        if (!ExpandForShell(text, expander, command.shellText, error)) return std::nullopt;
        command.throughShell = true;
        command.argv = {"/bin/sh", "-c", command.shellText};
        return command;
    }
    std::vector<Word> words;
    if (!SplitAndExpand(line, expander, words, error)) return std::nullopt;
    if (options.capture() && words.size() > 1 && !words.back().quoted && !words.back().fromValue &&
        words.back().text == "2") {
        command.captureErrors = true;
        words.pop_back();
    }
    if (words.empty() || words.front().text.empty()) {
        *error = ShellError::kNoProgram;
        return std::nullopt;
    }
    for (Word& w : words) command.argv.push_back(std::move(w.text));
    return command;
}

}  // namespace norv::tools
