// A program's console output into a document's code (see capture_converter.h).
#include "tools/shell/capture_converter.h"

#include <cstdint>

#include "platform/code_page.h"

namespace norv::tools {
namespace {

constexpr int kUtf8CodePage = 65001;

// The length of the UTF-8 character that begins with `lead`, 0 when it cannot begin one.
size_t SequenceLength(uint8_t lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Whether `b` may follow the bytes before it at place i (1-based) of a sequence led by `lead`
// (the ranges that exclude overlong forms, surrogates and code points past U+10FFFF).
bool MayFollow(uint8_t lead, size_t i, uint8_t b) {
    if (b < 0x80 || b > 0xBF) return false;
    if (i != 1) return true;
    if (lead == 0xE0) return b >= 0xA0;
    if (lead == 0xED) return b <= 0x9F;
    if (lead == 0xF0) return b >= 0x90;
    if (lead == 0xF4) return b <= 0x8F;
    return true;
}

}  // namespace

std::string CaptureConverter::Feed(std::string_view chunk) {
    std::string out;
    FeedInto(chunk, out);
    return out;
}

void CaptureConverter::FeedInto(std::string_view chunk, std::string& out) {
    if (codePage_ == kUtf8CodePage) {
        out.append(chunk);
        return;
    }
    std::string joined;
    std::string_view text = chunk;
    if (!held_.empty()) {
        joined = held_;
        joined.append(chunk);
        held_.clear();
        text = joined;
    }
    out.reserve(out.size() + text.size());
    size_t i = 0;
    while (i < text.size()) {
        // ASCII is the same in every code page: a run of it goes over at once.
        const size_t run = platform::AsciiPrefix(text.substr(i));
        out.append(text.data() + i, run);
        i += run;
        if (i == text.size()) break;
        const auto lead = static_cast<uint8_t>(text[i]);
        const size_t length = SequenceLength(lead);
        size_t have = 1;
        while (length > 0 && have < length && i + have < text.size() &&
               MayFollow(lead, have, static_cast<uint8_t>(text[i + have])))
            ++have;
        if (length == 0 || have < length) {
            if (length > 0 && i + have == text.size()) {
                held_ = text.substr(i);  // cut by the end of the read
                break;
            }
            out.push_back(static_cast<char>(lead));  // not UTF-8: kept as it is
            ++i;
            continue;
        }
        char32_t code = lead & (length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07);
        for (size_t k = 1; k < length; ++k)
            code = (code << 6) | (static_cast<uint8_t>(text[i + k]) & 0x3F);
        const uint16_t mapped =
            code <= 0xFFFF ? platform::EncodeChar(codePage_, static_cast<char16_t>(code)) : 0xFFFF;
        if (mapped == 0xFFFF) {
            out.push_back('?');
        } else if (mapped < 0x100) {
            out.push_back(static_cast<char>(mapped));
        } else {
            out.push_back(static_cast<char>(mapped >> 8));
            out.push_back(static_cast<char>(mapped & 0xFF));
        }
        i += length;
    }
}

std::string CaptureConverter::Finish() {
    std::string rest;
    rest.swap(held_);
    return rest;
}

std::string_view DropFinalEofMark(std::string_view read, size_t requested) {
    if (read.size() < requested && !read.empty() && read.back() == '\x1A') read.remove_suffix(1);
    return read;
}

}  // namespace norv::tools
