#include "app/commands/address_program.h"

namespace norv::app {

std::vector<std::string> ExpandProgramTemplate(std::string_view templ, std::string_view address) {
    std::vector<std::string> args;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    bool usedAddress = false;
    for (size_t i = 0; i < templ.size(); ++i) {
        const char c = templ[i];
        if (c == '"') {
            quoted = !quoted;
            inWord = true;  // "" is an empty argument
            continue;
        }
        if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) args.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        if (c == '%') {
            if (i + 1 < templ.size() && templ[i + 1] == '1') {
                word.append(address);
                usedAddress = true;
                inWord = true;
            }
            ++i;  // "%" and the character after it
            continue;
        }
        inWord = true;
        word.push_back(c);
    }
    if (inWord) args.push_back(std::move(word));
    if (!usedAddress && !args.empty()) args.emplace_back(address);
    return args;
}

std::vector<std::string> AddressCommandLine(std::string_view address, bool isUrl,
                                            std::string_view urlProgram,
                                            std::string_view mailProgram) {
    const std::string_view program = isUrl ? urlProgram : mailProgram;
    std::vector<std::string> args = ExpandProgramTemplate(program, address);
    if (!args.empty()) return args;
    std::string target = isUrl ? std::string(address) : "mailto:" + std::string(address);
    return {std::string(kDesktopOpener), std::move(target)};
}

}  // namespace norv::app
