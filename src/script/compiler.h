// The script compiler: turns one `.NRS` source (with every file it includes) into a compiled
// image (header, stack-machine code, data segment; see image.h) in a single pass over the
// statements, after a pre-pass that collects routine names so routines may be called before
// they are defined. Only the first error is kept; it comes back with its file and line.
#pragma once

#include <optional>
#include <string>

#include "script/compile_error.h"

namespace norv::platform {
class FileSystem;
}

namespace norv::script {

struct CompileResult {
    std::optional<std::string> image;   // set on success
    std::optional<CompileError> error;  // set on a compile error
    bool unreadable = false;            // the source file could not be read (nothing else set)
};

// Compiles `source`, the text of the file at `path` (includes are resolved against its folder
// and read through `fs`).
CompileResult CompileSource(platform::FileSystem& fs, const std::string& path, std::string source);

// Reads the file at `path` and compiles it.
CompileResult CompileFile(platform::FileSystem& fs, const std::string& path);

}  // namespace norv::script
