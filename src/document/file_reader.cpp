// The block reader of the loader.
#include "document/file_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace norv::document {

const char* FindLineBreak(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (end - p >= 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
        if (mask) return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    for (; p < end; ++p)
        if (*p == '\n' || *p == '\r') return p;
    return end;
}

namespace {

const char* FindEscOrSo(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i esc = _mm_set1_epi8(0x1B);
    const __m128i so = _mm_set1_epi8(0x0E);
    while (end - p >= 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, esc), _mm_cmpeq_epi8(v, so)));
        if (mask) return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    for (; p < end; ++p)
        if (*p == 0x1B || *p == 0x0E) return p;
    return end;
}

constexpr size_t kLongestLine = 65536 + 4;
// The block buffer has room behind its last byte for one window of classified bytes.
constexpr size_t kWindow = 64;

}  // namespace

void MappedFileReader::Buffer::Reserve(size_t n) {
    if (length == n) return;
    bytes = std::make_unique_for_overwrite<char[]>(n);
    length = n;
}

MappedFileReader::MappedFileReader(size_t blockBytes)
    : blockBytes_(blockBytes < 4096 ? 4096 : blockBytes) {}

int MappedFileReader::Open(platform::FileSystem& fs, const std::string& path) {
    Close();
    int error = 0;
    file_ = fs.OpenRead(path, &error);
    if (!file_) return error ? error : EIO;
    fileSize_ = file_->Size();
    buf_.Reserve(blockBytes_ + kLongestLine + kWindow);
    sourceDone_ = false;
    opened_ = true;
    return 0;
}

void MappedFileReader::OpenMemory(std::string data) {
    Close();
    fileSize_ = data.size();
    buf_.Reserve(data.size() + 1 + kWindow);
    std::memcpy(buf_.data(), data.data(), data.size());
    buf_.data()[data.size()] = '\0';
    end_ = data.size();
    sourceDone_ = true;
    opened_ = true;
    unscanned_ = true;
}

void MappedFileReader::Close() {
    file_.reset();
    pos_ = end_ = 0;
    bufFileOffset_ = 0;
    fileSize_ = 0;
    sourceDone_ = true;
    eofFlag_ = false;
    crlfCount = lfCount = crCount = 0;
    lastKind = 0;
    readError = 0;
    escScanned_ = nextEsc_ = 0;
    winValid_ = false;
    opened_ = false;
    unscanned_ = false;
}

void MappedFileReader::FeedScanner(size_t from, size_t to) {
    if (!utf8_ || utf8_->malformed()) return;
    utf8_->Feed(buf_.data() + from, to - from, true);
    if (sourceDone_) utf8_->Feed(nullptr, 0, false);  // a sequence open at the end is malformed
}

bool MappedFileReader::Fill(size_t want) {
    if (unscanned_ && utf8_) {
        // Bytes from memory are all there at once: the UTF-8 test sees them before any is read.
        unscanned_ = false;
        FeedScanner(pos_, end_);
    }
    if (end_ - pos_ >= want || sourceDone_) return end_ - pos_ >= want;
    winValid_ = false;
    // Move what is left to the front and read behind it.
    if (pos_ > 0) {
        std::memmove(buf_.data(), buf_.data() + pos_, end_ - pos_);
        bufFileOffset_ += pos_;
        end_ -= pos_;
        pos_ = 0;
    }
    size_t fedUpTo = end_;
    const size_t room = buf_.size() - kWindow;
    while (!sourceDone_ && end_ < room && end_ - pos_ < want + blockBytes_ / 2) {
        long n = file_->Read(buf_.data() + end_, room - end_);
        if (n < 0) {
            readError = file_->LastError() ? file_->LastError() : EIO;
            sourceDone_ = true;
        } else if (n == 0) {
            sourceDone_ = true;
        } else {
            end_ += static_cast<size_t>(n);
        }
    }
    if (end_ != fedUpTo || sourceDone_) FeedScanner(fedUpTo, end_);
    return end_ - pos_ >= want;
}

