// Path helpers: every rule about folders, file names and extensions lives here.
//
// The separator is "/"; a backslash is an ordinary character of a Linux file name. The
// extension is taken from the file-name part only, so "/a.b/c" has none.
#pragma once

#include <string>
#include <string_view>

namespace norv::platform {

// "/a/b/c.txt" -> "/a/b/" (with the trailing separator); "c.txt" -> "".
std::string FolderOf(std::string_view path);
// "/a/b/c.txt" -> "c.txt".
std::string FileNameOf(std::string_view path);
// The extension with its dot ("/a/b/c.txt" -> ".txt"); "" when the file name has no dot.
// A name that ends in a dot has the extension ".".
std::string ExtensionOf(std::string_view path);
// The path without the extension of its file-name part.
std::string WithoutExtension(std::string_view path);
// Joins a folder and a name with exactly one separator between them.
std::string JoinPath(std::string_view folder, std::string_view name);
// A path is relative when it begins neither with "/" nor with "~/".
bool IsRelativePath(std::string_view path);
// "~" and "~/x" become the home folder and a path below it.
std::string ExpandHome(std::string_view path);
// An absolute, lexically normalised path ("." and ".." resolved, repeated separators folded),
// relative paths taken from the current folder. Links are not resolved.
std::string FullPath(std::string_view path);
// The current folder with a trailing separator.
std::string CurrentFolder();
// Makes `folder` the current folder; false when it cannot be (the current folder stays).
bool ChangeCurrentFolder(const std::string& folder);
// The running program's full path (from /proc/self/exe).
std::string ExecutablePath();

}  // namespace norv::platform
