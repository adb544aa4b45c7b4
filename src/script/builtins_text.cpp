// String and character built-ins. Byte-counting functions (LEFT, RIGHT, MID, INSTR) never cut
// a double-byte character in two; the MB forms count characters. Lead bytes are those of the
// system code page; a lead byte at the very end of a string is a character of its own.
#include <cstdio>
#include <cstring>
#include <string>

#include "document/codecs.h"
#include "platform/code_page.h"
#include "platform/width_map.h"
#include "script/builtins.h"
#include "script/interpreter.h"
#include "script/name_tables.h"

namespace norv::script {

namespace {

int32_t S(uint32_t v) {
    return static_cast<int32_t>(v);
}

size_t CharLen(const std::string& s, size_t i) {
    return platform::IsLeadByte(platform::SystemCodePage(), static_cast<uint8_t>(s[i])) &&
                   i + 1 < s.size()
               ? 2
               : 1;
}

// The byte offset of character number `chars` (or the end).
size_t ByteOfChar(const std::string& s, size_t chars) {
    size_t i = 0;
    while (chars > 0 && i < s.size()) {
        i += CharLen(s, i);
        --chars;
    }
    return i;
}

size_t CharCount(const std::string& s) {
    size_t n = 0;
    for (size_t i = 0; i < s.size(); i += CharLen(s, i)) ++n;
    return n;
}

// The longest prefix of [from, ...) of at most n bytes that ends on a character boundary.
size_t TakeBytes(const std::string& s, size_t from, size_t n) {
    size_t i = from;
    while (i < s.size()) {
        const size_t len = CharLen(s, i);
        if (i + len - from > n) break;
        i += len;
    }
    return i - from;
}

std::string Mid(const std::string& s, int32_t start, int32_t n) {
    if (start <= 0) start = 1;
    if (n < 0) return {};
    if (n == 0) n = 16384;
    const size_t want = static_cast<size_t>(start - 1);
    if (want >= s.size()) return {};
    size_t i = 0;
    while (i < want) i += CharLen(s, i);  // a start inside a character moves past it
    if (i >= s.size()) return {};
    return s.substr(i, TakeBytes(s, i, static_cast<size_t>(n)));
}

// 1-based byte position of `part` found at character boundaries, or 0.
size_t Find(const std::string& s, const std::string& part) {
    if (part.empty()) return 0;
    for (size_t i = 0; i + part.size() <= s.size(); i += CharLen(s, i))
        if (s.compare(i, part.size(), part) == 0) return i + 1;
    return 0;
}

std::string CaseMap(const std::string& s, bool upper) {
    std::string out = s;
    for (size_t i = 0; i < out.size();) {
        const size_t len = CharLen(out, i);
        if (len == 1) {
            char& c = out[i];
            if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        }
        i += len;
    }
    return out;
}

bool Blank(char c) {
    return c == ' ' || c == '\t';
}

int32_t Val(const std::string& s) {
    size_t i = 0;
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) {
        uint32_t v = 0;
        for (i = 2; i < s.size(); ++i) {
            const char c = s[i];
            int d = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
            if (d < 0) break;
            v = v * 16u + static_cast<uint32_t>(d);
        }
        return S(v);
    }
    std::string t;
    for (char c : s)
        if (c != ',') t.push_back(c);
    i = 0;
    while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
    uint32_t v = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i)
        v = v * 10u + static_cast<uint32_t>(t[i] - '0');
    return S(negative ? 0u - v : v);
}

// Half-width to full-width, and back, in the system code page.
std::string HanToZen(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size();) {
        const size_t len = CharLen(s, i);
        if (len == 1) {
            int consumed = 1;
            const int next = i + 1 < s.size() ? static_cast<uint8_t>(s[i + 1]) : -1;
            const uint16_t z =
                platform::HalfToFullWidth(static_cast<uint8_t>(s[i]), next, &consumed);
            if (z != 0) {
                out.push_back(static_cast<char>(z >> 8));
                out.push_back(static_cast<char>(z & 0xFF));
                i += static_cast<size_t>(consumed);
                continue;
            }
        }
        out.append(s, i, len);
        i += len;
    }
    return out;
}

