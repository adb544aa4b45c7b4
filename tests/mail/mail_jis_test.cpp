// The mail's Shift-JIS <-> ISO-2022-JP conversions, against iconv where the mappings agree, and
// the bytes that JIS cannot carry.
#include "mail/mail_jis.h"

#include <iconv.h>

#include "mail/mime_header.h"
#include "platform/code_page.h"
#include "platform/sjis_jis_tables.h"

namespace norv::mail {
namespace {

// iconv from one code to another; nothing when iconv refuses the input.
std::optional<std::string> Iconv(const char* from, const char* to, std::string_view in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    const size_t rc2 = iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || rc2 == static_cast<size_t>(-1)) return std::nullopt;
    out.resize(out.size() - dstLeft);
    return out;
}

std::string ToJis(std::string_view sjis, int cp = 932) {
    std::string out;
    AppendSjisAsIso2022Jp(out, sjis, cp);
    return out;
}

std::string ToSjis(std::string_view jis, int cp = 932) {
    std::string out;
    AppendIso2022JpAsSjis(out, jis, cp);
    return out;
}

std::string Pair(uint16_t code) {
    return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

// Every JIS X 0208 position (rows 1 to 84) that CP932 has.
std::vector<uint16_t> Cp932Jis0208Characters() {
    std::vector<uint16_t> codes;
    for (unsigned j1 = 0x21; j1 <= 0x74; ++j1) {
        for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
            const uint16_t sjis = platform::JisBytesToSjis(j1, j2);
            // Rows 9 to 15 are empty in JIS X 0208 (CP932 puts NEC's own characters in row 13).
            if (j1 >= 0x29 && j1 <= 0x2F) continue;
            if (platform::DecodeChar(932, sjis) != 0xFFFF) codes.push_back(sjis);
        }
    }
    return codes;
}

TEST(MailJis, EveryJis0208CharacterOfCp932RoundTripsThroughIconv) {
    const auto codes = Cp932Jis0208Characters();
    ASSERT_GT(codes.size(), 6800u);
    for (const uint16_t sjis : codes) {
        // Encoded by us, read by iconv's ISO-2022-JP, written back by iconv's CP932: the same
        // character (glibc reads a few positions as other code points, such as the wave dash,
        // that CP932 writes back to the same code).
        const std::string jis = ToJis(Pair(sjis));
        const auto wide = Iconv("ISO-2022-JP", "UTF-16LE", jis);
        ASSERT_TRUE(wide) << std::hex << sjis;
        const auto back = Iconv("UTF-16LE", "CP932", *wide);
        ASSERT_TRUE(back) << std::hex << sjis;
        EXPECT_EQ(*back, Pair(sjis)) << std::hex << sjis;
        // And the other way: iconv's reading of the JIS position, decoded by us.
        const uint16_t code = platform::SjisBytesToJis(sjis >> 8, sjis & 0xFF);
        const std::string designated = "\x1B$B" + Pair(code) + "\x1B(B";
        EXPECT_EQ(ToSjis(designated), Pair(sjis)) << std::hex << sjis;
    }
}

TEST(MailJis, MixedTextAsIconvReadsIt) {
    // No "\" or "~" after a double-byte run: after ESC ( J glibc reads them as yen and overline.
    const std::string sjis =
        Iconv("UTF-8", "CP932", "件名: 日本語のテスト mail 123 ｶﾞｷﾞ、終わり。").value();
    const std::string jis = ToJis(sjis);
    for (const char c : jis) EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "sent mail is 7-bit";
    EXPECT_EQ(Iconv("ISO-2022-JP", "UTF-8", jis).value(),
              "件名: 日本語のテスト mail 123 ガギ、終わり。");
    // ESC $ @ opens a double-byte run, ESC ( J closes it.
    EXPECT_NE(jis.find("\x1B$@"), std::string::npos);
    EXPECT_NE(jis.find("\x1B(J"), std::string::npos);
    EXPECT_EQ(jis.find("\x1B$B"), std::string::npos);
    EXPECT_EQ(jis.substr(jis.size() - 3), "\x1B(J");
}

TEST(MailJis, WhatJisCannotCarryBecomesTheGetaMark) {
    const std::string geta = "\x1B$@" + Pair(platform::SjisBytesToJis(0x81, 0xAC)) + "\x1B(J";
    static const struct {
        std::string_view sjis;
        const char* why;
    } kCases[] = {
        {"\xF0\x40", "user-defined character"},
        {"\xF9\xFC", "last user-defined character"},
        {"\x81", "lead byte at the end"},
        {"\x80", "stray byte 0x80"},
        {"\xA0", "stray byte 0xA0"},
        {"\xFD", "stray byte 0xFD"},
    };
    for (const auto& c : kCases) EXPECT_EQ(ToJis(c.sjis), geta) << c.why;
    // A lead byte with a trail byte that is none gives up only the lead: the line end stays.
    EXPECT_EQ(ToJis("\x82\n"), geta + "\n");
}

TEST(MailJis, LeadBytesOfTheUpperRangeStartPairs) {
    // 0xE0-0xEF: kanji of level 2; 0xED-0xEE: NEC-selected IBM extensions; 0xFA-0xFC: IBM
    // extensions, sent as their NEC-selected codes.
    EXPECT_EQ(ToSjis(ToJis("\xE0\x40")), "\xE0\x40");
    EXPECT_EQ(ToSjis(ToJis("\xED\x40")), "\xED\x40");
    EXPECT_EQ(ToSjis(ToJis("\xFA\x5C")), "\xED\x40");  // 纊
    EXPECT_EQ(ToSjis(ToJis("\xFA\x40")), "\xEE\xEF");  // small roman numeral one
    for (const auto& p : platform::ExtensionKanjiTable())
        EXPECT_EQ(ToSjis(ToJis(Pair(p.ibm))), Pair(p.nec)) << std::hex << p.ibm;
}

TEST(MailJis, HalfWidthKanaBecomeFullWidth) {
    EXPECT_EQ(ToSjis(ToJis("\xB1")), "\x83\x41");              // ｱ -> ア
    EXPECT_EQ(ToSjis(ToJis("\xB6\xDE")), "\x83\x4B");          // ｶﾞ -> ガ
    EXPECT_EQ(ToSjis(ToJis("\xCA\xDF")), "\x83\x70");          // ﾊﾟ -> パ
    EXPECT_EQ(ToSjis(ToJis("\xB1\xDE")), "\x83\x41\x81\x4A");  // ｱﾞ has no combined form
}

TEST(MailJis, DecoderDesignationsAndStrayBytes) {
    static const struct {
        std::string_view jis, sjis;
    } kCases[] = {
        {"a\x1B$B\x46\x7C\x1B(Bb",
         "a\x93\xFA"
         "b"},
        {"\x1B$@\x46\x7C\x1B(J", "\x93\xFA"},
        {"\x1B$B\x46", "\x46"},          // cut pair: copied
        {"\x1B$B\x46\x0A", "\x46\x0A"},  // pair broken by a line end
        {"\x1B(I\x31", "\x1B(I\x31"},    // unknown designation: bytes
        {"\x1B$", "\x1B$"},              // cut escape
        {"\x46\x7C", "\x46\x7C"},        // single-byte state
    };
    for (const auto& c : kCases) EXPECT_EQ(ToSjis(c.jis), c.sjis) << c.jis;
}

TEST(MailJis, OtherCodePagesPassBytesBothWays) {
    const std::string bytes = "caf\xE9 \x93\xFA\x96\x7B \x1B$B\x46\x7C\x1B(B";
    EXPECT_EQ(ToJis(bytes, 1252), bytes);
    EXPECT_EQ(ToSjis(bytes, 1252), bytes);
    EXPECT_EQ(EncodeHeader("Subject: caf\xE9", 1252), "Subject: caf\xE9");
    EXPECT_EQ(DecodeHeader("=?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?=", 1252), "\x1B$BF|K\\8l\x1B(B");
}

}  // namespace
}  // namespace norv::mail
