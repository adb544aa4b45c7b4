// Base64 coder: three bytes to four characters of the table below, and back.
#include "mail/base64.h"

#include <array>
#include <cstdint>

namespace norv::mail {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
static_assert(sizeof kAlphabet == 65);

constexpr uint8_t kNotBase64 = 0xFF;

constexpr std::array<uint8_t, 256> kValues = [] {
    std::array<uint8_t, 256> t{};
    t.fill(kNotBase64);
    for (uint8_t i = 0; i < 64; ++i) t[static_cast<uint8_t>(kAlphabet[i])] = i;
    return t;
}();

}  // namespace

void AppendBase64(std::string& out, std::string_view bytes) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    const size_t n = bytes.size();
    out.reserve(out.size() + (n + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= n; i += 3) {
        const uint32_t v = (uint32_t{p[i]} << 16) | (uint32_t{p[i + 1]} << 8) | p[i + 2];
        out.push_back(kAlphabet[v >> 18]);
        out.push_back(kAlphabet[(v >> 12) & 63]);
        out.push_back(kAlphabet[(v >> 6) & 63]);
        out.push_back(kAlphabet[v & 63]);
    }
    if (n - i == 1) {
        const uint32_t v = uint32_t{p[i]} << 16;
        out.push_back(kAlphabet[v >> 18]);
        out.push_back(kAlphabet[(v >> 12) & 63]);
        out.append("==");
    } else if (n - i == 2) {
        const uint32_t v = (uint32_t{p[i]} << 16) | (uint32_t{p[i + 1]} << 8);
        out.push_back(kAlphabet[v >> 18]);
        out.push_back(kAlphabet[(v >> 12) & 63]);
        out.push_back(kAlphabet[(v >> 6) & 63]);
        out.push_back('=');
    }
}

std::string EncodeBase64(std::string_view bytes) {
    std::string out;
    AppendBase64(out, bytes);
    return out;
}

void AppendBase64Decoded(std::string& out, std::string_view text) {
    out.reserve(out.size() + text.size() / 4 * 3 + 2);
    uint32_t acc = 0;
    int bits = 0;
    for (const char c : text) {
        if (c == '=') break;
        const uint8_t v = kValues[static_cast<uint8_t>(c)];
        if (v == kNotBase64) continue;
        acc = (acc << 6) | v;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((acc >> bits) & 0xFF));
        }
    }
}

std::string DecodeBase64(std::string_view text) {
    std::string out;
    AppendBase64Decoded(out, text);
    return out;
}

}  // namespace norv::mail
