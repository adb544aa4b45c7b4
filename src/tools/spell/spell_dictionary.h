// A dictionary of the spelling engine: it accepts words and suggests others, both in its own
// encoding. The Hunspell dictionaries of the system are the ones the editor opens; tests give
// their own.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norv::tools {

class SpellDictionary {
  public:
    virtual ~SpellDictionary() = default;
    // The iconv name of the encoding the dictionary's words are in ("UTF-8", "ISO8859-1").
    virtual std::string Encoding() const = 0;
    // `word` is in the dictionary's encoding.
    virtual bool Accepts(const std::string& word) = 0;
    virtual std::vector<std::string> Suggest(const std::string& word) = 0;
};

// The folders the dictionaries are looked for in, in order: those of DICPATH (a list separated
// by ":"), then /usr/share/hunspell, the places Hunspell's own program looks in.
std::vector<std::string> DictionaryFolders(const std::optional<std::string>& dicpath);
std::vector<std::string> DictionaryFoldersFromEnvironment();

// Opens the Hunspell dictionary `name` ("en_US"): NAME.aff and NAME.dic from the first folder
// that holds both. Null when none does.
std::unique_ptr<SpellDictionary> OpenHunspellDictionary(const std::vector<std::string>& folders,
                                                        std::string_view name);

}  // namespace norv::tools
