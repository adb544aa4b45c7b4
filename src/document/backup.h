// Numbered backups and the backup and mirror folders of a save.
//
// Without a backup folder the previous version of memo.txt is kept as memo.t01 beside it, the
// one before as memo.t02, and so on up to the configured number of generations; with a folder
// the previous version is kept there under the plain name and older ones are numbered from 01.
#pragma once

#include <string>

#include "platform/file_system.h"

namespace norv::document {

// The generation name: the base cut after the first character behind the last dot of its file
// name ("memo.txt" -> "memo.t"), "._" appended without a dot, "_" after a final dot, then the
// two-digit number ("memo.t01", "memo._01").
std::string BackupGenerationName(const std::string& base, int generation);

// A backup or mirror folder setting turned into a folder for a document: a folder that starts
// with "./" or "../", or does not start with "/" or "~/", is taken from the document's folder
// (and created, one level, when `create`). Returns the folder with a trailing "/".
std::string ResolveSideFolder(platform::FileSystem& fs, const std::string& setting,
                              const std::string& documentPath, bool create);

// Keeps the file at `documentPath` (which exists) as the newest backup generation, shifting the
// older ones; the document file itself stays in place (the save replaces it afterwards).
// `generations` is the setting (at least 1 here), `folder` the backup folder setting.
void MakeBackup(platform::FileSystem& fs, const std::string& documentPath, int generations,
                const std::string& folder, bool relCreate);

}  // namespace norv::document
