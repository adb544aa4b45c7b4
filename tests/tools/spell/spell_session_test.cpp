// The spelling engine's session over the Debian dictionaries and over dictionaries of the
// test's own: which dictionaries open, what is accepted, the suggestions' order, their limit
// and their conversion into the document's code, and the lists.
#include "tools/spell/spell_session.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/code_page.h"
#include "platform/fakes/memory_file_system.h"

namespace norv::tools {
namespace {

bool Installed(std::string_view name) {
    return OpenHunspellDictionary(DictionaryFoldersFromEnvironment(), name) != nullptr;
}

#define NEED_DICTIONARIES()                                                          \
    if (!Installed("en_US") || !Installed("en_GB"))                                  \
    GTEST_SKIP() << "hunspell-en-us and hunspell-en-gb are not installed (the test " \
                    "command installs them)"

// A dictionary of the test's own: the words it accepts and the suggestions it makes, in its
// encoding.
class ListDictionary : public SpellDictionary {
  public:
    ListDictionary(std::string encoding, std::vector<std::string> words,
                   std::vector<std::string> suggestions)
        : encoding_(std::move(encoding)),
          words_(std::move(words)),
          suggestions_(std::move(suggestions)) {}
    std::string Encoding() const override { return encoding_; }
    bool Accepts(const std::string& w) override {
        ++lookups;
        return std::find(words_.begin(), words_.end(), w) != words_.end();
    }
    std::vector<std::string> Suggest(const std::string&) override { return suggestions_; }
    int lookups = 0;

  private:
    std::string encoding_;
    std::vector<std::string> words_;
    std::vector<std::string> suggestions_;
};

std::unique_ptr<ListDictionary> Dict(std::string encoding, std::vector<std::string> words,
                                     std::vector<std::string> suggestions) {
    return std::make_unique<ListDictionary>(std::move(encoding), std::move(words),
                                            std::move(suggestions));
}

struct Fake {
    std::map<std::string, ListDictionary*> made;
    std::map<std::string, std::function<std::unique_ptr<ListDictionary>()>> installed;
    std::unique_ptr<SpellSession> Open(bool american, bool british) {
        SpellSessionOptions o;
        o.american = american;
        o.british = british;
        o.fs = &fs;
        o.userListPath = "/s/BkIgn.tlx";
        o.openDictionary = [this](std::string_view name) -> std::unique_ptr<SpellDictionary> {
            auto it = installed.find(std::string(name));
            if (it == installed.end()) return nullptr;
            auto d = it->second();
            made[std::string(name)] = d.get();
            return d;
        };
        return SpellSession::Open(o);
    }
    platform::MemoryFileSystem fs;
};

std::unique_ptr<SpellSession> OpenReal(bool american, bool british, platform::FileSystem& fs) {
    SpellSessionOptions o;
    o.american = american;
    o.british = british;
    o.fs = &fs;
    o.userListPath = "/s/BkIgn.tlx";
    return SpellSession::Open(o);
}

TEST(SpellSession, EachSettingOpensItsOwnDictionary) {
    NEED_DICTIONARIES();
    platform::MemoryFileSystem fs;
    static const struct {
        bool american, british;
        const char* word;
        WordVerdict verdict;
    } kCases[] = {
        {true, false, "color", WordVerdict::kAccepted},
        {true, false, "colour", WordVerdict::kNotAccepted},
        {false, true, "colour", WordVerdict::kAccepted},
        {false, true, "color", WordVerdict::kNotAccepted},
        // Either dictionary accepting is enough.
        {true, true, "color", WordVerdict::kAccepted},
        {true, true, "colour", WordVerdict::kAccepted},
        {true, true, "recieve", WordVerdict::kNotAccepted},
        // Each dictionary with its own affixes: a British suffix on a British stem.
        {false, true, "realised", WordVerdict::kAccepted},
        {true, false, "realized", WordVerdict::kAccepted},
    };
    for (const auto& c : kCases) {
        auto s = OpenReal(c.american, c.british, fs);
        ASSERT_TRUE(s);
        EXPECT_EQ(s->CheckWord(c.word, nullptr), c.verdict)
            << c.word << " american " << c.american << " british " << c.british;
    }
}

TEST(SpellSession, NoneChosenOrNoneInstalledCannotOpen) {
    platform::MemoryFileSystem fs;
    EXPECT_FALSE(OpenReal(false, false, fs));
    Fake f;
    EXPECT_FALSE(f.Open(true, true));
    f.installed["en_GB"] = [] { return Dict("UTF-8", {}, {}); };
    EXPECT_FALSE(f.Open(true, false)) << "the chosen one is missing";
    EXPECT_TRUE(f.Open(true, true)) << "one of the chosen ones is enough";
    EXPECT_TRUE(f.fs.files.count("/s/BkIgn.tlx")) << "the user list is made on opening";
}

TEST(SpellSession, DictionariesAreLookedForInDicpathFirst) {
    EXPECT_EQ(DictionaryFolders(std::nullopt), std::vector<std::string>{"/usr/share/hunspell"});
    EXPECT_EQ(DictionaryFolders(std::string("/a::/b/:")),
              (std::vector<std::string>{"/a", "/b/", "/usr/share/hunspell"}));
    EXPECT_FALSE(OpenHunspellDictionary({"/nonexistent"}, "en_US"));
    if (Installed("en_US")) {
        EXPECT_TRUE(OpenHunspellDictionary({"/nonexistent", "/usr/share/hunspell/"}, "en_US"));
    }
}

TEST(SpellSession, SuggestionsComeFromBothInOrderWithoutDuplicatesAtMostTwenty) {
    Fake f;
    std::vector<std::string> many;
    for (int i = 0; i < 30; ++i) many.push_back("w" + std::to_string(i));
    f.installed["en_US"] = [] {
        return Dict("UTF-8", std::vector<std::string>{}, std::vector<std::string>{"b", "a", "c"});
    };
    f.installed["en_GB"] = [&] {
        std::vector<std::string> s = {"a", "d"};
        s.insert(s.end(), many.begin(), many.end());
        return Dict("UTF-8", std::vector<std::string>{}, s);
    };
    auto s = f.Open(true, true);
    ASSERT_TRUE(s);
    std::vector<std::string> got = s->Suggest("x", 932);
    ASSERT_EQ(got.size(), kMaxSuggestions);
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + 5),
              (std::vector<std::string>{"b", "a", "c", "d", "w0"}));
    EXPECT_EQ(got.back(), "w15");
}

