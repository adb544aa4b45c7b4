// Reading and searching the text of find in files in blocks (see grep_text.h).
#include "search/grep_text.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "document/file_decoder.h"
#include "document/file_decoder_read.h"
#include "platform/code_page.h"

namespace norv::search {
namespace {

// Whether bytes read the same in every code the loader knows: no byte above 0x7F, no ESC (a
// JIS escape) and no NUL (UTF-16).
bool ReadsAlikeInEveryCode(const char* p, size_t n) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i esc = _mm_set1_epi8(0x1B);
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i bad = _mm_or_si128(_mm_cmpeq_epi8(v, esc), _mm_cmpeq_epi8(v, zero));
        if (_mm_movemask_epi8(_mm_or_si128(bad, v)) != 0) return false;
    }
#endif
    for (; i < n; ++i) {
        const auto b = static_cast<uint8_t>(p[i]);
        if (b >= 0x80 || b == 0x1B || b == 0) return false;
    }
    return true;
}

// The bytes of the line end a line was read with.
size_t LineEndBytes(const document::ReadLine& line) {
    switch (line.kind) {
        case 0x10:
        case 0x08:
            return 1;
        case 0x18:
            return line.crcrlf ? 3 : 2;
        default:
            return 0;
    }
}

// The line feeds in text[from, to): the line numbers of the hits are counted from them.
uint64_t CountLineFeeds(std::string_view text, size_t from, size_t to) {
    const char* p = text.data() + from;
    const char* const end = text.data() + to;
    uint64_t n = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        n += static_cast<uint64_t>(
            std::popcount(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)))));
    }
#endif
    for (; p < end; ++p) n += *p == '\n' ? 1 : 0;
    return n;
}

}  // namespace

GrepTextSearch::GrepTextSearch(size_t blockBytes)
    : blockBytes_(std::max<size_t>(blockBytes, 1)), reader_(blockBytes), decider_(blockBytes) {}

void GrepTextSearch::Begin() {
    block_.clear();
    const size_t most = blockBytes_ + document::kMaxLineBytes + kGrepLookahead + kGrepRegionBytes;
    if (block_.capacity() < most) block_.reserve(most);
    firstLine_ = 1;
    read_ = 0;
    stopped_ = false;
}

bool GrepTextSearch::Scan(bool last, GrepMatcher& matcher, GrepLineSink& sink) {
    const std::string_view text = block_;
    // Lines that start within the lookahead of the end wait for the next block.
    const size_t limit =
        last ? text.size()
             : (text.size() > kGrepLookahead ? LineStartOf(text, 0, text.size() - kGrepLookahead)
                                             : 0);
    size_t pos = 0;
    size_t counted = 0;
    uint64_t number = firstLine_;
    while (pos < limit) {
        std::optional<size_t> m = matcher.Find(text, pos, limit);
        if (!m) break;
        const size_t start = LineStartOf(text, pos, *m);
        number += CountLineFeeds(text, counted, start);
        counted = start;
        const void* lf = std::memchr(text.data() + *m, '\n', text.size() - *m);
        const size_t end =
            lf ? static_cast<size_t>(static_cast<const char*>(lf) - text.data()) : text.size();
        if (!sink.Line(number, text.substr(start, end - start))) {
            stopped_ = true;
            return false;
        }
        pos = end + 1;
    }
    if (last) return true;
    number += CountLineFeeds(text, counted, limit);
    firstLine_ = number;
    block_.erase(0, limit);
    return true;
}

bool GrepTextSearch::Add(std::string_view content, GrepMatcher& matcher, GrepLineSink& sink) {
    block_.append(content);
    block_.push_back('\n');
    if (++read_ % kGrepPollLines == 0 && sink.Poll()) {
        stopped_ = true;
        return false;
    }
    if (block_.size() >= blockBytes_ + kGrepLookahead) return Scan(false, matcher, sink);
    return true;
}

