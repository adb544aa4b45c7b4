// The stack machine's main loop and its memory rules (see interpreter.h).
//
// Dispatch is threaded: every handler ends with its own jump to the next handler, which keeps
// the host's branch prediction per instruction pair. Every 1000th instruction, and whenever a
// handler's stack check fails, control passes through one slow path that polls Break, counts
// the budget and turns a bad stack pointer into "Stack overflow!!" or an error.
//
// Stack discipline: the stack is a byte block of the image's stack size with guard bytes above
// its top; each instruction starts with at least two free slots below the stack pointer and the
// pointer never above the top, so an instruction that pushes one slot or pops at most three
// stays inside the block, and the check after it stops a run whose stack went wrong. Frame-
// relative and indexed accesses are checked where they happen.
#include "script/interpreter.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/ui.h"
#include "script/name_tables.h"
#include "script/opcodes.h"
#include "script/script_host.h"

namespace norv::script {

namespace {

std::atomic<int> gRunning{0};

constexpr uint32_t kGuard = 16;
constexpr uint32_t kPollInterval = 1000;

inline uint32_t Ld32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void St32(uint8_t* p, uint32_t v) {
    std::memcpy(p, &v, 4);
}
inline int32_t S(uint32_t v) {
    return static_cast<int32_t>(v);
}

// The platform's case-sensitive comparison: letters compare without regard to case first, and
// only when everything else is equal does a lower-case letter sort before its upper-case form.
int CompareStrings(std::string_view a, std::string_view b) {
    auto fold = [](unsigned char c) -> unsigned { return (c >= 'A' && c <= 'Z') ? c + 32u : c; };
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned x = fold(static_cast<unsigned char>(a[i]));
        const unsigned y = fold(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y) return x > y ? -1 : 1;  // 'a' (0x61) before 'A' (0x41)
    }
    return 0;
}

}  // namespace

bool ScriptRunning() {
    return gRunning.load() > 0;
}

std::unique_ptr<Runtime> Runtime::Load(std::string image, ScriptHost& host, RuntimeLimits limits,
                                       ImageStatus* status) {
    std::vector<uint8_t> starts;
    const ImageStatus s = ValidateImage(image, &starts);
    if (status != nullptr) *status = s;
    if (s != ImageStatus::kOk) return nullptr;
    return std::unique_ptr<Runtime>(new Runtime(std::move(image), std::move(starts), host, limits));
}

Runtime::Runtime(std::string image, std::vector<uint8_t> starts, ScriptHost& host,
                 RuntimeLimits limits)
    : host_(host), limits_(limits), codeStarts_(std::move(starts)), heap_(limits.heapLimit) {
    header_ = *ParseHeader(image);
    if (header_.stackSize == 0) header_.stackSize = kDefaultStackSize;
    const auto* bytes = reinterpret_cast<const uint8_t*>(image.data());
    data_.assign(bytes + header_.codeSize, bytes + header_.codeSize + header_.dataSize);
    // The image keeps its header and code; running off the end of the code stops as HALT does.
    code_ = std::move(image);
    code_.resize(header_.codeSize);
    code_.push_back(static_cast<char>(Op::kHalt));
    files_.SetEnabled(limits.fileAccess);
    stackTop_ = header_.stackSize < 16 ? 16 : header_.stackSize;
    stack_.assign(stackTop_ + kGuard, 0);
}

Runtime::~Runtime() {
    heap_.Clear();
}

// --- memory

bool Runtime::View(uint32_t address, std::string_view& out) {
    out = {};
    if (address == 0) return true;
    const uint8_t* base = nullptr;
    uint64_t avail = 0;
    if (address >= kHeapBase) {
        if (const StringHeap::Block* b = heap_.Find(address)) {
            const uint8_t* p = heap_.At(address);
            const void* nul = std::memchr(p, 0, b->capacity);
            out = std::string_view(
                reinterpret_cast<const char*>(p),
                nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - p) : b->capacity);
            return true;
        }
        if (!heap_.Contains(address, 1)) return false;
        base = heap_.At(address);
        avail = heap_.used() - (address - kHeapBase);
    } else if (address >= kStackBase) {
        const uint64_t off = address - kStackBase;
        if (off >= stackTop_) return false;
        base = stack_.data() + off;
        avail = stackTop_ - off;
    } else if (address >= kDataBase) {
        const uint64_t off = address - kDataBase;
        if (off >= data_.size()) return false;
        base = data_.data() + off;
        avail = data_.size() - off;
    } else {
        return false;
    }
    const void* nul = std::memchr(base, 0, avail);
    if (nul == nullptr) return false;
    out = std::string_view(reinterpret_cast<const char*>(base),
                           static_cast<size_t>(static_cast<const uint8_t*>(nul) - base));
    return true;
}

