// Reading and changing single values of a settings file text.
#include "app/config/settings_file.h"

namespace norv::app {

namespace ini_detail {
int ClassifyLine(std::string_view line, std::string_view& a, std::string_view& b) {
    if (!line.empty() && line.front() == '[') {
        size_t close = line.find(']', 1);
        a = line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
        return 1;
    }
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return 0;
    a = line.substr(0, eq);
    b = line.substr(eq + 1);
    return 2;
}
}  // namespace ini_detail

namespace {

// Where a key lives in the text, as offsets: found section, found key line, and where a new key
// line would be inserted.
struct Location {
    bool sectionFound = false;
    bool keyFound = false;
    size_t keyLineStart = 0;  // the key's line (when found)
    size_t keyLineEnd = 0;    // end of its text, before the line end
    size_t insertAt = 0;      // after the section's last non-empty line (when the section exists)
};

Location Locate(std::string_view text, std::string_view section, std::string_view key) {
    Location loc;
    LineReader reader(text);
    std::string_view line, a, b;
    bool inTarget = false;
    bool seenTarget = false;
    size_t start = 0;
    while (reader.Next(line)) {
        int kind = ini_detail::ClassifyLine(line, a, b);
        if (kind == 1) {
            if (inTarget) break;  // the first occurrence of the section has ended
            if (!seenTarget && a == section) {
                inTarget = seenTarget = true;
                loc.sectionFound = true;
                loc.insertAt = reader.Position();
            }
        } else if (inTarget) {
            if (kind == 2 && a == key) {
                loc.keyFound = true;
                loc.keyLineStart = start;
                loc.keyLineEnd = start + line.size();
                return loc;
            }
            if (!line.empty()) loc.insertAt = reader.Position();
        }
        start = reader.Position();
    }
    return loc;
}

}  // namespace

std::optional<std::string_view> FindIniValue(std::string_view fileText, std::string_view section,
                                             std::string_view key) {
    Location loc = Locate(fileText, section, key);
    if (!loc.keyFound) return std::nullopt;
    std::string_view line = fileText.substr(loc.keyLineStart, loc.keyLineEnd - loc.keyLineStart);
    return line.substr(line.find('=') + 1);
}

namespace {
// Ends the last line of `out` before a line is added after it. A CR that ends the file is that
// line's end without its LF: it gets the LF, since another line end after it would turn the CR
// into the last byte of the line's value.
void EndLastLine(std::string& out, std::string_view eol) {
    if (out.empty() || out.back() == '\n') return;
    if (out.back() == '\r') {
        out.push_back('\n');
    } else {
        out.append(eol);
    }
}
}  // namespace

std::string SetIniValue(std::string_view fileText, std::string_view section, std::string_view key,
                        std::string_view value) {
    Location loc = Locate(fileText, section, key);
    std::string out;
    out.reserve(fileText.size() + section.size() + key.size() + value.size() + 8);
    if (loc.keyFound) {
        out.append(fileText.substr(0, loc.keyLineStart));
        out.append(key).append("=").append(value);
        out.append(fileText.substr(loc.keyLineEnd));
        return out;
    }
    std::string_view eol = LineEndText(DominantLineEnd(fileText));
    if (loc.sectionFound) {
        out.append(fileText.substr(0, loc.insertAt));
        // The section's last line may be the file's last line, without a line end.
        EndLastLine(out, eol);
        out.append(key).append("=").append(value).append(eol);
        out.append(fileText.substr(loc.insertAt));
        return out;
    }
    out.append(fileText);
    EndLastLine(out, eol);
    out.append("[").append(section).append("]").append(eol);
    out.append(key).append("=").append(value).append(eol);
    return out;
}

}  // namespace norv::app