bool GrepTextSearch::AddRegion(const char* data, size_t size, GrepMatcher& matcher,
                               GrepLineSink& sink, bool* going) {
    const size_t old = block_.size();
    // The line ends as the reader reads them, in order: CR LF and CR CR LF are one line end, a
    // lone CR is one. The region ends with a line feed, so no line end is cut off at its end.
    const char* s = data;
    const char* const end = data + size;
    while (s < end) {
        const void* hit = std::memchr(s, '\r', static_cast<size_t>(end - s));
        if (!hit) {
            block_.append(s, static_cast<size_t>(end - s));
            break;
        }
        const char* cr = static_cast<const char*>(hit);
        block_.append(s, static_cast<size_t>(cr - s));
        if (cr + 1 < end && cr[1] == '\n') {
            s = cr + 1;
        } else if (cr + 2 < end && cr[1] == '\r' && cr[2] == '\n') {
            s = cr + 2;
        } else {
            block_.push_back('\n');
            s = cr + 1;
        }
    }
    // A line the reader would cut goes through the reader.
    const char* const text = block_.data();
    for (size_t q = old; q < block_.size();) {
        const size_t window = std::min(block_.size() - q, document::kMaxLineBytes - 1);
        const void* lf = memrchr(text + q, '\n', window);
        if (!lf) {
            block_.resize(old);
            return false;
        }
        q = static_cast<size_t>(static_cast<const char*>(lf) - text) + 1;
    }
    const uint64_t lines = CountLineFeeds(block_, old, block_.size());
    const bool poll = (read_ + lines) / kGrepPollLines != read_ / kGrepPollLines;
    read_ += lines;
    if (poll && sink.Poll()) {
        stopped_ = true;
        *going = false;
        return true;
    }
    if (block_.size() >= blockBytes_ + kGrepLookahead) *going = Scan(false, matcher, sink);
    return true;
}

GrepTextStatus GrepTextSearch::SearchFile(platform::FileSystem& fs, const std::string& path,
                                          GrepMatcher& matcher, GrepLineSink& sink) {
    if (reader_.Open(fs, path) != 0) return GrepTextStatus::kUnreadable;
    return SearchOpened(matcher, sink);
}

GrepTextStatus GrepTextSearch::SearchOpened(GrepMatcher& matcher, GrepLineSink& sink) {
    Begin();
    document::ReadLine line;
    bool going = true;
    // Whole lines are taken a region at a time and put into the block at once; the reader reads
    // line by line only what a region cannot take: a line it would cut, and the end of the
    // file (a last line without a line end, a final 0x1A, the empty line after a final line
    // end).
    while (going) {
        size_t available = 0;
        const char* data = reader_.Peek(kGrepRegionBytes, &available);
        const void* lastLf = available ? memrchr(data, '\n', available) : nullptr;
        if (!lastLf) {
            // The end of the file, or a line longer than a region: the reader cuts it.
            if (available < kGrepRegionBytes || !reader_.Next(line)) break;
            going = Add({line.data, line.length}, matcher, sink);
            continue;
        }
        const size_t region = static_cast<size_t>(static_cast<const char*>(lastLf) - data) + 1;
        if (AddRegion(data, region, matcher, sink, &going)) {
            reader_.Skip(region);
            continue;
        }
        // Line by line up to the region's end.
        size_t consumed = 0;
        while (going && consumed < region && reader_.Next(line)) {
            consumed += line.length + LineEndBytes(line);
            going = Add({line.data, line.length}, matcher, sink);
        }
    }
    while (going && reader_.Next(line)) going = Add({line.data, line.length}, matcher, sink);
    reader_.Close();
    if (going) Scan(true, matcher, sink);
    return stopped_ ? GrepTextStatus::kStopped : GrepTextStatus::kDone;
}

