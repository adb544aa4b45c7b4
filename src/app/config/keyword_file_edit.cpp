// Line-keeping rewrite of the keyword file.
#include "app/config/keyword_file_edit.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "app/config/companion_files.h"

namespace norv::app {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

std::string Field(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return out;
}

std::string HeaderLine(int g, const KeywordGroup& group, std::string_view eol) {
    std::string out(1, static_cast<char>(0x10 + g));
    out.append(Field(group.name)).append("\t").append(Field(group.fileTypes)).append("\t");
    out += std::to_string(group.Switches());
    out += eol;
    return out;
}

std::string BlockLine(const CommentBlock& b, std::string_view eol) {
    char num[32];
    std::string out = " ";
    out.append(Field(b.begin)).append("\t");
    out.push_back(kHex[b.group & 15]);
    out.append("\t").append(Field(b.end));
    std::snprintf(num, sizeof num, "\t%d\t%d", b.colored ? 1 : 0, b.bold ? 1 : 0);
    out += num;
    out += eol;
    return out;
}

std::string KeywordLine(const KeywordTable::Entry& e, std::string_view eol) {
    std::string out = e.text;
    out.push_back('\t');
    out.push_back(kHex[e.group & 15]);
    out += eol;
    return out;
}

// One line of the file with its line end, as the reader sees it.
struct RawLine {
    std::string_view text;  // without the line end
    std::string_view whole;
};

std::vector<RawLine> RawLines(std::string_view s) {
    std::vector<RawLine> out;
    size_t pos = 0;
    while (pos < s.size()) {
        size_t nl = s.find('\n', pos);
        size_t end = nl == std::string_view::npos ? s.size() : nl + 1;
        std::string_view whole = s.substr(pos, end - pos);
        std::string_view text = whole;
        if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        out.push_back({text, whole});
        pos = end;
    }
    return out;
}

}  // namespace

std::string RewriteKeywordFile(std::string_view original, const KeywordFile& edited) {
    const int codePage = edited.keywords.CodePage();
    KeywordFile before(codePage);
    ParseKeywordFile(original, before);
    const std::string eol = original.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";

    std::array<bool, kKeywordGroupCount> headerSeen{};
    std::vector<bool> blockUsed(edited.blocks.size(), false);
    KeywordTable kept(codePage);  // the keywords whose lines stay
    std::string out;
    bool lastHadEnd = true;
    for (const RawLine& line : RawLines(original)) {
        const auto first = line.text.empty() ? 0 : static_cast<uint8_t>(line.text[0]);
        if (first >= 0x10 && first < 0x20 && line.text.find('\t') != std::string_view::npos) {
            const int g = first - 0x10;
            const bool changed = !(edited.groups[size_t(g)] == before.groups[size_t(g)]);
            const bool seen = headerSeen[size_t(g)];
            headerSeen[size_t(g)] = true;
            if (changed) {
                // The first header of a changed group takes its new form; later ones go.
                if (!seen) out += HeaderLine(g, edited.groups[size_t(g)], eol);
                lastHadEnd = true;
                continue;
            }
        } else if (!line.text.empty()) {
            KeywordFile one(codePage);
            ParseKeywordFile(line.text, one);
            if (!one.blocks.empty()) {
                bool found = false;
                for (size_t i = 0; i < edited.blocks.size() && !found; ++i)
                    if (!blockUsed[i] && edited.blocks[i] == one.blocks[0])
                        found = blockUsed[i] = true;
                if (!found) continue;
            } else if (one.keywords.Size() == 1) {
                const size_t tab = line.text.find('\t');
                const std::string_view text = line.text.substr(0, tab);
                const int g = HexDigitValue(line.text[tab + 1]);
                if (!edited.keywords.Contains(text, g)) continue;
                kept.Add(text, g);
            }
        }
        out += line.whole;
        lastHadEnd = line.whole.back() == '\n';
    }
    // What is new goes after the old lines.
    std::string added;
    for (int g = 0; g < kKeywordGroupCount; ++g)
        if (!headerSeen[size_t(g)] && !(edited.groups[size_t(g)] == before.groups[size_t(g)]))
            added += HeaderLine(g, edited.groups[size_t(g)], eol);
    for (size_t i = 0; i < edited.blocks.size(); ++i)
        if (!blockUsed[i]) added += BlockLine(edited.blocks[i], eol);
    for (int b = 0; b < 256; ++b) {
        if (b >= 'a' && b <= 'z') continue;  // the same bucket as its upper-case letter
        const auto& bucket = edited.keywords.Bucket(static_cast<uint8_t>(b));
        // Reading puts a repeated text in front of the one there, so a run of equal texts is
        // written last entry first.
        for (size_t run = 0; run < bucket.size();) {
            size_t runEnd = run + 1;
            while (runEnd < bucket.size() && bucket[runEnd].text == bucket[run].text) ++runEnd;
            for (size_t k = runEnd; k-- > run;)
                if (!kept.Contains(bucket[k].text, bucket[k].group))
                    added += KeywordLine(bucket[k], eol);
            run = runEnd;
        }
    }
    if (!added.empty() && !lastHadEnd) out += eol;
    out += added;
    return out;
}

int SaveEditedKeywordFile(platform::FileSystem& fs, const std::string& path,
                          const KeywordFile& edited) {
    std::string text;
    const int error = platform::ReadWholeFile(fs, path, text);
    if (error != 0 && error != ENOENT) return error;
    return WriteConfigFile(fs, path, RewriteKeywordFile(error ? std::string() : text, edited));
}

}  // namespace norv::app
