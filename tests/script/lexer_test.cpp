// The scanner: tokens, comments, literals and their limits, includes.
#include "script/lexer.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/file_system.h"
#include "script/name_tables.h"
#include "script_test_support.h"

namespace norv::script {
namespace {

struct Tok {
    int token;
    int32_t value;
    std::string text;
    bool operator==(const Tok&) const = default;
};

std::vector<Tok> Scan(const std::string& src, Lexer** keep = nullptr) {
    static std::unique_ptr<Lexer> lex;
    lex = std::make_unique<Lexer>(platform::RealFileSystem(), "/tmp/x.NRS", src);
    std::vector<Tok> out;
    for (int t = lex->Next(); t != kTokEnd && out.size() < 100; t = lex->Next()) {
        Tok k{t, 0, ""};
        if (t == kTokNumber) k.value = lex->value();
        if (t == kTokIdent || t == kTokString) k.text = lex->text();
        out.push_back(k);
        if (lex->failed()) break;
    }
    if (keep) *keep = lex.get();
    return out;
}

TEST(ScriptLexer, Tokens) {
    static const struct {
        const char* src;
        std::vector<Tok> want;
    } kCases[] = {
        {"x = 1; y = 2",
         {{kTokIdent, 0, "x"},
          {'=', 0, ""},
          {kTokNumber, 1, ""},
          {kTokEos, 0, ""},
          {kTokIdent, 0, "y"},
          {'=', 0, ""},
          {kTokNumber, 2, ""}}},
        {"&HFF &h7fffffff &HFFFFFFFF &Hx",
         {{kTokNumber, 255, ""},
          {kTokNumber, 2147483647, ""},
          {kTokNumber, -1, ""},
          {kTokNumber, 0, ""},
          {kTokIdent, 0, "x"}}},
        {"a & b", {{kTokIdent, 0, "a"}, {'&', 0, ""}, {kTokIdent, 0, "b"}}},
        {"TRUE true False", {{kTokNumber, 1, ""}, {kTokNumber, 1, ""}, {kTokNumber, 0, ""}}},
        {"INTEGER bool Hwnd", {{kKwInteger, 0, ""}, {kKwInteger, 0, ""}, {kKwInteger, 0, ""}}},
        {"<> >= <= << >> < > =",
         {{kTokNe, 0, ""},
          {kTokGe, 0, ""},
          {kTokLe, 0, ""},
          {kTokShl, 0, ""},
          {kTokShr, 0, ""},
          {'<', 0, ""},
          {'>', 0, ""},
          {'=', 0, ""}}},
        {"s$ n% a_b1",
         {{kTokIdent, 0, "s"},
          {'$', 0, ""},
          {kTokIdent, 0, "n"},
          {'%', 0, ""},
          {kTokIdent, 0, "a_b1"}}},
        {"Remark = 5\nx", {{kTokEos, 0, ""}, {kTokIdent, 0, "x"}}},
        {"x ' comment\ny", {{kTokIdent, 0, "x"}, {kTokEos, 0, ""}, {kTokIdent, 0, "y"}}},
        {"\"a'b\"", {{kTokString, 0, "a'b"}}},
        {"2147483648", {{kTokNumber, INT32_MIN, ""}}},
    };
    for (const auto& c : kCases) EXPECT_EQ(Scan(c.src), c.want) << c.src;
}

TEST(ScriptLexer, SemicolonBeforeCrLfIsOneEndOfStatementAndOneLine) {
    Lexer* lex = nullptr;
    const auto toks = Scan("a;\r\nb", &lex);
    ASSERT_EQ(toks.size(), 3u);
    EXPECT_EQ(toks[1].token, kTokEos);
    EXPECT_EQ(toks[2].text, "b");
    EXPECT_EQ(lex->tokenLine(), 1);
}

TEST(ScriptLexer, LimitsAndErrors) {
    static const struct {
        std::string src;
        bool fails;
        ErrorCode code;
        int line;
    } kCases[] = {
        {"\"" + std::string(256, 'a') + "\"", false, ErrorCode::kSyntax, 0},
        {"\"" + std::string(257, 'a') + "\"", true, ErrorCode::kConstantTooLong, 1},
        {"x\n\"abc\ny", true, ErrorCode::kSyntax, 2},
        {"\"tab\there\"", true, ErrorCode::kSyntax, 1},
        {std::string(256, 'v'), false, ErrorCode::kSyntax, 0},
        {std::string(257, 'v'), true, ErrorCode::kConstantTooLong, 1},
        {std::string(300, '7'), true, ErrorCode::kConstantTooLong, 1},
        {"&H" + std::string(300, 'f'), true, ErrorCode::kConstantTooLong, 1},
    };
    for (const auto& c : kCases) {
        Lexer* lex = nullptr;
        Scan(c.src, &lex);
        EXPECT_EQ(lex->failed(), c.fails) << c.src.substr(0, 20);
        if (c.fails) {
            EXPECT_EQ(lex->error().code, c.code) << c.src.substr(0, 20);
            EXPECT_EQ(lex->error().line, c.line) << c.src.substr(0, 20);
        }
    }
}

TEST(ScriptLexer, HashLinesOtherThanIncludeAreALineFeedToken) {
    const auto toks = Scan("x\n#define X\ny");
    ASSERT_GE(toks.size(), 3u);
    EXPECT_EQ(toks[2].token, kTokHashLine);
}

TEST(ScriptLexer, IncludesNestAndReturnAfterTheirDirective) {
    testing::ScratchDir dir;
    dir.Write("c.nrs", "c1\n");
    dir.Write("b.nrs", "b1\n#include \"c.nrs\"\nb3\n");
    const std::string a =
        dir.Write("a.nrs", "a1\n#INCLUDE \"b.nrs\"\na3\n#include \"a.nrs\"\na5\n");
    Lexer lex(platform::RealFileSystem(), a,
              "a1\n#INCLUDE \"b.nrs\"\na3\n#include \"a.nrs\"\na5\n");
    std::vector<std::pair<std::string, int>> idents;
    for (int t = lex.Next(); t != kTokEnd; t = lex.Next())
        if (t == kTokIdent) idents.emplace_back(lex.text(), lex.tokenLine());
    const std::vector<std::pair<std::string, int>> want = {{"a1", 0}, {"b1", 0}, {"c1", 0},
                                                           {"b3", 2}, {"a3", 2}, {"a5", 4}};
    EXPECT_EQ(idents, want);
    EXPECT_FALSE(lex.failed());
}

TEST(ScriptLexer, MissingIncludeIsFileNotFoundAtTheDirectiveLine) {
    testing::ScratchDir dir;
    const std::string src = "x\n#include \"nothere.nrs\"\ny\n";
    Lexer lex(platform::RealFileSystem(), dir.path() + "/a.nrs", src);
    while (lex.Next() != kTokEnd && !lex.failed()) {
    }
    ASSERT_TRUE(lex.failed());
    EXPECT_EQ(lex.error().code, ErrorCode::kFileNotFound);
    EXPECT_EQ(lex.error().line, 2);
}

TEST(ScriptLexer, CommentAtTheEndOfAnIncludeDoesNotSwallowTheIncludersNextLine) {
    testing::ScratchDir dir;
    dir.Write("b.nrs", "b1 ' last line without a line end");
    const std::string src = "#include \"b.nrs\"\na2\n";
    Lexer lex(platform::RealFileSystem(), dir.path() + "/a.nrs", src);
    std::vector<std::string> idents;
    for (int t = lex.Next(); t != kTokEnd; t = lex.Next())
        if (t == kTokIdent) idents.push_back(lex.text());
    EXPECT_EQ(idents, (std::vector<std::string>{"b1", "a2"}));
}

}  // namespace
}  // namespace norv::script
