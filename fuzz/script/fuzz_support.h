// What the script fuzz targets share: an empty in-memory file system, a silent user
// interface, and a host that never waits.
#pragma once

#include <cerrno>

#include "platform/fakes/memory_file_system.h"
#include "platform/ui.h"
#include "script/script_host.h"

namespace norv::script::fuzzing {

// Files live in memory and start empty, so an input can neither read nor change real files.
using NoFiles = platform::MemoryFileSystem;

class SilentUi : public platform::UserInterface {
  public:
    int MessageBox(std::string_view, unsigned style) override {
        return platform::DefaultButtonOf(style);
    }
    void SetStatusText(std::string_view) override {}
    void Beep() override {}
};

class FuzzHost : public ScriptHost {
  public:
    FuzzHost(platform::UserInterface& ui, platform::FileSystem& fs) : ScriptHost(ui, fs) {}
    void Wait(int32_t) override {}
    uint32_t CallExternal(const ExternalCall&, Runtime&) override { return 0; }
};

}  // namespace norv::script::fuzzing
