// Class text to character tests, pattern characters with their escapes, and test dumps.
#include "search/char_test.h"

#include <cstdio>

#include "editing/escape_sequences.h"

namespace norv::search {
namespace {

// Decodes a run of "\xHH" escapes starting at pos that spell one UTF-8 sequence.
bool ReadEscapedUtf8(std::string_view text, size_t pos, PatternChar* out) {
    std::string bytes;
    size_t at = pos;
    while (bytes.size() < 4 && at < text.size() && text[at] == '\\') {
        editing::DecodedEscape e = editing::DecodeEscape(text.substr(at));
        if (e.length != 4) break;  // only \xHH spells bytes
        bytes.push_back(static_cast<char>(e.value));
        at += e.length;
        size_t length = 0;
        CharCode code = DecodeChar(TextEncoding::kUtf8, bytes, 0, &length);
        if (code < kRawByteBase && length == bytes.size()) {
            *out = PatternChar{code, at - pos, true};
            return true;
        }
    }
    return false;
}

std::string Spell(TextEncoding encoding, CharCode code) {
    if (code == kAnyChar) return "any";
    if (code == kEmptyMove) return "eps";
    if (code >= 0x20 && code < 0x7F) return std::string(1, static_cast<char>(code));
    char out[4];
    if (code >= 0x80 && code < kRawByteBase && (encoding != TextEncoding::kUtf8 || code >= 0xA0)) {
        return std::string(out, EncodeChar(encoding, code, out));
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "\\x{%X}", static_cast<unsigned>(code));
    return buf;
}

}  // namespace

PatternChar ReadPatternChar(TextEncoding encoding, std::string_view text, size_t pos) {
    if (text[pos] != '\\') {
        size_t length = 1;
        CharCode code = DecodeChar(encoding, text, pos, &length);
        return PatternChar{code, length, false};
    }
    // A backslash before a double-byte character escapes the whole character.
    if (pos + 1 < text.size() && static_cast<uint8_t>(text[pos + 1]) >= 0x80 &&
        encoding != TextEncoding::kSingleByte) {
        size_t length = 1;
        CharCode code = DecodeChar(encoding, text, pos + 1, &length);
        if (length > 1) return PatternChar{code, length + 1, true};
    }
    if (encoding == TextEncoding::kUtf8) {
        PatternChar c;
        if (ReadEscapedUtf8(text, pos, &c)) return c;
    }
    editing::DecodedEscape e = editing::DecodeEscape(text.substr(pos));
    CharCode code = e.value;
    if (encoding == TextEncoding::kUtf8 && code >= 0x80) code += kRawByteBase;
    return PatternChar{code, e.length, true};
}

CharTest ClassTextToTest(std::string_view text, const FoldOptions& fold) {
    const TextEncoding enc = fold.encoding;
    bool negated = false;
    size_t pos = 0;
    if (!text.empty() && text[0] == '^') negated = true, pos = 1;

    // Read every character once; "-" is kept with its escaped flag so "\-" stays a member.
    std::vector<PatternChar> chars;
    while (pos < text.size()) {
        PatternChar c = ReadPatternChar(enc, text, pos);
        chars.push_back(c);
        pos += c.length;
    }
    auto isDash = [](const PatternChar& c) { return !c.escaped && c.code == '-'; };
    auto folded = [&](CharCode c) { return FoldPatternCode(fold, c); };

    CharTest test;
    if (chars.size() == 3 && isDash(chars[1])) {
        test.kind = negated ? TestKind::kNegatedRange : TestKind::kRange;
        test.low = folded(chars[0].code).value_or(chars[0].code);
        test.high = folded(chars[2].code).value_or(chars[2].code);
        return test;
    }
    test.kind = negated ? TestKind::kNegatedSet : TestKind::kSet;
    for (size_t i = 0; i < chars.size(); ++i) {
        const PatternChar& c = chars[i];
        if (isDash(c) && i > 0 && i + 1 < chars.size()) {
            // "c-d": c is already a member; add c+1 .. d (nothing when d < c+1).
            CharCode from = chars[i - 1].code + 1;
            CharCode to = chars[i + 1].code;
            if (from <= to) {
                CharCode lo = folded(from).value_or(from);
                CharCode hi = folded(to).value_or(to);
                if (lo <= hi) test.members.push_back({lo, hi});
            }
            ++i;  // d is consumed by the range
            continue;
        }
        if (std::optional<CharCode> f = folded(c.code)) test.members.push_back({*f, *f});
    }
    return test;
}

std::string CharTest::Describe(TextEncoding encoding) const {
    // Built by appending: g++ 12 warns falsely (-Wrestrict) on chains of string additions.
    std::string s;
    switch (kind) {
        case TestKind::kChar:
            if (code < 0) return Spell(encoding, code);
            s.append(1, '\'').append(Spell(encoding, code)).append(1, '\'');
            return s;
        case TestKind::kSet:
        case TestKind::kNegatedSet:
            s.append(kind == TestKind::kSet ? "[" : "[^");
            for (const CodeInterval& m : members) {
                s.append(Spell(encoding, m.low));
                if (m.high != m.low) s.append(1, '-').append(Spell(encoding, m.high));
            }
            s.append(1, ']');
            return s;
        case TestKind::kRange:
        case TestKind::kNegatedRange:
            s.append(kind == TestKind::kRange ? "{" : "{^");
            s.append(Spell(encoding, low)).append(1, '-').append(Spell(encoding, high));
            s.append(1, '}');
            return s;
    }
    return "?";
}

}  // namespace norv::search
