// The plain word lists of the spelling check ("BkIgn.tlx", the user's list of words to accept):
// one word a line, each line ended by a line feed.
//
// Reading takes what it can use and passes over the rest without harm: a CR before the line
// feed is dropped, and blank lines, lines longer than a word can be and lines holding bytes that
// no scanned word holds are skipped. A file is never rewritten: a word is added by appending its
// line, after a line feed of its own when the file does not end in one (a line the user wrote
// without its end, or a torn earlier append), so that no two words ever run together.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

#include "platform/file_system.h"

namespace norv::tools {

// Whether `s` can be a word of a list: 1 to kMaxWordBytes bytes, a letter or digit first, then
// letters, digits, apostrophes, hyphens and dots.
bool IsListWord(std::string_view s);

struct WordList {
    std::unordered_set<std::string> words;
    // The file's last byte is not a line feed (an append first ends that line).
    bool openLine = false;
};

// Adds the words of a list file's bytes to `list`.
void ParseWordList(std::string_view bytes, WordList& list);

enum class WordListStatus { kRead, kCreated, kFailed };

// Reads the list at `path`, creating it empty when it does not exist. kFailed: it exists but
// could not be read, or could not be created; the list then holds what was read.
WordListStatus ReadWordList(platform::FileSystem& fs, const std::string& path, WordList& list);

// Appends `word` as a line of the file (created when missing). False when the write failed;
// the list then expects an unfinished line, so the next append starts on a line of its own.
bool AppendWord(platform::FileSystem& fs, const std::string& path, std::string_view word,
                WordList& list);

}  // namespace norv::tools
