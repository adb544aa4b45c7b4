// norvconv: reports how the editor reads text files (code, byte-order mark, line ends, lines),
// and dumps the lines it made, using the editor's own loader.
//
//   norvconv [-k S|E|J] [-c N] FILE...   one line per file: PATH CODE BOM EOL LINES (tab-separated)
//   norvconv --dump FILE                 each line's flags and bytes
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "document/debug_dump.h"
#include "document/document.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/ui.h"

namespace {

using norv::document::CElwDoc;
using norv::document::CodeChoice;
using norv::document::DocumentEnvironment;

// Messages of the loader are kept and printed by the caller, prefixed with the program name.
class CaptureUi final : public norv::platform::UserInterface {
public:
    int MessageBox(std::string_view text, unsigned style) override {
        last.assign(text);
        return norv::platform::DefaultButtonOf(style);
    }
    void SetStatusText(std::string_view) override {}
    void Beep() override {}
    std::string last;
};

void Usage(FILE* out) {
    std::fputs(
        "usage: norvconv [-k S|E|J] [-c N] FILE...\n"
        "       norvconv --dump [-k S|E|J] [-c N] FILE\n"
        "Prints PATH<TAB>CODE<TAB>BOM<TAB>EOL<TAB>LINES for each file as the editor reads it.\n"
        "  -k S|E|J  read as Shift-JIS, EUC-JP or JIS (no automatic EUC-JP/JIS detection)\n"
        "  -c N      code choice of the open dialog: 1 Default, 2 ANSI, 3 EUC-JP, 4 JIS,\n"
        "            5 Unicode, 6 Unicode (big endian), 7 UTF-8\n"
        "  --dump    print every line's flags and bytes (hex where not printable)\n",
        out);
}

}  // namespace

int main(int argc, char** argv) {
    DocumentEnvironment env;
    CaptureUi ui;
    env.ui = &ui;
    CodeChoice choice = CodeChoice::Default;
    bool dump = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            Usage(stdout);
            return 0;
        } else if (a == "--dump") {
            dump = true;
        } else if (a == "-k" && i + 1 < argc) {
            std::string k = argv[++i];
            if (k == "S" || k == "s") env.load.eucRead = env.load.jisRead = false;
            else if (k == "E" || k == "e") { env.load.eucRead = true; env.load.jisRead = false; }
            else if (k == "J" || k == "j") { env.load.jisRead = true; env.load.eucRead = false; }
            else { Usage(stderr); return 2; }
        } else if (a == "-c" && i + 1 < argc) {
            int c = std::atoi(argv[++i]);
            if (c < 1 || c > 7) { Usage(stderr); return 2; }
            choice = static_cast<CodeChoice>(c);
        } else if (a == "--") {
            for (++i; i < argc; ++i) files.emplace_back(argv[i]);
        } else if (a.size() > 1 && a[0] == '-') {
            Usage(stderr);
            return 2;
        } else {
            files.push_back(a);
        }
    }
    if (files.empty() || (dump && files.size() != 1)) {
        Usage(stderr);
        return 2;
    }

    int status = 0;
    auto& fs = norv::platform::RealFileSystem();
    for (const auto& file : files) {
        // A file that does not exist would open as a new document: here it is an error.
        int error = 0;
        if (!fs.OpenRead(file, &error)) {
            std::fprintf(stderr, "norvconv: %s: %s\n", file.c_str(), std::strerror(error));
            status = 1;
            continue;
        }
        CElwDoc doc(env);
        ui.last.clear();
        if (!doc.OpenDocument(file, choice)) {
            std::fprintf(stderr, "norvconv: %s: %s\n", file.c_str(),
                         ui.last.empty() ? "cannot be read" : ui.last.c_str());
            status = 1;
            continue;
        }
        if (dump) {
            std::fputs(norv::document::DumpLines(doc.lines()).c_str(), stdout);
            continue;
        }
        bool bom = norv::document::IsUnicodeFamily(doc.code) && doc.bom;
        std::printf("%s\t%s\t%d\t%s\t%d\n", file.c_str(), norv::document::TextCodeName(doc.code),
                    bom ? 1 : 0, norv::document::EolModeName(doc.eolMode), doc.lineCount());
    }
    return status;
}
