// The scanner: comments, `#INCLUDE`, identifiers and keywords, numbers, string literals and
// operators. A token never exceeds the 256-byte text limit: longer identifiers, numbers and
// literals are "Constant too long." rather than being cut or overrunning.
#include "script/lexer.h"

#include <cstring>
#include <utility>

#include "platform/file_system.h"
#include "platform/paths.h"
#include "script/name_tables.h"
#include "script/read_limited.h"

namespace norv::script {
namespace {

bool IsLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
int HexDigit(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

}  // namespace

Lexer::Lexer(platform::FileSystem& fs, std::string path, std::string source) : fs_(fs) {
    Source s;
    s.text = std::move(source);
    s.text.push_back('\0');
    s.path = std::move(path);
    sources_.push_back(std::move(s));
}

Lexer::Mark Lexer::Save() const {
    const Source& s = sources_.back();
    return Mark{sources_.size(), s.pos, s.line, token_, tokenLine_, value_, text_};
}

void Lexer::Restore(const Mark& mark) {
    // A mark is only ever taken and restored inside one statement, which cannot span files.
    if (mark.depth != sources_.size()) return;
    Source& s = sources_.back();
    s.pos = mark.pos;
    s.line = mark.line;
    token_ = mark.token;
    tokenLine_ = mark.tokenLine;
    value_ = mark.value;
    text_ = mark.text;
}

void Lexer::Record(ErrorCode code, int line0, const std::string& file) {
    if (failed_) return;
    failed_ = true;
    error_.code = code;
    error_.line = line0 + 1;
    error_.file = file;
}

void Lexer::Error(ErrorCode code) {
    Record(code, tokenLine_, sources_.back().path);
    while (token_ != kTokEos && token_ != kTokEnd) Next();
}

int Lexer::Next() {
    token_ = Scan();
    return token_;
}

void Lexer::SkipLine() {
    Source& s = sources_.back();
    while (s.text[s.pos] != '\n' && s.text[s.pos] != '\0') ++s.pos;
}

bool Lexer::HashLine(int line0) {
    Source& s = sources_.back();
    // The rest of the line, of which at most 1020 characters count.
    const size_t start = s.pos;
    SkipLine();
    std::string line = s.text.substr(start, std::min<size_t>(s.pos - start, 1020));
    if (s.text[s.pos] == '\n') {
        ++s.pos;
        ++s.line;
    }
    const size_t cmp = line.size() < 8 ? line.size() : 7;
    static constexpr char kInclude[] = "INCLUDE";
    bool include = cmp > 0;
    for (size_t i = 0; i < cmp; ++i)
        if (Upper(line[i]) != kInclude[i]) include = false;
    if (!include) return false;

    size_t p = cmp;
    while (p < line.size() && (line[p] == ' ' || line[p] == '\t')) ++p;
    std::string name;
    const size_t q1 = line.find('"', p);
    if (q1 != std::string::npos) {
        const size_t q2 = line.find('"', q1 + 1);
        name = line.substr(q1 + 1, q2 == std::string::npos ? std::string::npos : q2 - q1 - 1);
    }
    std::string path = platform::IsRelativePath(name)
                           ? platform::JoinPath(platform::FolderOf(s.path), name)
                           : platform::ExpandHome(name);
    path = platform::FullPath(path);
    // A file never includes itself, directly or through others.
    for (const Source& open : sources_)
        if (open.path == path) return true;
    std::string text;
    if (name.empty() || sources_.size() >= kIncludeDepthMax ||
        !ReadFileLimited(fs_, path, text, kSourceFileMax, ReadBound::kFailOverLimit)) {
        Record(ErrorCode::kFileNotFound, line0, s.path);
        return true;
    }
    Source inc;
    inc.text = std::move(text);
    inc.text.push_back('\0');
    inc.path = std::move(path);
    sources_.push_back(std::move(inc));
    return true;
}

int Lexer::Scan() {
    for (;;) {
        Source& s = sources_.back();
        const unsigned char c = static_cast<unsigned char>(s.text[s.pos]);
        tokenLine_ = s.line;
        if (c == '\n') {
            ++s.pos;
            ++s.line;
            return kTokEos;
        }
        if (c == '\0') {
            if (sources_.size() == 1) return kTokEnd;
            sources_.pop_back();
            continue;
        }
        if (c < '!') {
            ++s.pos;
            continue;
        }
        if (c == '\'') {
            // A comment ends at its line end, or at the end of an included file.
            SkipLine();
            continue;
        }
        if (c == '#') {
            ++s.pos;
            if (HashLine(s.line)) continue;
            return kTokHashLine;
        }
        if (IsLetter(c)) {
            const size_t start = s.pos;
            while (IsLetter(static_cast<unsigned char>(s.text[s.pos])) ||
                   IsDigit(static_cast<unsigned char>(s.text[s.pos])) || s.text[s.pos] == '_')
                ++s.pos;
            const size_t n = s.pos - start;
            if (n >= 3 && Upper(s.text[start]) == 'R' && Upper(s.text[start + 1]) == 'E' &&
                Upper(s.text[start + 2]) == 'M') {
                SkipLine();
                continue;
            }
            if (n > kTokenTextMax) {
                text_.clear();
                Record(ErrorCode::kConstantTooLong, s.line, s.path);
                return kTokIdent;
            }
            text_.assign(s.text, start, n);
            if (const int kw = LookupKeyword(text_)) return kw;
            if (CompareNoCase(text_, "TRUE") == 0 || CompareNoCase(text_, "FALSE") == 0) {
                value_ = CompareNoCase(text_, "TRUE") == 0 ? 1 : 0;
                return kTokNumber;
            }
            return kTokIdent;
        }
        if (IsDigit(c)) {
            const size_t start = s.pos;
            uint32_t v = 0;
            while (IsDigit(static_cast<unsigned char>(s.text[s.pos]))) {
                v = v * 10u + static_cast<uint32_t>(s.text[s.pos] - '0');  // wraps at 32 bits
                ++s.pos;
            }
            if (s.pos - start > kTokenTextMax) Record(ErrorCode::kConstantTooLong, s.line, s.path);
            value_ = static_cast<int32_t>(v);
            return kTokNumber;
        }
        if (c == '&') {
            ++s.pos;
            if (s.text[s.pos] != 'H' && s.text[s.pos] != 'h') return '&';
            ++s.pos;
            const size_t start = s.pos;
            uint64_t v = 0;
            int d;
            while ((d = HexDigit(static_cast<unsigned char>(s.text[s.pos]))) >= 0) {
                v = v * 16 + static_cast<uint64_t>(d);
                if (v > 0xFFFFFFFFu) v = 0xFFFFFFFFu;  // an unsigned conversion saturates
                ++s.pos;
            }
            if (s.pos - start > kTokenTextMax) Record(ErrorCode::kConstantTooLong, s.line, s.path);
            value_ = static_cast<int32_t>(static_cast<uint32_t>(v));
            return kTokNumber;
        }
        if (c == '"') {
            ++s.pos;
            text_.clear();
            for (;;) {
                const unsigned char b = static_cast<unsigned char>(s.text[s.pos]);
                if (b == '"') {
                    ++s.pos;
                    return kTokString;
                }
                if (b < ' ') {
                    Record(ErrorCode::kSyntax, s.line, s.path);
                    return kTokString;
                }
                if (text_.size() == kTokenTextMax) {
                    Record(ErrorCode::kConstantTooLong, s.line, s.path);
                    return kTokString;
                }
                text_.push_back(static_cast<char>(b));
                ++s.pos;
            }
        }
        if (c == ';') {
            ++s.pos;
            if (s.text[s.pos] == '\r' && s.text[s.pos + 1] == '\n') {
                s.pos += 2;
                ++s.line;
            } else if (s.text[s.pos] == '\n') {
                ++s.pos;
                ++s.line;
            }
            return kTokEos;
        }
        ++s.pos;
        if (c == '<') {
            const char n = s.text[s.pos];
            if (n == '>') return ++s.pos, kTokNe;
            if (n == '=') return ++s.pos, kTokLe;
            if (n == '<') return ++s.pos, kTokShl;
            return '<';
        }
        if (c == '>') {
            const char n = s.text[s.pos];
            if (n == '=') return ++s.pos, kTokGe;
            if (n == '>') return ++s.pos, kTokShr;
            return '>';
        }
        return c;
    }
}

}  // namespace norv::script
