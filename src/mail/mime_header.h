// Header lines of Japanese mail: MIME encoded words ("=?charset?encoding?text?=") in and out.
//
// Decoding replaces each well-formed encoded word by its text: encoding "B" (exactly that
// letter) is base64-decoded, any other encoding leaves the text as it stands; a charset of
// "ISO-2022-JP" (in any case) is then converted to Shift-JIS. A word is well-formed when its
// charset (at most 40 bytes), its encoding (at most 10) and its text (at most 4096) each end at
// a "?" and the text's "?" is followed by "=". Anything else, a cut or overlong word included,
// is copied as it stands, so a subject that merely contains "=?" keeps its text. White space
// between two adjacent encoded words is dropped, as mail readers do. The result is never
// longer than the input.
//
// Encoding converts the line to ISO-2022-JP and replaces every run from a designation to two
// bytes up to and including the following designation back by "=?ISO-2022-JP?B?", the run in
// base64, and "?=". A line without double-byte characters is unchanged.
#pragma once

#include <string>
#include <string_view>

namespace norv::mail {

inline constexpr size_t kMaxCharsetLength = 40;
inline constexpr size_t kMaxEncodingLength = 10;
inline constexpr size_t kMaxEncodedTextLength = 4096;

void AppendDecodedHeader(std::string& out, std::string_view line, int codePage);
std::string DecodeHeader(std::string_view line, int codePage);

void AppendEncodedHeader(std::string& out, std::string_view line, int codePage);
std::string EncodeHeader(std::string_view line, int codePage);

}  // namespace norv::mail