// The decoded lines of a file, put into the block as they come.
class GrepTextSearch::DecodedLines final : public document::DecodedLineSink {
  public:
    DecodedLines(GrepTextSearch& search, GrepMatcher& matcher, GrepLineSink& sink)
        : search_(search), matcher_(matcher), sink_(sink) {}
    bool Line(const char* data, size_t length, uint8_t /*flags*/) override {
        return search_.Add({data, length}, matcher_, sink_);
    }
    bool Restart() override {
        // Only a detection that changes its mind starts over; a code given never does, so
        // nothing has been reported yet that would be reported twice.
        search_.Begin();
        return true;
    }

  private:
    GrepTextSearch& search_;
    GrepMatcher& matcher_;
    GrepLineSink& sink_;
};

GrepTextStatus GrepTextSearch::SearchFileInItsCode(platform::FileSystem& fs,
                                                   const std::string& path,
                                                   const GrepDecoding& decoding, GrepLineSink& sink,
                                                   document::TextCode* code) {
    using document::TextCode;
    if (reader_.Open(fs, path) != 0) return GrepTextStatus::kUnreadable;
    const uint64_t size = reader_.fileSize();
    size_t available = 0;
    const char* head =
        reader_.Peek(static_cast<size_t>(std::min<uint64_t>(size + 1, blockBytes_)), &available);
    const bool whole = available == size;
    TextCode decided = TextCode::kAnsi;
    if (!whole || !ReadsAlikeInEveryCode(head, available)) {
        // The decision looks at the whole file, as the loader does, never at one block alone.
        std::optional<TextCode> c;
        if (whole) {
            const std::string copy(head, available);
            decider_.OpenMemory(copy);
            c = document::DecideTextCode(
                decider_,
                [&](document::MappedFileReader& r) {
                    r.OpenMemory(copy);
                    return 0;
                },
                decoding.load, decoding.systemCodePage);
        } else if (decider_.Open(fs, path) == 0) {
            c = document::DecideTextCode(
                decider_, [&](document::MappedFileReader& r) { return r.Open(fs, path); },
                decoding.load, decoding.systemCodePage);
        }
        decider_.Close();
        if (!c) {
            reader_.Close();
            return GrepTextStatus::kUnreadable;
        }
        decided = *c;
    }
    if (code) *code = decided;
    GrepMatcher& matcher = document::IsUnicodeFamily(decided) ? *decoding.utf8 : *decoding.system;
    sink.TextCodePage(document::IsUnicodeFamily(decided) ? platform::kCodePageUtf8
                                                         : decoding.systemCodePage);
    if (decided == TextCode::kAnsi || decided == TextCode::kUtf8) {
        // Held as stored: only a byte-order mark is left out.
        if (decided == TextCode::kUtf8) {
            head = reader_.Peek(3, &available);
            if (available == 3 && std::memcmp(head, "\xEF\xBB\xBF", 3) == 0) reader_.Skip(3);
        }
        return SearchOpened(matcher, sink);
    }
    Begin();
    document::FileDecoder decoder(decoding.load, document::ChoiceForCode(decided),
                                  decoding.systemCodePage);
    DecodedLines lines(*this, matcher, sink);
    const document::FileDecoder::Outcome outcome = decoder.Read(
        reader_, [&](document::MappedFileReader& r) { return r.Open(fs, path); }, lines);
    reader_.Close();
    if (outcome == document::FileDecoder::Outcome::kDone) Scan(true, matcher, sink);
    return stopped_ ? GrepTextStatus::kStopped : GrepTextStatus::kDone;
}

GrepTextStatus GrepTextSearch::SearchLines(const document::LineList& lines, GrepMatcher& matcher,
                                           GrepLineSink& sink) {
    Begin();
    bool going = true;
    for (const document::LineRecord* r = lines.first(); going && r; r = r->next)
        going = Add({r->text(), r->contentLength()}, matcher, sink);
    if (going) Scan(true, matcher, sink);
    return stopped_ ? GrepTextStatus::kStopped : GrepTextStatus::kDone;
}

}  // namespace norv::search
