// Running scripts on the editor's host: the run stack that STAYRESIDENT and TERMINATE act on,
// the resident scripts' runs at events, and the codes of typed characters (see
// resident_events.h and editor_script_host.h).
#include <algorithm>

#include "app/scripting/editor_script_host.h"
#include "document/char_model.h"
#include "document/codecs.h"
#include "editing/edit_view.h"
#include "platform/code_page.h"
#include "script/interpreter.h"

namespace norv::app {

EditorScriptHost::~EditorScriptHost() {
    // Objects of this host cannot run once it is gone.
    residents->RemoveIf([this](script::Runtime& rt) { return &rt.host() == this; });
}

void EditorScriptHost::ResidentChanged(script::Runtime& rt, bool stay) {
    for (auto f = runStack_.rbegin(); f != runStack_.rend(); ++f) {
        if (f->rt.get() != &rt) continue;
        if (stay)
            residents->Stay(f->title, f->rt);
        else
            residents->Remove(&rt);
        return;
    }
}

script::RunResult EditorScriptHost::RunObject(const std::shared_ptr<script::Runtime>& rt,
                                              const std::string& title, int code) {
    const int previousContext = runContext, previousState = editorState;
    SetRunContext(code);
    // The stack's reference keeps the object alive for the whole run, whatever the run does to
    // the resident list.
    runStack_.push_back(RunFrame{rt, title});
    ++depth;
    editor_.RunBegins();
    const script::RunResult r = rt->Run();
    editor_.RunEnds();
    --depth;
    runStack_.pop_back();
    runContext = previousContext;
    editorState = previousState;
    return r;
}

ResidentRun EditorScriptHost::RunResident(const std::shared_ptr<script::Runtime>& rt, int code,
                                          int32_t a, std::string_view strA) {
    ResidentRun out;
    if (rt->running() || depth >= kMaxRunDepth) return out;
    std::string title;
    for (const script::Resident& r : residents->Snapshot())
        if (r.runtime == rt) title = r.title;
    const int32_t previousA = parmA;
    std::string previousStrA = std::move(parmStrA);
    parmA = a;
    parmStrA = std::string(strA);
    const script::RunResult r = RunObject(rt, title, code);
    out.ran = true;
    if (r == script::RunResult::kHalted || r == script::RunResult::kReturned)
        out.result = rt->result();
    out.parmStrA = std::move(parmStrA);
    parmA = previousA;
    parmStrA = std::move(previousStrA);
    return out;
}

bool EditorScriptHost::EventsSuppressed() {
    editing::CElwView* v = editor_.ActiveView();
    return v != nullptr && v->shared().residentEventsSuppressed > 0;
}

bool EditorScriptHost::RaiseEvent(ResidentEvent event, int32_t a, std::string_view strA) {
    if (residents->empty() || EventsSuppressed()) return false;
    bool cancelled = false;
    const std::string text(strA);  // the caller's text may live in a document a run changes
    for (const script::Resident& r : residents->Snapshot()) {
        // Ended or replaced by an earlier run of this walk: it hears no more events.
        if (!residents->Holds(r.runtime.get())) continue;
        auto* owner = dynamic_cast<EditorScriptHost*>(&r.runtime->host());
        if (owner == nullptr) continue;
        const ResidentRun run = owner->RunResident(r.runtime, static_cast<int>(event), a, text);
        if (run.result != 0) cancelled = true;
    }
    return cancelled;
}

std::vector<uint16_t> CharacterCodes(std::string_view bytes, int codePage) {
    std::vector<uint16_t> codes;
    const bool utf8 = document::IsUtf8CodePage(codePage);
    const int acp = platform::SystemCodePage();
    size_t i = 0;
    while (i < bytes.size()) {
        const size_t n =
            std::min(bytes.size() - i, 1 + static_cast<size_t>(document::CharTrailBytes(
                                               codePage, static_cast<uint8_t>(bytes[i]))));
        std::string ch(bytes.substr(i, n));
        i += n;
        if (utf8) {
            std::string ansi, back;
            document::Utf8ToAnsi(ansi, ch, acp);
            document::AnsiToUtf8(back, ansi, acp);
            if (back != ch || ansi.empty()) continue;
            ch = std::move(ansi);
        }
        const auto lead = static_cast<uint8_t>(ch[0]);
        codes.push_back(
            ch.size() >= 2 ? static_cast<uint16_t>(lead << 8 | static_cast<uint8_t>(ch[1])) : lead);
    }
    return codes;
}

}  // namespace norv::app
