// Getting a runnable image for a script file: a `.NRS` source is compiled; a stored `.NRX`
// image is used only when it passes validation and carries this version's stamp, and is
// otherwise recompiled from the `.NRS` beside it (or refused when there is none). This is the
// one place where the editor's run paths and the runner decide between the two.
#pragma once

#include <optional>
#include <string>

#include "script/compile_error.h"
#include "script/image.h"

namespace norv::platform {
class FileSystem;
}

namespace norv::script {

struct LoadedScript {
    std::optional<std::string> image;            // set when the script can run
    std::optional<CompileError> error;           // a compile error of the source
    ImageStatus imageStatus = ImageStatus::kOk;  // why a stored image was not used
    bool unreadable = false;                     // neither the image nor the source could be read
    bool recompiled = false;  // a stored image was replaced by compiling its source
};

// The source beside an image: the same path with the extension ".NRS" (or ".nrs" when only
// that exists).
std::string SourceBesideImage(platform::FileSystem& fs, const std::string& imagePath);

LoadedScript LoadScript(platform::FileSystem& fs, const std::string& path);

}  // namespace norv::script
