// The recorder's reports as macro entries, and the four macro commands (see key_macros.h).
#include "app/key_macros.h"

#include <cstdio>
#include <cstdlib>

#include "app/commands/command_table.h"
#include "app/commands/hidden_commands.h"
#include "app/find_in_files.h"
#include "app/scripting/editor_script_host.h"
#include "app/scripting/run_script.h"
#include "app/shell_run.h"
#include "document/codecs.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/ui.h"
#include "script/image.h"
#include "script/interpreter.h"
#include "script/macro_text.h"
#include "script/name_tables.h"

namespace norv::app {

using script::BuiltinId;
using script::MacroValue;

namespace {

bool IsUtf8CodePage(int codePage) {
    return codePage == platform::kCodePageUtf8 || codePage == platform::kCodePageUtf8Internal;
}

// Frame commands that are not entries of their own: the macro commands, and the commands that
// report themselves with the values their dialogs took.
bool RecordedByName(std::string_view name) {
    static constexpr std::string_view kNot[] = {"RecordKey", "PlayKey", "SaveMacro", "LoadMacro",
                                                "Grep",      "Shell",   "ShellMenu"};
    for (std::string_view n : kNot)
        if (n == name) return false;
    return true;
}

// The first character of UTF-8 text, and its code point.
std::string FirstCharacter(std::string_view utf8, uint32_t* codePoint) {
    const auto b = static_cast<uint8_t>(utf8.empty() ? 0 : utf8[0]);
    size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    n = std::min(n, utf8.size());
    uint32_t cp = n == 1 ? b : b & (0x7Fu >> n);
    for (size_t i = 1; i < n; ++i) cp = cp << 6 | (static_cast<uint8_t>(utf8[i]) & 0x3Fu);
    *codePoint = cp;
    return std::string(utf8.substr(0, n));
}

}  // namespace

bool KeyMacros::Recording() {
    if (macro_.state() != script::MacroState::kRecording) return false;
    const ScriptLevel level = scriptLevel ? scriptLevel() : ScriptLevel{};
    if (level.runContext != 0) return false;
    // The run that started the recording has ended: later runs are nested in the user's level.
    if (level.depth < recordDepth_) recordDepth_ = level.depth;
    return level.depth == recordDepth_;
}

void KeyMacros::EndForCharacter(std::string_view utf8) {
    // Only the character the code page lacks is named: find the first one.
    std::string shown;
    uint32_t cp = 0;
    const int acp = platform::SystemCodePage();
    for (size_t i = 0; i < utf8.size();) {
        uint32_t c = 0;
        std::string one = FirstCharacter(utf8.substr(i), &c);
        i += one.empty() ? 1 : one.size();
        std::string ansi, back;
        document::Utf8ToAnsi(ansi, one, acp);
        document::AnsiToUtf8(back, ansi, acp);
        if (back != one) {
            shown = one;
            cp = c;
            break;
        }
    }
    macro_.StopRecording();
    char text[160];
    std::snprintf(text, sizeof text,
                  "Key macro recording ended: \"%s\" (U+%04X) has no code in code page %d.",
                  shown.c_str(), cp, acp);
    ui_.SetStatusText(text);
}

std::optional<std::string> KeyMacros::FromCodePage(std::string_view bytes, int codePage) {
    if (!IsUtf8CodePage(codePage)) return std::string(bytes);
    const int acp = platform::SystemCodePage();
    std::string ansi, back;
    document::Utf8ToAnsi(ansi, bytes, acp);
    document::AnsiToUtf8(back, ansi, acp);
    if (back != bytes) {
        EndForCharacter(bytes);
        return std::nullopt;
    }
    return ansi;
}

std::optional<std::string> KeyMacros::FromDocument(std::string_view bytes) {
    return FromCodePage(bytes, documentCodePage ? documentCodePage() : platform::SystemCodePage());
}

// ---- the reports ----------------------------------------------------------------------------

void KeyMacros::RecordTableCommand(size_t command) {
    if (command >= kCommandCount || !Recording()) return;
    const Command& c = kBuiltinCommands[command];
    if (c.isView() || !RecordedByName(c.name)) return;
    macro_.RecordCommand(c.name);
}

void KeyMacros::RecordHiddenCommand(std::string_view name) {
    if (!HiddenCommandIndex(name) || !Recording()) return;
    macro_.RecordCommand(name);
}

void KeyMacros::RecordCommand(editing::CommandId id) {
    if (!Recording()) return;
    const int index = CommandIndexById(static_cast<uint16_t>(id));
    if (index < 0) return;
    macro_.RecordCommand(kBuiltinCommands[static_cast<size_t>(index)].name);
}

void KeyMacros::RecordChar(uint16_t code, int repeat) {
    if (!Recording()) return;
    for (int i = 0; i < repeat; ++i) macro_.RecordChar(code);
}

void KeyMacros::RecordTyped(std::string_view ch, int repeat, int codePage) {
    if (ch.empty() || !Recording()) return;
    const std::optional<std::string> ansi = FromCodePage(ch, codePage);
    if (!ansi || ansi->empty()) return;
    const uint16_t code = ansi->size() >= 2
                              ? static_cast<uint16_t>(static_cast<uint8_t>((*ansi)[0]) << 8 |
                                                      static_cast<uint8_t>((*ansi)[1]))
                              : static_cast<uint8_t>((*ansi)[0]);
    RecordChar(code, repeat);
}

void KeyMacros::RecordSearch(editing::CommandId id, std::string_view searchString,
                             std::string_view replacement, std::string_view options) {
    if (!Recording()) return;
    const std::optional<std::string> s = FromDocument(searchString);
    if (!s) return;
    if (id == editing::CommandId::Replace) {
        const std::optional<std::string> r = FromDocument(replacement);
        if (!r) return;
        const MacroValue v[] = {MacroValue::Text(*s), MacroValue::Text(*r),
                                MacroValue::Text(options)};
        macro_.Record(BuiltinId("REPLACE"), v);
        return;
    }
    const MacroValue v[] = {MacroValue::Text(*s), MacroValue::Text(options)};
    macro_.Record(
        id == editing::CommandId::SearchBwd ? BuiltinId("FINDBACK") : BuiltinId("FINDFOR"), v);
}

void KeyMacros::RecordFrameCommand(uint16_t id, const std::vector<std::string>& texts) {
    if (!Recording()) return;
    // A confirmed Shell line with its option letters (system code page), and the launcher's
    // entry by its number.
    if (id == kShellCommandId && texts.size() == 2) {
        const MacroValue v[] = {MacroValue::Text(texts[0]), MacroValue::Text(texts[1])};
        macro_.Record(BuiltinId("SHELLCMD"), v);
        return;
    }
    if (id == kLauncherCommandId && texts.size() == 1) {
        const MacroValue v = MacroValue::Number(std::atoi(texts[0].c_str()));
        macro_.Record(BuiltinId("SHELLMENU"), std::span(&v, 1));
        return;
    }
    if (id != kGrepCommandId || texts.size() != 4) {
        const int index = CommandIndexById(id);
        if (index >= 0) macro_.RecordCommand(kBuiltinCommands[static_cast<size_t>(index)].name);
        return;
    }
    // The search text, the masks and the options are the script's as they are; the folder is
    // a path of the file system.
    const std::optional<std::string> folder = FromCodePage(texts[1], platform::kCodePageUtf8);
    if (!folder) return;
    const MacroValue v[] = {MacroValue::Text(texts[0]), MacroValue::Text(*folder),
                            MacroValue::Text(texts[2]), MacroValue::Text(texts[3])};
    macro_.Record(BuiltinId("GREP"), v);
}

void KeyMacros::RecordSort(const editing::SortArguments& values) {
    if (!Recording()) return;
    const std::optional<std::string> after = FromDocument(values.after.value_or(""));
    if (!after) return;
    const MacroValue v[] = {MacroValue::Number(values.direction),
                            MacroValue::Number(values.ignoreCase),
                            MacroValue::Number(values.boxKey), MacroValue::Text(*after)};
    macro_.Record(BuiltinId("SORT"), v);
}

void KeyMacros::RecordConvert(const editing::ConvertArguments& values) {
    if (!Recording()) return;
    const MacroValue v[] = {MacroValue::Number(values.caseConversion),
                            MacroValue::Number(values.tabs), MacroValue::Number(values.width),
                            MacroValue::Number(values.scope)};
    macro_.Record(BuiltinId("CONVERT"), v);
}

void KeyMacros::RecordAddString(std::string_view text, bool atEnd) {
    if (!Recording()) return;
    const std::optional<std::string> t = FromDocument(text);
    if (!t) return;
    const MacroValue v[] = {MacroValue::Text(*t), MacroValue::Number(atEnd ? 1 : 0)};
    macro_.Record(BuiltinId("ADDSTRING"), v);
}

void KeyMacros::RecordJump(int64_t line, bool logical) {
    if (!Recording()) return;
    // The mode JUMPLINE takes: True counts display rows, False text lines.
    const auto n = static_cast<int32_t>(std::clamp<int64_t>(line, INT32_MIN, INT32_MAX));
    const MacroValue v[] = {MacroValue::Number(n), MacroValue::Number(logical ? 0 : 1)};
    macro_.Record(BuiltinId("JUMPLINE"), v);
}

void KeyMacros::RecordFileCommand(editing::CommandId id, std::string_view path) {
    if (!Recording()) return;
    const std::optional<std::string> p = FromCodePage(path, platform::kCodePageUtf8);
    if (!p) return;
    const MacroValue v = MacroValue::Text(*p);
    const int builtin = id == editing::CommandId::CopyToFile   ? BuiltinId("COPYTOFILE")
                        : id == editing::CommandId::AppendFile ? BuiltinId("APPENDFILE")
                                                               : BuiltinId("PASTEFROMFILE");
    macro_.Record(builtin, std::span(&v, 1));
}

// ---- the commands ---------------------------------------------------------------------------

void KeyMacros::RecordKey() {
    switch (macro_.state()) {
        case script::MacroState::kIdle:
            recordDepth_ = scriptLevel ? scriptLevel().depth : 0;
            macro_.StartRecording();
            break;
        case script::MacroState::kRecording:
            macro_.StopRecording();
            break;
        case script::MacroState::kPlaying:
            break;
    }
}

PlayOutcome KeyMacros::PlayKey(script::ScriptHost& host) {
    if (!macro_.BeginPlaying()) return PlayOutcome::kNothing;
    struct Idle {
        script::KeyMacro& m;
        ~Idle() { m.EndPlaying(); }
    } idle{macro_};
    // A fresh run-time object each time: the image's data segment starts as it was made.
    auto rt = script::Runtime::Load(macro_.image(), host);
    if (!rt) return PlayOutcome::kFault;
    switch (rt->Run()) {
        case script::RunResult::kHalted:
        case script::RunResult::kReturned:
            return PlayOutcome::kPlayed;
        case script::RunResult::kInterrupted:
            return PlayOutcome::kInterrupted;
        default:
            return PlayOutcome::kFault;
    }
}

bool KeyMacros::SaveMacro(platform::FileSystem& fs,
                          const std::function<bool(MacroFileRequest&)>& ask) {
    if (!macro_.IsRecorded()) {
        ui_.MessageBox(kNotAKeyMacro, platform::mb::kOk | platform::mb::kIconWarning);
        return false;
    }
    MacroFileRequest request;
    request.save = true;
    request.folder = platform::CurrentFolder();
    if (!ask || !ask(request) || request.path.empty()) return false;
    const script::MacroText text = script::MacroToText(macro_.image(), platform::SystemCodePage());
    if (const int error = platform::WriteFileAtomically(fs, request.path, text.text); error != 0) {
        ui_.MessageBox("The key macro could not be written to " + request.path + ".",
                       platform::mb::kOk | platform::mb::kIconError);
        return false;
    }
    if (!text.complete) {
        ui_.MessageBox(script::kConversionError, platform::mb::kOk | platform::mb::kIconError);
        return false;
    }
    return true;
}

bool KeyMacros::LoadMacro(EditorScriptHost& host,
                          const std::function<bool(MacroFileRequest&)>& ask) {
    MacroFileRequest request;
    request.save = false;
    request.folder = platform::CurrentFolder();
    if (!ask || !ask(request) || request.path.empty()) return false;
    ScriptOutcome outcome = ScriptOutcome::kDone;
    std::optional<std::string> image = ScriptImageFor(host, request.path, &outcome);
    if (!image) {
        if (outcome == ScriptOutcome::kNotFound)
            ui_.MessageBox(request.path + " could not be read.",
                           platform::mb::kOk | platform::mb::kIconError);
        return false;
    }
    if (const script::ImageStatus s = script::ValidateImage(*image);
        s != script::ImageStatus::kOk) {
        ui_.MessageBox(request.path + ": " + std::string(script::ImageStatusText(s)),
                       platform::mb::kOk | platform::mb::kIconError);
        return false;
    }
    macro_.Replace(std::move(*image));
    return true;
}

}  // namespace norv::app
