// Code-page tables filled from iconv, and the system code page of the run.
//
// A forward table maps every single byte and every lead/trail pair to one UTF-16 unit; the
// reverse table maps every BMP code point to the code page's choice for it (iconv's choice, so
// that duplicates such as the NEC and IBM forms of the same character come out as Windows writes
// them). Tables are built once per code page on first use and kept for the run.
#include "platform/code_page.h"

#include <iconv.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <array>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace norv::platform {
namespace {

constexpr char16_t kUnmapped = 0xFFFF;

int g_codePage = 0;

struct CodePageTables {
    int codePage = 0;
    // Index: single byte b, or (lead << 8 | trail). Only meaningful entries are filled.
    std::array<char16_t, 65536> toWide{};
    bool reverseBuilt = false;
    std::array<uint16_t, 65536> fromWide{};
};

// Converts `in` with an open descriptor; returns false when iconv refused any of it.
bool ConvertOnce(iconv_t cd, const char* in, size_t inLen, char* out, size_t outCap,
                 size_t* outLen) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in);
    char* dst = out;
    size_t left = inLen;
    size_t room = outCap;
    size_t r = iconv(cd, &src, &left, &dst, &room);
    if (r == static_cast<size_t>(-1) || left != 0) return false;
    // Flush any shift state (none for the code pages used here).
    iconv(cd, nullptr, nullptr, &dst, &room);
    *outLen = outCap - room;
    return true;
}

std::unique_ptr<CodePageTables> BuildForward(int codePage) {
    auto t = std::make_unique<CodePageTables>();
    t->codePage = codePage;
    t->toWide.fill(kUnmapped);
    std::string name = IconvName(codePage);
    iconv_t cd = iconv_open("UTF-16LE", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // Unknown code page: Latin-1 behaviour, every byte is its own code point.
        for (unsigned b = 0; b < 256; ++b) t->toWide[b] = static_cast<char16_t>(b);
        return t;
    }
    auto decode = [&](const char* in, size_t n) -> char16_t {
        char out[16];
        size_t len = 0;
        if (!ConvertOnce(cd, in, n, out, sizeof out, &len) || len != 2) return kUnmapped;
        return static_cast<char16_t>(static_cast<uint8_t>(out[0]) |
                                     (static_cast<uint8_t>(out[1]) << 8));
    };
    for (unsigned b = 0; b < 256; ++b) {
        if (IsLeadByte(codePage, static_cast<uint8_t>(b))) continue;
        char c = static_cast<char>(b);
        t->toWide[b] = decode(&c, 1);
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLeadByte(codePage, static_cast<uint8_t>(lead))) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            t->toWide[(lead << 8) | trail] = decode(pair, 2);
        }
    }
    iconv_close(cd);
    return t;
}

void BuildReverse(CodePageTables& t) {
    t.fromWide.fill(0xFFFF);
    std::string name = IconvName(t.codePage);
    iconv_t cd = iconv_open(name.c_str(), "UTF-16LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        for (unsigned u = 0; u < 256; ++u) t.fromWide[u] = static_cast<uint16_t>(u);
        t.reverseBuilt = true;
        return;
    }
    for (unsigned u = 0; u < 0x10000; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF) continue;
        char in[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        char out[16];
        size_t len = 0;
        if (!ConvertOnce(cd, in, 2, out, sizeof out, &len)) continue;
        if (len == 1) {
            t.fromWide[u] = static_cast<uint8_t>(out[0]);
        } else if (len == 2 && IsLeadByte(t.codePage, static_cast<uint8_t>(out[0]))) {
            t.fromWide[u] = static_cast<uint16_t>((static_cast<uint8_t>(out[0]) << 8) |
                                                  static_cast<uint8_t>(out[1]));
        }
    }
    iconv_close(cd);
    t.reverseBuilt = true;
}

std::mutex g_tablesMutex;
std::map<int, std::unique_ptr<CodePageTables>>& TableMap() {
    static std::map<int, std::unique_ptr<CodePageTables>> m;
    return m;
}

