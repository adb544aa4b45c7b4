// The INF file that drives setup: which product it installs and which files.
//
// The file is read with the private-profile rules: "[Section]" lines open sections, "key=value"
// lines are entries; section and key names compare without regard to case and without the
// blanks around them; the first occurrence of a section or key counts; a value loses the blanks
// around it and one pair of enclosing double quotes; a missing key gives the default. The file
// list is read as File0, File1, ... up to the first missing or empty key.
//
// Every value that becomes part of a path is checked before anything is done with it
// (`RefusedKey`): an INF file must never make setup write or delete outside its folders.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norv::setup {

inline constexpr std::string_view kSettingsSection = "Settings";
inline constexpr std::string_view kFilesSection = "Files";
// More files than this are not read: the list is a product's files, not a data set.
inline constexpr size_t kMaxListedFiles = 4096;

struct SetupInf {
    std::string appTitle;
    std::string vender;
    std::string product;
    std::string sendTo;
    std::string uninstMessage;
    // Media types the Send To entry opens besides text/plain, ";"-separated.
    std::string mimeTypes;
    // A listed shared-mime-info package, registered with xdg-mime.
    std::string mimeInfo;
    std::vector<std::string> files;
};

// The value of `key` in `section`, or nothing when either is missing.
std::optional<std::string> ProfileString(std::string_view text, std::string_view section,
                                         std::string_view key);

SetupInf ParseInf(std::string_view text);

// The key of the first value that setup refuses, or "" when all are usable: `Vender` and
// `AppTitle` must each be one path part, listed files relative names inside the target,
// `MimeInfo` one of the listed files, `MimeTypes` a list of "type/subtype" names.
std::string RefusedKey(const SetupInf& inf);

// One non-empty file-name part: no "/", not "." or "..", no control character.
bool IsSinglePathPart(std::string_view name);
// A relative name whose parts are all single path parts ("doc/manual/index.html").
bool IsSafeRelativeName(std::string_view name);

// The INF path of a program by the companion-file rule: the program's path cut at the last "."
// of its file-name part, or the whole path when the name has none, followed by ".INF".
std::string InfPathOf(std::string_view programPath);

}  // namespace norv::setup
