// norvconv: reports how the editor reads text files (code, byte-order mark, line ends, lines),
// and dumps the lines it made, using the editor's own loader.
//
//   norvconv [-k S|E|J] [-c N] FILE...   one line per file: PATH CODE BOM EOL LINES (tab-separated)
//   norvconv --dump FILE                 each line's flags and bytes
//   norvconv -t CODE [-e crlf|lf|cr|keep] [-b|-B] [-o OUT] [--backup N] FILE
//                                        converts FILE (in place without -o) with the editor's
//                                        loader and saver
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
        "       norvconv -t CODE [-e crlf|lf|cr|keep] [-b|-B] [-o OUT] [--backup N] FILE\n"
        "Prints PATH<TAB>CODE<TAB>BOM<TAB>EOL<TAB>LINES for each file as the editor reads it.\n"
        "  -k S|E|J  read as Shift-JIS, EUC-JP or JIS (no automatic EUC-JP/JIS detection)\n"
        "  -c N      code choice of the open dialog: 1 Default, 2 ANSI, 3 EUC-JP, 4 JIS,\n"
        "            5 Unicode, 6 Unicode (big endian), 7 UTF-8\n"
        "  --dump    print every line's flags and bytes (hex where not printable)\n"
        "  -t CODE   convert to ansi, euc, jis, utf8, ucs2le or ucs2be (in place without -o)\n"
        "  -e EOL    line ends of the converted file: crlf, lf, cr, or keep (the default)\n"
        "  -b, -B    write / omit the byte-order mark of a Unicode code (default: as the file "
        "had)\n"
        "  -o OUT    write the converted text to OUT\n"
        "  --backup N  keep N backup generations of the file written over (default 0)\n",
        out);
}

struct CodeName {
    const char* name;
    norv::document::TextCode code;
};
constexpr CodeName kCodes[] = {
    {"ansi", norv::document::TextCode::kAnsi},     {"euc", norv::document::TextCode::kEuc},
    {"jis", norv::document::TextCode::kJis},       {"utf8", norv::document::TextCode::kUtf8},
    {"ucs2le", norv::document::TextCode::kUcs2Le}, {"ucs2be", norv::document::TextCode::kUcs2Be},
};

int Convert(DocumentEnvironment& env, CaptureUi& ui, CodeChoice choice,
            const std::vector<std::string>& files, const std::string& target,
            const std::string& eol, int bomChoice, const std::string& output, int backups) {
    using norv::document::EolMode;
    using norv::document::TextCode;
    const CodeName* code = nullptr;
    for (const auto& c : kCodes)
        if (target == c.name) code = &c;
    EolMode mode = EolMode::kDefault;
    bool keep = eol == "keep";
    if (eol == "crlf")
        mode = EolMode::kCrLf;
    else if (eol == "lf")
        mode = EolMode::kLf;
    else if (eol == "cr")
        mode = EolMode::kCr;
    if (!code || files.size() != 1 || (!keep && mode == EolMode::kDefault)) {
        Usage(stderr);
        return 2;
    }
    const std::string& file = files[0];
    int error = 0;
    if (!norv::platform::RealFileSystem().OpenRead(file, &error)) {
        std::fprintf(stderr, "norvconv: %s: %s\n", file.c_str(), std::strerror(error));
        return 1;
    }
    env.save.trashOutGen = backups;
    CElwDoc doc(env);
    if (!doc.OpenDocument(file, choice)) {
        std::fprintf(stderr, "norvconv: %s: %s\n", file.c_str(),
                     ui.last.empty() ? "cannot be read" : ui.last.c_str());
        return 1;
    }
    bool hadBom = norv::document::IsUnicodeFamily(doc.code) && doc.bom;
    doc.saveCode = code->code;
    doc.bom = bomChoice < 0 ? hadBom : bomChoice == 1;
    if (!keep) {
        doc.eolMode = mode;
        doc.eolModeFromFile = false;
    }
    const std::string& out = output.empty() ? file : output;
    ui.last.clear();
    if (!doc.SaveDocument(out)) {
        std::fprintf(stderr, "norvconv: %s: %s\n", out.c_str(),
                     ui.last.empty() ? "cannot be written" : ui.last.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    DocumentEnvironment env;
    CaptureUi ui;
    env.ui = &ui;
    env.save.trashOutGen = 0;
    CodeChoice choice = CodeChoice::kDefault;
    bool dump = false;
    std::vector<std::string> files;
    std::string target, eol = "keep", output;
    int bomChoice = -1;  // -1 as the file had, 0 omit, 1 write
    int backups = 0;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            Usage(stdout);
            return 0;
        } else if (a == "--dump") {
            dump = true;
        } else if (a == "-k" && i + 1 < argc) {
            std::string k = argv[++i];
            env.load.utf16Read = false;  // a forced code is never overruled
            if (k == "S" || k == "s")
                env.load.eucRead = env.load.jisRead = false;
            else if (k == "E" || k == "e") {
                env.load.eucRead = true;
                env.load.jisRead = false;
            } else if (k == "J" || k == "j") {
                env.load.jisRead = true;
                env.load.eucRead = false;
            } else {
                Usage(stderr);
                return 2;
            }
        } else if (a == "-c" && i + 1 < argc) {
            int c = std::atoi(argv[++i]);
            if (c < 1 || c > 7) {
                Usage(stderr);
                return 2;
            }
            choice = static_cast<CodeChoice>(c);
        } else if (a == "-t" && i + 1 < argc) {
            target = argv[++i];
        } else if (a == "-e" && i + 1 < argc) {
            eol = argv[++i];
        } else if (a == "-o" && i + 1 < argc) {
            output = argv[++i];
        } else if (a == "-b" || a == "-B") {
            bomChoice = a == "-b" ? 1 : 0;
        } else if (a == "--backup" && i + 1 < argc) {
            backups = std::atoi(argv[++i]);
            if (backups < 0 || backups > 99) {
                Usage(stderr);
                return 2;
            }
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
    if (!target.empty())
        return Convert(env, ui, choice, files, target, eol, bomChoice, output, backups);

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
        if (&file == &files.back()) {
            // Nothing is left to do: the system takes the memory back faster than freeing
            // millions of lines one by one.
            std::fflush(stdout);
            std::_Exit(status);
        }
    }
    return status;
}
