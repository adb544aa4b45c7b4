// The scanner of script sources: turns the text of a `.NRS` file, and of every file it
// includes, into tokens for the compiler, and keeps the first compile error.
//
// Sources are read whole; positions are offsets into them, so the compiler can mark a point and
// read a stretch of the same line again (an array element on the left of an assignment is
// compiled after its right side). An include pushes the includer's reading state; the end of an
// included text pops it and scanning goes on after the directive line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "script/compile_error.h"

namespace norv::platform {
class FileSystem;
}

namespace norv::script {

// Token codes besides the keywords (256-294) and single characters (their byte value).
enum Token : int {
    kTokEnd = 0,
    kTokHashLine = 10,  // a `#` line that is not an include
    kTokIdent = 300,
    kTokEos = 301,
    kTokString = 302,
    kTokNumber = 304,
    kTokNe = 351,
    kTokGe = 352,
    kTokLe = 353,
    kTokShl = 355,
    kTokShr = 356,
};

inline constexpr size_t kTokenTextMax = 256;  // identifier and literal text, without the NUL
inline constexpr size_t kIncludeDepthMax = 64;

class Lexer {
  public:
    // `source` is the text of the file at `path` (a full path; includes are resolved against
    // its folder).
    Lexer(platform::FileSystem& fs, std::string path, std::string source);

    // Advances to the next token; returns it (kTokEnd at the end of the input).
    int Next();

    int token() const { return token_; }
    int32_t value() const { return value_; }
    const std::string& text() const { return text_; }
    // 0-based line and the file of the current token.
    int tokenLine() const { return tokenLine_; }

    // Records the error at the current token's line (only the first error is kept) and skips to
    // the end of the statement.
    void Error(ErrorCode code);
    bool failed() const { return failed_; }
    const CompileError& error() const { return error_; }

    // A reading position inside the current file, for reading a stretch again.
    struct Mark {
        size_t depth, pos;
        int line, token, tokenLine;
        int32_t value;
        std::string text;
    };
    Mark Save() const;
    void Restore(const Mark& mark);

  private:
    struct Source {
        std::string text;  // NUL-terminated
        std::string path;
        size_t pos = 0;
        int line = 0;
    };

    int Scan();
    void Record(ErrorCode code, int line0, const std::string& file);
    void SkipLine();  // to the line feed (not consumed) or the end of the text
    // Handles a `#` line; returns true when it was an include (or a dropped self-include).
    bool HashLine(int line0);

    platform::FileSystem& fs_;
    std::vector<Source> sources_;  // the include stack; back() is being read
    int token_ = kTokEnd;
    int32_t value_ = 0;
    std::string text_;
    int tokenLine_ = 0;
    bool failed_ = false;
    CompileError error_;
};

}  // namespace norv::script
