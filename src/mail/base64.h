// Base64 with the standard alphabet and "=" padding, as mail uses it for encoded header words
// and as the configuration file uses it for the scrambled password.
//
// The decoder is lenient in the way mail readers are: characters outside the alphabet (line
// breaks, blanks) are skipped and decoding stops at the first "=", so any input decodes to some
// bytes and never to more than three quarters of its length.
#pragma once

#include <string>
#include <string_view>

namespace norv::mail {

// Appends the encoding of `bytes` to `out`.
void AppendBase64(std::string& out, std::string_view bytes);
std::string EncodeBase64(std::string_view bytes);

// Appends the decoded bytes of `text` to `out`; a last group of one character (which carries
// fewer than eight bits) gives nothing.
void AppendBase64Decoded(std::string& out, std::string_view text);
std::string DecodeBase64(std::string_view text);

}  // namespace norv::mail
