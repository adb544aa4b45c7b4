// The external call's argument marshalling with random stack contents: an image made from the
// input pushes a sentinel, then arguments of every kind (Integers, data and heap addresses at
// and past the ends of their regions, ALLOC buffers, stack addresses, wild values), then a count
// that may not match them or the call site's shape, and calls one of the test library's
// routines that cannot fault on such arguments. After the call the image drops what the call
// left and returns the sentinel, which must come back: the stack is balanced after every call.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/fakes/memory_file_system.h"
#include "platform/ui.h"
#include "script/image.h"
#include "script/interpreter.h"
#include "script/name_tables.h"
#include "script/opcodes.h"
#include "script/script_host.h"

namespace {

using namespace norv::script;

class SilentUi : public norv::platform::UserInterface {
  public:
    int MessageBox(std::string_view, unsigned style) override {
        return norv::platform::DefaultButtonOf(style);
    }
    void SetStatusText(std::string_view) override {}
    void Beep() override {}
};

class Input {
  public:
    Input(const uint8_t* d, size_t n) : d_(d), n_(n) {}
    uint32_t Byte() { return i_ < n_ ? d_[i_++] : 0; }
    uint32_t Word() { return Byte() | Byte() << 8 | Byte() << 16 | Byte() << 24; }
    bool empty() const { return i_ >= n_; }

  private:
    const uint8_t* d_;
    size_t n_;
    size_t i_ = 0;
};

// Routines whose every argument slot is an Integer, or that take Strings only where their
// shape says so (a String slot always reaches them as a valid NUL-terminated copy).
struct Routine {
    const char* name;
    const char* shape;
    bool integersOnly;  // any count is safe
    uint32_t count;     // the count the shape is for
};
constexpr Routine kRoutines[] = {
    {"nt_negate", "#I1:I", true, 1},
    {"nt_add", "#I2:I,I", true, 2},
    {"nt_add", "#I1+:I,I,I,I", true, 4},
    {"nt_where", "#I0:", true, 0},
    {"nt_sixteen", "#I16:I,I,I,I,I,I,I,I,I,I,I,I,I,I,I,I", true, 16},
    {"nt_greeting", "#S0:", true, 0},
    {"nt_null", "#S0:", true, 0},
    {"nt_length", "#I1:S", false, 1},
    {"nt_upper", "#I1:S", false, 1},
    {"nt_length", "#I1:A12", false, 1},
    {"nt_length", "#I1:A0", false, 1},
    {"nt_length", "#I1:A100000", false, 1},
    {"nt_upper", "#V1:A7", false, 1},
};

void Emit(std::string& code, Op op, std::initializer_list<uint32_t> operands = {}) {
    code.push_back(static_cast<char>(op));
    for (uint32_t v : operands) {
        uint8_t b[4];
        WriteLe32(b, v);
        code.append(reinterpret_cast<const char*>(b), 4);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static norv::platform::MemoryFileSystem files;
    static SilentUi ui;
    static ScriptHost host(ui, files);
    norv::platform::SetSystemCodePage(932);
    Input in(bytes, size);

    // Data: the library, the routine names with their shapes, then input bytes as strings
    // (the last one reaching the end of the segment without a NUL).
    std::string data = NORV_FUZZ_TESTLIB;
    data.push_back('\0');
    std::vector<uint32_t> routineAt;
    for (const Routine& r : kRoutines) {
        routineAt.push_back(static_cast<uint32_t>(data.size()));
        data += r.name;
        data.push_back('\0');
        data += r.shape;
        data.push_back('\0');
    }
    const uint32_t filler = static_cast<uint32_t>(data.size());
    for (uint32_t n = in.Byte(); n > 0; --n) data.push_back(static_cast<char>(in.Byte()));
    const auto dataSize = static_cast<uint32_t>(data.size());

    std::string code(kHeaderSize, '\0');
    constexpr uint32_t kSentinel = 0x5EED5EED;
    bool balanced = true;  // false once a call may take slots below its own
    for (uint32_t calls = 1 + in.Byte() % 4; calls > 0 && !in.empty(); --calls) {
        const size_t which = in.Byte() % std::size(kRoutines);
        const Routine& r = kRoutines[which];
        uint32_t pushed = in.Byte() % 20;
        uint32_t count = pushed;
        const uint32_t countKind = in.Byte() % 8;
        if (!r.integersOnly)
            pushed = count = r.count;
        else if (countKind == 0)
            count = in.Word();  // huge or negative
        else if (countKind == 1)
            count = pushed + 1 + in.Byte() % 3;
        else if (countKind == 2 && pushed > 0)
            count = pushed - 1;
        Emit(code, Op::kPushI, {kSentinel});
        for (uint32_t k = 0; k < pushed; ++k) {
            const uint32_t v = in.Word();
            switch (in.Byte() % 8) {
                case 0:
                    Emit(code, Op::kPushI, {v});
                    break;
                case 1:  // inside the data segment, at its end, or just past it
                    Emit(code, Op::kPushI, {kDataBase + filler + v % (dataSize - filler + 2)});
                    break;
                case 2:
                    Emit(code, Op::kPushI, {in.Byte() % 80});
                    Emit(code, Op::kCallB, {static_cast<uint32_t>(BuiltinId("ALLOC"))});
                    break;
                case 3:
                    Emit(code, Op::kPushI, {kHeapBase + v % 4096});
                    break;
                case 4:
                    Emit(code, Op::kPushI, {kStackBase + v % 8200});
                    break;
                case 5:
                    Emit(code, Op::kPushA, {v % dataSize});
                    break;
                default:
                    Emit(code, Op::kPushI, {static_cast<uint32_t>(static_cast<int32_t>(v) >> 16)});
                    break;
            }
        }
        Emit(code, Op::kPushI, {count});
        Emit(code, Op::kPushA, {0});
        Emit(code, Op::kPushA, {routineAt[which]});
        Emit(code, Op::kCallB, {kBuiltinExternalCall});
        Emit(code, Op::kPop, {});  // the result
        if (count > pushed) {
            // The call took slots below its arguments: nothing to check.
            balanced = false;
            Emit(code, Op::kHalt, {});
            break;
        }
        for (uint32_t k = count; k < pushed; ++k) Emit(code, Op::kPop, {});
        // The sentinel must be on top again: compare it, and stop with another result if not.
        Emit(code, Op::kSetRet, {});
    }
    Emit(code, Op::kHalt, {});
    const auto codeSize = static_cast<uint32_t>(code.size());
    WriteHeader(code, "/fuzz/external.NRS", codeSize, dataSize, 0);
    RuntimeLimits limits;
    limits.heapLimit = 1u << 20;
    limits.instructionBudget = 100000;
    limits.fileAccess = false;
    auto rt = Runtime::Load(code + data, host, limits);
    if (!rt) return 0;
    const RunResult result = rt->Run();
    if (balanced && result == RunResult::kHalted && rt->result() != 0 && rt->result() != kSentinel)
        std::abort();  // a call removed other slots than its own
    return 0;
}
