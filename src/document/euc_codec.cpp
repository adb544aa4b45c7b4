// EUC-JP <-> Shift-JIS.
//
// EUC-JP carries JIS X 0208 as byte pairs 0xA1-0xFE, half-width katakana after 0x8E, and JIS X
// 0212 (three bytes from 0x8F), which the ANSI code page lacks and which therefore becomes the
// full-width question mark. Decoding never lengthens the text. Both bytes of a pair must have the
// top bit: a Shift-JIS line (trail bytes 0x40-0x7E) is then rejected instead of being read as EUC,
// and a line feed can never be taken as half of a character.
#include <cassert>
#include <cstring>

#include "document/codec_bits.h"
#include "document/codecs.h"
#include "platform/sjis_jis_tables.h"

namespace norv::document {
namespace {

using namespace codec_bits;
using namespace platform;  // the JIS arithmetic and tables shared with the mail library

constexpr uint8_t kSingleShift2 = 0x8E;  // half-width katakana follows
constexpr uint8_t kSingleShift3 = 0x8F;  // a JIS X 0212 pair follows

constexpr bool IsEucByte(unsigned b) {
    return b - 0xA1u < 0x5Eu;
}
constexpr bool IsHalfKana(unsigned b) {
    return b >= 0xA1 && b <= 0xDF;
}
constexpr bool IsSjisLead(unsigned b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

}  // namespace

int EucToSjis(char* out, const char* in, size_t n, size_t* outLen) {
    const auto* p = reinterpret_cast<const uint8_t*>(in);
    const uint8_t* const end = p + n;
    auto* const base = reinterpret_cast<uint8_t*>(out);
    uint8_t* o = base;
    int result = 0;
    while (p < end) {
        while (end - p >= 8) {
            uint64_t x = Load8(p);
            if (x & kHighBits) break;
            Store8(o, x);
            p += 8;
            o += 8;
        }
        while (p < end && *p < 0x80) *o++ = *p++;
        // Runs of kanji are the common case of Japanese text.
        while (end - p >= 2 && IsEucByte(p[0]) && IsEucByte(p[1])) {
            std::memcpy(o, kSjisPairs.bytes[(p[0] - 0xA1u) * 94 + (p[1] - 0xA1u)], 2);
            o += 2;
            p += 2;
            result = 1;
        }
        if (p == end || *p < 0x80) continue;
        const uint8_t b = *p;
        if (b == kSingleShift2 && end - p >= 2 && IsHalfKana(p[1])) {
            *o++ = p[1];
            p += 2;
            result = 1;
        } else if (b == kSingleShift3 && end - p >= 3 && IsEucByte(p[1]) && IsEucByte(p[2])) {
            *o++ = 0x81;  // "？"
            *o++ = 0x48;
            p += 3;
            result = 1;
        } else {
            *outLen = static_cast<size_t>(o - base);
            return -1;
        }
    }
    *outLen = static_cast<size_t>(o - base);
    assert(*outLen <= n && "decoding EUC-JP never lengthens the text");
    return result;
}

int SjisToEuc(std::string& out, std::string_view in) {
    const size_t start = out.size();
    // Every input byte gives at most two output bytes (a half-width kana gains 0x8E).
    out.resize(start + 2 * in.size());
    auto* const base = reinterpret_cast<uint8_t*>(out.data() + start);
    uint8_t* o = base;
    const auto* p = reinterpret_cast<const uint8_t*>(in.data());
    const uint8_t* const end = p + in.size();
    int result = 0;
    while (p < end) {
        while (end - p >= 8) {
            uint64_t x = Load8(p);
            if (x & kHighBits) break;
            Store8(o, x);
            p += 8;
            o += 8;
        }
        // Runs of kanji and kana of JIS X 0208 (leads up to 0xEF).
        while (end - p >= 2) {
            const uint16_t jis = SjisBytesToJis(p[0], p[1]);
            if (jis == 0) break;
            o[0] = static_cast<uint8_t>((jis >> 8) | 0x80);
            o[1] = static_cast<uint8_t>((jis & 0xFF) | 0x80);
            o += 2;
            p += 2;
            result = 1;
        }
        if (p == end) break;
        const uint8_t b = *p;
        if (b < 0x80) {
            *o++ = b;
            ++p;
        } else if (IsHalfKana(b)) {
            *o++ = kSingleShift2;
            *o++ = b;
            ++p;
        } else if (uint16_t jis = (IsSjisLead(b) && end - p >= 2) ? SjisBytesToJis(b, p[1]) : 0) {
            *o++ = static_cast<uint8_t>((jis >> 8) | 0x80);
            *o++ = static_cast<uint8_t>((jis & 0xFF) | 0x80);
            p += 2;
            result = 1;
        } else {
            result = -1;
            break;
        }
    }
    out.resize(start + static_cast<size_t>(o - base));
    return result;
}

}  // namespace norv::document
