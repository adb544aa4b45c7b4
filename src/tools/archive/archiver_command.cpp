// The archivers' command templates (see archiver_command.h).
#include "tools/archive/archiver_command.h"

#include "tools/shell/shell_command.h"

namespace norv::tools {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// The value of the place-holder whose letter is `c`; nothing for the dropped ones.
std::optional<std::string_view> ValueOf(char c, std::string_view archive,
                                        std::string_view destination) {
    if (c == '1') return archive;
    if (c == '2') return destination;
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::string>> ExpandArchiverWords(std::string_view command,
                                                            std::string_view archive,
                                                            std::string_view destination) {
    enum class Quote { kNone, kSingle, kDouble } quote = Quote::kNone;
    std::vector<std::string> words;
    std::string word;
    bool started = false;
    auto end = [&] {
        if (started) words.push_back(std::move(word));
        word.clear();
        started = false;
    };
    size_t i = 0;
    while (i < command.size()) {
        const char c = command[i];
        if (c == '%') {
            const char letter = i + 1 < command.size() ? command[i + 1] : 0;
            if (std::optional<std::string_view> v = ValueOf(letter, archive, destination)) {
                word += *v;
                started = true;
            }
            i += letter ? 2 : 1;
            continue;
        }
        if (quote == Quote::kSingle) {
            if (c == '\'')
                quote = Quote::kNone;
            else
                word.push_back(c);
            ++i;
            continue;
        }
        if (quote == Quote::kDouble) {
            if (c == '"') {
                quote = Quote::kNone;
            } else if (c == '\\' && i + 1 < command.size() &&
                       std::string_view("$`\"\\\n").find(command[i + 1]) !=
                           std::string_view::npos) {
                if (command[i + 1] != '\n') word.push_back(command[i + 1]);
                ++i;
            } else {
                word.push_back(c);
            }
            ++i;
            continue;
        }
        if (IsBlank(c)) {
            end();
            ++i;
            continue;
        }
        started = true;
        if (c == '\'') {
            quote = Quote::kSingle;
        } else if (c == '"') {
            quote = Quote::kDouble;
        } else if (c == '\\') {
            if (i + 1 >= command.size()) return std::nullopt;
            if (command[i + 1] != '\n') word.push_back(command[i + 1]);
            ++i;
        } else {
            word.push_back(c);
        }
        ++i;
    }
    if (quote != Quote::kNone) return std::nullopt;
    end();
    if (words.empty() || words.front().empty()) return std::nullopt;
    return words;
}

std::optional<std::string> ExpandArchiverShellText(std::string_view command,
                                                   std::string_view archive,
                                                   std::string_view destination) {
    enum class Quote { kNone, kSingle, kDouble } quote = Quote::kNone;
    std::string out;
    size_t i = 0;
    while (i < command.size()) {
        const char c = command[i];
        if (c == '%') {
            const char letter = i + 1 < command.size() ? command[i + 1] : 0;
            if (std::optional<std::string_view> v = ValueOf(letter, archive, destination)) {
                out += QuoteForShell(*v, quote == Quote::kNone     ? ShellQuoteContext::kOutside
                                         : quote == Quote::kSingle ? ShellQuoteContext::kSingle
                                                                   : ShellQuoteContext::kDouble);
            }
            i += letter ? 2 : 1;
            continue;
        }
        out.push_back(c);
        ++i;
        if (quote == Quote::kSingle) {
            if (c == '\'') quote = Quote::kNone;
        } else if (quote == Quote::kDouble) {
            if (c == '"') {
                quote = Quote::kNone;
            } else if (c == '\\' && i < command.size() &&
                       std::string_view("$`\"\\\n").find(command[i]) != std::string_view::npos) {
                out.push_back(command[i++]);
            }
        } else if (c == '\'') {
            quote = Quote::kSingle;
        } else if (c == '"') {
            quote = Quote::kDouble;
        } else if (c == '\\') {
            if (i >= command.size()) return std::nullopt;
            out.push_back(command[i++]);
        }
    }
    if (quote != Quote::kNone) return std::nullopt;
    return out;
}

}  // namespace norv::tools
