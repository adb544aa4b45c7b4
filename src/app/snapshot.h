// The snapshot of the open documents: the binary layout of project and workspace files, and the
// side file that keeps what the layout has no room for.
//
// Layout (little-endian 32-bit integers): a 316-byte header (the main window's placement, 44
// bytes; the current folder, 260 bytes zero-terminated; 4 reserved bytes; the record count; the
// active record's index) and `count` document records of 340 bytes (the path, 264 bytes
// zero-terminated; the frame's placement; the caret line; the file-type code; the temporary-copy
// flag; tab width, wrap column, auto indent, double-width-space indent, soft tab). At most 100
// records. Reserved bytes and the bytes after each string's terminator are written as zeros.
//
// A file is checked whole before anything uses it: its size, the count against the size and
// the limit, the active index, every string's terminator. A file that fails is refused as a
// whole.
//
// The side file (the snapshot's name with ".side" appended) is text, one entry a line:
//   "NorvSnapshotSide 1"                      first line
//   "check\t<hash>"                           the snapshot it belongs to (FNV-1a, 16 hex digits)
//   "folder\t<folder>"                        the current folder, when longer than its field
//   "record\t<i>\t<code>\t<save code>\t<bom>\t<eol>\t<copy>\t<path>"
// for record i (0-based): the codes, BOM flag and line-end mode its copy was written with, the
// copy's path (empty: none), and the document's own path (empty: untitled, or the record's field
// holds it). Paths are written with "%" escapes for "%", TAB, CR and LF. A snapshot without a
// side file still opens: a record flagged as a copy then names the copy itself, read with code
// detection.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norv::app {

inline constexpr size_t kSnapshotHeaderBytes = 316;
inline constexpr size_t kSnapshotRecordBytes = 340;
inline constexpr int kSnapshotMaxRecords = 100;
inline constexpr size_t kSnapshotMaxBytes =
    kSnapshotHeaderBytes + kSnapshotRecordBytes * kSnapshotMaxRecords;  // 34316
inline constexpr size_t kSnapshotFolderField = 260;
inline constexpr size_t kSnapshotPathField = 264;

// A window's placement: eleven 32-bit integers.
struct WindowPlacement {
    int32_t length = 44;
    int32_t flags = 0;
    int32_t showCmd = 1;  // 1 normal, 2 minimised, 3 maximised
    int32_t minX = -1, minY = -1, maxX = -1, maxY = -1;
    int32_t left = 0, top = 0, right = 0, bottom = 0;  // the normal rectangle

    bool operator==(const WindowPlacement&) const = default;
    // No rectangle to restore.
    bool Empty() const { return right <= left || bottom <= top; }
};

// How a temporary copy was written (the side file's part of a record).
struct CopyFormat {
    int code = 0;       // TextCode of the document
    int saveCode = -1;  // TextCode it saves in (-1: none chosen)
    bool bom = true;
    int eolMode = -1;  // EolMode
    bool operator==(const CopyFormat&) const = default;
};

struct SnapshotRecord {
    // The document's path; for an untitled one with a copy, empty.
    std::string path;
    WindowPlacement frame;
    int32_t caretLine = 1;      // 1-based
    int32_t typeCode = 0;       // the file-type profile's code (0 generic)
    int32_t temporaryCopy = 0;  // non-zero: the text is in the copy at `copyPath`
    int32_t tabWidth = 8;
    int32_t wrapColumn = 0;
    int32_t autoIndent = 0;
    int32_t dspcIndent = 0;
    int32_t softTab = 0;
    // The temporary copy's path (when `temporaryCopy`).
    std::string copyPath;
    // Known from the side file; without it the copy is read with detection.
    std::optional<CopyFormat> copyFormat;

    bool operator==(const SnapshotRecord&) const = default;
};

struct Snapshot {
    WindowPlacement frame;
    std::string folder;
    int32_t active = 0;
    std::vector<SnapshotRecord> records;

    bool operator==(const Snapshot&) const = default;
};

enum class SnapshotError {
    kNone,
    kTooSmall,        // under 316 bytes
    kTooLarge,        // over 34,316 bytes
    kBadCount,        // negative, above 100, or more records than the file holds
    kBadActive,       // the active index names no record (an empty snapshot has index 0)
    kUnterminated,    // a string lacks its terminating zero
    kTooManyRecords,  // writing: more than 100 documents
};

// The text of a refusal, naming the file.
std::string SnapshotErrorText(SnapshotError error, std::string_view path);

// Reads a snapshot's bytes (bytes after the last record are ignored); on failure `error` says
// why and nothing is returned. Without a side file, a copy's record names the copy.
std::optional<Snapshot> ParseSnapshot(std::string_view bytes, SnapshotError* error = nullptr);
// The snapshot's bytes; paths and a folder longer than their fields are left empty there (the
// side file keeps them). None with more than 100 records.
std::optional<std::string> FormatSnapshot(const Snapshot& snapshot, SnapshotError* error = nullptr);

// Whether the side file is needed to keep something the layout cannot.
bool NeedsSideFile(const Snapshot& snapshot);
// The side file of a snapshot: its first line and one line per record that has anything to say.
std::string FormatSideFile(const Snapshot& snapshot);
// Applies a side file to a parsed snapshot. Lines naming no record, or that cannot be read, are
// ignored; false when the first line is not the side file's.
bool ApplySideFile(std::string_view text, Snapshot& snapshot);
// The same, bound to the snapshot's bytes: the side file then holds a line
// "check\t<hash of the snapshot>", and applying it to another snapshot (a crash between the
// renames of the two files) is refused: the snapshot is then read as without a side file.
std::string FormatSideFile(const Snapshot& snapshot, std::string_view snapshotBytes);
bool ApplySideFile(std::string_view text, Snapshot& snapshot, std::string_view snapshotBytes);
// Where a snapshot's side file is.
std::string SideFilePath(const std::string& snapshotPath);

}  // namespace norv::app
