// The spelling engine's session: the dictionaries chosen by the settings (en_US for American,
// en_GB for British, each with its own affix file), the user's ignore list kept in a file, and
// the session's ignore list and change list, which live for one run of the check.
//
// A word is replaced automatically when the change list holds it, and otherwise accepted when
// an ignore list or an open dictionary accepts it. Words reach the dictionaries in their
// encoding; the scanned words are ASCII, which every dictionary encoding holds as it is.
// Suggestions come from the dictionaries in order, without duplicates, at most
// kMaxSuggestions, converted into the document's code; one the code cannot hold is left out.
//
// The dictionaries' verdicts are kept per word for the run. The lists are consulted before
// them, so a word added to a list is never answered from an older verdict.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/file_system.h"
#include "tools/spell/spell_dictionary.h"
#include "tools/spell/word_list.h"

namespace norv::tools {

inline constexpr size_t kMaxSuggestions = 20;
inline constexpr std::string_view kUserListName = "BkIgn.tlx";

enum class WordVerdict {
    kAccepted = 0,
    kNotAccepted = 1,  // the dialog asks about it
    kReplace = 2,      // the change list replaces it
};

// What the check asks of the engine.
class SpellEngine {
  public:
    virtual ~SpellEngine() = default;
    // kReplace fills `replacement` (in the document's bytes, of any length).
    virtual WordVerdict CheckWord(std::string_view word, std::string* replacement) = 0;
    // Suggestions in the code page `codePage` (the UTF-8 pages: UTF-8).
    virtual std::vector<std::string> Suggest(std::string_view word, int codePage) = 0;
    // "Ignore All": the session ignore list.
    virtual void IgnoreAll(std::string_view word) = 0;
    // "Add": the user ignore list and its file. False when the file could not be written; the
    // word is ignored for the run all the same.
    virtual bool AddToUserList(std::string_view word) = 0;
    // "Change All": the session change list.
    virtual void ChangeAll(std::string_view word, std::string_view replacement) = 0;
    // The user ignore list's file (messages name it).
    virtual std::string UserListPath() const = 0;
};

struct SpellSessionOptions {
    bool american = true;  // SpAm
    bool british = true;   // SpBr
    // The user ignore list's file ("BkIgn.tlx" in the settings folder).
    std::string userListPath;
    platform::FileSystem* fs = nullptr;
    // Opens a dictionary by its name ("en_US", "en_GB"); null when it is not installed.
    std::function<std::unique_ptr<SpellDictionary>(std::string_view name)> openDictionary;
};

// The Hunspell dictionaries of the folders of DictionaryFoldersFromEnvironment().
std::function<std::unique_ptr<SpellDictionary>(std::string_view)> SystemDictionaries();

class SpellSession final : public SpellEngine {
  public:
    // Null when no dictionary is chosen or none of the chosen ones is installed.
    static std::unique_ptr<SpellSession> Open(const SpellSessionOptions& options);

    WordVerdict CheckWord(std::string_view word, std::string* replacement) override;
    std::vector<std::string> Suggest(std::string_view word, int codePage) override;
    void IgnoreAll(std::string_view word) override;
    bool AddToUserList(std::string_view word) override;
    void ChangeAll(std::string_view word, std::string_view replacement) override;
    std::string UserListPath() const override { return userListPath_; }

    WordListStatus userListStatus() const { return userListStatus_; }
    size_t dictionaryCount() const { return dictionaries_.size(); }

  private:
    SpellSession() = default;
    bool DictionariesAccept(const std::string& word);

    std::vector<std::unique_ptr<SpellDictionary>> dictionaries_;
    platform::FileSystem* fs_ = nullptr;
    std::string userListPath_;
    WordList userList_;
    WordListStatus userListStatus_ = WordListStatus::kFailed;
    std::unordered_set<std::string> sessionIgnore_;
    std::unordered_map<std::string, std::string> changes_;
    std::unordered_map<std::string, bool> verdicts_;
};

}  // namespace norv::tools
