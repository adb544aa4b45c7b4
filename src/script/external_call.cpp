// External routine calls (see external_call.h): finding libraries and routines, the prepared
// call descriptions, and the marshalling of the script's arguments.
#include "script/external_call.h"

#include <dlfcn.h>
#include <ffi.h>
#include <unistd.h>

#include <charconv>
#include <cstring>
#include <unordered_map>

#include "platform/ui.h"
#include "script/interpreter.h"
#include "script/script_host.h"

namespace norv::script {

namespace {

constexpr uint32_t kGuardBytes = 64;
constexpr uint8_t kGuardByte = 0xA5;
// An array parameter's size is not known: its copy reaches to the end of its region, at most.
constexpr uint32_t kUnknownArrayLimit = 1u << 16;

uint32_t ReadNumber(std::string_view& s) {
    uint32_t v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc()) return 0;
    s.remove_prefix(static_cast<size_t>(r.ptr - s.data()));
    return v;
}

}  // namespace

CallShape ParseCallShape(std::string_view text, uint32_t count) {
    CallShape shape;
    shape.fixed = count;
    shape.args.assign(count, CallShape::Arg::kInteger);
    shape.arrayBytes.assign(count, 0);
    if (text.size() < 3 || text[0] != '#') return shape;
    const char result = text[1];
    if (result != 'I' && result != 'S' && result != 'V') return shape;
    shape.result = result;
    text.remove_prefix(2);
    shape.fixed = ReadNumber(text);
    if (!text.empty() && text[0] == '+') {
        shape.variadic = true;
        text.remove_prefix(1);
    }
    if (!text.empty() && text[0] == ':') text.remove_prefix(1);
    for (uint32_t i = 0; i < count && !text.empty(); ++i) {
        const char k = text[0];
        text.remove_prefix(1);
        if (k == 'S') {
            shape.args[i] = CallShape::Arg::kString;
        } else if (k == 'A') {
            shape.args[i] = CallShape::Arg::kArray;
            shape.arrayBytes[i] = ReadNumber(text);
        }
        const size_t comma = text.find(',');
        text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
    }
    if (!shape.variadic || shape.fixed > count) shape.fixed = count;
    return shape;
}

// --- libraries

ExternalLibraries& ExternalLibraries::Program() {
    static ExternalLibraries libraries;
    return libraries;
}

const std::string& ExternalLibraries::programFolder() {
    if (!folderKnown_) {
        folderKnown_ = true;
        char path[4096];
        const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
        if (n > 0) {
            std::string p(path, static_cast<size_t>(n));
            const size_t slash = p.rfind('/');
            programFolder_ = slash == std::string::npos ? std::string() : p.substr(0, slash);
        }
    }
    return programFolder_;
}

void* ExternalLibraries::FindLibrary(const std::string& name) {
    if (name.empty()) return nullptr;
    if (auto it = loaded_.find(name); it != loaded_.end()) return it->second;
    auto open = [](const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); };
    void* handle = nullptr;
    if (name.find('/') != std::string::npos) {
        handle = open(name);
    } else {
        const std::string& folder = programFolder();
        for (const std::string& file : {name, "lib" + name + ".so"}) {
            if (!folder.empty()) {
                handle = open(folder + "/" + file);
                if (handle == nullptr) handle = open(folder + "/../lib/norv/" + file);
            }
            if (handle == nullptr) handle = open(file);
            if (handle != nullptr) break;
        }
    }
    // Only what was found is kept: a library installed while the program runs is found at the
    // next call.
    if (handle != nullptr) loaded_.emplace(name, handle);
    return handle;
}

void* ExternalLibraries::FindRoutine(void* library, const std::string& name) {
    if (library == nullptr || name.empty()) return nullptr;
    return dlsym(library, name.c_str());
}

// --- call descriptions

struct PreparedCall {
    ffi_cif cif;
    std::vector<ffi_type*> types;
};

const PreparedCall* PrepareCall(void* routine, const CallShape& shape, uint32_t count) {
    static std::unordered_map<std::string, std::unique_ptr<PreparedCall>> prepared;
    std::string key(reinterpret_cast<const char*>(&routine), sizeof routine);
    key += shape.result;
    key += shape.variadic ? '+' : '-';
    key.append(reinterpret_cast<const char*>(&shape.fixed), sizeof shape.fixed);
    for (uint32_t i = 0; i < count; ++i)
        key += shape.args[i] == CallShape::Arg::kInteger ? 'I' : 'P';
    if (auto it = prepared.find(key); it != prepared.end()) return it->second.get();
    auto call = std::make_unique<PreparedCall>();
    call->types.resize(count);
    for (uint32_t i = 0; i < count; ++i)
        call->types[i] =
            shape.args[i] == CallShape::Arg::kInteger ? &ffi_type_sint64 : &ffi_type_pointer;
    ffi_type* result = shape.result == 'S'   ? &ffi_type_pointer
                       : shape.result == 'V' ? &ffi_type_void
                                             : &ffi_type_sint64;
    ffi_type** types = count == 0 ? nullptr : call->types.data();
    ffi_status status;
    if (shape.variadic && shape.fixed >= 1)
        status = ffi_prep_cif_var(&call->cif, FFI_DEFAULT_ABI, shape.fixed, count, result, types);
    else
        status = ffi_prep_cif(&call->cif, FFI_DEFAULT_ABI, count, result, types);
    if (status != FFI_OK) return nullptr;
    return prepared.emplace(std::move(key), std::move(call)).first->second.get();
}

