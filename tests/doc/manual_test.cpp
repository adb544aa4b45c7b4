// The built manual: every internal link and anchor resolves, and the page of keys lists every
// command of the table with its menu label and built-in keys.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/commands/command_table.h"
#include "app/commands/command_texts.h"
#include "app/commands/key_names.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> AllMatches(const std::string& text, const std::regex& re) {
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
         ++it)
        out.push_back((*it)[1].str());
    return out;
}

// The broken links of the pages of a folder, as "page: href" texts. Links out of the manual
// (a scheme such as https:) are not followed.
std::vector<std::string> BrokenLinks(const fs::path& folder) {
    static const std::regex kId(R"re(\bid="([^"]*)")re");
    static const std::regex kHref(R"re(\b(?:href|src)="([^"]*)")re");
    std::map<std::string, std::set<std::string>> ids;
    std::map<std::string, std::string> pages;
    for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
        if (e.path().extension() != ".html") continue;
        const std::string name = e.path().filename().string();
        pages[name] = ReadFile(e.path());
        for (const std::string& id : AllMatches(pages[name], kId)) ids[name].insert(id);
    }
    std::vector<std::string> broken;
    for (const auto& [name, text] : pages) {
        for (const std::string& href : AllMatches(text, kHref)) {
            if (href.find(':') != std::string::npos) continue;
            const size_t hash = href.find('#');
            const std::string file = href.substr(0, hash);
            const std::string target = file.empty() ? name : file;
            bool ok = fs::exists(folder / target);
            if (ok && hash != std::string::npos) {
                const auto page = ids.find(target);
                ok = page != ids.end() && page->second.count(href.substr(hash + 1)) != 0;
            }
            if (!ok) broken.push_back(name + ": " + href);
        }
    }
    return broken;
}

const fs::path kManual = NORV_MANUAL_DIR;

TEST(Manual, EveryInternalLinkAndAnchorResolves) {
    ASSERT_TRUE(fs::exists(kManual / "index.html"));
    EXPECT_EQ(BrokenLinks(kManual), std::vector<std::string>{});
    // Every page is reached from the contents.
    const std::string index = ReadFile(kManual / "index.html");
    for (const fs::directory_entry& e : fs::directory_iterator(kManual)) {
        const std::string name = e.path().filename().string();
        if (e.path().extension() == ".html" && name != "index.html")
            EXPECT_NE(index.find("href=\"" + name), std::string::npos) << name;
    }
}

// The checker itself finds a missing page, a missing anchor on another page and on its own.
TEST(Manual, LinkCheckerFindsBrokenLinks) {
    norv::testing::TempDir dir;
    dir.Write("a.html",
              "<h1 id=\"top\">a</h1><a href=\"b.html#x\">b</a><a href=\"#top\">t</a>"
              "<a href=\"#gone\">g</a><a href=\"c.html\">c</a>"
              "<a href=\"https://example.org/\">out</a>");
    dir.Write("b.html", "<p id=\"y\"><a href=\"a.html\">a</a></p>");
    EXPECT_EQ(BrokenLinks(dir.path()),
              (std::vector<std::string>{"a.html: b.html#x", "a.html: #gone", "a.html: c.html"}));
}

std::string HtmlEscaped(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

TEST(Manual, KeyListHasEveryCommandWithItsKeys) {
    const std::string page = ReadFile(kManual / "keys.html");
    ASSERT_FALSE(page.empty());
    for (size_t i = 0; i < norv::app::kCommandCount; ++i) {
        const norv::app::Command& c = norv::app::kBuiltinCommands[i];
        const std::string open = "<tr id=\"cmd-" + std::string(c.name) + "\">";
        const size_t at = page.find(open);
        ASSERT_NE(at, std::string::npos) << c.name;
        const std::string row = page.substr(at, page.find("</tr>", at) - at);
        EXPECT_NE(row.find("<code>" + std::string(c.name) + "</code>"), std::string::npos);
        EXPECT_NE(row.find(HtmlEscaped(norv::app::CommandDescription(i))), std::string::npos)
            << c.name;
        int keys = 0;
        for (norv::app::KeyCode k : {c.key1, c.key2}) {
            if (!norv::app::IsAssigned(k)) continue;
            ++keys;
            EXPECT_NE(row.find("<kbd>" + HtmlEscaped(norv::app::KeyNameOf(k)) + "</kbd>"),
                      std::string::npos)
                << c.name << " " << norv::app::KeyNameOf(k);
        }
        // No key is listed that the command does not have.
        size_t shown = 0;
        for (size_t p = row.find("<kbd>"); p != std::string::npos; p = row.find("<kbd>", p + 1))
            ++shown;
        EXPECT_EQ(shown, static_cast<size_t>(keys)) << c.name;
    }
    // Spot checks against the table's known keys.
    EXPECT_NE(page.find("<kbd>Ctrl+K^S</kbd>, <kbd>Ctrl+S</kbd>"), std::string::npos);
    EXPECT_NE(page.find("<td>Save&amp;Close</td>"), std::string::npos);
}

}  // namespace
