// Reading tags and jumping to them (see tag_jump.h).
#include "search/tag_jump.h"

#include <algorithm>
#include <vector>

#include "document/char_model.h"
#include "document/codecs.h"
#include "platform/paths.h"

namespace norv::search {
namespace {

bool IsSeparator(uint8_t b) {
    return kTagSeparators.find(static_cast<char>(b)) != std::string_view::npos;
}

// A character that may stand in a name taken around a period.
bool NameChar(std::string_view line, size_t start, size_t length) {
    const auto b = static_cast<uint8_t>(line[start]);
    if (length > 1) return true;  // a multi-byte character is never a separator
    return b >= '!' && !IsSeparator(b);
}

}  // namespace

std::optional<TagName> ParseTagLine(std::string_view line, int codePage) {
    // The characters' starts, so that the name can be followed backwards.
    std::vector<size_t> starts;
    starts.reserve(line.size() + 1);
    const char* p = line.data();
    const char* end = p + line.size();
    for (size_t i = 0; i < line.size();) {
        starts.push_back(i);
        i += document::CharLength(codePage, p + i, end);
    }
    starts.push_back(line.size());
    auto lengthAt = [&](size_t k) { return starts[k + 1] - starts[k]; };

    TagName tag;
    size_t numberFrom = 0;
    size_t k = 0;
    for (; k + 1 < starts.size(); ++k) {
        if (lengthAt(k) != 1) continue;
        const size_t i = starts[k];
        const char c = line[i];
        if (c == '.' && i > 0 && static_cast<uint8_t>(line[i - 1]) >= '!' && line[i - 1] != '/')
            break;
        if (c == '"') break;
        if (c == ':' && i + 1 < line.size() && line[i + 1] == ' ') break;
    }
    const bool atEnd = k + 1 >= starts.size();
    if (!atEnd && line[starts[k]] == '"') {
        const size_t open = starts[k] + 1;
        size_t close = line.find('"', open);
        if (close == std::string_view::npos) close = line.size();
        tag.name = std::string(line.substr(open, close - open));
        numberFrom = close;
    } else if (!atEnd && line[starts[k]] == '.') {
        size_t first = k;
        while (first > 0 && NameChar(line, starts[first - 1], lengthAt(first - 1))) --first;
        size_t last = k;  // one past the name's last character
        while (last + 1 < starts.size() && NameChar(line, starts[last], lengthAt(last))) ++last;
        tag.name = std::string(line.substr(starts[first], starts[last] - starts[first]));
        numberFrom = starts[last];
    } else {
        const size_t paren = line.find('(');
        if (paren == std::string_view::npos) return std::nullopt;
        tag.name = std::string(line.substr(0, paren));
        numberFrom = paren;
    }
    const size_t digit = line.find_first_of("0123456789", numberFrom);
    if (digit != std::string_view::npos) {
        uint64_t n = 0;
        for (size_t i = digit; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
            const auto d = static_cast<uint64_t>(line[i] - '0');
            n = n > (UINT64_MAX - d) / 10 ? UINT64_MAX : n * 10 + d;
        }
        tag.line = n;
    }
    const size_t from = tag.name.find_first_not_of(':');
    if (from == std::string::npos) return std::nullopt;
    tag.name.erase(0, from);
    tag.name.erase(tag.name.find_last_not_of(':') + 1);
    return tag;
}

std::string TagPath(platform::FileSystem& fs, const std::string& baseFolder,
                    std::string_view name) {
    auto place = [&](std::string_view n) {
        return platform::FullPath(platform::IsRelativePath(n) ? baseFolder + std::string(n)
                                                              : platform::ExpandHome(n));
    };
    std::string path = place(name);
    if (name.find('\\') == std::string_view::npos || fs.Stat(path)) return path;
    std::string slashed(name);
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    std::string other = place(slashed);
    return fs.Stat(other) ? other : path;
}

int TagTargetLine(std::optional<uint64_t> number, int lineCount) {
    if (!number || *number == 0) return 1;
    return *number >= static_cast<uint64_t>(lineCount) ? std::max(lineCount, 1)
                                                       : static_cast<int>(*number);
}

TagJumpStatus RunTagJump(editing::CElwView& from, platform::FileSystem& fs,
                         platform::UserInterface& ui, TagJumpHost& host) {
    const document::CElwDoc& doc = from.doc();
    std::string text = from.LineContent(from.caretLine());
    if (!text.empty() && text.back() == '\n') text.pop_back();
    std::optional<TagName> tag = ParseTagLine(text, doc.CodePage());
    if (!tag) {
        ui.Refuse(kNoTagText);
        return TagJumpStatus::kNoName;
    }
    // Names go back to the file system's bytes.
    std::string name;
    if (document::IsUtf8CodePage(doc.CodePage()))
        name = tag->name;
    else
        document::AnsiToUtf8(name, tag->name, doc.CodePage());
    const std::string base = doc.path.empty() || platform::IsRelativePath(doc.path)
                                 ? platform::CurrentFolder()
                                 : platform::FolderOf(doc.path);
    const std::string path = TagPath(fs, base, name);
    platform::ChangeCurrentFolder(base);
    editing::CElwView* to = host.OpenOrActivate(path);
    if (!to) return TagJumpStatus::kNotOpened;
    to->JumpTo(TagTargetLine(tag->line, to->doc().lineCount()), true);
    to->ScrollTo(to->caretRow() - to->windowRows() / 2);
    return TagJumpStatus::kJumped;
}

}  // namespace norv::search
