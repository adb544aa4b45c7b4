// The keyword file: what the edit view colours. Sixteen keyword groups (each with a name, the
// file types it applies to and three switches), the keywords of every group, and comment blocks
// (a beginning and an end string whose text between is coloured with a group's colour).
//
// File layout, one record per line (a CR before the LF is ignored; lines may be of any length):
//   0x10+g name TAB file-types TAB switches   group header (g = 0..15); switches: 1 case-
//                                            insensitive, 2 coloured, 4 bold; missing: coloured
//   SPACE begin TAB g TAB end TAB coloured TAB bold   comment block (g one hex digit; an empty
//                                            end string ends the block at the line end)
//   keyword TAB g                            keyword (first byte 0x21 or above)
// Any other line is ignored, including lines whose first byte is below 0x10 and lines whose
// group is not a hexadecimal digit. The file is written as the 16 headers, the comment blocks,
// then the keywords bucket by bucket.
//
// The keyword table has 256 buckets, chosen by the upper-case form of a keyword's first byte.
// Each bucket is sorted: texts compare character by character (a double-byte character as one
// unit), and of two keywords where one is a prefix of the other the longer comes first, so the
// first entry of a bucket that matches at a position is the longest keyword there.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace norv::app {

inline constexpr int kKeywordGroupCount = 16;

struct KeywordGroup {
    std::string name;
    std::string fileTypes;  // "*.c;*.h"; "*.*" applies to every file
    bool caseInsensitive = false;
    bool colored = true;
    bool bold = false;

    int Switches() const { return (caseInsensitive ? 1 : 0) | (colored ? 2 : 0) | (bold ? 4 : 0); }
    void SetSwitches(int bits);
    bool operator==(const KeywordGroup&) const = default;
};

struct CommentBlock {
    std::string begin;
    std::string end;  // empty: the block ends at the end of its line
    int group = 0;
    bool colored = true;
    bool bold = false;
    bool operator==(const CommentBlock&) const = default;
};

class KeywordTable {
  public:
    struct Entry {
        std::string text;
        uint8_t group = 0;  // 0 to 15
        bool operator==(const Entry&) const = default;
    };

    explicit KeywordTable(int codePage) : codePage_(codePage) {}

    // Adds a keyword to a group; false when the same text is already in that group, or when the
    // text cannot be stored in the file (empty, beginning with a blank or a control byte, or
    // holding a tab or a line break).
    bool Add(std::string_view text, int group);
    // Removes the keyword of that group; false when it is not there.
    bool Remove(std::string_view text, int group);
    bool Contains(std::string_view text, int group) const;
    void Clear();
    // The bucket of a keyword or text beginning with this byte.
    const std::vector<Entry>& Bucket(uint8_t firstByte) const;
    size_t Size() const;
    int CodePage() const { return codePage_; }

    // Order of two keywords in a bucket: negative when `a` comes first.
    static int Compare(std::string_view a, std::string_view b, int codePage);

  private:
    int codePage_;
    std::array<std::vector<Entry>, 256> buckets_;
};

struct KeywordFile {
    explicit KeywordFile(int codePage) : keywords(codePage) {}
    std::array<KeywordGroup, kKeywordGroupCount> groups;
    KeywordTable keywords;
    std::vector<CommentBlock> blocks;

    void Clear();
};

// Fills `out` from the file's text (after clearing it).
void ParseKeywordFile(std::string_view text, KeywordFile& out);
std::string FormatKeywordFile(const KeywordFile& file);

// A missing file leaves `out` empty and is no error. Returns 0 or the system error number.
int LoadKeywordFile(platform::FileSystem& fs, const std::string& path, KeywordFile& out);
// Written through a temporary file and a rename. Returns 0 or the system error number.
int SaveKeywordFile(platform::FileSystem& fs, const std::string& path, const KeywordFile& file);

// Bit g set when group g applies to the file.
uint16_t KeywordGroupsForFile(std::string_view path, const KeywordFile& file);

// The value of a hexadecimal digit (0-9, A-F, a-f), or -1.
int HexDigitValue(char c);

}  // namespace norv::app
