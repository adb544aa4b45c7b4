// UCS-2 <-> UTF-8, and ANSI code-page text <-> UTF-8.
//
// Documents of the Unicode family hold UTF-8 in memory; UCS-2 files are converted line by line
// on load and save. A valid surrogate pair becomes one four-byte sequence and back; a lone
// surrogate is written as its own three-byte sequence so that a file holding one still saves
// byte for byte as it was read. The UTF-8 decoder keeps the editor's lenient reading (five- and
// six-byte patterns are decoded, overlong forms are not refused) but never yields a unit that
// UTF-16 cannot hold: anything above U+10FFFF becomes U+FFFD.
#include <bit>

#include "document/codec_bits.h"
#include "document/codecs.h"
#include "platform/code_page.h"

namespace norv::document {
namespace {

using namespace codec_bits;

constexpr char16_t kReplacement = 0xFFFD;

constexpr bool IsHighSurrogate(uint32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
constexpr bool IsLowSurrogate(uint32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// Writes one code point (at most U+10FFFF) as UTF-8; returns the bytes written.
inline size_t PutUtf8(uint8_t* o, uint32_t u) {
    if (u < 0x80) {
        o[0] = static_cast<uint8_t>(u);
        return 1;
    }
    if (u < 0x800) {
        o[0] = static_cast<uint8_t>(0xC0 | (u >> 6));
        o[1] = static_cast<uint8_t>(0x80 | (u & 0x3F));
        return 2;
    }
    if (u < 0x10000) {
        o[0] = static_cast<uint8_t>(0xE0 | (u >> 12));
        o[1] = static_cast<uint8_t>(0x80 | ((u >> 6) & 0x3F));
        o[2] = static_cast<uint8_t>(0x80 | (u & 0x3F));
        return 3;
    }
    o[0] = static_cast<uint8_t>(0xF0 | (u >> 18));
    o[1] = static_cast<uint8_t>(0x80 | ((u >> 12) & 0x3F));
    o[2] = static_cast<uint8_t>(0x80 | ((u >> 6) & 0x3F));
    o[3] = static_cast<uint8_t>(0x80 | (u & 0x3F));
    return 4;
}

// UTF-16 units (read through `unit(i)`) to UTF-8 appended to out. Each unit gives at most three
// bytes (a pair of two units gives four), so 3 * count bytes of room suffice.
template <typename UnitAt>
size_t AppendUnitsAsUtf8(std::string& out, size_t count, UnitAt unit) {
    const size_t start = out.size();
    out.resize(start + 3 * count);
    auto* const base = reinterpret_cast<uint8_t*>(out.data() + start);
    uint8_t* o = base;
    for (size_t i = 0; i < count; ++i) {
        uint32_t u = unit(i);
        if (IsHighSurrogate(u) && i + 1 < count && IsLowSurrogate(unit(i + 1))) {
            u = 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00u);
            ++i;
        }
        o += PutUtf8(o, u);
    }
    const auto written = static_cast<size_t>(o - base);
    out.resize(start + written);
    return written;
}

std::u16string& ScratchWide() {
    thread_local std::u16string wide;
    wide.clear();
    return wide;
}

}  // namespace

size_t Ucs2ToUtf8(std::string& out, const char* in, size_t nBytes, bool swap) {
    const auto* p = reinterpret_cast<const uint8_t*>(in);
    const size_t count = nBytes / 2;
    const size_t start = out.size();
    // ASCII units four at a time (the word test needs the host's byte order to be little).
    size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        const uint64_t mask = swap ? 0x80FF80FF80FF80FFull : 0xFF80FF80FF80FF80ull;
        const unsigned shift = swap ? 8 : 0;
        std::string& o = out;
        while (count - i >= 4) {
            const uint64_t x = Load8(p + 2 * i);
            if (x & mask) break;
            const char ascii[4] = {
                static_cast<char>(x >> shift), static_cast<char>(x >> (16 + shift)),
                static_cast<char>(x >> (32 + shift)), static_cast<char>(x >> (48 + shift))};
            o.append(ascii, 4);
            i += 4;
        }
    }
    const uint8_t* rest = p + 2 * i;
    if (swap) {
        AppendUnitsAsUtf8(out, count - i, [rest](size_t k) -> uint32_t {
            return (static_cast<uint32_t>(rest[2 * k]) << 8) | rest[2 * k + 1];
        });
    } else {
        AppendUnitsAsUtf8(out, count - i, [rest](size_t k) -> uint32_t {
            return rest[2 * k] | (static_cast<uint32_t>(rest[2 * k + 1]) << 8);
        });
    }
    return out.size() - start;
}

size_t Utf8ToUcs2(std::u16string& out, std::string_view in) {
    const size_t start = out.size();
    // A byte never gives more than one unit except a four-byte sequence (two units).
    out.resize(start + in.size());
    char16_t* const base = out.data() + start;
    char16_t* o = base;
    const auto* p = reinterpret_cast<const uint8_t*>(in.data());
    const size_t n = in.size();
    size_t i = 0;
    while (i < n) {
        while (n - i >= 8) {
            const uint64_t x = Load8(p + i);
            if (x & kHighBits) break;
            for (int k = 0; k < 8; ++k) o[k] = p[i + static_cast<size_t>(k)];
            o += 8;
            i += 8;
        }
        if (i == n) break;
        const uint8_t b = p[i];
        if (b < 0x80) {
            *o++ = b;
            ++i;
            continue;
        }
        // The leading one bits give the length: 2 to 6. A stray continuation byte (one leading
        // one) and 0xFE/0xFF fit no pattern and are dropped.
        const int ones = std::countl_one(b);
        if (ones < 2 || ones > 6) {
            ++i;
            continue;
        }
        const auto len = static_cast<size_t>(ones);
        uint32_t u = b & (0x7Fu >> ones);
        size_t k = 1;
        while (k < len && i + k < n && (p[i + k] & 0xC0) == 0x80) {
            u = (u << 6) | (p[i + k] & 0x3Fu);
            ++k;
        }
        if (k < len) {
            // A broken or cut sequence is dropped; the byte that broke it starts the next
            // character (it may be a line feed or a valid lead byte).
            i += k;
            continue;
        }
        i += len;
        if (u < 0x10000) {
            *o++ = static_cast<char16_t>(u);
        } else if (u <= 0x10FFFF) {
            u -= 0x10000;
            *o++ = static_cast<char16_t>(0xD800 + (u >> 10));
            *o++ = static_cast<char16_t>(0xDC00 + (u & 0x3FF));
        } else {
            *o++ = kReplacement;
        }
    }
    const auto units = static_cast<size_t>(o - base);
    out.resize(start + units);
    return units;
}

size_t AnsiToUtf8(std::string& out, std::string_view in, int codePage) {
    // The code-page tables hold BMP units only, so the one-step conversion gives the same bytes
    // as going through UTF-16 and Ucs2ToUtf8.
    const size_t start = out.size();
    platform::AppendMultiByteAsUtf8(codePage, in, out);
    return out.size() - start;
}

size_t Utf8ToAnsi(std::string& out, std::string_view in, int codePage) {
    if (codePage == platform::kCodePageUtf8 || codePage == platform::kCodePageUtf8Internal) {
        out.append(in);
        return in.size();
    }
    const size_t start = out.size();
    std::u16string& wide = ScratchWide();
    Utf8ToUcs2(wide, in);
    platform::AppendWideAsMultiByte(codePage, wide, out);
    return out.size() - start;
}

}  // namespace norv::document
