// The matcher of a plain (not regular-expression) search string.
//
// The search string is decoded (escape sequences become bytes) and read as characters of the
// document's encoding, folded the way the text will be read (char_reader.h): under ignore case
// only single-byte letters, under ignore width full-width forms become half-width and the sound
// marks are dropped. The text is then fed one folded character at a time; in UTF-8 documents a
// character is its code point, so a "?" matches only a "?".
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "search/char_reader.h"

namespace norv::search {

class PlainMatcher {
  public:
    // Returns the number of pattern characters.
    size_t Compile(std::string_view searchString, int codePage, const FoldOptions& fold);
    void Reset() { cursor_ = 0; }
    // -1: mismatch (the cursor returns to the start); 0: go on; 1: the pattern was complete
    // before this character.
    int Feed(CharCode code) {
        if (cursor_ == codes_.size()) return 1;
        if (codes_[cursor_] == code) {
            ++cursor_;
            return 0;
        }
        cursor_ = 0;
        return -1;
    }
    bool Complete() const { return cursor_ == codes_.size(); }
    bool empty() const { return codes_.empty(); }
    const std::vector<CharCode>& codes() const { return codes_; }

  private:
    std::vector<CharCode> codes_;
    size_t cursor_ = 0;
};

}  // namespace norv::search
