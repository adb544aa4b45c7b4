// One-line files of Japanese text in every code, long enough to be cut into several records,
// with characters of every length mixed at random so that characters straddle every cut offset.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "support/iconv_text.h"

namespace norv::testing {

struct LongLineCode {
    const char* name;
    const char* iconvName;  // the file's code for iconv
    bool beyondBmp;         // the code holds characters outside the BMP
    bool halfKana;          // the code keeps half-width katakana as they are
    const char* mark;       // byte-order mark written before the text
};

inline const std::vector<LongLineCode>& LongLineCodes() {
    static const std::vector<LongLineCode> kCodes = {
        {"utf8", "UTF-8", true, true, ""},
        {"sjis", "CP932", false, true, ""},
        {"eucjp", "EUC-JP-MS", false, true, ""},
        {"jis", "ISO-2022-JP", false, false, ""},
        {"utf16le", "UTF-16LE", true, true, "\xFF\xFE"},
        {"utf16be", "UTF-16BE", true, true, "\xFE\xFF"},
    };
    return kCodes;
}

// About `bytes` bytes of UTF-8 text without line ends: runs of ASCII, kana, kanji, full-width
// signs, and, where the code has them, half-width katakana and characters beyond the BMP.
inline std::string LongLineText(size_t bytes, const LongLineCode& code, unsigned seed) {
    static const char* const kAscii[] = {"a", "Z", "0", " ", "-", "~"};
    static const char* const kWide[] = {"あ", "ン", "漢", "字", "日", "本", "語", "東", "京",
                                        "、", "。", "「", "」", "Ａ", "１", "〒", "∀",  "●"};
    static const char* const kHalf[] = {"ｱ", "ｶ", "ﾟ", "ﾞ", "ｰ"};
    static const char* const kBeyond[] = {"𠮷", "😀", "𩸽"};
    std::mt19937 rng(seed);
    std::string out;
    out.reserve(bytes + 8);
    while (out.size() < bytes) {
        unsigned kind = rng() % 10;
        size_t run = 1 + rng() % 6;
        for (size_t k = 0; k < run; ++k) {
            if (kind < 3)
                out += kAscii[rng() % 6];
            else if (kind < 8)
                out += kWide[rng() % 18];
            else if (kind == 8 && code.halfKana)
                out += kHalf[rng() % 5];
            else if (kind == 9 && code.beyondBmp)
                out += kBeyond[rng() % 3];
            else
                out += "x";
        }
    }
    return out;
}

// The UTF-8 text in the file's code, with its mark; empty when iconv refuses.
inline std::string LongLineFile(const std::string& utf8, const LongLineCode& code) {
    bool ok = true;
    std::string body;
    if (std::string(code.iconvName) == "ISO-2022-JP")
        body = Iconv(Iconv(utf8, "UTF-8", "EUC-JP", &ok), "EUC-JP", "ISO-2022-JP", &ok);
    else
        body = Iconv(utf8, "UTF-8", code.iconvName, &ok);
    return ok ? code.mark + body : std::string();
}

}  // namespace norv::testing
