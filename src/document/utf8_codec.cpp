// The UTF-8 test of the loader: does a line (or a text cut into pieces) read as UTF-8?
//
// The test is the editor's own and deliberately loose: a lead byte 110xxxxx, 1110xxxx,
// 11110xxx, 111110xx or 1111110x announces one to five continuation bytes 10xxxxxx; nothing else
// is checked (overlong forms and values beyond Unicode pass). Any other byte where a lead is
// expected, a non-continuation where one is expected, or a sequence cut by the end of a line,
// fails. ASCII carries no evidence either way: an ASCII-only line fails IsUtf8Line and leaves a
// Utf8Scanner as it was. ASCII runs are skipped eight bytes at a time.
#include "document/codec_bits.h"
#include "document/codecs.h"

namespace norv::document {
namespace {

using namespace codec_bits;

// Continuation bytes announced by a lead byte, or -1 for a byte that cannot lead.
constexpr int ContinuationCount(uint8_t b) {
    if ((b & 0xE0) == 0xC0) return 1;
    if ((b & 0xF0) == 0xE0) return 2;
    if ((b & 0xF8) == 0xF0) return 3;
    if ((b & 0xFC) == 0xF8) return 4;
    if ((b & 0xFE) == 0xFC) return 5;
    return -1;
}

// Scans n bytes starting with `pending` continuation bytes still expected. Returns false at the
// first malformed byte; sets *sawMultiByte when a continuation byte was seen.
bool ScanUtf8(const uint8_t* p, size_t n, int* pending, bool* sawMultiByte) {
    size_t i = 0;
    int expect = *pending;
    while (i < n) {
        if (expect == 0) {
            while (n - i >= 8 && (Load8(p + i) & kHighBits) == 0) i += 8;
            while (i < n && p[i] < 0x80) ++i;
            if (i == n) break;
            expect = ContinuationCount(p[i++]);
            if (expect < 0) return false;
        } else {
            if ((p[i++] & 0xC0) != 0x80) return false;
            *sawMultiByte = true;
            --expect;
        }
    }
    *pending = expect;
    return true;
}

}  // namespace

bool IsUtf8Line(const char* p, size_t n) {
    int pending = 0;
    bool saw = false;
    return ScanUtf8(reinterpret_cast<const uint8_t*>(p), n, &pending, &saw) && pending == 0 &&
           saw;
}

void Utf8Scanner::Feed(const char* p, size_t n, bool continues) {
    if (malformed_) return;
    if (!ScanUtf8(reinterpret_cast<const uint8_t*>(p), n, &pending_, &sawMultiByte_) ||
        (!continues && pending_ != 0)) {
        malformed_ = true;
        pending_ = 0;
    }
}

}  // namespace norv::document
