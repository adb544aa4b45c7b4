// Arbitrary command lines and values: expansion ends, a value is always one argument, and a
// value quoted for any place of a shell line reads back as itself.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/word_split.h"
#include "tools/shell/shell_command.h"

using namespace norv::tools;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    // The first byte picks the options; a NUL separates the line from the value.
    const uint8_t flags = data[0];
    std::string_view rest = all.substr(1);
    const size_t nul = rest.find('\0');
    const std::string_view line = rest.substr(0, nul);
    const std::string value(nul == std::string_view::npos ? std::string_view()
                                                          : rest.substr(nul + 1));

    ShellContext context;
    context.path = "/f/" + value;
    context.environment = std::vector<std::string>{"V=" + value};
    context.ask = [&](std::string_view) -> std::optional<std::string> {
        if (flags & 0x40) return std::nullopt;
        return value;
    };
    context.writeFilterInput = [] { return std::optional<std::string>("/t/Norv.txt"); };
    ShellOptions options;
    options.commandShell = flags & 1;
    options.captureToOutput = flags & 2;
    ShellError error;
    (void)ExpandShellCommand(line, options, context, &error);

    // A lone place-holder in split mode is one argument equal to the value (or none).
    if (value.find('\0') == std::string::npos) {
        std::optional<ShellCommand> c =
            ExpandShellCommand("p %E{V}", ShellOptions{}, context, &error);
        if (!c || c->argv.size() != (value.empty() ? 1u : 2u)) std::abort();
        if (!value.empty() && c->argv[1] != value) std::abort();
        // Quoted for each place of a shell line, the value splits back into itself.
        for (const std::string& q :
             {QuoteForShell(value, ShellQuoteContext::kOutside),
              "'" + QuoteForShell(value, ShellQuoteContext::kSingle) + "'",
              "\"" + QuoteForShell(value, ShellQuoteContext::kDouble) + "\""}) {
            std::optional<std::vector<std::string>> words = norv::platform::SplitWords(q);
            if (!words || words->size() != 1 || (*words)[0] != value) std::abort();
        }
    }
    return 0;
}
