// Reading and appending the word lists of the spelling check.
#include "tools/spell/word_list.h"

#include <cerrno>

#include "tools/spell/word_scanner.h"

namespace norv::tools {

bool IsListWord(std::string_view s) {
    if (s.empty() || s.size() > kMaxWordBytes) return false;
    if (!IsWordByte(static_cast<uint8_t>(s[0]))) return false;
    for (char ch : s) {
        const auto c = static_cast<uint8_t>(ch);
        if (!IsWordByte(c) && c != '\'' && c != '-' && c != '.') return false;
    }
    return true;
}

void ParseWordList(std::string_view bytes, WordList& list) {
    size_t start = 0;
    while (start < bytes.size()) {
        size_t nl = bytes.find('\n', start);
        const size_t stop = nl == std::string_view::npos ? bytes.size() : nl;
        std::string_view line = bytes.substr(start, stop - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (IsListWord(line)) list.words.emplace(line);
        if (nl == std::string_view::npos) break;
        start = nl + 1;
    }
    list.openLine = !bytes.empty() && bytes.back() != '\n';
}

WordListStatus ReadWordList(platform::FileSystem& fs, const std::string& path, WordList& list) {
    int error = 0;
    std::unique_ptr<platform::InputFile> in = fs.OpenRead(path, &error);
    if (!in) {
        if (error != ENOENT && fs.Stat(path)) return WordListStatus::kFailed;
        auto out = fs.OpenWrite(path, platform::WriteMode::kCreateNew, 0644, &error);
        if (!out) return WordListStatus::kFailed;
        return out->Close() ? WordListStatus::kCreated : WordListStatus::kFailed;
    }
    // Read in pieces; a line is only cut where a piece ends, so the pieces are joined at their
    // last line feed.
    std::string pending;
    char buf[65536];
    for (;;) {
        const long n = in->Read(buf, sizeof buf);
        if (n < 0) {
            ParseWordList(pending, list);
            return WordListStatus::kFailed;
        }
        if (n == 0) break;
        pending.append(buf, static_cast<size_t>(n));
        const size_t nl = pending.rfind('\n');
        if (nl == std::string::npos) {
            // A line this long cannot be a word: keep only enough to know it is too long.
            if (pending.size() > kMaxWordBytes + 2) pending.resize(kMaxWordBytes + 2);
            continue;
        }
        ParseWordList(std::string_view(pending).substr(0, nl + 1), list);
        pending.erase(0, nl + 1);
    }
    ParseWordList(pending, list);
    return WordListStatus::kRead;
}

bool AppendWord(platform::FileSystem& fs, const std::string& path, std::string_view word,
                WordList& list) {
    std::string line;
    if (list.openLine) line += '\n';
    line.append(word).append(1, '\n');
    int error = 0;
    auto out = fs.OpenWrite(path, platform::WriteMode::kAppend, 0644, &error);
    if (!out) return false;
    const bool written = out->Write(line.data(), line.size());
    const bool closed = out->Close();
    list.openLine = !(written && closed);
    return written && closed;
}

}  // namespace norv::tools
