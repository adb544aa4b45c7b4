// The 32-bit script address space. Script values are 32-bit, so a string reference or the
// address of a variable is a script address, never a host pointer: the data segment, the stack
// and the string heap are regions of this space, and an address becomes memory only after the
// check that the bytes lie inside one region.
//
//   0                     null (reads as the empty string)
//   kDataBase   + offset  data segment (globals, literals)
//   kStackBase  + offset  stack
//   kHeapBase   + offset  string heap
#pragma once

#include <cstdint>

namespace norv::script {

inline constexpr uint32_t kDataBase = 0x01000000;
inline constexpr uint32_t kStackBase = 0x10000000;
inline constexpr uint32_t kHeapBase = 0x20000000;
inline constexpr uint32_t kDefaultHeapLimit = 256u << 20;
inline constexpr uint32_t kMaxHeapLimit = 0xFFFFFFFFu - kHeapBase;

}  // namespace norv::script
