// The key macro's text writer, two ways. An input starting with 'T' is a text: recorded as the
// value of a call, saved as script text, compiled and run, it must come back byte for byte
// (every byte but NUL may be in it). Any other input is an image handed to the writer as the
// macro: it may only stop with a conversion error, never read outside the bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "platform/code_page.h"
#include "script/compiler.h"
#include "script/interpreter.h"
#include "script/key_macro.h"
#include "script/macro_text.h"

namespace {

using namespace norv::script;

class TextCatcher : public fuzzing::FuzzHost {
  public:
    using FuzzHost::FuzzHost;
    bool CallEditorBuiltin(int id, const uint32_t* args, Runtime& rt) override {
        if (id == BuiltinId("FINDFOR")) {
            texts.push_back(rt.ArgString(args[0]));
            texts.push_back(rt.ArgString(args[1]));
        }
        return true;
    }
    std::vector<std::string> texts;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzzing::NoFiles files;
    static fuzzing::SilentUi ui;
    norv::platform::SetSystemCodePage(932);
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (input.empty() || input[0] != 'T') {
        const MacroText t = MacroToText(input, 932);
        if (t.text.rfind(kMacroTextHead, 0) != 0) std::abort();
        return 0;
    }
    // Two texts: the input split at its first 0xFF, NUL bytes dropped.
    std::string text = input.substr(1);
    std::erase(text, '\0');
    const size_t cut = std::min(text.find('\xFF'), text.size());
    const std::string first = text.substr(0, cut);
    const std::string second = cut < text.size() ? text.substr(cut + 1) : std::string();
    KeyMacro m;
    m.StartRecording();
    const MacroValue values[] = {MacroValue::Text(first), MacroValue::Text(second)};
    m.Record(BuiltinId("FINDFOR"), values);
    m.StopRecording();
    const MacroText t = MacroToText(m.image(), 932);
    if (!t.complete) std::abort();
    CompileResult r = CompileSource(files, "/fuzz/macro.nrs", t.text);
    if (!r.image) std::abort();
    TextCatcher host(ui, files);
    auto rt = Runtime::Load(std::move(*r.image), host);
    if (!rt || rt->Run() != RunResult::kHalted) std::abort();
    if (host.texts.size() != 2 || host.texts[0] != first || host.texts[1] != second) std::abort();
    return 0;
}
