// Texts written into buffers that a script made: never more than the buffer holds, never a
// double-byte character cut in half, always a terminating zero byte.
#pragma once

#include <cstddef>
#include <string_view>

namespace norv::mail {

// The longest prefix of `text` of at most `max` bytes that ends at a character boundary of the
// code page.
size_t FitLength(std::string_view text, size_t max, int codePage);

// Writes as much of `text` as fits into `buf` of `size` bytes (the zero byte included); returns
// true when all of it fitted. Nothing is written when `buf` is null or `size` is 0.
bool CopyToBuffer(char* buf, size_t size, std::string_view text, int codePage);

}  // namespace norv::mail
