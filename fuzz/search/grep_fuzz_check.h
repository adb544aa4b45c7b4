// The checks of the find-in-files fuzz targets, shared with the test that runs their seeds and
// kept crash inputs as plain tests.
//
// grep_scan_fuzz: one byte of options (bits 0-2 pick a pattern, bit 3 a regular expression,
// bit 4 ignore case, bit 5 word, bit 6 top of line, bit 7 end of line), one byte picking the
// code page (932 or 1252), and the text as a file's bytes. The lines found must be the same
// with small blocks and one large one, with the prefilter and without it, the memory checks
// see that no search reads outside its buffers.
// grep_codes_fuzz: one byte of options as above, one byte of load settings (bits 0-3: the EUC,
// JIS, UTF-8 and UTF-16 detections off), and the file's bytes, searched in its own code and as
// stored: in its own code the code must be the one the loader gives, and the lines found the
// same with small blocks and one large one, with the prefilter and without it.
// tag_jump_fuzz: the bytes as one line (932, then UTF-8): the name must be a piece of the line.
// grep_mask_fuzz: name and mask split at the first zero byte; "*" and the name itself (when it
// holds no wildcard) must match.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"
#include "document/line_heap.h"
#include "platform/fakes/memory_file_system.h"
#include "search/grep_mask.h"
#include "search/grep_scan.h"
#include "search/grep_text.h"
#include "search/tag_jump.h"

namespace norv::search::fuzzing {

class Lines : public GrepLineSink {
  public:
    bool Line(uint64_t number, std::string_view text) override {
        found.push_back(std::to_string(number) + ":" + std::string(text));
        return true;
    }
    bool Poll() override { return false; }
    std::vector<std::string> found;
};

inline std::string RunGrepInput(const uint8_t* data, size_t size) {
    if (size < 2) return "";
    static const char* const kPatterns[] = {"a",      "ab",    "a\\nb", "\x82\xa0",
                                            "[a-c]+", "x|\\t", "a.*b",  "\\x83"};
    const uint8_t o = data[0];
    const int codePage = (data[1] & 1) ? 1252 : 932;
    GrepOptions options;
    options.regularExpression = (o & 8) != 0;
    options.ignoreCase = (o & 16) != 0;
    options.matchWord = (o & 32) != 0;
    options.matchTopOfLine = (o & 64) != 0;
    options.matchEndOfLine = (o & 128) != 0;
    platform::MemoryFileSystem fs;
    fs.files["/f"] = std::string(reinterpret_cast<const char*>(data) + 2, size - 2);
    std::vector<std::string> answers[3];
    for (int run = 0; run < 3; ++run) {
        GrepMatcher m;
        m.usePrefilter = run != 2;
        if (!m.Compile(kPatterns[o & 7], options, codePage)) return "";
        GrepTextSearch text(run == 0 ? 4096 : 65536);
        Lines sink;
        text.SearchFile(fs, "/f", m, sink);
        answers[run] = sink.found;
    }
    if (answers[0] != answers[1]) return "the block size changed the lines found";
    if (answers[1] != answers[2]) return "the prefilter changed the lines found";
    return "";
}

inline std::string RunGrepCodesInput(const uint8_t* data, size_t size) {
    if (size < 2) return "";
    static const char* const kPatterns[] = {"a",      "ab",         "a\\nb", "\x93\xfa\x96\x7b",
                                            "[a-c]+", "\x82\xa0|b", "a.*b",  "\x83\x41"};
    const uint8_t o = data[0];
    GrepOptions options;
    options.regularExpression = (o & 8) != 0;
    options.ignoreCase = (o & 16) != 0;
    options.matchWord = (o & 32) != 0;
    options.matchTopOfLine = (o & 64) != 0;
    options.matchEndOfLine = (o & 128) != 0;
    GrepDecoding decoding;
    decoding.load.eucRead = (data[1] & 1) == 0;
    decoding.load.jisRead = (data[1] & 2) == 0;
    decoding.load.utf8Read = (data[1] & 4) == 0;
    decoding.load.utf16Read = (data[1] & 8) == 0;
    decoding.systemCodePage = 932;
    platform::MemoryFileSystem fs;
    fs.files["/f"] = std::string(reinterpret_cast<const char*>(data) + 2, size - 2);

    document::LineHeap heap;
    document::DocumentEnvironment env;
    env.heap = &heap;
    env.fs = &fs;
    env.codePage = 932;
    env.load = decoding.load;
    document::TextCode loaded = document::TextCode::kNone;
    {
        document::CElwDoc doc(env);
        if (doc.OpenDocument("/f", document::CodeChoice::kDefault) == 1) loaded = doc.code;
    }
    std::vector<std::string> answers[3];
    for (int run = 0; run < 3; ++run) {
        GrepMatcher system, utf8;
        system.usePrefilter = utf8.usePrefilter = run != 2;
        if (!system.Compile(kPatterns[o & 7], options, 932)) return "";
        utf8.Compile(kPatterns[o & 7], options, 65001, 932);
        decoding.system = &system;
        decoding.utf8 = &utf8;
        GrepTextSearch text(run == 0 ? 4096 : 65536);
        Lines sink;
        document::TextCode code = document::TextCode::kNone;
        text.SearchFileInItsCode(fs, "/f", decoding, sink, &code);
        if (loaded != document::TextCode::kNone && code != loaded)
            return "the code differs from the loader's";
        answers[run] = sink.found;
        // As stored, as the byte search reads it.
        Lines stored;
        text.SearchFile(fs, "/f", system, stored);
    }
    if (answers[0] != answers[1]) return "the block size changed the lines found";
    if (answers[1] != answers[2]) return "the prefilter changed the lines found";
    return "";
}

inline std::string RunTagLineInput(const uint8_t* data, size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    for (int codePage : {932, 65000}) {
        std::optional<TagName> tag = ParseTagLine(line, codePage);
        if (!tag) continue;
        if (tag->name.empty()) return "an empty name";
        if (line.find(tag->name) == std::string_view::npos) return "a name that is not in the line";
    }
    return "";
}

inline std::string RunMaskInput(const uint8_t* data, size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t zero = all.find('\0');
    const std::string_view name = all.substr(0, zero);
    const std::string_view mask = zero == std::string_view::npos ? name : all.substr(zero + 1);
    MatchesMask(name, mask);
    SplitMasks(mask);
    if (!MatchesMask(name, "*")) return "\"*\" did not match";
    if (name.find_first_of("*?") == std::string_view::npos && !MatchesMask(name, name))
        return "a name did not match itself";
    return "";
}

}  // namespace norv::search::fuzzing
