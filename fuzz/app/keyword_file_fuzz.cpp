// Arbitrary bytes as a keyword file: what is read, once written, reads back the same, and
// every bucket stays in order. Written back unedited the file stays byte for byte; edited (a
// keyword removed, one added, a group renamed, a block added) it reads back as edited.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/config/keyword_file.h"
#include "app/config/keyword_file_edit.h"

using namespace norv::app;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    KeywordFile first(932), second(932);
    ParseKeywordFile(text, first);
    for (int b = 0; b < 256; ++b) {
        const auto& bucket = first.keywords.Bucket(static_cast<uint8_t>(b));
        for (size_t i = 1; i < bucket.size(); ++i)
            if (KeywordTable::Compare(bucket[i - 1].text, bucket[i].text, 932) > 0) std::abort();
    }
    std::string saved = FormatKeywordFile(first);
    ParseKeywordFile(saved, second);
    if (second.groups != first.groups || second.blocks != first.blocks) std::abort();
    for (int b = 0; b < 256; ++b)
        if (second.keywords.Bucket(uint8_t(b)) != first.keywords.Bucket(uint8_t(b))) std::abort();
    if (FormatKeywordFile(second) != saved) std::abort();
    (void)KeywordGroupsForFile("/a/b.c", first);

    if (RewriteKeywordFile(text, first) != text) std::abort();
    KeywordFile edited = first;
    for (int b = 0; b < 256; ++b) {
        const auto& bucket = edited.keywords.Bucket(static_cast<uint8_t>(b));
        if (bucket.empty()) continue;
        const KeywordTable::Entry gone = bucket.front();
        edited.keywords.Remove(gone.text, gone.group);
        break;
    }
    edited.keywords.Add("zz", int(size % 16));
    edited.groups[size % 16].name += "x";
    edited.blocks.push_back({"<!--", "-->", int(size % 16), true, false});
    KeywordFile back(932);
    ParseKeywordFile(RewriteKeywordFile(text, edited), back);
    if (back.groups != edited.groups || back.blocks != edited.blocks) std::abort();
    for (int b = 0; b < 256; ++b)
        if (back.keywords.Bucket(uint8_t(b)) != edited.keywords.Bucket(uint8_t(b))) std::abort();
    return 0;
}
