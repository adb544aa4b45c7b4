// Bookmark files: the bookmarked line numbers of a document, kept beside it between runs.
//
// Layout (little-endian): "MK", header size (16), entry size (4: 32-bit entries; any other
// value: 16-bit), entry count, 4 reserved bytes (0), 2 (2), 2 (0); then the 1-based line numbers
// in ascending order from the header size on, and a two-byte zero. The name for report.txt is
// reportt.@tx when such a file exists, else report.txt.#marks#.
//
// Every mark is written, however many there are: the count field holds at most 65535, so
// readers walk the entries to the terminator and never trust the count. A file whose entries
// run to its end without a terminator was cut short and gives no marks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace norv::document {

class CElwDoc;

// The first form of the name ("reportt.@tx", "a.@c", "memo.@").
std::string MarkFileShortName(const std::string& path);
// The name used for `path`: the short form when that file exists, else path + ".#marks#".
std::string MarkFileName(platform::FileSystem& fs, const std::string& path);

// The line numbers of a bookmark file's bytes (validated: a header too short, or larger than
// the file, gives none). Numbers stop at the first that is not larger than the one before (the
// terminator); entries that reach the end of the bytes without one give none.
std::vector<uint32_t> ParseMarkFile(std::string_view bytes);
// A bookmark file's bytes for these line numbers, keeping `oldFile`'s header (and its entry
// size, unless a number needs 32 bits) when it has a valid one.
std::string BuildMarkFile(std::string_view oldFile, const std::vector<uint32_t>& lines);

// Sets LF_MARK on the document's lines from its bookmark file, and raises the document's
// bookmark notice (the lines were replaced by the load).
void LoadMarks(CElwDoc& doc);
// Writes the bookmark file of the document as saved at `path` (deleting it when no line is
// marked). Returns false when the file could not be written.
bool SaveMarks(CElwDoc& doc, const std::string& path);
// The same with the marked line numbers (1-based, ascending) already known, as a save finds
// them while it writes the text.
bool SaveMarkLines(CElwDoc& doc, const std::string& path, const std::vector<uint32_t>& lines);
// SaveMarks at the document's own path while SaveMarkInfo is on (closing an unmodified
// document, Save All, workspaces and projects); nothing for a document without a file.
void KeepMarks(CElwDoc& doc);

}  // namespace norv::document
