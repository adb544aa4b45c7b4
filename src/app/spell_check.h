// The SpellCheck command: the English words of the selection, or of the whole text, checked
// against the spelling engine, the words it does not accept shown in the "Spelling" dialog.
//
// The scan runs from the selection's start (else the top of the text) to its end (else the
// end of the text) with the rules of tools/spell/word_scanner.h, word by word:
//   - a word the change list replaces is replaced without asking when the replacement differs;
//   - a word not accepted is selected, shown, and the dialog asks about it with the engine's
//     suggestions;
//   - every kEscapePollWords words Escape is polled; it ends the check as "Exit" does.
// Each replacement is one undo step of its own. At the end a remembered selection is selected
// again, its end moved by the replacements made before it on its line, so it still covers the
// changed text. A read-only document is checked but never changed.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "editing/edit_view.h"
#include "editing/selection.h"
#include "platform/ui.h"
#include "tools/spell/spell_session.h"

namespace norv::app {

inline constexpr int kEscapePollWords = 1000;

// The "Spelling" dialog. Texts are in the document's bytes (code page `codePage`).
//
// The engine's suggestions are asked for by the dialog that shows them (FillSuggestions): a
// dialog that is answered without being shown (a run without windows) costs no search.
struct SpellingRequest {
    std::string word;
    std::vector<std::string> suggestions;
    // "Change to:": the first suggestion, or the word itself; the dialog returns what it holds.
    std::string changeTo;
    std::function<std::vector<std::string>()> suggest;
    // Asks the engine once, and puts the first suggestion into "Change to:".
    void FillSuggestions() {
        if (suggested) return;
        suggested = true;
        if (suggest) suggestions = suggest();
        changeTo = suggestions.empty() ? word : suggestions.front();
    }
    bool suggested = false;
    int codePage = 932;
    // Where the word is: its line and byte offsets (the dialog is placed beside it).
    int line = 1;
    size_t start = 0;
    size_t end = 0;
};

enum class SpellingAnswer {
    kIgnore,
    kIgnoreAll,
    kAdd,
    kChange,
    kChangeAll,
    kExit,
    kClosed,  // closed any other way: two beeps, and the check goes on
};

struct SpellCheckEnvironment {
    platform::UserInterface* ui = nullptr;
    // The dialog; null: every word is answered as kClosed.
    std::function<SpellingAnswer(SpellingRequest&)> dialog;
    // True when Escape was pressed since the last call; null: never.
    std::function<bool()> escapePressed;
    // The word is selected in the view: scroll it into view and paint (null: nothing).
    std::function<void(editing::CElwView&)> showWord;
};

// The message of an "Add" whose file could not be written.
std::string AddFailedText(const std::string& path);

struct SpellCheckResult {
    int wordsChecked = 0;
    int replacements = 0;
    bool exited = false;  // "Exit" or Escape ended it
};

// Runs the check on `view` with the selection `selection` (may be null) and the engine.
SpellCheckResult RunSpellCheck(editing::CElwView& view, editing::Selection* selection,
                               tools::SpellEngine& engine, const SpellCheckEnvironment& env);

// Opens the engine's session as the settings say (SpAm, SpBr) with the user ignore list in the
// settings folder (ending in "/"); null when the command is to do nothing.
std::unique_ptr<tools::SpellSession> OpenSpellSession(
    bool american, bool british, const std::string& settingsFolder, platform::FileSystem& fs,
    std::function<std::unique_ptr<tools::SpellDictionary>(std::string_view)> dictionaries = {});

}  // namespace norv::app
