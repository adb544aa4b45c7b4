// Auto-save and recovery: modified documents are copied at an interval into auto-save files in
// the recovery folder (the settings folder), listed in a recovery table; after a crash the next
// start offers to bring them back as modified documents under their old names.
//
// Names: the table is "Norv%04X.REC" and the copies "%04X%04d.AUT", with this instance's 16-bit
// value and each document's auto-save number (kept for the document's life, so a document never
// inherits another's file). The table keeps its layout (a 32-bit count, then 288-byte entries:
// untitled flag, 262-byte path or title, 22-byte file name); beside it "Norv%04X.RCI" records
// each copy's code, save code, byte-order mark, line-end mode and full path, so a copy comes back
// exactly as it was without detection. Every file is made with mode 0600.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"

namespace norv::document {

struct RecoveryEntry {
    bool untitled = false;
    std::string path;      // the document's path, or for an untitled one its title
    std::string fileName;  // the auto-save file, relative to the recovery folder
    // From the side file; `exact` is false when it had no line for this entry.
    bool exact = false;
    TextCode code = TextCode::kAnsi;
    TextCode saveCode = TextCode::kNone;
    bool bom = false;
    EolMode eol = EolMode::kDefault;
    bool endsWithEol = false;  // a UCS-2 text that ended with a line end
};

inline constexpr size_t kRecoveryEntryBytes = 288;
inline constexpr size_t kRecoveryMaxEntries = 100;
inline constexpr size_t kRecoveryTableBytes = 4 + kRecoveryMaxEntries * kRecoveryEntryBytes;

// The table's bytes to entries; nullopt when the table is not valid (count outside 1-100 or
// beyond the size, a string without its terminator).
std::optional<std::vector<RecoveryEntry>> ParseRecoveryTable(std::string_view bytes);
std::string BuildRecoveryTable(const std::vector<RecoveryEntry>& entries);
// The side file: fills the exact fields of the entries it names.
void ApplyRecoveryInfo(std::string_view bytes, std::vector<RecoveryEntry>& entries);
std::string BuildRecoveryInfo(const std::vector<RecoveryEntry>& entries);

class AutoSaver {
  public:
    // `folder` is the recovery folder; `instance` this instance's 16-bit value.
    AutoSaver(DocumentEnvironment& env, std::string folder, uint16_t instance);

    std::string TableName() const;  // full paths
    std::string InfoName() const;
    std::string AutoSaveName(int number) const;

    // One pass over the open documents (the front end calls it only while a view is active).
    void AutoSaveAll(const std::vector<CElwDoc*>& documents);
    // Deletes this instance's auto-save files and its table.
    void DeleteRecoveryFiles();
    // The one-second timer: runs a pass when more than `autoSaveSec` seconds (0 = never) have
    // passed since the last one. Returns true when it did.
    bool Tick(int64_t nowSeconds, int autoSaveSec, const std::vector<CElwDoc*>& documents);

  private:
    bool WriteCopy(CElwDoc& doc, const std::string& name);

    DocumentEnvironment& env_;
    std::string folder_;
    uint16_t instance_;
    int nextNumber_ = 0;
    int64_t lastPass_ = -1;
    std::vector<RecoveryEntry> written_;  // the table as last written
};

// What recovery needs from the program.
struct RecoveryHost {
    // Makes a new empty document (with its window) and returns it, or null.
    std::function<CElwDoc*()> newDocument;
    // Whether the instance with this value is running (its files are not offered).
    std::function<bool(uint16_t)> isLiveInstance;
};

// Looks for recovery tables in `folder`, asks whether to recover, and restores the copies as
// modified documents. Returns 1 when at least one document was restored. When the user says
// No the tables are kept, so the offer comes again.
int RecoverAtStartup(DocumentEnvironment& env, const std::string& folder, RecoveryHost& host);

}  // namespace norv::document
