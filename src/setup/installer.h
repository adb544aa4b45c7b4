// Installing: the target folder and its parents, the listed files, the INF and setup itself,
// then the desktop entries, the MIME package and the install record.
//
// Every file is written as a temporary file in its folder and renamed over the old one, so a
// running program is never truncated and a failed write leaves the old file. The record is
// saved before each file is written and names the file with its new checksum, so whatever an
// interrupted or failing install leaves behind, a later uninstall knows it as setup's own.
#pragma once

#include <string>

#include "setup/setup_session.h"

namespace norv::setup {

enum class InstallOutcome {
    kDone,          // everything was written: the complete message was shown
    kFailures,      // finished, but some files could not be written (listed to the user)
    kFolderFailed,  // the target could not be made; nothing was copied, the dialog stays open
};

// `target` is an absolute folder path (a missing trailing "/" is added).
InstallOutcome Install(SetupSession& session, std::string target, InstallProgress& progress);

// The target as the user typed it, made absolute ("~/" expanded) with a trailing "/".
std::string NormalizeTarget(std::string_view typed);

// The temporary name a file is written under before it is renamed into place.
std::string TempNameOf(const std::string& path);

// Writes `data` to `path` through a temporary file beside it and a rename. Returns 0 or the
// system error number.
int ReplaceFile(platform::FileSystem& fs, const std::string& path, std::string_view data,
                unsigned permissions);

}  // namespace norv::setup
