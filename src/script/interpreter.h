// The script interpreter: runs a validated image on the 32-bit stack machine.
//
// The image's data segment is used in place (a script run again finds its globals as the last
// run left them); the stack, the data segment and the string heap are regions of the script
// address space (address_space.h), and every access through a script address is checked
// against its region, so no image, however made, can make the interpreter touch memory outside
// them. Strings made at run time belong to the temporary list of the call level that made them
// until a variable takes them; LEAVE releases what is left on its level.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "script/address_space.h"
#include "script/external_call.h"
#include "script/file_table.h"
#include "script/image.h"
#include "script/string_heap.h"

namespace norv::script {

class ScriptHost;
struct ExternalCall;

enum class RunResult {
    kHalted,         // HALT, or the end of Main
    kReturned,       // RET to address 0
    kInterrupted,    // Ctrl+Break
    kStackOverflow,  // "Stack overflow!!"
    kFault,          // a run-time error with its message (division by zero, index, access)
    kBudget,         // the instruction budget ran out (tests and fuzzing)
};

struct RuntimeLimits {
    uint32_t heapLimit = kDefaultHeapLimit;
    uint64_t instructionBudget = 0;  // 0: unlimited
    bool fileAccess = true;          // FOPEN may open files (fuzzing turns it off)
};

// True while any script runs (other parts of the editor look at it).
bool ScriptRunning();

class Runtime {
  public:
    // Validates the image; nullptr (with the reason in *status) when it cannot be run.
    static std::unique_ptr<Runtime> Load(std::string image, ScriptHost& host,
                                         RuntimeLimits limits = {}, ImageStatus* status = nullptr);
    ~Runtime();

    // Runs the image from its entry. An object already running (a run further down the stack)
    // is not entered again: that would reset the stack under the running call; such a call
    // runs nothing and gives kFault without a message.
    RunResult Run();
    bool running() const { return running_; }

    // --- for the built-ins
    ScriptHost& host() { return host_; }
    uint32_t result() const { return result_; }
    void SetResult(uint32_t v) { result_ = v; }
    // Reads a String argument; an unreadable reference shows the illegal-access message and
    // reads as empty.
    std::string ArgString(uint32_t address);
    // A new temporary string on the current call level; 0 (and the run stops with an
    // out-of-memory message) when the heap is full.
    uint32_t MakeString(std::string_view text);
    // A zeroed writable buffer of n bytes (ALLOC).
    uint32_t MakeBuffer(uint32_t n);
    // Releases a script-heap string (THROWAWAY); other addresses are ignored.
    void Release(uint32_t address);
    // The bytes [address, address + n) if they lie inside one region, else nullptr. Inside a
    // heap block the range must also stay inside the block.
    uint8_t* Resolve(uint32_t address, uint32_t n);
    // The writable extent of the string at `address`: a heap block's capacity, else the
    // length of the NUL-terminated string plus its NUL; 0 when it is not readable.
    uint32_t StringExtent(uint32_t address);
    // Calls a routine of a shared library (DECLARE; see external_call.h) and returns the
    // result register's value; failures show their message and give 0.
    uint32_t CallLibrary(const ExternalCall& call);
    // Stops the run with a message of the interpreter's own.
    void Fault(std::string message);
    // Stops the run as Ctrl+Break does, when the running built-in returns.
    void Interrupt() { interrupted_ = true; }
    // Editor built-ins that change the view ask for one repaint when their routine returns.
    void SetRefreshPending() { refreshPending_ = true; }
    bool resident() const { return resident_; }
    void SetResident(bool on) { resident_ = on; }
    std::array<int32_t, 5>& parameterSlots() { return params_; }
    FileTable& files() { return files_; }
    // The file search of DIR: the names found by the last pattern and the next to return.
    std::vector<std::string>& dirNames() { return dirNames_; }
    size_t& dirNext() { return dirNext_; }
    const ImageHeader& header() const { return header_; }
    size_t liveStrings() const { return heap_.liveCount(); }

  private:
    // From a validated image and the instruction starts its validation found.
    Runtime(std::string image, std::vector<uint8_t> starts, ScriptHost& host, RuntimeLimits limits);

    // The string view at a script address: bytes up to the NUL inside its region (or block).
    bool View(uint32_t address, std::string_view& out);
    void StoreString(uint8_t* slot, uint32_t value, bool parameterSlot);
    void ReleaseOwned(uint32_t address);
    // A new temporary string holding left then right (0 reads as empty; right 0 makes a copy);
    // 0 after a fault.
    uint32_t Concat(uint32_t left, uint32_t right);
    bool CopyString(uint32_t dst, uint32_t src);
    void RemoveFromLevel(size_t level, uint32_t address);
    void PushLevel();
    void PopLevel();
    void ReleaseAllLevels();
    bool CallBuiltin(uint32_t id, uint32_t& sp);
    // The bytes from `address` to the end of its region (or heap block); 0 when unreadable.
    uint32_t RegionRemainder(uint32_t address);
    // An external call site: its routine and prepared description, or why it cannot be called.
    struct CallSite {
        enum class State : uint8_t { kReady, kNoModule, kNoRoutine, kNoDescription };
        State state = State::kReady;
        void* routine = nullptr;
        const PreparedCall* prepared = nullptr;
        CallShape shape;
    };
    void Dispatch(int id, const uint32_t* args);
    // Which family took each built-in id the first time it was called (0: not called yet). A
    // family of the interpreter takes an id or not by the id alone, so the next call goes
    // straight to it; an id that none of them takes goes straight to the host.
    std::array<uint8_t, 1024> route_{};

    ScriptHost& host_;
    RuntimeLimits limits_;
    ImageHeader header_;
    std::string code_;                 // header and code
    std::vector<uint8_t> codeStarts_;  // 1 at every instruction start
    std::vector<uint8_t> data_;        // the data segment
    std::vector<uint8_t> stack_;       // stack size + guard bytes
    uint32_t stackTop_ = 0;
    StringHeap heap_;
    std::vector<std::vector<uint32_t>> levels_;  // temporary strings per call level
    uint32_t result_ = 0;
    uint32_t fp_ = 0;
    bool resident_ = false;
    bool running_ = false;
    bool refreshPending_ = false;
    bool faulted_ = false;
    bool interrupted_ = false;
    std::string faultMessage_;
    std::array<int32_t, 5> params_{-1, -1, -1, -1, -1};
    FileTable files_;
    std::vector<std::string> dirNames_;
    size_t dirNext_ = 0;
    // External call sites met so far, by library and routine name addresses and count.
    std::map<std::tuple<uint32_t, uint32_t, uint32_t>, CallSite> callSites_;
};

}  // namespace norv::script
