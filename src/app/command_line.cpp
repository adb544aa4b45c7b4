#include "app/command_line.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>

#include "platform/paths.h"

namespace norv::app {
namespace {

// A name argument: a name in double quotes loses them; an opening quote without its closing one
// is refused (option parsing ends there).
bool TakeName(std::string value, std::string* out) {
    if (!value.empty() && value.front() == '"') {
        size_t close = value.find('"', 1);
        if (close == std::string::npos) return false;
        value = value.substr(1, close - 1);
    }
    *out = value;
    return true;
}

// "12:5" -> line 11, column 4; a 0 gives -1.
void ParseJump(const std::string& value, StartupOptions& o) {
    o.jump = true;
    char* end = nullptr;
    // Numbers beyond the range of a line number mean "as far as it goes".
    auto oneBased = [](long n) {
        return n > 0 ? static_cast<int>(std::min<long>(n, INT_MAX) - 1) : -1;
    };
    long line = std::strtol(value.c_str(), &end, 10);
    o.jumpLine = oneBased(line);
    o.jumpColumn = -1;
    if (end && *end == ':') o.jumpColumn = oneBased(std::strtol(end + 1, nullptr, 10));
}

}  // namespace

namespace {

bool IsLongOption(const std::string& a) {
    return a.size() > 2 && a[0] == '-' && a[1] == '-';
}

void TakeLongOption(StartupOptions& o, const std::string& a) {
    static constexpr std::string_view kAnswer = "--answer=";
    if (a == "--help")
        o.help = true;
    else if (a == "--version")
        o.version = true;
    else if (a == "--headless")
        o.headless = true;
    else if (a.rfind(kAnswer, 0) == 0)
        o.answers.push_back(a.substr(kAnswer.size()));
    else
        o.unknownLongOptions.push_back(a);
}

}  // namespace

StartupOptions ParseCommandLine(const std::vector<std::string>& args,
                                const std::function<bool(const std::string&)>& exists) {
    StartupOptions o;
    size_t i = 0;
    bool optionsDone = false;
    bool namesOnly = false;  // after a lone "--" every argument is a name
    std::vector<std::string> filePart;
    while (i < args.size() && !optionsDone) {
        const std::string& a = args[i];
        if (a == "--") {
            ++i;
            namesOnly = true;
            break;
        }
        if (IsLongOption(a)) {
            TakeLongOption(o, a);
            ++i;
            continue;
        }
        if (a.size() < 2 || a[0] != '-') break;
        // One argument may hold several options ("-V-KS"); a character that is neither "-" nor an
        // option letter ends option parsing, and the rest of the argument is a file name.
        size_t k = 0;
        ++i;
        while (k < a.size()) {
            if (a[k] != '-') {
                filePart.push_back(a.substr(k));
                optionsDone = true;
                break;
            }
            if (k + 1 >= a.size()) break;
            char raw = a[k + 1];
            char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(raw)));
            k += 2;
            std::string rest = a.substr(k);
            auto value = [&]() -> std::string {
                if (!rest.empty()) {
                    k = a.size();
                    return rest;
                }
                if (i < args.size()) return args[i++];
                return {};
            };
            switch (letter) {
                case 'A':
                    if (!TakeName(value(), &o.script)) optionsDone = true;
                    break;
                case 'W':
                    if (raw == 'W') o.separateInstance = true;
                    if (!TakeName(value(), &o.project)) optionsDone = true;
                    break;
                case 'T': {
                    std::string t;
                    if (!TakeName(value(), &t)) optionsDone = true;
                    if (!t.empty() && t.front() != '.') t.insert(t.begin(), '.');
                    o.newType = t;
                    break;
                }
                case 'H':
                    o.html = true;
                    o.newType = ".HTML";
                    break;
                case 'J':
                    ParseJump(value(), o);
                    break;
                case 'K':
                    if (k < a.size()) {
                        char c = static_cast<char>(std::toupper(static_cast<unsigned char>(a[k])));
                        o.forcedCode = c == 'S' ? 2 : c == 'E' ? 3 : c == 'J' ? 4 : o.forcedCode;
                        ++k;
                    }
                    break;
                case 'V':
                    o.readOnly = true;
                    break;
                case 'P':
                    o.preview = true;
                    break;
                case 'G':
                    o.grep = true;
                    break;
                case 'R':
                    o.hidden = true;
                    break;
                case 'M':
                    if (raw == 'M') o.separateInstance = true;
                    break;
                default:
                    break;  // unknown letters are ignored
            }
            if (optionsDone) break;
        }
    }
    // Long options are never names, also among the names; after a lone "--" nothing is an
    // option.
    for (; i < args.size(); ++i) {
        if (namesOnly) {
            filePart.push_back(args[i]);
            continue;
        }
        if (args[i] == "--") {
            for (++i; i < args.size(); ++i) filePart.push_back(args[i]);
            break;
        }
        if (IsLongOption(args[i]))
            TakeLongOption(o, args[i]);
        else
            filePart.push_back(args[i]);
    }
    for (auto name : filePart) {
        // A name in double quotes (as a command line of one string writes names with blanks).
        if (name.size() >= 2 && name.front() == '"') {
            size_t close = name.find('"', 1);
            if (close != std::string::npos) name = name.substr(1, close - 1);
        }
        if (!name.empty()) o.files.push_back(name);
    }
    // Empty arguments are not names: a single name left may be a pattern.
    if (o.files.size() == 1 && o.files[0].find_first_of("*?") != std::string::npos &&
        !(exists && exists(o.files[0]))) {
        o.wildcard = o.files[0];
        o.files.clear();
    }
    return o;
}

std::string ResolveProjectName(const std::string& name, const std::string& companionFolder) {
    std::string out = name;
    if (out.find('/') == std::string::npos) out = platform::JoinPath(companionFolder, out);
    if (platform::ExtensionOf(out).empty()) out += ".prf";
    return out;
}

std::vector<std::string> CommandLineOf(const StartupOptions& o) {
    std::vector<std::string> a;
    if (!o.script.empty()) a.push_back("-A" + o.script);
    if (!o.project.empty()) a.push_back(std::string(o.separateInstance ? "-W" : "-w") + o.project);
    if (o.html)
        a.push_back("-H");
    else if (!o.newType.empty())
        a.push_back("-T" + o.newType);
    if (o.jump) {
        std::string j = "-J" + std::to_string(o.jumpLine + 1);
        if (o.jumpColumn >= 0) j += ":" + std::to_string(o.jumpColumn + 1);
        a.push_back(j);
    }
    if (o.forcedCode) a.push_back(o.forcedCode == 2 ? "-KS" : o.forcedCode == 3 ? "-KE" : "-KJ");
    if (o.readOnly) a.push_back("-V");
    if (o.preview) a.push_back("-P");
    if (o.grep) a.push_back("-G");
    if (o.hidden) a.push_back("-R");
    if (o.separateInstance && o.project.empty()) a.push_back("-M");
    if (o.headless) a.push_back("--headless");
    a.push_back("--");
    if (!o.wildcard.empty()) a.push_back(o.wildcard);
    for (const auto& f : o.files) a.push_back(f);
    return a;
}

}  // namespace norv::app