CodePageTables& Tables(int codePage) {
    std::lock_guard<std::mutex> lock(g_tablesMutex);
    auto& m = TableMap();
    auto it = m.find(codePage);
    if (it == m.end()) it = m.emplace(codePage, BuildForward(codePage)).first;
    return *it->second;
}

CodePageTables& ReverseTables(int codePage) {
    CodePageTables& t = Tables(codePage);
    std::lock_guard<std::mutex> lock(g_tablesMutex);
    if (!t.reverseBuilt) BuildReverse(t);
    return t;
}

void AppendUtf8AsWide(std::string_view text, std::u16string& out) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        auto b = static_cast<uint8_t>(text[i]);
        uint32_t cp;
        size_t len;
        if (b < 0x80) {
            cp = b;
            len = 1;
        } else if (b >= 0xC2 && b <= 0xDF) {
            cp = b & 0x1Fu;
            len = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            cp = b & 0x0Fu;
            len = 3;
        } else if (b >= 0xF0 && b <= 0xF4) {
            cp = b & 0x07u;
            len = 4;
        } else {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (i + len > n) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        bool ok = true;
        for (size_t k = 1; k < len; ++k) {
            auto c = static_cast<uint8_t>(text[i + k]);
            if ((c & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (c & 0x3Fu);
        }
        if (!ok) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
}

void AppendWideAsUtf8(std::u16string_view text, std::string& out) {
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            u = 0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        }
        if (u < 0x80) {
            out.push_back(static_cast<char>(u));
        } else if (u < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (u >> 6)));
            out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        } else if (u < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (u >> 12)));
            out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (u >> 18)));
            out.push_back(static_cast<char>(0x80 | ((u >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        }
    }
}

}  // namespace

std::string IconvName(int codePage) {
    if (codePage == kCodePageUtf8 || codePage == kCodePageUtf8Internal) return "UTF-8";
    return "CP" + std::to_string(codePage);
}

int CodePageFromEnvironment() {
    if (const char* acp = std::getenv("NORV_ACP"); acp && *acp) {
        char* end = nullptr;
        long v = std::strtol(acp, &end, 10);
        if (end != acp && *end == '\0' && v > 0 && v < 65536) return static_cast<int>(v);
    }
    for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) return std::strncmp(v, "ja", 2) == 0 ? 932 : 1252;
    }
    return 1252;
}

int SystemCodePage() {
    if (g_codePage == 0) g_codePage = CodePageFromEnvironment();
    return g_codePage;
}

bool SetSystemCodePage(int codePage) {
    if (g_codePage != 0 && g_codePage != codePage) return false;
    g_codePage = codePage;
    return true;
}

char16_t DecodeChar(int codePage, uint16_t code) {
    return Tables(codePage).toWide[code];
}

uint16_t EncodeChar(int codePage, char16_t unit) {
    return ReverseTables(codePage).fromWide[unit];
}

void AppendMultiByteAsWide(int codePage, std::string_view text, std::u16string& out) {
    if (codePage == kCodePageUtf8 || codePage == kCodePageUtf8Internal) {
        AppendUtf8AsWide(text, out);
        return;
    }
    const CodePageTables& t = Tables(codePage);
    const size_t n = text.size();
    out.reserve(out.size() + n);
    for (size_t i = 0; i < n; ++i) {
        auto b = static_cast<uint8_t>(text[i]);
        if (IsLeadByte(codePage, b) && i + 1 < n) {
            auto trail = static_cast<uint8_t>(text[i + 1]);
            char16_t u = t.toWide[static_cast<size_t>((b << 8) | trail)];
            if (u != kUnmapped) {
                out.push_back(u);
                ++i;
                continue;
            }
        }
        char16_t u = t.toWide[b];
        out.push_back(u == kUnmapped ? u'\uFFFD' : u);
    }
}

