// The check against Hunspell's own program on the licence texts of the system: the words the
// check stops at are exactly those that both `hunspell -d en_US -l` and `hunspell -d en_GB -l`
// report (a word either dictionary accepts is accepted). Only words of letters take part: the
// program's own word rules for digits, dots, apostrophes and hyphens are its own.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "app/spell_check.h"
#include "editing/edit_test_support.h"
#include "platform/fakes/memory_file_system.h"
#include "support/temp_dir.h"

namespace norv::app {
namespace {

std::string RunProgram(const std::string& command) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
    return out;
}

// The letter-only words of a text, in order, with brackets and punctuation around them taken off.
std::vector<std::string> LetterWords(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    std::string token;
    const std::string strip = ",;:!?()[]{}\"<>*_/`";
    while (in >> token) {
        size_t a = token.find_first_not_of(strip);
        size_t b = token.find_last_not_of(strip);
        if (a == std::string::npos) continue;
        token = token.substr(a, b - a + 1);
        bool letters = !token.empty();
        for (char c : token)
            letters = letters && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
        if (letters) words.push_back(token);
    }
    return words;
}

std::set<std::string> Reported(const std::string& dictionary, const std::string& path) {
    std::set<std::string> out;
    std::istringstream in(RunProgram("hunspell -d " + dictionary + " -l < '" + path + "'"));
    std::string line;
    while (std::getline(in, line))
        if (!line.empty()) out.insert(line);
    return out;
}

TEST(SpellCheckAgainstHunspell, StopsAtTheWordsBothDictionariesReport) {
    platform::MemoryFileSystem fs;
    auto session = OpenSpellSession(true, true, "/s/", fs);
    if (!session || RunProgram("command -v hunspell").empty())
        GTEST_SKIP() << "hunspell and its en_US and en_GB dictionaries come with the test command";
    std::vector<std::string> words;
    for (const auto& e : std::filesystem::directory_iterator("/usr/share/common-licenses")) {
        if (!e.is_regular_file()) continue;
        std::ifstream f(e.path());
        std::stringstream text;
        text << f.rdbuf();
        for (std::string& w : LetterWords(text.str())) words.push_back(std::move(w));
    }
    ASSERT_GT(words.size(), 10000u);
    std::string text;
    for (size_t i = 0; i < words.size(); ++i) text += words[i] + (i % 12 == 11 ? "\n" : " ");
    norv::testing::TempDir dir;
    const std::string path = dir.Write("words.txt", text);
    const std::set<std::string> us = Reported("en_US", path);
    const std::set<std::string> gb = Reported("en_GB", path);
    ASSERT_FALSE(us.empty());
    ASSERT_FALSE(gb.empty());
    std::vector<std::string> expected;
    for (const std::string& w : words)
        if (us.count(w) && gb.count(w)) expected.push_back(w);
    ASSERT_FALSE(expected.empty()) << "the texts hold words neither dictionary knows";

    editing::testing::Editor editor(editing::testing::Enc::kSjis);
    editor.Load(text);
    std::vector<std::string> stops;
    SpellCheckEnvironment env;
    env.dialog = [&](SpellingRequest& r) {
        stops.push_back(r.word);
        return SpellingAnswer::kIgnore;
    };
    SpellCheckResult r = RunSpellCheck(*editor.view, nullptr, *session, env);
    EXPECT_EQ(r.wordsChecked, static_cast<int>(words.size()));
    EXPECT_EQ(stops, expected);
}

}  // namespace
}  // namespace norv::app
