// The program's private temporary folder.
//
// Made on first use for this process, mode 0700, under $TMPDIR (else /tmp), and removed with
// what it holds when the program ends, also when it is ended by SIGTERM or SIGHUP: the fixed
// names the program uses in it ("Norv.$$$", "Norv.txt", "Norv.TMP", "NORVTMP") can never
// collide with another instance or user, nor follow a link someone planted.
#pragma once

#include <string>
#include <string_view>

namespace norv::platform {

// The folder, ending in "/"; empty when it cannot be made.
const std::string& PrivateTempFolder();
// A file of the folder; empty when the folder cannot be made.
std::string PrivateTempFile(std::string_view name);
// Removes the folder and everything in it now (a later use makes a new one).
void RemovePrivateTempFolder();

}  // namespace norv::platform
