// The full-width <-> half-width mapping of code page 932, as fixed tables.
//
// The tables were derived from iconv's CP932 mapping: the ASCII range maps to the full-width
// forms U+FF01-U+FF5E as CP932 encodes them (so '"' and '\'' become the IBM extension codes
// 0xFA57 and 0xFA56, '\\' becomes 0x815F "＼" and '~' becomes 0x8160 "～", because CP932 reads
// 0x5C and 0x7E as backslash and tilde), space maps to the ideographic space 0x8140, and the
// half-width katakana 0xA1-0xDF map to their full-width katakana and punctuation. CP932 writes
// U+00A5 and U+203E as 0x5C and 0x7E, so "￥" and "￣" narrow to those bytes as well (one way).
#include "platform/width_map.h"

#include <array>
#include <cstdint>

namespace norv::platform {
namespace {

// Index: byte - 0x20, for 0x20-0x7E.
constexpr std::array<uint16_t, 95> kFullAscii = {
    0x8140, 0x8149, 0xFA57, 0x8194, 0x8190, 0x8193, 0x8195, 0xFA56,  // space ! " # $ % & '
    0x8169, 0x816A, 0x8196, 0x817B, 0x8143, 0x817C, 0x8144, 0x815E,  // ( ) * + , - . /
    0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256,  // 0-7
    0x8257, 0x8258, 0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148,  // 8 9 : ; < = > ?
    0x8197, 0x8260, 0x8261, 0x8262, 0x8263, 0x8264, 0x8265, 0x8266,  // @ A-G
    0x8267, 0x8268, 0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E,  // H-O
    0x826F, 0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276,  // P-W
    0x8277, 0x8278, 0x8279, 0x816D, 0x815F, 0x816E, 0x814F, 0x8151,  // X Y Z [ \ ] ^ _
    0x814D, 0x8281, 0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287,  // ` a-g
    0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F,  // h-o
    0x8290, 0x8291, 0x8292, 0x8293, 0x8294, 0x8295, 0x8296, 0x8297,  // p-w
    0x8298, 0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8160,          // x y z { | } ~
};

// Index: byte - 0xA1, for the half-width katakana and marks 0xA1-0xDF.
constexpr std::array<uint16_t, 63> kFullKana = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342,  // 。「」、・ヲァィ
    0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362, 0x815B,  // ゥェォャュョッー
    0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E,  // アイウエオカキク
    0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E,  // ケコサシスセソタ
    0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C,  // チツテトナニヌネ
    0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E,  // ノハヒフヘホマミ
    0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A,  // ムメモヤユヨラリ
    0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,          // ルレロワン゛゜
};

struct SoundPair {
    uint8_t kana;
    uint8_t mark;  // 0xDE voiced, 0xDF semi-voiced
    uint16_t full;
};

// ヷ and ヺ have no code in CP932, so ﾜﾞ and ｦﾞ stay two characters.
constexpr SoundPair kSoundPairs[] = {
    {0xB3, 0xDE, 0x8394},                                              // ヴ
    {0xB6, 0xDE, 0x834B}, {0xB7, 0xDE, 0x834D}, {0xB8, 0xDE, 0x834F},  // ガギグ
    {0xB9, 0xDE, 0x8351}, {0xBA, 0xDE, 0x8353},                        // ゲゴ
    {0xBB, 0xDE, 0x8355}, {0xBC, 0xDE, 0x8357}, {0xBD, 0xDE, 0x8359},  // ザジズ
    {0xBE, 0xDE, 0x835B}, {0xBF, 0xDE, 0x835D},                        // ゼゾ
    {0xC0, 0xDE, 0x835F}, {0xC1, 0xDE, 0x8361}, {0xC2, 0xDE, 0x8364},  // ダヂヅ
    {0xC3, 0xDE, 0x8366}, {0xC4, 0xDE, 0x8368},                        // デド
    {0xCA, 0xDE, 0x836F}, {0xCA, 0xDF, 0x8370}, {0xCB, 0xDE, 0x8372},  // バパビ
    {0xCB, 0xDF, 0x8373}, {0xCC, 0xDE, 0x8375}, {0xCC, 0xDF, 0x8376},  // ピブプ
    {0xCD, 0xDE, 0x8378}, {0xCD, 0xDF, 0x8379}, {0xCE, 0xDE, 0x837B},  // ベペボ
    {0xCE, 0xDF, 0x837C},                                              // ポ
};
static_assert(std::size(kSoundPairs) == 26);

// Full-width characters that narrow without widening back to the same code.
struct OneWay {
    uint16_t full;
    uint8_t half;
};
constexpr OneWay kOneWay[] = {
    {0x818F, 0x5C},  // ￥ (U+FFE5 -> U+00A5, which CP932 writes as 0x5C)
    {0x8150, 0x7E},  // ￣ (U+FFE3 -> U+203E, which CP932 writes as 0x7E)
    {0xEEFC, 0x22},  // ＂ in the NEC-selected extension rows
    {0xEEFB, 0x27},  // ＇ likewise
};

constexpr bool FullCodesDistinct() {
    for (size_t i = 0; i < kFullAscii.size(); ++i)
        for (uint16_t k : kFullKana)
            if (kFullAscii[i] == k) return false;
    return true;
}
static_assert(FullCodesDistinct(), "a full-width code must narrow to one half-width byte");

}  // namespace

size_t FullToHalfWidth(uint16_t sjis, uint8_t out[2]) {
    if ((sjis >> 8) == 0x81 || (sjis >> 8) == 0x82 || (sjis >> 8) == 0xFA) {
        for (size_t i = 0; i < kFullAscii.size(); ++i) {
            if (kFullAscii[i] == sjis) {
                out[0] = static_cast<uint8_t>(0x20 + i);
                return 1;
            }
        }
    }
    if ((sjis >> 8) == 0x81 || (sjis >> 8) == 0x83) {
        for (size_t i = 0; i < kFullKana.size(); ++i) {
            if (kFullKana[i] == sjis) {
                out[0] = static_cast<uint8_t>(0xA1 + i);
                return 1;
            }
        }
        for (const SoundPair& p : kSoundPairs) {
            if (p.full == sjis) {
                out[0] = p.kana;
                out[1] = p.mark;
                return 2;
            }
        }
    }
    for (const OneWay& w : kOneWay) {
        if (w.full == sjis) {
            out[0] = w.half;
            return 1;
        }
    }
    return 0;
}

uint16_t HalfToFullWidth(uint8_t c, int next, int* consumed) {
    *consumed = 1;
    if (c >= 0x20 && c <= 0x7E) return kFullAscii[c - 0x20u];
    if (c < 0xA1 || c > 0xDF) return 0;
    if (next == 0xDE || next == 0xDF) {
        for (const SoundPair& p : kSoundPairs) {
            if (p.kana == c && p.mark == next) {
                *consumed = 2;
                return p.full;
            }
        }
    }
    return kFullKana[c - 0xA1u];
}

}  // namespace norv::platform
