// Reading and searching the text of find in files in blocks (see grep_text.h).
#include "search/grep_text.h"

#include <algorithm>
#include <cstring>

namespace norv::search {

GrepTextSearch::GrepTextSearch(size_t blockBytes)
    : blockBytes_(std::max<size_t>(blockBytes, 1)), reader_(blockBytes) {}

void GrepTextSearch::Begin() {
    block_.clear();
    if (block_.capacity() < blockBytes_ + document::kMaxLineBytes + kGrepLookahead)
        block_.reserve(blockBytes_ + document::kMaxLineBytes + kGrepLookahead);
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
        number +=
            static_cast<uint64_t>(std::count(text.begin() + static_cast<ptrdiff_t>(counted),
                                             text.begin() + static_cast<ptrdiff_t>(start), '\n'));
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
    number += static_cast<uint64_t>(std::count(text.begin() + static_cast<ptrdiff_t>(counted),
                                               text.begin() + static_cast<ptrdiff_t>(limit), '\n'));
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

GrepTextStatus GrepTextSearch::SearchFile(platform::FileSystem& fs, const std::string& path,
                                          GrepMatcher& matcher, GrepLineSink& sink) {
    if (reader_.Open(fs, path) != 0) return GrepTextStatus::Unreadable;
    Begin();
    document::ReadLine line;
    bool going = true;
    while (going && reader_.Next(line)) going = Add({line.data, line.length}, matcher, sink);
    reader_.Close();
    if (going) Scan(true, matcher, sink);
    return stopped_ ? GrepTextStatus::Stopped : GrepTextStatus::Done;
}

GrepTextStatus GrepTextSearch::SearchLines(const document::LineList& lines, GrepMatcher& matcher,
                                           GrepLineSink& sink) {
    Begin();
    bool going = true;
    for (const document::LineRecord* r = lines.first(); going && r; r = r->next)
        going = Add({r->text(), r->contentLength()}, matcher, sink);
    if (going) Scan(true, matcher, sink);
    return stopped_ ? GrepTextStatus::Stopped : GrepTextStatus::Done;
}

}  // namespace norv::search
