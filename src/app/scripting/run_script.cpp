// Running a script file by name (see run_script.h).
#include "app/scripting/run_script.h"

#include <strings.h>

#include "app/config/settings.h"
#include "app/scripting/editor_script_host.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/ui.h"
#include "script/compiler.h"
#include "script/image.h"
#include "script/interpreter.h"
#include "script/resident_list.h"
#include "script/script_loader.h"

namespace norv::app {

namespace {

bool Exists(platform::FileSystem& fs, const std::string& path) {
    auto info = fs.Stat(path);
    return info && !info->isDirectory;
}

bool IsCompiledName(const std::string& path) {
    return strcasecmp(platform::ExtensionOf(path).c_str(), ".nrx") == 0;
}

}  // namespace

std::string ScriptInFolder(platform::FileSystem& fs, const std::string& folder,
                           const std::string& name) {
    const std::string exact = folder.empty() ? name : platform::JoinPath(folder, name);
    if (Exists(fs, exact)) return exact;
    const std::string ext = platform::ExtensionOf(exact);
    const std::string base = exact.substr(0, exact.size() - ext.size());
    std::string upper = ext, lower = ext;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    for (const std::string& e : {upper, lower})
        if (Exists(fs, base + e)) return base + e;
    return exact;
}

std::string ScriptsFolder(const Settings& settings, const std::string& settingsFolder) {
    const std::string& dir = settings.Text(Key::ScriptDir);
    return dir.empty() ? settingsFolder : platform::ExpandHome(dir);
}

ScriptFile LocateScript(platform::FileSystem& fs, const std::string& nameIn,
                        const std::string& scriptsFolder, const std::string& programFolder) {
    std::string name = nameIn;
    if (platform::ExtensionOf(platform::FileNameOf(name)).empty()) name += ".NRS";
    ScriptFile f;
    f.compiled = IsCompiledName(name);
    auto withSource = [&](const std::string& path) {
        f.path = path;
        if (f.compiled) f.source = script::SourceBesideImage(fs, path);
        return f;
    };
    if (name.find('/') != std::string::npos || name.rfind("~/", 0) == 0)
        return withSource(platform::ExpandHome(name));
    const std::string inScripts = ScriptInFolder(fs, scriptsFolder, name);
    bool found = Exists(fs, inScripts);
    if (!found && f.compiled) found = Exists(fs, script::SourceBesideImage(fs, inScripts));
    if (found || programFolder.empty()) return withSource(inScripts);
    return withSource(ScriptInFolder(fs, programFolder, name));
}

namespace {

// The image to run, or nullopt with the reason reported.
std::optional<std::string> Prepare(EditorScriptHost& host, const ScriptFile& f,
                                   ScriptOutcome* outcome) {
    platform::FileSystem& fs = host.fs();
    std::string compilePath = f.path;
    if (f.compiled) {
        const auto image = fs.Stat(f.path);
        const auto source = fs.Stat(f.source);
        bool useImage =
            image && !image->isDirectory && (!source || source->lastWrite < image->lastWrite);
        if (useImage) {
            std::string bytes;
            const script::ImageStatus s = script::ReadImageFile(fs, f.path, bytes);
            // A stale stamp (or an image that does not pass) is compiled again when the source
            // is there; without it the image cannot run.
            if (s == script::ImageStatus::kOk) return bytes;
            if (!source) {
                host.ui().MessageBox(f.path + ": " + std::string(script::ImageStatusText(s)),
                                     platform::mb::kOk | platform::mb::kIconError);
                *outcome = ScriptOutcome::kNotFound;
                return std::nullopt;
            }
        }
        compilePath = f.source;
    }
    script::CompileResult r = script::CompileFile(fs, compilePath);
    if (r.error) {
        host.editor().ShowFileLine(r.error->file, r.error->line);
        host.ui().CaptionedMessageBox(r.error->text(), "Norv Script",
                                      platform::mb::kOk | platform::mb::kIconError);
        host.Refresh();
        *outcome = ScriptOutcome::kCompileError;
        return std::nullopt;
    }
    if (!r.image) {
        *outcome = ScriptOutcome::kNotFound;
        return std::nullopt;
    }
    if (f.compiled && script::WriteImageFile(fs, f.path, *r.image) != 0)
        host.editor().Notice("The compiled script " + f.path + " could not be written.");
    return std::move(r.image);
}

}  // namespace

std::optional<std::string> ScriptImageFor(EditorScriptHost& host, const std::string& name,
                                          ScriptOutcome* outcome, std::string* path) {
    ScriptEditor& editor = host.editor();
    const ScriptFile f =
        LocateScript(host.fs(), name, ScriptsFolder(editor.settings(), editor.SettingsFolder()),
                     editor.ProgramFolder());
    if (path != nullptr) *path = f.path;
    *outcome = ScriptOutcome::kDone;
    return Prepare(host, f, outcome);
}

ScriptOutcome RunScriptFile(EditorScriptHost& host, const std::string& name) {
    if (host.depth >= kMaxRunDepth) return ScriptOutcome::kTooDeep;
    ScriptOutcome outcome = ScriptOutcome::kDone;
    std::string path;
    std::optional<std::string> image = ScriptImageFor(host, name, &outcome, &path);
    if (!image) return outcome;
    std::shared_ptr<script::Runtime> rt = script::Runtime::Load(std::move(*image), host);
    if (!rt) return ScriptOutcome::kNotFound;
    switch (host.RunObject(rt, script::ScriptTitle(path), 0)) {
        case script::RunResult::kInterrupted:
            return ScriptOutcome::kInterrupted;
        case script::RunResult::kFault:
        case script::RunResult::kStackOverflow:
        case script::RunResult::kBudget:
            return ScriptOutcome::kFault;
        default:
            return ScriptOutcome::kDone;
    }
}

}  // namespace norv::app