uint8_t* Runtime::Resolve(uint32_t address, uint32_t n) {
    if (address >= kHeapBase) {
        if (const StringHeap::Block* b = heap_.Find(address))
            return n <= b->capacity ? heap_.At(address) : nullptr;
        return heap_.Contains(address, n) ? heap_.At(address) : nullptr;
    }
    if (address >= kStackBase) {
        const uint64_t off = address - kStackBase;
        return off + n <= stackTop_ ? stack_.data() + off : nullptr;
    }
    if (address >= kDataBase) {
        const uint64_t off = address - kDataBase;
        return off + n <= data_.size() ? data_.data() + off : nullptr;
    }
    return nullptr;
}

uint32_t Runtime::StringExtent(uint32_t address) {
    if (const StringHeap::Block* b = heap_.Find(address)) return b->capacity;
    std::string_view v;
    if (address == 0 || !View(address, v)) return 0;
    return static_cast<uint32_t>(v.size() + 1);
}

std::string Runtime::ArgString(uint32_t address) {
    std::string_view v;
    if (!View(address, v)) {
        host_.ui().MessageBox(
            "Illegal memory access occured.\nPlease check if you are not passing integers as "
            "string parameters.",
            platform::mb::kOk | platform::mb::kIconError);
        return {};
    }
    return std::string(v);
}

void Runtime::Fault(std::string message) {
    if (faulted_) return;
    faulted_ = true;
    faultMessage_ = std::move(message);
}

uint32_t Runtime::MakeString(std::string_view text) {
    if (text.size() >= std::numeric_limits<uint32_t>::max() - 1) {
        Fault("Out of memory for script strings.");
        return 0;
    }
    const uint32_t n = static_cast<uint32_t>(text.size());
    const uint32_t a = heap_.Allocate(n + 1, static_cast<int32_t>(levels_.size()) - 1);
    if (a == 0) {
        Fault("Out of memory for script strings.");
        return 0;
    }
    uint8_t* p = heap_.At(a);
    if (n != 0) std::memmove(p, text.data(), n);
    p[n] = 0;
    if (!levels_.empty())
        levels_.back().push_back(a);
    else
        heap_.Find(a)->level = kOwnedByVariable;  // before any ENTER: freed at the end
    return a;
}

uint32_t Runtime::MakeBuffer(uint32_t n) {
    if (n > kMaxHeapLimit - 16) {
        Fault("Out of memory for script strings.");
        return 0;
    }
    const uint32_t a = heap_.Allocate(n, static_cast<int32_t>(levels_.size()) - 1);
    if (a == 0) {
        Fault("Out of memory for script strings.");
        return 0;
    }
    std::memset(heap_.At(a), 0, heap_.Find(a)->capacity);
    if (!levels_.empty())
        levels_.back().push_back(a);
    else
        heap_.Find(a)->level = kOwnedByVariable;
    return a;
}

void Runtime::Release(uint32_t address) {
    StringHeap::Block* b = heap_.Find(address);
    if (b == nullptr) return;
    if (b->level >= 0 && static_cast<size_t>(b->level) < levels_.size()) {
        auto& list = levels_[static_cast<size_t>(b->level)];
        for (size_t i = list.size(); i-- > 0;)
            if (list[i] == address) {
                list[i] = list.back();
                list.pop_back();
                break;
            }
    }
    heap_.Free(address);
}

void Runtime::RemoveFromLevel(size_t level, uint32_t address) {
    auto& list = levels_[level];
    for (size_t i = list.size(); i-- > 0;)
        if (list[i] == address) {
            list[i] = list.back();
            list.pop_back();
            return;
        }
}

