// The browser hand-off.
#include "mail/browser_open.h"

#include <cerrno>

#include "platform/process_start.h"
#include "platform/word_split.h"

namespace norv::mail {

std::vector<std::vector<std::string>> BrowserCommands(std::string_view variable,
                                                      std::string_view url) {
    std::vector<std::vector<std::string>> commands;
    size_t at = 0;
    while (at <= variable.size()) {
        size_t colon = variable.find(':', at);
        if (colon == std::string_view::npos) colon = variable.size();
        auto words = platform::SplitWords(variable.substr(at, colon - at));
        at = colon + 1;
        if (!words || words->empty()) continue;
        bool placed = false;
        for (std::string& w : *words) {
            if (w == "%s") {
                w = std::string(url);
                placed = true;
            }
        }
        if (!placed) words->emplace_back(url);
        commands.push_back(std::move(*words));
    }
    return commands;
}

int OpenInBrowser(std::string_view url, const char* browserVariable, int openerWaitMs) {
    if (!url.empty() && url[0] == '-') return EINVAL;
    if (browserVariable && *browserVariable) {
        for (const auto& argv : BrowserCommands(browserVariable, url)) {
            const platform::StartOutcome o = platform::StartDetached(argv, 0);
            if (o.kind != platform::StartOutcome::Kind::kNotStarted) return 0;
        }
    }
    const platform::StartOutcome o =
        platform::StartDetached({std::string(kDesktopOpener), std::string(url)}, openerWaitMs);
    switch (o.kind) {
        case platform::StartOutcome::Kind::kRunning:
            return 0;
        case platform::StartOutcome::Kind::kExited:
            return o.status;
        case platform::StartOutcome::Kind::kNotStarted:
            return o.error ? o.error : ENOENT;
    }
    return ENOENT;
}

std::string BrowserMessage(int code) {
    std::string text(kBrowserMessage);
    text.replace(text.find("%d"), 2, std::to_string(code));
    return text;
}

}  // namespace norv::mail
