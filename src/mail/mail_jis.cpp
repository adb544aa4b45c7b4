// The mail's JIS conversions over the editor's shared JIS arithmetic and tables.
#include "mail/mail_jis.h"

#include <cstdint>
#include <cstring>
#include <span>

#include "platform/code_page.h"
#include "platform/sjis_jis_tables.h"
#include "platform/width_map.h"

namespace norv::mail {
namespace {

constexpr uint8_t kEsc = 0x1B;
constexpr char kToTwoByte[] = "\x1B$@";
constexpr char kToSingleByte[] = "\x1B(J";

constexpr bool IsJisByte(unsigned b) {
    return b - 0x21u < 0x5Eu;
}

constexpr bool IsUserDefinedLead(unsigned b) {
    return b >= 0xF0 && b <= 0xF9;
}

// The JIS code of the Shift-JIS pair, or 0 when JIS cannot carry it.
uint16_t JisOfPair(uint8_t lead, uint8_t trail) {
    if (IsUserDefinedLead(lead)) return 0;
    auto code = static_cast<uint16_t>((lead << 8) | trail);
    if (lead >= 0xFA) {
        code = platform::ReplaceExtensionCode(code);
        if (code == 0) return 0;
    }
    return platform::SjisBytesToJis(code >> 8, code & 0xFFu);
}

// The JIS code of the half-width kana at p[i] (with a sound mark after it when one combines);
// *used gets 1 or 2.
uint16_t JisOfHalfKana(const uint8_t* p, size_t i, size_t n, size_t* used) {
    if (i + 1 < n && (p[i + 1] == 0xDE || p[i + 1] == 0xDF)) {
        const std::span<const std::string_view> halves = platform::HalfKanaSequences();
        const std::span<const uint16_t> fulls = platform::FullKanaForSequences();
        const std::string_view pair(reinterpret_cast<const char*>(p + i), 2);
        for (size_t k = 0; k < halves.size(); ++k) {
            if (halves[k] == pair) {
                *used = 2;
                return platform::SjisBytesToJis(fulls[k] >> 8, fulls[k] & 0xFFu);
            }
        }
    }
    *used = 1;
    int consumed = 1;
    const uint16_t full = platform::HalfToFullWidth(p[i], -1, &consumed);
    return full ? platform::SjisBytesToJis(full >> 8, full & 0xFFu) : 0;
}

}  // namespace

bool AppendSjisAsIso2022Jp(std::string& out, std::string_view text, int codePage) {
    if (codePage != 932) {
        out.append(text);
        return false;
    }
    const auto* p = reinterpret_cast<const uint8_t*>(text.data());
    const size_t n = text.size();
    out.reserve(out.size() + n + n / 2 + 8);
    constexpr uint16_t kGetaJis = platform::SjisBytesToJis(kGetaMark >> 8, kGetaMark & 0xFF);
    bool twoByte = false;
    bool any = false;
    size_t i = 0;
    while (i < n) {
        const uint8_t b = p[i];
        if (b < 0x80) {
            if (twoByte) {
                out.append(kToSingleByte, 3);
                twoByte = false;
            }
            size_t runEnd = i + 1;
            while (runEnd < n && p[runEnd] < 0x80) ++runEnd;
            out.append(reinterpret_cast<const char*>(p + i), runEnd - i);
            i = runEnd;
            continue;
        }
        uint16_t jis = 0;
        size_t used = 1;
        if (platform::IsLeadByte(932, b)) {
            // A lead byte always starts a pair; a broken pair gives up its lead byte only, so
            // the byte after it (a line end, say) is kept.
            if (i + 1 < n && platform::IsSjisTrail(p[i + 1])) {
                jis = JisOfPair(b, p[i + 1]);
                used = 2;
            }
        } else if (b >= 0xA1 && b <= 0xDF) {
            jis = JisOfHalfKana(p, i, n, &used);
        }
        if (jis == 0) jis = kGetaJis;
        if (!twoByte) {
            out.append(kToTwoByte, 3);
            twoByte = true;
        }
        out.push_back(static_cast<char>(jis >> 8));
        out.push_back(static_cast<char>(jis & 0xFF));
        any = true;
        i += used;
    }
    if (twoByte) out.append(kToSingleByte, 3);
    return any;
}

void AppendIso2022JpAsSjis(std::string& out, std::string_view text, int codePage) {
    if (codePage != 932) {
        out.append(text);
        return;
    }
    const auto* p = reinterpret_cast<const uint8_t*>(text.data());
    const size_t n = text.size();
    const size_t start = out.size();
    out.resize(start + n);
    char* o = out.data() + start;
    bool twoByte = false;
    size_t i = 0;
    while (i < n) {
        const uint8_t b = p[i];
        if (b == kEsc && i + 2 < n) {
            const uint8_t c1 = p[i + 1];
            const uint8_t c2 = p[i + 2];
            if (c1 == '$' && (c2 == 'B' || c2 == '@')) {
                twoByte = true;
                i += 3;
                continue;
            }
            if (c1 == '(' && (c2 == 'B' || c2 == 'J')) {
                twoByte = false;
                i += 3;
                continue;
            }
        }
        if (twoByte && i + 1 < n && IsJisByte(b) && IsJisByte(p[i + 1])) {
            std::memcpy(o, platform::kSjisPairs.bytes[(b - 0x21u) * 94 + (p[i + 1] - 0x21u)], 2);
            o += 2;
            i += 2;
            continue;
        }
        *o++ = static_cast<char>(b);
        ++i;
    }
    out.resize(static_cast<size_t>(o - out.data()));
}

}  // namespace norv::mail