uint64_t InvokePrepared(const PreparedCall& call, void* routine, void** values) {
    // ffi_call writes at least a full register for results narrower than one.
    alignas(16) uint64_t result[2] = {0, 0};
    ffi_call(const_cast<ffi_cif*>(&call.cif), reinterpret_cast<void (*)()>(routine), result,
             values);
    return result[0];
}

// --- the call from the script

uint32_t Runtime::RegionRemainder(uint32_t address) {
    if (address >= kHeapBase) {
        if (const StringHeap::Block* b = heap_.Find(address)) return b->capacity;
        return heap_.Contains(address, 1) ? heap_.used() - (address - kHeapBase) : 0;
    }
    if (address >= kStackBase) {
        const uint64_t off = address - kStackBase;
        return off < stackTop_ ? static_cast<uint32_t>(stackTop_ - off) : 0;
    }
    if (address >= kDataBase) {
        const uint64_t off = address - kDataBase;
        return off < data_.size() ? static_cast<uint32_t>(data_.size() - off) : 0;
    }
    return 0;
}

uint32_t Runtime::CallLibrary(const ExternalCall& call) {
    const auto key = std::make_tuple(call.libraryAddress, call.routineAddress, call.count);
    auto it = callSites_.find(key);
    if (it == callSites_.end()) {
        CallSite site;
        std::string_view shapeText;
        // An address that wraps lands outside every region and reads as no shape.
        if (call.routineAddress != 0)
            View(call.routineAddress + static_cast<uint32_t>(call.routine.size()) + 1, shapeText);
        site.shape = ParseCallShape(shapeText, call.count);
        void* library = ExternalLibraries::Program().FindLibrary(std::string(call.library));
        if (library == nullptr) {
            site.state = CallSite::State::kNoModule;
        } else {
            site.routine = ExternalLibraries::FindRoutine(library, std::string(call.routine));
            if (site.routine == nullptr)
                site.state = CallSite::State::kNoRoutine;
            else if ((site.prepared = PrepareCall(site.routine, site.shape, call.count)) == nullptr)
                site.state = CallSite::State::kNoDescription;
        }
        it = callSites_.emplace(key, std::move(site)).first;
    }
    const CallSite& site = it->second;
    auto& ui = host_.ui();
    switch (site.state) {
        case CallSite::State::kNoModule:
            ui.MessageBox("Module '" + std::string(call.library) + "' is not found.",
                          platform::mb::kOk | platform::mb::kIconError);
            return 0;
        case CallSite::State::kNoRoutine:
        case CallSite::State::kNoDescription:
            ui.MessageBox("Function '" + std::string(call.routine) + "' is not found.",
                          platform::mb::kOk | platform::mb::kIconError);
            return 0;
        case CallSite::State::kReady:
            break;
    }

    // Host copies of the Strings and arrays, each NUL-terminated and followed by its guard.
    struct Copy {
        uint32_t address;  // 0: nothing goes back
        uint32_t extent;
        std::vector<uint8_t> bytes;
    };
    std::vector<Copy> copies;
    copies.reserve(call.count);
    std::vector<int64_t> integers(call.count);
    std::vector<void*> pointers(call.count);
    std::vector<void*> values(call.count);
    for (uint32_t i = 0; i < call.count; ++i) {
        const uint32_t a = call.args[i];
        const CallShape::Arg kind = site.shape.args[i];
        if (kind == CallShape::Arg::kInteger) {
            integers[i] = static_cast<int32_t>(a);
            values[i] = &integers[i];
            continue;
        }
        Copy copy{a, 0, {}};
        if (kind == CallShape::Arg::kString) {
            std::string_view v;
            if (!View(a, v)) {
                ArgString(a);  // the illegal-access message
                copy.address = 0;
            } else if (a != 0) {
                copy.extent = std::max<uint32_t>(StringExtent(a), static_cast<uint32_t>(v.size()));
            } else {
                copy.address = 0;
            }
        } else {
            const uint32_t room = RegionRemainder(a);
            const uint32_t want = site.shape.arrayBytes[i];
            copy.extent = want != 0 ? std::min(want, room) : std::min(room, kUnknownArrayLimit);
            if (copy.extent == 0) copy.address = 0;
        }
        const uint8_t* from = copy.extent != 0 ? Resolve(a, copy.extent) : nullptr;
        if (from == nullptr) {
            copy.address = 0;
            copy.extent = 0;
        }
        copy.bytes.assign(copy.extent + 1 + kGuardBytes, kGuardByte);
        if (copy.extent != 0) std::memcpy(copy.bytes.data(), from, copy.extent);
        copy.bytes[copy.extent] = 0;
        copies.push_back(std::move(copy));
        pointers[i] = copies.back().bytes.data();
        values[i] = &pointers[i];
    }

    const uint64_t raw = InvokePrepared(*site.prepared, site.routine, values.data());

    for (const Copy& c : copies) {
        for (uint32_t k = c.extent + 1; k < c.bytes.size(); ++k)
            if (c.bytes[k] != kGuardByte) {
                Fault("An external routine wrote past the end of a string.");
                return 0;
            }
    }
    for (const Copy& c : copies) {
        if (c.address == 0 || c.extent == 0) continue;
        if (uint8_t* to = Resolve(c.address, c.extent)) std::memcpy(to, c.bytes.data(), c.extent);
    }
    if (site.shape.result == 'S') {
        const char* text = reinterpret_cast<const char*>(static_cast<uintptr_t>(raw));
        return MakeString(text != nullptr ? std::string_view(text) : std::string_view());
    }
    if (site.shape.result == 'V') return 0;
    return static_cast<uint32_t>(raw);
}

}  // namespace norv::script
