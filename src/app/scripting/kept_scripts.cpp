// The commands that start kept scripts (see kept_scripts.h).
#include "app/scripting/kept_scripts.h"

#include <strings.h>

#include <algorithm>

#include "app/commands/command_table.h"
#include "app/scripting/editor_script_host.h"
#include "document/document.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/ui.h"
#include "script/interpreter.h"
#include "script/resident_list.h"

namespace norv::app {

namespace {

bool IsScriptSource(std::string_view path) {
    return strcasecmp(platform::ExtensionOf(path).c_str(), ".nrs") == 0;
}

void ReportOutcome(EditorScriptHost& host, const std::string& name, ScriptOutcome outcome) {
    // A compile error and a run-time error have shown their own message.
    if (outcome == ScriptOutcome::kNotFound)
        host.ui().MessageBox("Cannot read the script " + name + ".",
                             platform::mb::kOk | platform::mb::kIconError);
}

}  // namespace

std::string NumberedEntry(size_t index, std::string_view text) {
    return "&" + std::to_string((index + 1) % 10) + ": " + std::string(text);
}

int AddinSlotOfCommand(size_t command) {
    if (command >= kCommandCount) return -1;
    const Command& c = kBuiltinCommands[command];
    if (c.isView()) return -1;
    const uint16_t id = c.id();
    const auto first = static_cast<uint16_t>(FrameCommandId::Addin0);
    const auto last = static_cast<uint16_t>(FrameCommandId::AddinF);
    return id >= first && id <= last ? id - first : -1;
}

std::string AddinMenuName(const AddinSlot& slot) {
    return slot.name;
}

std::string AddinBarName(const AddinSlot& slot) {
    return platform::FileNameOf(slot.file);
}

ScriptOutcome RunAddin(EditorScriptHost& host, const AddinSlot& slot) {
    if (slot.file.empty()) return ScriptOutcome::kNotFound;
    if (std::shared_ptr<script::Runtime> rt =
            host.residents->Find(script::ScriptTitle(slot.file))) {
        auto* owner = dynamic_cast<EditorScriptHost*>(&rt->host());
        if (owner != nullptr) owner->RunResident(rt, kRunAgainCode, 0, {});
        return ScriptOutcome::kDone;
    }
    const ScriptOutcome outcome = RunScriptFile(host, slot.file);
    ReportOutcome(host, slot.file, outcome);
    return outcome;
}

size_t RunResidentMenu(EditorScriptHost& host, const MenuChooser& choose) {
    std::vector<std::shared_ptr<script::Runtime>> candidates;
    std::vector<std::string> entries;
    for (const script::Resident& r : host.residents->Snapshot()) {
        if (!host.residents->Holds(r.runtime.get())) continue;
        auto* owner = dynamic_cast<EditorScriptHost*>(&r.runtime->host());
        if (owner == nullptr) continue;
        const ResidentRun run = owner->RunResident(r.runtime, kCaptionCode, 0, "");
        if (!run.ran || run.parmStrA.empty()) continue;
        entries.push_back(NumberedEntry(candidates.size(), run.parmStrA));
        candidates.push_back(r.runtime);
    }
    std::optional<size_t> chosen;
    if (candidates.size() == 1) chosen = 0;
    if (candidates.size() > 1 && choose) chosen = choose(entries);
    if (chosen && *chosen < candidates.size()) {
        const std::shared_ptr<script::Runtime>& rt = candidates[*chosen];
        // A caption run may have ended it.
        if (host.residents->Holds(rt.get()))
            if (auto* owner = dynamic_cast<EditorScriptHost*>(&rt->host()))
                owner->RunResident(rt, kRunAgainCode, 0, {});
    }
    return candidates.size();
}

RunScriptResult RunOpenScript(EditorScriptHost& host,
                              const std::vector<document::CElwDoc*>& documents,
                              const std::function<bool(document::CElwDoc&)>& save,
                              const MenuChooser& choose) {
    RunScriptResult result;
    std::vector<document::CElwDoc*> candidates;
    std::vector<std::string> entries;
    for (document::CElwDoc* doc : documents) {
        if (doc == nullptr || !IsScriptSource(doc->path)) continue;
        entries.push_back(NumberedEntry(candidates.size(), platform::FileNameOf(doc->path)));
        candidates.push_back(doc);
    }
    result.candidates = candidates.size();
    if (candidates.empty()) {
        host.ui().MessageBox(std::string(kNoScriptOnEditor),
                             platform::mb::kOk | platform::mb::kIconInformation);
        return result;
    }
    std::optional<size_t> chosen;
    if (candidates.size() == 1) chosen = 0;
    if (candidates.size() > 1 && choose) chosen = choose(entries);
    if (!chosen || *chosen >= candidates.size()) return result;
    document::CElwDoc& doc = *candidates[*chosen];
    // The path is copied: the save's events run scripts that may close the document.
    const std::string path = doc.path;
    if (doc.modified && (!save || !save(doc))) return result;
    result.ran = true;
    result.outcome = RunScriptFile(host, path);
    ReportOutcome(host, path, result.outcome);
    return result;
}

std::vector<std::string> RunStartupScripts(EditorScriptHost& host, const std::string& tsrScript,
                                           const std::array<AddinSlot, kAddinSlotCount>& slots) {
    std::vector<std::string> names;
    if (!tsrScript.empty()) names.push_back(tsrScript);
    for (const AddinSlot& slot : slots)
        if (slot.StartsWithProgram() && !slot.file.empty()) names.push_back(slot.file);
    for (const std::string& name : names) ReportOutcome(host, name, RunScriptFile(host, name));
    return names;
}

std::vector<std::string> ScriptChoices(platform::FileSystem& fs, const std::string& scriptsFolder,
                                       const std::string& programFolder) {
    std::vector<std::string> names;
    auto add = [&](const std::string& folder) {
        std::vector<std::string> found;
        for (const std::string& entry : fs.ListFolder(folder)) {
            const std::string file = platform::FileNameOf(entry);
            if (!IsScriptSource(file)) continue;
            const std::string full = platform::JoinPath(folder, file);
            if (auto info = fs.Stat(full); !info || info->isDirectory) continue;
            std::string name = file.substr(0, file.size() - 4);
            if (std::find(names.begin(), names.end(), name) == names.end())
                found.push_back(std::move(name));
        }
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
        names.insert(names.end(), found.begin(), found.end());
    };
    add(scriptsFolder);
    if (!programFolder.empty() &&
        platform::FullPath(programFolder) != platform::FullPath(scriptsFolder))
        add(programFolder);
    return names;
}

}  // namespace norv::app
