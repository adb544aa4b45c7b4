// The dictionaries of the spelling engine over Hunspell.
#include <unistd.h>

#include <cstdlib>
#include <hunspell.hxx>

#include "tools/spell/spell_dictionary.h"

namespace norv::tools {

namespace {

class HunspellDictionary final : public SpellDictionary {
  public:
    HunspellDictionary(const std::string& aff, const std::string& dic)
        : hunspell_(aff.c_str(), dic.c_str()) {
        // Hunspell names its encodings as the affix file's SET line does.
        const char* set = hunspell_.get_dic_encoding();
        encoding_ = set && *set ? set : "ISO8859-1";
    }
    std::string Encoding() const override { return encoding_; }
    bool Accepts(const std::string& word) override { return hunspell_.spell(word); }
    std::vector<std::string> Suggest(const std::string& word) override {
        return hunspell_.suggest(word);
    }

  private:
    Hunspell hunspell_;
    std::string encoding_;
};

bool Readable(const std::string& path) {
    return ::access(path.c_str(), R_OK) == 0;
}

}  // namespace

std::vector<std::string> DictionaryFolders(const std::optional<std::string>& dicpath) {
    std::vector<std::string> folders;
    if (dicpath) {
        size_t start = 0;
        for (;;) {
            const size_t colon = dicpath->find(':', start);
            std::string folder = dicpath->substr(start, colon - start);
            if (!folder.empty()) folders.push_back(std::move(folder));
            if (colon == std::string::npos) break;
            start = colon + 1;
        }
    }
    folders.emplace_back("/usr/share/hunspell");
    return folders;
}

std::vector<std::string> DictionaryFoldersFromEnvironment() {
    const char* dicpath = std::getenv("DICPATH");
    return DictionaryFolders(dicpath ? std::optional<std::string>(dicpath) : std::nullopt);
}

std::unique_ptr<SpellDictionary> OpenHunspellDictionary(const std::vector<std::string>& folders,
                                                        std::string_view name) {
    for (const std::string& folder : folders) {
        std::string base = folder;
        if (base.back() != '/') base += '/';
        base.append(name);
        const std::string aff = base + ".aff";
        const std::string dic = base + ".dic";
        if (Readable(aff) && Readable(dic)) return std::make_unique<HunspellDictionary>(aff, dic);
    }
    return nullptr;
}

}  // namespace norv::tools