std::string ZenToHan(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size();) {
        const size_t len = CharLen(s, i);
        if (len == 2) {
            uint8_t half[2];
            const uint16_t code = static_cast<uint16_t>(static_cast<uint8_t>(s[i]) << 8 |
                                                        static_cast<uint8_t>(s[i + 1]));
            const size_t n = platform::FullToHalfWidth(code, half);
            if (n != 0) {
                out.append(reinterpret_cast<const char*>(half), n);
                i += 2;
                continue;
            }
        }
        out.append(s, i, len);
        i += len;
    }
    return out;
}

}  // namespace

bool CallTextBuiltin(int id, const uint32_t* a, Runtime& rt) {
    auto str = [&](int i) { return rt.ArgString(a[i]); };
    auto ret = [&](const std::string& s) { rt.SetResult(rt.MakeString(s)); };
    const int cp = platform::SystemCodePage();
    switch (id) {
        case BuiltinId("ABS"):
            rt.SetResult(S(a[0]) < 0 ? 0u - a[0] : a[0]);
            return true;
        case BuiltinId("ASC"): {
            const std::string s = str(0);
            if (s.empty())
                rt.SetResult(0);
            else if (CharLen(s, 0) == 2)
                rt.SetResult(uint32_t(uint8_t(s[0])) << 8 | uint8_t(s[1]));
            else
                rt.SetResult(uint8_t(s[0]));
            return true;
        }
        case BuiltinId("CHR"): {
            std::string s;
            if (a[0] > 255) s.push_back(static_cast<char>((a[0] >> 8) & 0xFF));
            s.push_back(static_cast<char>(a[0] & 0xFF));
            ret(s);
            return true;
        }
        case BuiltinId("HEX"): {
            char b[16];
            std::snprintf(b, sizeof b, "%x", a[0]);
            ret(b);
            return true;
        }
        case BuiltinId("STR"): {
            char b[16];
            std::snprintf(b, sizeof b, "%d", S(a[0]));
            ret(b);
            return true;
        }
        case BuiltinId("VAL"):
            rt.SetResult(static_cast<uint32_t>(Val(str(0))));
            return true;
        case BuiltinId("SPACE"): {
            // Filled in place: a long run of blanks needs no host copy, and one beyond the heap's
            // limit stops the script with the out-of-memory message.
            const uint32_t n = S(a[0]) > 0 ? a[0] : 0;
            const uint32_t addr = rt.MakeBuffer(n + 1);
            if (uint8_t* p = addr != 0 ? rt.Resolve(addr, n + 1) : nullptr) std::memset(p, ' ', n);
            rt.SetResult(addr);
            return true;
        }
        case BuiltinId("LEN"):
            rt.SetResult(static_cast<uint32_t>(str(0).size()));
            return true;
        case BuiltinId("LENMB"):
            rt.SetResult(static_cast<uint32_t>(CharCount(str(0))));
            return true;
        case BuiltinId("LEFT"): {
            const std::string s = str(0);
            ret(S(a[1]) <= 0 ? std::string() : s.substr(0, TakeBytes(s, 0, a[1])));
            return true;
        }
        case BuiltinId("LEFTMB"): {
            const std::string s = str(0);
            ret(S(a[1]) <= 0 ? std::string() : s.substr(0, ByteOfChar(s, a[1])));
            return true;
        }
        case BuiltinId("RIGHT"): {
            const std::string s = str(0);
            if (S(a[1]) <= 0) {
                ret({});
                return true;
            }
            const size_t from = a[1] >= s.size() ? 0 : s.size() - a[1];
            size_t i = 0;
            while (i < from) i += CharLen(s, i);
            ret(s.substr(i));
            return true;
        }
        case BuiltinId("RIGHTMB"): {
            const std::string s = str(0);
            const size_t total = CharCount(s);
            if (S(a[1]) <= 0) {
                ret({});
                return true;
            }
            ret(a[1] >= total ? s : s.substr(ByteOfChar(s, total - a[1])));
            return true;
        }
        case BuiltinId("MID"):
            ret(Mid(str(0), S(a[1]), S(a[2])));
            return true;
        case BuiltinId("MIDMB"): {
            const std::string s = str(0);
            int32_t start = S(a[1]) <= 0 ? 1 : S(a[1]);
            int32_t n = S(a[2]);
            if (n < 0) {
                ret({});
                return true;
            }
            const size_t from = ByteOfChar(s, static_cast<size_t>(start - 1));
            if (from >= s.size()) {
                ret({});
                return true;
            }
            const size_t to =
                from + ByteOfChar(s.substr(from), n == 0 ? 16384 : static_cast<size_t>(n));
            ret(s.substr(from, to - from));
            return true;
        }
        case BuiltinId("INSTR"):
            rt.SetResult(static_cast<uint32_t>(Find(str(0), str(1))));
            return true;
        case BuiltinId("INSTRMB"): {
            const std::string s = str(0);
            const size_t pos = Find(s, str(1));
            rt.SetResult(pos == 0 ? 0u
                                  : static_cast<uint32_t>(CharCount(s.substr(0, pos - 1)) + 1));
            return true;
        }
        case BuiltinId("LCASE"):
            ret(CaseMap(str(0), false));
            return true;
        case BuiltinId("UCASE"):
            ret(CaseMap(str(0), true));
            return true;
        case BuiltinId("LTRIM"):
        case BuiltinId("RTRIM"):
        case BuiltinId("TRIM"): {
            const std::string s = str(0);
            size_t b = 0, e = s.size();
            if (id != BuiltinId("RTRIM"))
                while (b < e && Blank(s[b])) ++b;
            if (id != BuiltinId("LTRIM"))
                while (e > b && Blank(s[e - 1])) --e;
            ret(s.substr(b, e - b));
            return true;
        }
        case BuiltinId("RGB"):
            rt.SetResult((a[0] & 255) | (a[1] & 255) << 8 | (a[2] & 255) << 16);
            return true;
        case BuiltinId("LODB"): {
            const uint32_t extent = rt.StringExtent(a[0]);
            const uint8_t* p = S(a[1]) >= 0 && a[1] < extent ? rt.Resolve(a[0] + a[1], 1) : nullptr;
            rt.SetResult(p != nullptr ? *p : 0u);
            return true;
        }
        case BuiltinId("STOB"): {
            const uint32_t extent = rt.StringExtent(a[0]);
            const uint32_t n = a[2] > 255 ? 2 : 1;
            uint8_t* p =
                S(a[1]) >= 0 && uint64_t(a[1]) + n <= extent ? rt.Resolve(a[0] + a[1], n) : nullptr;
            if (p == nullptr) {
                rt.Fault("Illegal memory access in the script (STOB outside its string).");
                return true;
            }
            p[0] = static_cast<uint8_t>(a[2]);
            if (n == 2) p[1] = static_cast<uint8_t>(a[2] >> 8);
            return true;
        }
        case BuiltinId("ALLOC"):
            // Only the size is popped; the buffer is size + 10 bytes, zeroed.
            rt.SetResult(S(a[0]) < 0 ? 0u : rt.MakeBuffer(a[0] + 10));
            return true;
        case BuiltinId("THROWAWAY"):
            rt.Release(a[0]);
            return true;
        case BuiltinId("ISKANJI"):
            rt.SetResult(a[0] <= 255 && platform::IsLeadByte(cp, static_cast<uint8_t>(a[0])) ? 1
                                                                                             : 0);
            return true;
        case BuiltinId("SJISTOJIS"):
            rt.SetResult(document::SjisToJisCode(static_cast<uint16_t>(a[0])));
            return true;
        case BuiltinId("JISTOSJIS"):
            rt.SetResult(document::JisToSjisCode(static_cast<uint16_t>(a[0])));
            return true;
        case BuiltinId("SJISTOEUC"): {
            const uint16_t j = document::SjisToJisCode(static_cast<uint16_t>(a[0]));
            rt.SetResult(j == 0 ? 0u : (j | 0x8080u));
            return true;
        }
        case BuiltinId("EUCTOSJIS"):
            rt.SetResult(document::JisToSjisCode(static_cast<uint16_t>(a[0] & 0x7F7F)));
            return true;
        case BuiltinId("JISTOEUC"):
            rt.SetResult(a[0] | 0x8080u);
            return true;
        case BuiltinId("EUCTOJIS"):
            rt.SetResult(a[0] & ~0x8080u);
            return true;
        case BuiltinId("HANTOZEN"):
            ret(cp == 932 ? HanToZen(str(0)) : str(0));
            return true;
        case BuiltinId("ZENTOHAN"):
            ret(cp == 932 ? ZenToHan(str(0)) : str(0));
            return true;
        default:
            return false;
    }
}

}  // namespace norv::script
