// What a running script needs from its surroundings: the user interface, the Break key, the
// message pump, the editor's system variables and view built-ins, and external library calls.
// The base class is the host without an editor: no view is open, system variables read 0 or
// "", view built-ins leave the result as it was, and external calls go to shared libraries.
// The editor derives from it when its built-ins are connected; tests derive to queue answers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norv::platform {
class UserInterface;
class FileSystem;
}  // namespace norv::platform

namespace norv::script {

class Runtime;

// One call of an external routine: the names as the script gives them (at those addresses of
// the data segment, where the call site's shape follows the routine name) and the popped
// argument slots, first argument first.
struct ExternalCall {
    std::string_view library;
    std::string_view routine;
    uint32_t libraryAddress = 0;
    uint32_t routineAddress = 0;
    const uint32_t* args = nullptr;
    uint32_t count = 0;
};

class ScriptHost {
  public:
    ScriptHost(platform::UserInterface& ui, platform::FileSystem& fs) : ui_(ui), fs_(fs) {}
    virtual ~ScriptHost() = default;

    platform::UserInterface& ui() { return ui_; }
    platform::FileSystem& fs() { return fs_; }

    // True when Ctrl+Break was pressed since the last poll.
    virtual bool BreakPressed() { return false; }
    // Handles pending window messages (DOEVENTS and the pump after editor built-ins).
    virtual void PumpMessages() {}
    // Waits `ms` milliseconds while handling messages; returns early on Break.
    virtual void Wait(int32_t ms);
    // The one-line input dialog; nullopt when cancelled.
    virtual std::optional<std::string> InputBox(std::string_view prompt, std::string_view title,
                                                std::string_view initial) {
        (void)prompt, (void)title;
        return std::string(initial);
    }
    // Repaints the current view (REFRESH, and at the end of an interrupted script).
    virtual void Refresh() {}
    // Lowers the silent level by one (NOSILENT).
    virtual void NoSilent() {}

    // System variable `index` (a row of kSysVars): an Integer, or a String written with
    // rt.MakeString. Writes take the value the same way.
    virtual uint32_t ReadSysVar(int index, Runtime& rt);
    virtual void WriteSysVar(int index, uint32_t value, Runtime& rt);

    // Built-ins that need the editor (view, documents, menus, commands). `args` are the popped
    // arguments, first argument first. Returns false when the id is not handled, in which case
    // the result register is left unchanged (the "no view open" rule).
    virtual bool CallEditorBuiltin(int id, const uint32_t* args, Runtime& rt) {
        (void)id, (void)args, (void)rt;
        return false;
    }

    // STAYRESIDENT (`stay` true) or TERMINATE changed the residency of a running object; the
    // host that keeps the resident list takes it on or off. The base class keeps none.
    virtual void ResidentChanged(Runtime& rt, bool stay) { (void)rt, (void)stay; }

    // An external routine declared with DECLARE. The base class calls it in its shared library
    // (Runtime::CallLibrary); hosts that must not call libraries (fuzzing) override it.
    virtual uint32_t CallExternal(const ExternalCall& call, Runtime& rt);

  private:
    platform::UserInterface& ui_;
    platform::FileSystem& fs_;
};

}  // namespace norv::script
