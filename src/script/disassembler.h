// A readable listing of a compiled image, for tests (golden listings) and debugging: the header
// fields, one line per instruction with its code offset, and the data segment's strings.
#pragma once

#include <string>
#include <string_view>

namespace norv::script {

// The listing of `image`; an image that does not decode lists up to the first bad byte and
// says so.
std::string Disassemble(std::string_view image);

}  // namespace norv::script
