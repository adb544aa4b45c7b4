// Choosing between a stored image and its source (see script_loader.h).
#include "script/script_loader.h"

#include <strings.h>

#include "platform/file_system.h"
#include "platform/paths.h"
#include "script/compiler.h"

namespace norv::script {

std::string SourceBesideImage(platform::FileSystem& fs, const std::string& imagePath) {
    const std::string base = platform::WithoutExtension(imagePath);
    for (const char* ext : {".NRS", ".nrs", ".Nrs"})
        if (fs.Stat(base + ext)) return base + ext;
    return base + ".NRS";
}

LoadedScript LoadScript(platform::FileSystem& fs, const std::string& path) {
    LoadedScript out;
    std::string source = path;
    if (strcasecmp(platform::ExtensionOf(path).c_str(), ".nrx") == 0) {
        std::string image;
        out.imageStatus = ReadImageFile(fs, path, image);
        if (out.imageStatus == ImageStatus::kOk) {
            out.image = std::move(image);
            return out;
        }
        source = SourceBesideImage(fs, path);
        out.recompiled = true;
    }
    CompileResult r = CompileFile(fs, source);
    out.unreadable = r.unreadable;
    out.error = std::move(r.error);
    out.image = std::move(r.image);
    return out;
}

}  // namespace norv::script