const char* MappedFileReader::Peek(size_t n, size_t* available) {
    if (!opened_) {
        *available = 0;
        return nullptr;
    }
    Fill(n);
    size_t avail = end_ - pos_;
    *available = avail < n ? avail : n;
    return buf_.data() + pos_;
}

void MappedFileReader::Skip(size_t n) {
    if (!opened_) return;
    Fill(n);
    pos_ += n < end_ - pos_ ? n : end_ - pos_;
}

size_t MappedFileReader::ReadRaw(char* out, size_t n) {
    if (!opened_) return 0;
    Fill(n);
    size_t avail = end_ - pos_;
    if (avail > n) avail = n;
    std::memcpy(out, buf_.data() + pos_, avail);
    pos_ += avail;
    return avail;
}

template <bool kHigh, bool kEsc>
void MappedFileReader::Classify(size_t at) {
    const char* p = buf_.data() + at;
    uint64_t breaks = 0, high = 0, esc = 0;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i escape = _mm_set1_epi8(0x1B);
    const __m128i so = _mm_set1_epi8(0x0E);
    for (size_t i = 0; i < kWindow; i += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const auto mask = [](__m128i m) {
            return static_cast<uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(m)));
        };
        breaks |= mask(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))) << i;
        if constexpr (kHigh) high |= mask(v) << i;
        if constexpr (kEsc)
            esc |= mask(_mm_or_si128(_mm_cmpeq_epi8(v, escape), _mm_cmpeq_epi8(v, so))) << i;
    }
#else
    for (size_t i = 0; i < kWindow; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        breaks |= static_cast<uint64_t>(c == '\r' || c == '\n') << i;
        high |= static_cast<uint64_t>(kHigh && c >= 0x80) << i;
        esc |= static_cast<uint64_t>(kEsc && (c == 0x1B || c == 0x0E)) << i;
    }
#endif
    winPos_ = at;
    winBreaks_ = breaks;
    winHigh_ = high;
    winEsc_ = esc;
    winHas_ = (kHigh ? kHighClass : 0) | (kEsc ? kEscClass : 0);
    winValid_ = true;
}

