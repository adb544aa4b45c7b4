// Routines of shared libraries declared with DECLARE and called through libffi.
//
// A script value is a 32-bit word and a script address is not a host address, so nothing of
// the script's memory is handed to a routine directly: an Integer passes sign-extended to the
// machine's integer, a String (or an array named without an index) as a pointer to a host copy
// of its whole writable extent, NUL-terminated and followed by a guard region. After the call
// each copy goes back into the script's memory within that extent, so a routine may fill an
// ALLOC or SPACE buffer, and a damaged guard stops the script instead of letting a routine that
// wrote past its buffer corrupt the editor's memory unseen. A String result is a host pointer
// whose bytes are copied into the script's heap.
//
// The call site tells the run time what it passes: the compiler places, after the routine
// name's NUL, the call's shape: "#", the result (I, S or V), the declared fixed count, "+" when
// the declaration is variadic, ":", then one item per argument, comma-separated: I, S, or A with
// the array's size in bytes (A0: unknown, the array is a parameter). A routine name without a
// shape passes every argument as an Integer and returns an Integer.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace norv::script {

struct CallShape {
    enum class Arg : uint8_t { kInteger, kString, kArray };
    char result = 'I';  // I, S or V
    uint32_t fixed = 0;
    bool variadic = false;
    std::vector<Arg> args;
    std::vector<uint32_t> arrayBytes;  // per argument; 0 when not an array or unknown
};

// The shape text placed after the routine name; a text that is not a shape gives the plain
// shape of `count` Integer arguments. Items missing for some of the `count` arguments are
// Integers, and items beyond them are ignored.
CallShape ParseCallShape(std::string_view text, uint32_t count);

// The libraries and routines of the program: a library is loaded once and stays loaded until
// the program ends. A name containing "/" is a path used as it is; otherwise the name as given
// and then libNAME.so are each looked for in the program's folder, in ../lib/norv/ beside it,
// and then by the system's search rules.
class ExternalLibraries {
  public:
    static ExternalLibraries& Program();

    // The library's handle, or null when it is not found.
    void* FindLibrary(const std::string& name);
    // The routine's address, or null.
    static void* FindRoutine(void* library, const std::string& name);
    // The folder of the running program (from /proc/self/exe).
    const std::string& programFolder();

  private:
    std::map<std::string, void*> loaded_;
    std::string programFolder_;
    bool folderKnown_ = false;
};

// A call description prepared once per routine and shape (libffi's cif with its types).
struct PreparedCall;
const PreparedCall* PrepareCall(void* routine, const CallShape& shape, uint32_t count);
// Calls `routine` with `values` (one pointer to each argument's storage) and returns the raw
// result (an integer, or a pointer for a String result).
uint64_t InvokePrepared(const PreparedCall& call, void* routine, void** values);

}  // namespace norv::script