void Runtime::ReleaseOwned(uint32_t address) {
    StringHeap::Block* b = heap_.Find(address);
    if (b != nullptr && b->level == kOwnedByVariable) heap_.Free(address);
}

// A string store gives the string to the variable: a temporary is taken off its level's list;
// a string that a variable already owns is copied, so no two variables own one string. A
// parameter slot owns nothing: the old value is not released, and the new one stays (or, when
// owned elsewhere, is copied onto) a temporary list.
void Runtime::StoreString(uint8_t* slot, uint32_t value, bool parameterSlot) {
    if (value == 0) value = heap_.empty();
    StringHeap::Block* b = heap_.Find(value);
    if (b != nullptr && b->level == kOwnedByVariable) {
        std::string_view v;
        View(value, v);
        const std::string copy(v);
        value = MakeString(copy);
        if (value == 0) return;
        b = heap_.Find(value);
    }
    if (!parameterSlot) {
        if (b != nullptr && b->level >= 0) {
            auto& list = levels_[static_cast<size_t>(b->level)];
            for (size_t i = list.size(); i-- > 0;)
                if (list[i] == value) {
                    list[i] = list.back();
                    list.pop_back();
                    break;
                }
            b->level = kOwnedByVariable;
        }
        const uint32_t old = Ld32(slot);
        if (old != value) ReleaseOwned(old);
    }
    St32(slot, value);
}

uint32_t Runtime::Concat(uint32_t left, uint32_t right) {
    std::string_view l, r;
    if (!View(left, l) || !View(right, r)) {
        Fault("Illegal memory access in the script.");
        return 0;
    }
    if (l.size() + r.size() >= kMaxHeapLimit) {
        Fault("Out of memory for script strings.");
        return 0;
    }
    const auto n = static_cast<uint32_t>(l.size() + r.size());
    const uint32_t a = heap_.Allocate(n + 1, static_cast<int32_t>(levels_.size()) - 1);
    if (a == 0) {
        Fault("Out of memory for script strings.");
        return 0;
    }
    // The arena never moves, so the views stay valid; memmove because a stale reference may
    // point into the block just handed out.
    uint8_t* p = heap_.At(a);
    if (!l.empty()) std::memmove(p, l.data(), l.size());
    if (!r.empty()) std::memmove(p + l.size(), r.data(), r.size());
    p[n] = 0;
    if (!levels_.empty())
        levels_.back().push_back(a);
    else
        heap_.Find(a)->level = kOwnedByVariable;
    return a;
}

bool Runtime::CopyString(uint32_t dst, uint32_t src) {
    std::string_view v;
    uint8_t* d = View(src, v) ? Resolve(dst, static_cast<uint32_t>(v.size() + 1)) : nullptr;
    if (d == nullptr) {
        Fault("Illegal memory access in the script.");
        return false;
    }
    if (!v.empty()) std::memmove(d, v.data(), v.size());
    d[v.size()] = 0;
    return true;
}

void Runtime::PushLevel() {
    levels_.emplace_back();
}

void Runtime::PopLevel() {
    if (levels_.empty()) return;
    for (uint32_t a : levels_.back()) heap_.Free(a);
    levels_.pop_back();
}

void Runtime::ReleaseAllLevels() {
    while (!levels_.empty()) PopLevel();
}

// --- the main loop