TEST(SpellSession, SuggestionsTheDocumentCannotHoldAreLeftOut) {
    Fake f;
    // "café", "naïve", "日本" and "ok" in the dictionary's own encodings.
    f.installed["en_US"] = [] {
        return Dict("ISO8859-1", std::vector<std::string>{},
                    std::vector<std::string>{"caf\xE9", "na\xEFve", "ok"});
    };
    f.installed["en_GB"] = [] {
        return Dict("UTF-8", std::vector<std::string>{},
                    std::vector<std::string>{"caf\xC3\xA9", "\xE6\x97\xA5\xE6\x9C\xAC", "bad\xFF"});
    };
    auto s = f.Open(true, true);
    ASSERT_TRUE(s);
    // Shift-JIS holds neither accented letter; UTF-8 holds all of them; code page 1252 holds
    // the Latin ones. A malformed suggestion is never shown.
    EXPECT_EQ(s->Suggest("x", 932), (std::vector<std::string>{"ok", "\x93\xFA\x96\x7B"}));
    EXPECT_EQ(s->Suggest("x", platform::kCodePageUtf8Internal),
              (std::vector<std::string>{"caf\xC3\xA9", "na\xC3\xAFve", "ok",
                                        "\xE6\x97\xA5\xE6\x9C\xAC"}));
    EXPECT_EQ(s->Suggest("x", 1252), (std::vector<std::string>{"caf\xE9", "na\xEFve", "ok"}));
}

TEST(SpellSession, RealSuggestionsPutTheAmericanFirst) {
    NEED_DICTIONARIES();
    platform::MemoryFileSystem fs;
    auto both = OpenReal(true, true, fs);
    auto us = OpenReal(true, false, fs);
    ASSERT_TRUE(both && us);
    const std::vector<std::string> all = both->Suggest("recieve", 932);
    const std::vector<std::string> american = us->Suggest("recieve", 932);
    ASSERT_FALSE(american.empty());
    EXPECT_EQ(all.front(), "receive");
    ASSERT_GE(all.size(), american.size());
    EXPECT_TRUE(std::equal(american.begin(), american.end(), all.begin()));
}

TEST(SpellSession, ListsComeBeforeTheDictionariesAndTheirKeptVerdicts) {
    Fake f;
    f.installed["en_US"] = [] {
        return Dict("UTF-8", std::vector<std::string>{"good"}, std::vector<std::string>{});
    };
    f.fs.files["/s/BkIgn.tlx"] = "Norv\r\n";
    auto s = f.Open(true, false);
    ASSERT_TRUE(s);
    ListDictionary* d = f.made["en_US"];
    EXPECT_EQ(s->CheckWord("Norv", nullptr), WordVerdict::kAccepted) << "the user's list";
    EXPECT_EQ(s->CheckWord("good", nullptr), WordVerdict::kAccepted);
    EXPECT_EQ(s->CheckWord("good", nullptr), WordVerdict::kAccepted);
    EXPECT_EQ(d->lookups, 1) << "a verdict is kept for the run";
    // A word once not accepted, then put on each list: the kept verdict does not hide it.
    EXPECT_EQ(s->CheckWord("teh", nullptr), WordVerdict::kNotAccepted);
    s->IgnoreAll("teh");
    EXPECT_EQ(s->CheckWord("teh", nullptr), WordVerdict::kAccepted);
    EXPECT_EQ(s->CheckWord("Teh", nullptr), WordVerdict::kNotAccepted) << "lists are exact";
    EXPECT_TRUE(s->AddToUserList("Teh"));
    EXPECT_EQ(s->CheckWord("Teh", nullptr), WordVerdict::kAccepted);
    EXPECT_EQ(f.fs.files["/s/BkIgn.tlx"], "Norv\r\nTeh\n");
    // The change list wins over everything, with a replacement of any length.
    const std::string longer(300, 'r');
    s->ChangeAll("good", longer);
    std::string replacement;
    EXPECT_EQ(s->CheckWord("good", &replacement), WordVerdict::kReplace);
    EXPECT_EQ(replacement, longer);
}

TEST(SpellSession, AFailedAddStillIgnoresTheWord) {
    Fake f;
    f.installed["en_US"] = [] { return Dict("UTF-8", {}, {}); };
    auto s = f.Open(true, false);
    ASSERT_TRUE(s);
    f.fs.unopenable.insert("/s/BkIgn.tlx");
    EXPECT_FALSE(s->AddToUserList("zzyzx"));
    EXPECT_EQ(s->CheckWord("zzyzx", nullptr), WordVerdict::kAccepted);
    EXPECT_EQ(s->UserListPath(), "/s/BkIgn.tlx");
}

}  // namespace
}  // namespace norv::tools
