// norvscript: compiles and runs a script without the editor, for tests and for users until the
// editor's headless mode runs scripts. Message boxes print their text to standard output (and
// take their default button); Ctrl+C stops a running script as Ctrl+Break does.
//
//   norvscript [--list] [--compile OUT.NRX] [--answer TEXT]... FILE.NRS|FILE.NRX
//
// A `.NRX` that fails validation or was made by another version is recompiled from the `.NRS`
// beside it when there is one, else refused.
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/ui.h"
#include "script/break_signal.h"
#include "script/compiler.h"
#include "script/disassembler.h"
#include "script/image.h"
#include "script/interpreter.h"
#include "script/script_host.h"
#include "script/script_loader.h"

namespace {

using namespace norv;

class StdoutUi : public platform::UserInterface {
  public:
    int MessageBox(std::string_view text, unsigned style) override {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        return platform::DefaultButtonOf(style);
    }
    void SetStatusText(std::string_view) override {}
    void Beep() override { std::fputs("(beep)\n", stdout); }
};

class RunnerHost : public script::ScriptHost {
  public:
    using ScriptHost::ScriptHost;
    bool BreakPressed() override { return script::TakeBreakSignal(); }
    std::optional<std::string> InputBox(std::string_view prompt, std::string_view,
                                        std::string_view initial) override {
        std::fwrite(prompt.data(), 1, prompt.size(), stdout);
        std::fputc('\n', stdout);
        if (answers.empty()) return std::string(initial);
        std::string a = answers.front();
        answers.pop_front();
        return a;
    }
    std::deque<std::string> answers;
};

}  // namespace

int main(int argc, char** argv) {
    bool list = false;
    std::string out, file;
    std::deque<std::string> answers;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--list")
            list = true;
        else if (arg == "--compile" && i + 1 < argc)
            out = argv[++i];
        else if (arg == "--answer" && i + 1 < argc)
            answers.push_back(argv[++i]);
        else if (!arg.empty() && arg[0] != '-')
            file = arg;
        else {
            std::fprintf(
                stderr, "usage: norvscript [--list] [--compile OUT.NRX] [--answer TEXT]... FILE\n");
            return 2;
        }
    }
    if (file.empty()) {
        std::fprintf(stderr,
                     "usage: norvscript [--list] [--compile OUT.NRX] [--answer TEXT]... FILE\n");
        return 2;
    }
    platform::FileSystem& fs = platform::RealFileSystem();
    script::LoadedScript loaded = script::LoadScript(fs, file);
    if (loaded.error) {
        std::fprintf(stderr, "%s(%d): %s\n", loaded.error->file.c_str(), loaded.error->line,
                     std::string(loaded.error->text()).c_str());
        return 2;
    }
    if (!loaded.image) {
        if (loaded.recompiled)
            std::fprintf(stderr, "%s: %s\n", file.c_str(),
                         std::string(script::ImageStatusText(loaded.imageStatus)).c_str());
        else
            std::fprintf(stderr, "%s: cannot be read\n", file.c_str());
        return 2;
    }
    std::string image = std::move(*loaded.image);
    if (list) std::fputs(script::Disassemble(image).c_str(), stdout);
    if (!out.empty()) {
        if (script::WriteImageFile(fs, out, image) != 0) {
            std::fprintf(stderr, "%s: cannot be written\n", out.c_str());
            return 2;
        }
        return 0;
    }
    if (list) return 0;
    StdoutUi ui;
    RunnerHost host(ui, fs);
    host.answers = std::move(answers);
    script::InstallBreakSignal();
    auto rt = script::Runtime::Load(std::move(image), host);
    if (!rt) {
        std::fprintf(stderr, "%s: invalid image\n", file.c_str());
        return 2;
    }
    const script::RunResult result = rt->Run();
    return result == script::RunResult::kHalted || result == script::RunResult::kReturned ? 0 : 1;
}
