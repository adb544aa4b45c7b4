// Writes the manual's page of keys from the command table, so the page always lists the
// commands, menu labels and built-in keys of the program that ships with it.
//   norv_keys_page OUT.html
#include <cstdio>
#include <string>
#include <string_view>

#include "app/commands/command_table.h"
#include "app/commands/command_texts.h"
#include "app/commands/key_names.h"

namespace {

std::string Escape(std::string_view s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// "Caret Movement" -> "group-caret-movement".
std::string GroupAnchor(std::string_view title) {
    std::string out = "group-";
    for (char c : title) out += c == ' ' ? '-' : static_cast<char>(c | 0x20);
    return out;
}

std::string KeysOf(const norv::app::Command& c) {
    std::string out;
    for (norv::app::KeyCode k : {c.key1, c.key2}) {
        if (!norv::app::IsAssigned(k)) continue;
        if (!out.empty()) out += ", ";
        out += "<kbd>" + Escape(norv::app::KeyNameOf(k)) + "</kbd>";
    }
    return out;
}

std::string Page() {
    using namespace norv::app;
    std::string p =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<title>Norv: commands and keys</title>\n"
        "<link rel=\"stylesheet\" href=\"style.css\">\n</head>\n<body>\n"
        "<nav><a href=\"index.html\">Contents</a></nav>\n"
        "<h1 id=\"top\">Commands and keys</h1>\n"
        "<p>Every command of the editor, in the order of the key dialog's groups: its name (the "
        "name key definition files, user menus, key macros and scripts use), its menu label and "
        "its built-in keys. A key definition file replaces the keys of the commands it names "
        "(see <a href=\"settings.html#key-files\">Key definition files</a>).</p>\n"
        "<p>A key such as <kbd>Ctrl+K^S</kbd> is a two-stroke key: press <kbd>Ctrl+K</kbd>, "
        "then <kbd>S</kbd> (with or without Ctrl). When the second key does not follow within "
        "the two-stroke delay, a menu of the prefix's commands opens at the caret. "
        "<kbd>SCtrl</kbd> is Shift with Ctrl, <kbd>SAlt</kbd> Shift with Alt; <kbd>RBtn</kbd> "
        "is the right mouse button.</p>\n<ul class=\"groups\">\n";
    for (const CommandGroup& g : kCommandGroups)
        p += "<li><a href=\"#" + GroupAnchor(g.title) + "\">" + Escape(g.title) + "</a></li>\n";
    p += "</ul>\n";
    for (size_t gi = 0; gi < kCommandGroups.size(); ++gi) {
        const CommandGroup& g = kCommandGroups[gi];
        const size_t end =
            gi + 1 < kCommandGroups.size() ? kCommandGroups[gi + 1].first : kCommandCount;
        p += "<h2 id=\"" + GroupAnchor(g.title) + "\">" + Escape(g.title) + "</h2>\n";
        p += "<table class=\"keys\">\n<tr><th>Command</th><th>Menu label</th><th>Keys</th>"
             "</tr>\n";
        for (size_t i = g.first; i < end; ++i) {
            const Command& c = kBuiltinCommands[i];
            p += "<tr id=\"cmd-" + Escape(c.name) + "\"><td><code>" + Escape(c.name) +
                 "</code></td><td>" + Escape(CommandDescription(i)) + "</td><td>" + KeysOf(c) +
                 "</td></tr>\n";
        }
        p += "</table>\n";
    }
    p += "<p><a href=\"#top\">Back to the top</a></p>\n</body>\n</html>\n";
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: norv_keys_page OUT.html\n", stderr);
        return 2;
    }
    const std::string page = Page();
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f) {
        std::perror(argv[1]);
        return 1;
    }
    const bool ok = std::fwrite(page.data(), 1, page.size(), f) == page.size();
    if (std::fclose(f) != 0 || !ok) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