size_t AsciiPrefix(std::string_view text, bool stopAtCr) {
    constexpr uint64_t kHigh = 0x8080808080808080ull;
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    const char* p = text.data();
    const size_t n = text.size();
    size_t i = 0;
#ifdef __SSE2__
    // Sixteen bytes at a time where the processor has vectors (every x86-64 has these): the
    // high bits of the bytes and, with `stopAtCr`, the bytes equal to CR, as bit masks.
    const __m128i cr = _mm_set1_epi8('\r');
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        int stop = _mm_movemask_epi8(v);
        if (stopAtCr) stop |= _mm_movemask_epi8(_mm_cmpeq_epi8(v, cr));
        if (stop) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(stop)));
    }
#endif
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        uint64_t stop = w & kHigh;
        if (stopAtCr) {
            // A zero byte of w ^ "\r\r..." is a CR (the usual test for a zero byte; it may flag a
            // byte above a real CR too, which the byte loop below sorts out).
            const uint64_t x = w ^ (kOnes * '\r');
            stop |= (x - kOnes) & ~x & kHigh;
        }
        if (stop) break;
    }
    for (; i < n; ++i) {
        const auto b = static_cast<uint8_t>(p[i]);
        if (b >= 0x80 || (stopAtCr && b == '\r')) break;
    }
    return i;
}

void AppendMultiByteAsUtf8(int codePage, std::string_view text, std::string& out) {
    if (codePage == kCodePageUtf8 || codePage == kCodePageUtf8Internal) {
        out.append(text);
        return;
    }
    const CodePageTables& t = Tables(codePage);
    const size_t n = text.size();
    size_t at = out.size();
    out.resize(at + n * 3);  // no character grows beyond three bytes
    char* o = out.data() + at;
    const auto* p = reinterpret_cast<const uint8_t*>(text.data());
    for (size_t i = 0; i < n; ++i) {
        uint8_t b = p[i];
        if (b < 0x80) {
            *o++ = static_cast<char>(b);
            continue;
        }
        char16_t u = kUnmapped;
        if (IsLeadByte(codePage, b) && i + 1 < n) {
            u = t.toWide[static_cast<size_t>((b << 8) | p[i + 1])];
            if (u != kUnmapped) ++i;
        }
        if (u == kUnmapped) u = t.toWide[b];
        if (u == kUnmapped) u = 0xFFFD;
        if (u < 0x80) {
            *o++ = static_cast<char>(u);
        } else if (u < 0x800) {
            *o++ = static_cast<char>(0xC0 | (u >> 6));
            *o++ = static_cast<char>(0x80 | (u & 0x3F));
        } else {
            *o++ = static_cast<char>(0xE0 | (u >> 12));
            *o++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            *o++ = static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    out.resize(static_cast<size_t>(o - out.data()));
}

std::u16string MultiByteToWide(int codePage, std::string_view text) {
    std::u16string out;
    AppendMultiByteAsWide(codePage, text, out);
    return out;
}

void AppendWideAsMultiByte(int codePage, std::u16string_view text, std::string& out, bool* lossy) {
    if (codePage == kCodePageUtf8 || codePage == kCodePageUtf8Internal) {
        AppendWideAsUtf8(text, out);
        return;
    }
    const CodePageTables& t = ReverseTables(codePage);
    out.reserve(out.size() + text.size() * 2);
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t u = text[i];
        // A surrogate pair is one character that no code page here has: one "?".
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            ++i;
        uint16_t c = (u >= 0xD800 && u <= 0xDFFF) ? 0xFFFF : t.fromWide[u];
        if (c == 0xFFFF) {
            out.push_back('?');
            if (lossy) *lossy = true;
        } else if (c < 0x100) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(c >> 8));
            out.push_back(static_cast<char>(c & 0xFF));
        }
    }
}

std::string WideToMultiByte(int codePage, std::u16string_view text, bool* lossy) {
    std::string out;
    AppendWideAsMultiByte(codePage, text, out, lossy);
    return out;
}

}  // namespace norv::platform