RunResult Runtime::Run() {
    if (running_) return RunResult::kFault;
    running_ = true;
    ++gRunning;
    faulted_ = false;
    interrupted_ = false;
    faultMessage_.clear();
    levels_.clear();
    result_ = 0;
    // A library or routine missing in an earlier run is looked for again.
    std::erase_if(callSites_,
                  [](const auto& site) { return site.second.state != CallSite::State::kReady; });
    host_.BreakPressed();  // an earlier press does not count

    const uint8_t* const code = reinterpret_cast<const uint8_t*>(code_.data());
    uint8_t* const stack = stack_.data();
    uint8_t* const data = data_.data();
    const uint32_t dataSize = static_cast<uint32_t>(data_.size());
    const uint32_t top = stackTop_;
    uint32_t pc = kHeaderSize;
    uint32_t sp = top;
    uint32_t fp = top;
    uint32_t countdown = kPollInterval;
    uint64_t executed = 0;
    RunResult outcome = RunResult::kHalted;

#define OPERAND() Ld32(code + pc + 1)
#define PUSH(v) (sp -= 4, St32(stack + sp, static_cast<uint32_t>(v)))
#define POP() (sp += 4, Ld32(stack + sp - 4))
#define BINARY(expr)                                   \
    {                                                  \
        const uint32_t r = Ld32(stack + sp);           \
        const uint32_t l = Ld32(stack + sp + 4);       \
        sp += 4;                                       \
        St32(stack + sp, static_cast<uint32_t>(expr)); \
        pc += 1;                                       \
        NEXT_POPPED();                                 \
    }
#define FAULT(msg)    \
    {                 \
        Fault(msg);   \
        goto stopped; \
    }

    // Threaded dispatch: each handler jumps to the next through its own indirect jump.
    void* dispatch[256];
    for (void*& d : dispatch) d = &&L_default;
#define NORV_OP_DISPATCH(name, byte, mnemonic, operands) dispatch[byte] = &&L_##name;
    NORV_SCRIPT_OPCODES(NORV_OP_DISPATCH)
#undef NORV_OP_DISPATCH

// Every handler leaves 8 <= sp <= top for the next one: one that pushes can only break the
// lower bound, one that pops only the upper one, and one that does neither needs no check.
#define NEXT_WHEN(bad)                                                 \
    do {                                                               \
        if (__builtin_expect((bad) || --countdown == 0, 0)) goto slow; \
        goto* dispatch[code[pc]];                                      \
    } while (0)
#define NEXT() NEXT_WHEN(sp - 8 > top - 8)
#define NEXT_PUSHED() NEXT_WHEN(sp < 8)
#define NEXT_POPPED() NEXT_WHEN(sp > top)
#define NEXT_SAME() NEXT_WHEN(false)
    goto slow;
slow:
    if (sp - 8 > top - 8) {  // sp < 8 or sp > top
        if (sp < 8) {
            outcome = RunResult::kStackOverflow;
            goto stopped;
        }
        FAULT("Script stack underflow.");
    }
    if (countdown == 0) {
        countdown = kPollInterval;
        executed += kPollInterval;
        if (limits_.instructionBudget != 0 && executed >= limits_.instructionBudget) {
            outcome = RunResult::kBudget;
            goto stopped;
        }
        if (host_.BreakPressed()) {
            host_.NoSilent();
            host_.Refresh();
            outcome = RunResult::kInterrupted;
            goto stopped;
        }
    }
    goto* dispatch[code[pc]];

    // Each handler's label is written HANDLER(op), which counts it: with the dispatch table
    // above naming every opcode's label, the count after the last handler makes an opcode of
    // the list without a handler, or a handler without an opcode, fail to compile. The
    // handlers keep the layout of plain labels, which the formatter does not see in the macro.
#define HANDLER(name) L_##name : (void)__COUNTER__;
    static constexpr int kFirstHandler = __COUNTER__;
    // clang-format off
HANDLER(kAdd)
    BINARY(l + r)
HANDLER(kSub)
    BINARY(l - r)
HANDLER(kMul)
    BINARY(l * r)
HANDLER(kDiv)
HANDLER(kMod) {
    const int32_t r = S(Ld32(stack + sp));
    const int32_t l = S(Ld32(stack + sp + 4));
    if (r == 0) FAULT("Division by zero.");
    int32_t v;
    if (r == -1)
        v = code[pc] == uint8_t(Op::kDiv) ? S(0u - uint32_t(l)) : 0;
    else
        v = code[pc] == uint8_t(Op::kDiv) ? l / r : l % r;
    sp += 4;
    St32(stack + sp, static_cast<uint32_t>(v));
    pc += 1;
    NEXT_POPPED();
}
HANDLER(kCat) {
    const uint32_t a = Concat(Ld32(stack + sp + 4), Ld32(stack + sp));
    if (a == 0) goto stopped;
    sp += 4;
    St32(stack + sp, a);
    pc += 1;
    NEXT_POPPED();
}
HANDLER(kEq)
    BINARY(l == r)
HANDLER(kGe)
    BINARY(S(l) >= S(r))
HANDLER(kLe)
    BINARY(S(l) <= S(r))
HANDLER(kGt)
    BINARY(S(l) > S(r))
HANDLER(kLt)
    BINARY(S(l) < S(r))
HANDLER(kNe)
    BINARY(l != r)
HANDLER(kSEq)
HANDLER(kSGe)
HANDLER(kSLe)
HANDLER(kSGt)
HANDLER(kSLt)
HANDLER(kSNe) {
    std::string_view l, r;
    if (!View(Ld32(stack + sp + 4), l) || !View(Ld32(stack + sp), r))
        FAULT("Illegal memory access in the script.");
    const int c = CompareStrings(l, r);
    bool v = false;
    switch (static_cast<Op>(code[pc])) {
        case Op::kSEq:
            v = c == 0;
            break;
        case Op::kSGe:
            v = c >= 0;
            break;
        case Op::kSLe:
            v = c <= 0;
            break;
        case Op::kSGt:
            v = c > 0;
            break;
        case Op::kSLt:
            v = c < 0;
            break;
        default:
            v = c != 0;
            break;
    }
    sp += 4;
    St32(stack + sp, v ? 1u : 0u);
    pc += 1;
    NEXT_POPPED();
}
HANDLER(kLdg)
    PUSH(Ld32(data + OPERAND()));
    pc += 5;
    NEXT_PUSHED();
HANDLER(kLdgb)
    PUSH(data[OPERAND()]);
    pc += 5;
    NEXT_PUSHED();
HANDLER(kLdgw)
    PUSH(uint32_t(data[OPERAND()]) | uint32_t(data[OPERAND() + 1]) << 8);
    pc += 5;
    NEXT_PUSHED();
HANDLER(kPushA)
HANDLER(kPushA2)
    PUSH(kDataBase + OPERAND());
    pc += 5;
    NEXT_PUSHED();
HANDLER(kPushI)
    PUSH(OPERAND());
    pc += 5;
    NEXT_PUSHED();
HANDLER(kLdl) {
    const uint32_t a = fp + OPERAND();
    if (a > top - 4) FAULT("Illegal memory access in the script.");
    PUSH(Ld32(stack + a));
    pc += 5;
    NEXT_PUSHED();
}
HANDLER(kLdgx)
HANDLER(kLdgxb)
HANDLER(kLdgxw) {
    const uint32_t w = code[pc] == uint8_t(Op::kLdgx) ? 4 : code[pc] == uint8_t(Op::kLdgxw) ? 2 : 1;
    const int64_t a = int64_t(OPERAND()) + S(Ld32(stack + sp));
    if (a < 0 || a + w > dataSize) FAULT("Illegal memory access in the script.");
    const uint8_t* p = data + a;
    St32(stack + sp, w == 4 ? Ld32(p) : w == 2 ? uint32_t(p[0]) | uint32_t(p[1]) << 8 : p[0]);
    pc += 5;
    NEXT_SAME();
}
HANDLER(kAdrl)
    PUSH(kStackBase + fp + OPERAND());
    pc += 5;
    NEXT_PUSHED();
HANDLER(kLdlx) {
    const uint32_t a = fp + OPERAND() + Ld32(stack + sp);
    if (a > top - 4) FAULT("Illegal memory access in the script.");
    St32(stack + sp, Ld32(stack + a));
    pc += 5;
    NEXT_SAME();
}
HANDLER(kRsv)
    sp -= 4;
    pc += 1;
    NEXT_PUSHED();
HANDLER(kStg)
    St32(data + OPERAND(), POP());
    pc += 5;
    NEXT_POPPED();
HANDLER(kStgb)
    data[OPERAND()] = uint8_t(POP());
    pc += 5;
    NEXT_POPPED();
HANDLER(kStgw) {
    const uint32_t v = POP();
    data[OPERAND()] = uint8_t(v);
    data[OPERAND() + 1] = uint8_t(v >> 8);
    pc += 5;
    NEXT_POPPED();
}
HANDLER(kStl) {
    const uint32_t a = fp + OPERAND();
    if (a > top - 4) FAULT("Illegal memory access in the script.");
    St32(stack + a, POP());
    pc += 5;
    NEXT_POPPED();
}
HANDLER(kStgx)
HANDLER(kStgxb)
HANDLER(kStgxw) {
    const uint32_t w = code[pc] == uint8_t(Op::kStgx) ? 4 : code[pc] == uint8_t(Op::kStgxw) ? 2 : 1;
    const int64_t a = int64_t(OPERAND()) + S(POP());
    const uint32_t v = POP();
    if (a < 0 || a + w > dataSize) FAULT("Illegal memory access in the script.");
    uint8_t* p = data + a;
    if (w == 4)
        St32(p, v);
    else {
        p[0] = uint8_t(v);
        if (w == 2) p[1] = uint8_t(v >> 8);
    }
    pc += 5;
    NEXT_POPPED();
}
HANDLER(kStlx) {
    const uint32_t idx = POP();
    const uint32_t v = POP();
    const uint32_t a = fp + OPERAND() + idx;
    if (a > top - 4) FAULT("Illegal memory access in the script.");
    St32(stack + a, v);
    pc += 5;
    NEXT_POPPED();
}
HANDLER(kPop)
    sp += 4;
    pc += 1;
    NEXT_POPPED();
HANDLER(kSetRet)
    result_ = POP();
    pc += 1;
    NEXT_POPPED();
HANDLER(kSetRetS) {
    const uint32_t v = POP();
    StringHeap::Block* b = heap_.Find(v);
    const int32_t level = static_cast<int32_t>(levels_.size()) - 1;
    if (b != nullptr && b->level == level && level >= 1) {
        RemoveFromLevel(static_cast<size_t>(level), v);
        levels_[static_cast<size_t>(level - 1)].push_back(v);
        b->level = level - 1;
    }
    result_ = v;
    pc += 1;
    NEXT_POPPED();
}
HANDLER(kDup) {
    const uint32_t v = Ld32(stack + sp);
    PUSH(v);
    pc += 1;
    NEXT_PUSHED();
}
HANDLER(kSstg) {
    StoreString(data + OPERAND(), Ld32(stack + sp), false);
    sp += 4;
    if (faulted_) goto stopped;
    pc += 5;
    NEXT_POPPED();
}
HANDLER(kSstgx) {
    const int64_t a = int64_t(OPERAND()) + S(POP());
    if (a < 0 || a + 4 > dataSize) FAULT("Illegal memory access in the script.");
    StoreString(data + a, Ld32(stack + sp), false);
    sp += 4;
    if (faulted_) goto stopped;
    pc += 5;
    NEXT_POPPED();
}
HANDLER(kSstl)
HANDLER(kSstlx) {
    const bool indexed = code[pc] == uint8_t(Op::kSstlx);
    const uint32_t idx = indexed ? POP() : 0;
    const int32_t off = S(OPERAND() + idx);  // wraps as the machine does
    const uint32_t a = fp + static_cast<uint32_t>(off);
    if (a > top - 4) FAULT("Illegal memory access in the script.");
    // Slots above the saved frame pointer and return address are parameters.
    StoreString(stack + a, Ld32(stack + sp), off >= 8);
    sp += 4;
    if (faulted_) goto stopped;
    pc += 5;
    NEXT_POPPED();
}
HANDLER(kMove) {
    const uint32_t dst = POP(), src = POP(), n = POP();
    uint8_t* d = Resolve(dst, n);
    uint8_t* s = Resolve(src, n);
    if ((d == nullptr || s == nullptr) && n != 0) FAULT("Illegal memory access in the script.");
    if (n != 0) std::memmove(d, s, n);
    pc += 1;
    NEXT_POPPED();
}
HANDLER(kScpy) {
    const uint32_t dst = POP(), src = POP();
    if (!CopyString(dst, src)) goto stopped;
    pc += 1;
    NEXT_POPPED();
}
HANDLER(kSdup) {
    const uint32_t a = Concat(Ld32(stack + sp), 0);
    if (a == 0) goto stopped;
    St32(stack + sp, a);
    pc += 1;
    NEXT_SAME();
}
HANDLER(kLand)
    BINARY(l != 0 && r != 0)
HANDLER(kLor)
    BINARY(l != 0 || r != 0)
HANDLER(kLxor)
    BINARY((l != 0) != (r != 0))
HANDLER(kNeg)
    St32(stack + sp, 0u - Ld32(stack + sp));
    pc += 1;
    NEXT_SAME();
HANDLER(kLnot)
    St32(stack + sp, Ld32(stack + sp) == 0 ? 1u : 0u);
    pc += 1;
    NEXT_SAME();
HANDLER(kBand)
    BINARY(l & r)
HANDLER(kBor)
    BINARY(l | r)
HANDLER(kBxor)
    BINARY(l ^ r)
HANDLER(kCallU)
    PUSH(pc + 5);
    pc = OPERAND();
    result_ = 0;
    NEXT_PUSHED();
HANDLER(kRet) {
    const uint32_t n = OPERAND();
    const uint32_t ret = POP();
    if (sp > top || n > (top - sp) / 4) FAULT("Script stack underflow.");
    sp += 4 * n;
    PUSH(result_);
    if (ret == 0) {
        outcome = RunResult::kReturned;
        goto stopped;
    }
    if (ret >= code_.size() || codeStarts_[ret] == 0)
        FAULT("Illegal return address in the script.");
    pc = ret;
    NEXT();
}
HANDLER(kCallB) {
    // A copy, so that the stack pointer's address is never taken and it can stay in a
    // register through the whole loop.
    uint32_t callSp = sp;
    if (!CallBuiltin(OPERAND(), callSp) || faulted_) goto stopped;
    sp = callSp;
    pc += 5;
    NEXT();
}
HANDLER(kJmp)
    pc = OPERAND();
    NEXT_SAME();
HANDLER(kJnz)
    pc = POP() != 0 ? OPERAND() : pc + 5;
    NEXT_POPPED();
HANDLER(kJz)
    pc = POP() == 0 ? OPERAND() : pc + 5;
    NEXT_POPPED();
HANDLER(kEnter) {
    const uint32_t size = OPERAND();
    if (size > sp - 8 || sp - 8 - size < 8) {
        outcome = RunResult::kStackOverflow;
        goto stopped;
    }
    PUSH(fp);
    fp = sp;
    sp -= size;
    std::memset(stack + sp, 0, size);
    PushLevel();
    pc += 5;
    NEXT();
}
HANDLER(kLeave) {
    sp = fp;
    if (sp > top - 4) FAULT("Script stack underflow.");
    fp = POP();
    PopLevel();
    if (refreshPending_) {
        refreshPending_ = false;
        host_.Refresh();
    }
    pc += 1;
    NEXT();
}
HANDLER(kShl)
    BINARY(l << (r & 31))
HANDLER(kShr)
    BINARY(l >> (r & 31))
HANDLER(kChkx) {
    const int32_t v = S(Ld32(stack + sp));
    const int32_t count = S(OPERAND());
    if (v < 0 || v >= count) {
        char text[80];
        std::snprintf(text, sizeof text, "Array index out of range in line %d.",
                      S(Ld32(code + pc + 5)));
        FAULT(text);
    }
    pc += 9;
    NEXT_SAME();
}
HANDLER(kHalt)
    outcome = RunResult::kHalted;
    goto stopped;
HANDLER(kHold)
    NEXT_SAME();
L_default:
    pc += InstructionLength(code[pc]);
    NEXT();  // validated images hold none
    // clang-format on
    static_assert(__COUNTER__ - kFirstHandler - 1 == static_cast<int>(kOpCount),
                  "every opcode in NORV_SCRIPT_OPCODES needs exactly one HANDLER in Run()");

stopped:
#undef OPERAND
#undef PUSH
#undef POP
#undef BINARY
#undef FAULT
#undef HANDLER
#undef NEXT
#undef NEXT_WHEN
#undef NEXT_PUSHED
#undef NEXT_POPPED
#undef NEXT_SAME
    fp_ = fp;
    if (interrupted_ && !faulted_) {
        host_.NoSilent();
        host_.Refresh();
        outcome = RunResult::kInterrupted;
    }
    if (outcome == RunResult::kStackOverflow) {
        host_.ui().MessageBox("Stack overflow!!", platform::mb::kOk | platform::mb::kIconError);
    } else if (faulted_) {
        outcome = RunResult::kFault;
        host_.ui().MessageBox(faultMessage_, platform::mb::kOk | platform::mb::kIconError);
    }
    ReleaseAllLevels();
    --gRunning;
    running_ = false;
    return outcome;
}

}  // namespace norv::script
