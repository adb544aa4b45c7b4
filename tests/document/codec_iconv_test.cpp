// The codecs against iconv(3) on generated text, where the two mappings agree.
//
// Shift-JIS <-> EUC-JP and JIS are checked character by character over all of JIS X 0208
// (through glibc's SHIFT_JIS, EUC-JP and ISO-2022-JP, which share the standard JIS mapping, and
// through CP932 and EUC-JP-MS for the encoder); the Unicode conversions on random text with
// characters beyond the BMP.
#include <gtest/gtest.h>
#include <iconv.h>

#include <map>
#include <optional>
#include <random>

#include "codec_test_util.h"
#include "platform/code_page.h"

namespace norv::document {
namespace {

using testing::RunEucToSjis;
using testing::RunJisToSjis;

// One whole conversion (with the final shift sequence); nullopt when iconv refuses any of it.
// Descriptors stay open for the run (the tests convert character by character).
std::optional<std::string> Iconv(const char* to, const char* from, std::string_view in) {
    static struct Descriptors {
        std::map<std::pair<std::string, std::string>, iconv_t> open;
        ~Descriptors() {
            for (auto& [names, cd] : open)
                if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
        }
    } descriptors;
    auto [it, added] = descriptors.open.try_emplace({to, from}, nullptr);
    if (added) it->second = iconv_open(to, from);
    iconv_t cd = it->second;
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char* dst = out.data();
    size_t room = out.size();
    const size_t r = iconv(cd, &src, &left, &dst, &room);
    const bool ok = r != static_cast<size_t>(-1) && left == 0 &&
                    iconv(cd, nullptr, nullptr, &dst, &room) != static_cast<size_t>(-1);
    if (!ok) return std::nullopt;
    out.resize(out.size() - room);
    return out;
}

std::string Utf16Le(char16_t u) {
    return {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
}

std::string SjisBytes(uint16_t code) {
    return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

// Every BMP character that glibc's EUC-JP writes as a JIS X 0208 pair, with its EUC-JP and
// Shift-JIS bytes.
struct JisCharacter {
    char16_t unit;
    std::string euc;
    std::string sjis;
};

const std::vector<JisCharacter>& Jis0208Characters() {
    static const std::vector<JisCharacter> chars = [] {
        std::vector<JisCharacter> v;
        for (unsigned u = 0x80; u < 0x10000; ++u) {
            if (u >= 0xD800 && u <= 0xDFFF) continue;
            const auto unit = static_cast<char16_t>(u);
            auto euc = Iconv("EUC-JP", "UTF-16LE", Utf16Le(unit));
            if (!euc || euc->size() != 2 || static_cast<uint8_t>((*euc)[0]) < 0xA1) continue;
            auto sjis = Iconv("SHIFT_JIS", "UTF-16LE", Utf16Le(unit));
            if (!sjis || sjis->size() != 2) continue;
            v.push_back({unit, *euc, *sjis});
        }
        return v;
    }();
    return chars;
}

TEST(CodecsAgainstIconv, EucToSjisOverJisX0208) {
    const auto& chars = Jis0208Characters();
    ASSERT_GT(chars.size(), 6800u);
    std::string euc, sjis;
    for (const JisCharacter& c : chars) {
        auto d = RunEucToSjis(c.euc);
        ASSERT_EQ(d.result, 1) << std::hex << int(c.unit);
        EXPECT_EQ(d.text, c.sjis) << std::hex << int(c.unit);
        euc += c.euc;
        sjis += c.sjis;
    }
    // The same as one text, with ASCII and half-width kana mixed in.
    const std::string tail = "abc\x8E\xB1\n";
    auto d = RunEucToSjis(euc + tail);
    EXPECT_EQ(d.result, 1);
    EXPECT_EQ(d.text, sjis + "abc\xB1\n");
    // JIS X 0212 characters become "？".
    auto supplementary = Iconv("EUC-JP", "UTF-16LE", Utf16Le(u'\u4E02'));  // 丂
    ASSERT_TRUE(supplementary && (*supplementary)[0] == '\x8F');
    EXPECT_EQ(RunEucToSjis(*supplementary).text, "\x81\x48");
}

TEST(CodecsAgainstIconv, JisToSjisAndBackOverJisX0208) {
    const auto& chars = Jis0208Characters();
    // Lines of forty characters with ASCII between runs, as ISO-2022-JP writes them.
    for (size_t start = 0; start < chars.size(); start += 40) {
        std::u16string line = u"line ";
        std::string sjis = "line ";
        for (size_t k = start; k < chars.size() && k < start + 40; ++k) {
            line.push_back(chars[k].unit);
            sjis += chars[k].sjis;
            if (k % 7 == 0) {
                line += u" x";
                sjis += " x";
            }
        }
        line.push_back(u'\n');
        sjis.push_back('\n');
        std::string utf16;
        for (char16_t u : line) utf16 += Utf16Le(u);
        auto jis = Iconv("ISO-2022-JP", "UTF-16LE", utf16);
        ASSERT_TRUE(jis) << start;
        auto d = RunJisToSjis(*jis);
        EXPECT_EQ(d.result, 1) << start;
        EXPECT_EQ(d.text, sjis) << start;
        std::string encoded;
        SjisToJis(encoded, sjis);
        EXPECT_EQ(encoded, *jis) << start;
    }
}

TEST(CodecsAgainstIconv, SjisToEucMatchesEucJpMs) {
    // Every CP932 code of JIS X 0208 (rows 1-84): SjisToEuc against CP932 -> EUC-JP-MS.
    // EUC-JP-MS writes the mathematical symbols that the NEC row 13 shares with row 2
    // (≒≡∫∮√⊥∠∵∩∪) through their row 2 codes; SjisToEuc keeps the position it was given.
    static const std::vector<uint16_t> kSharedWithRow2 = {0x8790, 0x8791, 0x8792, 0x8795, 0x8796,
                                                          0x8797, 0x879A, 0x879B, 0x879C};
    int compared = 0;
    std::vector<uint16_t> differ;
    for (unsigned j1 = 0x21; j1 <= 0x74; ++j1) {
        for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
            const uint16_t code = JisToSjisCode(static_cast<uint16_t>((j1 << 8) | j2));
            if (platform::DecodeChar(932, code) == 0xFFFF) continue;
            const std::string sjis = SjisBytes(code);
            auto expected = Iconv("EUC-JP-MS", "CP932", sjis);
            if (!expected) continue;
            std::string euc;
            ASSERT_EQ(SjisToEuc(euc, sjis), 1) << std::hex << code;
            ++compared;
            if (euc != *expected) differ.push_back(code);
        }
    }
    EXPECT_GT(compared, 6900);
    EXPECT_EQ(differ, kSharedWithRow2);
}

TEST(CodecsAgainstIconv, Ucs2AndUtf8WithCharactersBeyondTheBmp) {
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        std::u32string text;
        const int n = static_cast<int>(rng() % 60);
        for (int k = 0; k < n; ++k) {
            uint32_t r = static_cast<uint32_t>(rng());
            char32_t c;
            switch (r % 4) {
                case 0:
                    c = (r >> 2) % 0x80;
                    break;
                case 1:
                    c = 0x80 + (r >> 2) % 0x780;
                    break;
                case 2:
                    c = 0x800 + (r >> 2) % 0xF800;
                    break;
                default:
                    c = 0x10000 + (r >> 2) % 0x100000;
                    break;
            }
            if (c >= 0xD800 && c <= 0xDFFF) c = 0x3042;
            text.push_back(c);
        }
        const std::string utf32(reinterpret_cast<const char*>(text.data()), text.size() * 4);
        auto utf8 = Iconv("UTF-8", "UTF-32LE", utf32);
        ASSERT_TRUE(utf8);
        for (bool bigEndian : {false, true}) {
            auto ucs2 = Iconv(bigEndian ? "UTF-16BE" : "UTF-16LE", "UTF-32LE", utf32);
            ASSERT_TRUE(ucs2);
            std::string out;
            Ucs2ToUtf8(out, ucs2->data(), ucs2->size(), bigEndian);
            EXPECT_EQ(out, *utf8) << round;
            std::u16string units;
            Utf8ToUcs2(units, *utf8);
            std::string unitBytes;
            for (char16_t u : units) {
                unitBytes.push_back(static_cast<char>(bigEndian ? u >> 8 : u & 0xFF));
                unitBytes.push_back(static_cast<char>(bigEndian ? u & 0xFF : u >> 8));
            }
            EXPECT_EQ(unitBytes, *ucs2) << round;
        }
    }
}

TEST(CodecsAgainstIconv, AnsiToUtf8MatchesCp932) {
    std::string ansi;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!platform::IsLeadByte(932, static_cast<uint8_t>(lead))) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const auto code = static_cast<uint16_t>((lead << 8) | trail);
            if (platform::DecodeChar(932, code) != 0xFFFF) ansi += SjisBytes(code);
        }
        ansi += "ascii \xB1\xB2\n";
    }
    auto expected = Iconv("UTF-8", "CP932", ansi);
    ASSERT_TRUE(expected);
    std::string utf8;
    AnsiToUtf8(utf8, ansi, 932);
    EXPECT_EQ(utf8, *expected);
    std::string back;
    Utf8ToAnsi(back, utf8, 932);
    // Characters with two codes come back as the code page's preferred one.
    auto preferred = Iconv("CP932", "UTF-8", *expected);
    ASSERT_TRUE(preferred);
    EXPECT_EQ(back, *preferred);
}

}  // namespace
}  // namespace norv::document
