// The built-in dispatcher behind CALLB: pops exactly the built-in's arguments (first argument
// first), resets the five parameter slots, runs the built-in and pushes the result register.
// The system variable calls (311, 312) and the external call (902) have their own stack
// shapes. Families of built-ins live in builtins_*.cpp; what needs the editor goes to the host.
#include <array>
#include <cstring>

#include "platform/ui.h"
#include "script/builtins.h"
#include "script/interpreter.h"
#include "script/name_tables.h"
#include "script/script_host.h"

namespace norv::script {

namespace {

constexpr int kMaxId = 906;

// Built-in id -> row of kBuiltins (-1: no such id).
constexpr std::array<int16_t, kMaxId> kRowOfId = [] {
    std::array<int16_t, kMaxId> t{};
    for (auto& v : t) v = -1;
    for (size_t i = 0; i < kBuiltins.size(); ++i)
        t[static_cast<size_t>(kBuiltins[i].id)] = static_cast<int16_t>(i);
    return t;
}();

constexpr int kMaxExternalArgs = 64;

}  // namespace

bool Runtime::CallBuiltin(uint32_t id, uint32_t& sp) {
    uint8_t* const stack = stack_.data();
    auto available = [&](uint32_t slots) { return uint64_t(sp) + 4ull * slots <= stackTop_; };
    auto pop = [&]() {
        uint32_t v;
        std::memcpy(&v, stack + sp, 4);
        sp += 4;
        return v;
    };
    params_.fill(-1);
    if (id == kBuiltinReadSysVar) {
        if (!available(1)) {
            Fault("Script stack underflow.");
            return false;
        }
        const uint32_t index = pop();
        if (index < kSysVars.size())
            result_ = host_.ReadSysVar(static_cast<int>(index), *this);
        else
            result_ = 0;
    } else if (id == kBuiltinWriteSysVar) {
        if (!available(2)) {
            Fault("Script stack underflow.");
            return false;
        }
        const uint32_t value = pop();
        const uint32_t index = pop();
        if (index < kSysVars.size() && kSysVars[index].assignable())
            host_.WriteSysVar(static_cast<int>(index), value, *this);
    } else if (id == kBuiltinExternalCall) {
        if (!available(3)) {
            Fault("Script stack underflow.");
            return false;
        }
        const uint32_t routine = pop();
        const uint32_t library = pop();
        const uint32_t n = pop();
        if (n > kMaxExternalArgs || !available(n)) {
            Fault("Script stack underflow.");
            return false;
        }
        // The slots go first, so a failed call leaves the stack as a successful one does.
        std::array<uint32_t, kMaxExternalArgs> args;
        for (uint32_t i = 0; i < n; ++i) args[i] = pop();
        const std::string lib = ArgString(library);
        const std::string name = ArgString(routine);
        result_ =
            host_.CallExternal(ExternalCall{lib, name, library, routine, args.data(), n}, *this);
    } else {
        const int row = id < kMaxId ? kRowOfId[id] : -1;
        if (row < 0) {
            Fault("Unknown built-in function.");
            return false;
        }
        const int n = kBuiltins[static_cast<size_t>(row)].argCount;
        if (!available(static_cast<uint32_t>(n))) {
            Fault("Script stack underflow.");
            return false;
        }
        uint32_t args[4] = {0, 0, 0, 0};
        for (int i = 0; i < n; ++i) args[i] = pop();
        Dispatch(static_cast<int>(id), args);
    }
    if (faulted_ || interrupted_) return false;
    sp -= 4;
    std::memcpy(stack + sp, &result_, 4);
    return true;
}

void Runtime::Dispatch(int id, const uint32_t* args) {
    enum : uint8_t { kUnknown, kText, kFile, kSystem, kHost };
    uint8_t& route = route_[static_cast<size_t>(id) % route_.size()];
    switch (route) {
        case kText:
            CallTextBuiltin(id, args, *this);
            return;
        case kFile:
            CallFileBuiltin(id, args, *this);
            return;
        case kSystem:
            CallSystemBuiltin(id, args, *this);
            return;
        case kHost:
            host_.CallEditorBuiltin(id, args, *this);
            return;
        default:
            break;
    }
    // Dispatch reaches here only with ids of kBuiltins (all below kMaxId), so the route of one
    // id is never that of another.
    static_assert(kMaxId <= sizeof(route_));
    if (CallTextBuiltin(id, args, *this))
        route = kText;
    else if (CallFileBuiltin(id, args, *this))
        route = kFile;
    else if (CallSystemBuiltin(id, args, *this))
        route = kSystem;
    else {
        route = kHost;
        host_.CallEditorBuiltin(id, args, *this);
    }
}

}  // namespace norv::script
