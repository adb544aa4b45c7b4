// JIS (ISO-2022-JP) <-> Shift-JIS.
//
// Decoding is a three-state machine (ASCII, kanji, kana) driven by the escape sequences and by
// SO/SI. It never makes the text longer: escape sequences vanish and a kanji pair stays two
// bytes, so the caller's buffer of the input's size always suffices. In ASCII state the bytes
// that cannot change the state are copied eight at a time.
//
// Encoding writes kanji (and half-width kana, widened) after ESC $ B and returns to ASCII with
// ESC ( B before any ASCII byte and at the end, so a line never ends in kanji state. A byte or
// character that JIS cannot carry is written between SO and SI with its bytes reduced to seven
// bits where that gives a printable byte; the decoder's kana state gives the top bit back.
#include <cassert>
#include <cstring>

#include "document/codec_bits.h"
#include "document/codecs.h"
#include "platform/sjis_jis_tables.h"
#include "platform/width_map.h"

namespace norv::document {
namespace {

using namespace codec_bits;
using namespace platform;  // the JIS arithmetic and tables shared with the mail library

constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kShiftOut = 0x0E;  // SO: kana state
constexpr uint8_t kShiftIn = 0x0F;   // SI: ASCII state

// In kana state the printable bytes get their top bit; control bytes (the line feed among them)
// pass unchanged. The encoder reduces bytes only where the decoder restores them.
constexpr uint8_t kFirstShiftedByte = 0x1F;

// True when the word holds ESC, SO or SI (the only bytes that matter in ASCII state).
inline bool HasJisControl(uint64_t x) {
    return (HasByte(x, kEsc) | ZeroByte((x & ~kOnes) ^ (kOnes * kShiftOut))) != 0;
}

constexpr bool IsJisByte(unsigned b) {
    return b - 0x21u < 0x5Eu;
}

constexpr bool IsSjisLead(unsigned b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

}  // namespace

uint16_t JisToSjisCode(uint16_t jis) {
    return JisBytesToSjis(jis >> 8, jis & 0xFFu);
}

uint16_t SjisToJisCode(uint16_t sjis) {
    return SjisBytesToJis(sjis >> 8, sjis & 0xFFu);
}

int JisToSjis(char* out, const char* in, size_t n, size_t* outLen) {
    JisShift state = JisShift::kAscii;
    int result = JisToSjisFrom(out, in, n, outLen, &state);
    // A text that ends in kanji state was cut inside a kanji run (a line always has its line
    // feed, which is no kanji byte, so a well-formed line has left kanji state before it).
    return state == JisShift::kKanji ? -1 : result;
}

int JisToSjisFrom(char* out, const char* in, size_t n, size_t* outLen, JisShift* shift) {
    const auto* p = reinterpret_cast<const uint8_t*>(in);
    const uint8_t* const end = p + n;
    auto* o = reinterpret_cast<uint8_t*>(out);
    JisShift state = *shift;
    int result = state == JisShift::kAscii ? 0 : 1;
    while (p < end) {
        if (state == JisShift::kAscii) {
            while (end - p >= 8) {
                uint64_t x = Load8(p);
                if (HasJisControl(x)) break;
                Store8(o, x);
                p += 8;
                o += 8;
            }
            if (p == end) break;
        }
        const uint8_t b = *p;
        if (b == kEsc) {
            if (end - p >= 3) {
                const uint8_t c1 = p[1];
                const uint8_t c2 = p[2];
                JisShift next = state;
                bool known = true;
                if (c1 == '$' && (c2 == 'B' || c2 == '@'))
                    next = JisShift::kKanji;
                else if (c1 == '(' && (c2 == 'B' || c2 == 'J'))
                    next = JisShift::kAscii;
                else if (c1 == '(' && c2 == 'I')
                    next = JisShift::kKana;
                else
                    known = false;
                if (known) {
                    if (next != JisShift::kAscii) result = 1;
                    state = next;
                    p += 3;
                    continue;
                }
            }
            // An unknown escape, or one cut by the end of the text, is ordinary bytes.
            *o++ = b;
            ++p;
            continue;
        }
        if (b == kShiftOut || b == kShiftIn) {
            state = b == kShiftOut ? JisShift::kKana : JisShift::kAscii;
            ++p;
            continue;
        }
        switch (state) {
            case JisShift::kAscii:
                *o++ = b;
                ++p;
                break;
            case JisShift::kKana:
                *o++ = b >= kFirstShiftedByte ? static_cast<uint8_t>(b | 0x80) : b;
                ++p;
                break;
            case JisShift::kKanji: {
                if (end - p < 2 || !IsJisByte(b) || !IsJisByte(p[1])) {
                    *outLen = static_cast<size_t>(o - reinterpret_cast<uint8_t*>(out));
                    *shift = state;
                    return -1;
                }
                do {
                    std::memcpy(o, kSjisPairs.bytes[(p[0] - 0x21u) * 94 + (p[1] - 0x21u)], 2);
                    o += 2;
                    p += 2;
                } while (end - p >= 2 && IsJisByte(p[0]) && IsJisByte(p[1]));
                break;
            }
        }
    }
    *outLen = static_cast<size_t>(o - reinterpret_cast<uint8_t*>(out));
    assert(*outLen <= n && "decoding JIS never lengthens the text");
    *shift = state;
    return result;
}

size_t SjisToJis(std::string& out, std::string_view in) {
    bool kanji = false;
    return SjisToJisFrom(out, in, &kanji, true);
}

size_t SjisToJisFrom(std::string& out, std::string_view in, bool* kanjiState, bool close) {
    const size_t start = out.size();
    out.reserve(start + in.size() + in.size() / 2 + 8);
    bool kanji = *kanjiState;
    auto enterKanji = [&] {
        if (!kanji) out.append("\x1B$B", 3);
        kanji = true;
    };
    auto putJis = [&](uint16_t jis) {
        enterKanji();
        out.push_back(static_cast<char>(jis >> 8));
        out.push_back(static_cast<char>(jis & 0xFF));
    };
    // Bytes JIS cannot carry: SO, the bytes, SI (which leaves the decoder in ASCII state).
    auto putShifted = [&](const uint8_t* bytes, size_t count) {
        out.push_back(static_cast<char>(kShiftOut));
        for (size_t k = 0; k < count; ++k) {
            uint8_t low = bytes[k] & 0x7F;
            out.push_back(static_cast<char>(low >= kFirstShiftedByte ? low : bytes[k]));
        }
        out.push_back(static_cast<char>(kShiftIn));
        kanji = false;
    };

    const auto* p = reinterpret_cast<const uint8_t*>(in.data());
    const size_t n = in.size();
    const std::span<const std::string_view> halfSeqs = HalfKanaSequences();
    const std::span<const uint16_t> fullSeqs = FullKanaForSequences();
    size_t i = 0;
    while (i < n) {
        const uint8_t b = p[i];
        if (b < 0x80) {
            if (kanji) {
                out.append("\x1B(B", 3);
                kanji = false;
            }
            size_t runEnd = i + 1;
            while (runEnd < n && p[runEnd] < 0x80) ++runEnd;
            out.append(reinterpret_cast<const char*>(p + i), runEnd - i);
            i = runEnd;
            continue;
        }
        if (IsSjisLead(b) && i + 1 < n && IsSjisTrail(p[i + 1])) {
            auto code = static_cast<uint16_t>((b << 8) | p[i + 1]);
            if (b >= 0xFA) {
                if (uint16_t replacement = ReplaceExtensionCode(code)) code = replacement;
            }
            if (uint16_t jis = SjisBytesToJis(code >> 8, code & 0xFFu))
                putJis(jis);
            else
                putShifted(p + i, 2);
            i += 2;
            continue;
        }
        if (b >= 0xA1 && b <= 0xDF) {
            uint16_t full = 0;
            int consumed = 1;
            if (i + 1 < n && (p[i + 1] == 0xDE || p[i + 1] == 0xDF)) {
                const std::string_view pair(reinterpret_cast<const char*>(p + i), 2);
                for (size_t k = 0; k < halfSeqs.size(); ++k) {
                    if (halfSeqs[k] == pair) {
                        full = fullSeqs[k];
                        consumed = 2;
                        break;
                    }
                }
            }
            if (full == 0) full = platform::HalfToFullWidth(b, -1, &consumed);
            putJis(SjisBytesToJis(full >> 8, full & 0xFFu));
            i += static_cast<size_t>(consumed);
            continue;
        }
        putShifted(p + i, 1);
        ++i;
    }
    if (kanji && close) {
        out.append("\x1B(B", 3);
        kanji = false;
    }
    *kanjiState = kanji;
    return out.size() - start;
}

}  // namespace norv::document
