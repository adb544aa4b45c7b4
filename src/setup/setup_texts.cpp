// The text table's look-up and the language of the user.
#include "setup/setup_texts.h"

#include <cassert>
#include <cstdlib>

namespace norv::setup {

std::string_view TextOf(TextId id, Language language) {
    const TextEntry& e = kTexts[static_cast<size_t>(id)];
    assert(e.id == id && "kTexts is in the order of TextId");
    return language == Language::kJapanese ? e.japanese : e.english;
}

Language LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    for (const char* v : {lcAll, lcMessages, lang}) {
        if (!v || !*v) continue;
        return std::string_view(v).substr(0, 2) == "ja" ? Language::kJapanese : Language::kEnglish;
    }
    return Language::kEnglish;
}

Language LanguageFromEnvironment() {
    return LanguageFromLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                              std::getenv("LANG"));
}

std::string FillIn(std::string_view format, std::initializer_list<std::string_view> args) {
    std::string out;
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c == '%' && i + 1 < format.size()) {
            char k = format[i + 1];
            if (k == '%') {
                out.push_back('%');
                ++i;
                continue;
            }
            if (k == 's' || k == 'd') {
                if (next != args.end()) out.append(*next++);
                ++i;
                continue;
            }
        }
        out.push_back(c);
    }
    return out;
}

}  // namespace norv::setup