bool MappedFileReader::Next(ReadLine& line, size_t maxBytes) {
    if (!opened_ || eofFlag_) return false;
    if (maxBytes < 2) maxBytes = 2;
    size_t limit = maxBytes - 1;  // content bytes at most
    // Room for the longest line plus its line end (CR CR LF) and the byte that may follow;
    // most lines find it there already and skip the call.
    if (unscanned_ || (end_ - pos_ < limit + 3 && !sourceDone_)) [[unlikely]]
        Fill(limit + 3);
    const char* start = buf_.data() + pos_;
    const char* dataEnd = buf_.data() + end_;
    line.data = start;
    line.cut = false;
    line.crcrlf = false;
    line.available = 0;
    const uint8_t want = want_;
    line.highKnown = want & kHighClass;
    line.highBytes = false;
    line.escKnown = want & kEscClass;
    line.escOrSo = false;
    if (start == dataEnd) {  // an empty file, or the position reached the end
        line.length = 0;
        line.kind = 0;
        lastKind = 0;
        eofFlag_ = true;
        return true;
    }
    size_t span = static_cast<size_t>(dataEnd - start);
    line.available = span;
    // The first line break within the first `limit` bytes, found a window of bytes at a time;
    // the classes of the bytes before it are gathered on the way.
    const size_t stop = pos_ + (span < limit ? span : limit);
    size_t at = pos_;
    uint64_t high = 0, esc = 0;
    const char* brk = nullptr;
    while (at < stop) {
        if (!winValid_ || at < winPos_ || at - winPos_ >= kWindow || (want & ~winHas_)) {
            const size_t from = at & ~(kWindow - 1);
            switch (want) {
                case kHighClass | kEscClass:
                    Classify<true, true>(from);
                    break;
                case kHighClass:
                    Classify<true, false>(from);
                    break;
                case kEscClass:
                    Classify<false, true>(from);
                    break;
                default:
                    Classify<false, false>(from);
                    break;
            }
        }
        const size_t off = at - winPos_;
        const size_t n = std::min(kWindow - off, stop - at);
        const uint64_t valid = n == 64 ? ~uint64_t{0} : (uint64_t{1} << n) - 1;
        const uint64_t breaks = (winBreaks_ >> off) & valid;
        if (breaks) {
            const auto k = static_cast<unsigned>(__builtin_ctzll(breaks));
            const uint64_t before = (uint64_t{1} << k) - 1;
            high |= (winHigh_ >> off) & before;
            esc |= (winEsc_ >> off) & before;
            brk = buf_.data() + at + k;
            break;
        }
        high |= (winHigh_ >> off) & valid;
        esc |= (winEsc_ >> off) & valid;
        at += n;
    }
    line.highBytes = high != 0;
    line.escOrSo = esc != 0;
    const char* scanEnd = buf_.data() + stop;
    if (brk) {
        line.length = static_cast<size_t>(brk - start);
        const char* after;
        if (*brk == '\n') {
            line.kind = 0x10;
            ++lfCount;
            after = brk + 1;
        } else if (brk + 1 < dataEnd && brk[1] == '\n') {
            line.kind = 0x18;
            ++crlfCount;
            after = brk + 2;
        } else if (brk + 2 < dataEnd && brk[1] == '\r' && brk[2] == '\n') {
            line.kind = 0x18;  // CR CR LF counts as one CR LF
            line.crcrlf = true;
            ++crlfCount;
            after = brk + 3;
        } else {
            line.kind = 0x08;
            ++crCount;
            after = brk + 1;
        }
        pos_ = static_cast<size_t>(after - buf_.data());
    } else if (scanEnd == dataEnd) {
        // The data ends inside this line; a final 0x1A is dropped.
        line.length = span;
        if (span > 0 && start[span - 1] == 0x1A) --line.length;
        line.kind = 0;
        eofFlag_ = true;
        pos_ = end_;
    } else {
        // Too long: cut after `limit` bytes; the rest starts the next line.
        line.length = limit;
        line.kind = 0;
        line.cut = true;
        pos_ += limit;
    }
    lastKind = line.kind;
    return true;
}

void MappedFileReader::ShortenCut(ReadLine& line, size_t keep) {
    if (!line.cut || keep == 0 || keep >= line.length) return;
    pos_ -= line.length - keep;
    line.length = keep;
    line.highKnown = line.escKnown = false;
}

size_t MappedFileReader::ReadLineInto(char* out, size_t n) {
    ReadLine line;
    if (n < 2 || !Next(line, n)) return 0;
    std::memcpy(out, line.data, line.length);
    out[line.length] = '\n';
    if (line.length + 1 < n) out[line.length + 1] = '\0';
    return line.length + 1;
}

bool MappedFileReader::HasEscOrSo(const ReadLine& line) {
    if (line.escKnown) return line.escOrSo;
    uint64_t lineStart = bufFileOffset_ + static_cast<uint64_t>(line.data - buf_.data());
    uint64_t lineEnd = lineStart + line.length;
    // nextEsc_ is the first ESC/SO at or after the last scan's start, or escScanned_ when there
    // is none before escScanned_; lines are asked for in file order.
    if (nextEsc_ < escScanned_) {
        if (nextEsc_ >= lineStart) return nextEsc_ < lineEnd;
    } else if (lineEnd <= escScanned_) {
        return false;
    }
    const char* to = buf_.data() + end_;
    const char* hit = FindEscOrSo(line.data, to);
    escScanned_ = bufFileOffset_ + end_;
    nextEsc_ = bufFileOffset_ + static_cast<uint64_t>(hit - buf_.data());
    return nextEsc_ < lineEnd;
}

}  // namespace norv::document
