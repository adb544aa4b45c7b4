// The layers of the source tree and the include rule that keeps them: a file may include files
// of its own folder family and of the layers below it, never above, and Qt only in the front
// end and the two programs apart. The rule is data (`kLayers`, `kSideways`, `kQtFolders`),
// written once here; `CheckIncludes` applies it to one file's text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norv::layering {

struct Layer {
    std::string_view folder;  // top folder under src/
    int rank;                 // higher layers may include lower ones
};

// From the top down. script, search, editing, view and tools share the middle layer; mail and
// setup (rank 0) stand apart: they include only their own folder and the platform floor, and
// nothing of the editor includes them.
inline constexpr Layer kLayers[] = {
    {"gui", 5},   {"app", 4},      {"script", 3},   {"search", 3}, {"editing", 3}, {"view", 3},
    {"tools", 3}, {"document", 2}, {"platform", 1}, {"mail", 0},   {"setup", 0},
};

struct SidewaysInclude {
    std::string_view from;
    std::string_view to;
    std::string_view reason;
};

// Includes between folders of the middle layer, each with its reason; any other fails.
inline constexpr SidewaysInclude kSideways[] = {
    {"editing", "view", "a view's caret and selection work on the rows its layout computed"},
    {"search", "editing", "find and replace move the caret and edit through the view's commands"},
    {"tools", "script", "the norvscript runner compiles and runs scripts without the editor"},
};

// The only folders that may include Qt headers.
inline constexpr std::string_view kQtFolders[] = {"gui", "mail", "setup"};

struct Violation {
    int line;
    std::string include;
    std::string rule;
};

// `path` is the file's path below src/ ("document/loader.cpp"); `text` its contents.
std::vector<Violation> CheckIncludes(std::string_view path, std::string_view text);

}  // namespace norv::layering
