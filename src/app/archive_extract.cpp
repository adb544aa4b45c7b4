// Extracting an archive from the Open dialog (see archive_extract.h).
#include "app/archive_extract.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "app/config/settings.h"
#include "app/shell_run.h"
#include "platform/code_page.h"
#include "platform/paths.h"
#include "platform/process_run.h"
#include "platform/temp_folder.h"
#include "tools/archive/archive_names.h"
#include "tools/archive/archiver_command.h"

namespace norv::app {
namespace {

std::string Filled(std::string_view format, std::string_view value) {
    std::string out(format);
    const size_t at = out.find("%s");
    if (at != std::string::npos) out.replace(at, 2, value);
    return out;
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

ArchiveKind ArchiveKindOf(std::string_view path) {
    if (path.size() < 4) return ArchiveKind::kNone;
    std::string ext;
    for (char c : path.substr(path.size() - 4)) ext.push_back(Upper(c));
    if (ext == ".ZIP") return ArchiveKind::kZip;
    if (ext == ".LZH") return ArchiveKind::kLzh;
    return ArchiveKind::kNone;
}

std::string_view CutAtWholeCharacter(std::string_view text, size_t limit) {
    if (text.size() <= limit) return text;
    // The byte after the limit continues a character: the cut goes before that character's
    // first byte (at most three bytes back).
    size_t end = limit;
    for (int k = 0; k < 3 && end > 0 && (static_cast<uint8_t>(text[end]) & 0xC0) == 0x80; ++k)
        --end;
    if ((static_cast<uint8_t>(text[end]) & 0xC0) == 0x80) end = limit;  // not UTF-8 here
    return text.substr(0, end);
}

ExtractResult ExtractArchive(ExtractEnvironment& env, const std::vector<std::string>& selected,
                             const std::string& folder) {
    ExtractResult result;
    platform::UserInterface& ui = *env.ui;
    if (selected.size() > 1) {
        ui.MessageBox(kArchiveMultiple, platform::mb::kOk | platform::mb::kIconWarning);
        return result;
    }
    if (selected.empty()) return result;
    const std::string& archive = selected.front();
    const ArchiveKind kind = ArchiveKindOf(archive);
    if (kind == ArchiveKind::kNone) return result;
    const Settings& settings = *env.settings;
    const std::string& stored = settings.Text(kind == ArchiveKind::kZip ? Key::ZIPX : Key::LHAX);
    const bool throughShell = settings.Flag(kind == ArchiveKind::kZip ? Key::ZIPDOS : Key::LZHDOS);
    std::string command;
    platform::AppendMultiByteAsUtf8(env.systemCodePage, stored, command);

    std::string destination = folder;
    if (command.find("%2") != std::string::npos) {
        std::optional<std::string> chosen =
            env.chooseFolder ? env.chooseFolder(folder) : std::nullopt;
        if (!chosen) return result;
        destination = *chosen;
    }
    destination = platform::FullPath(destination.empty() ? platform::CurrentFolder() : destination);
    while (destination.size() > 1 && destination.back() == '/') destination.pop_back();

    // Every name is checked before anything runs.
    tools::FileArchiveBytes bytes(archive);
    std::optional<std::vector<tools::ArchiveEntry>> names =
        kind == ArchiveKind::kZip ? tools::ReadZipNames(bytes) : tools::ReadLzhNames(bytes);
    if (!bytes.opened() || !names) {
        ui.MessageBox(Filled(kArchiveNamesUnreadable, archive),
                      platform::mb::kOk | platform::mb::kIconWarning);
        return result;
    }
    if (std::optional<size_t> bad = tools::FirstEntryOutside(*names, destination)) {
        ui.MessageBox(Filled(kArchiveNameOutside, tools::ShownName((*names)[*bad].name)),
                      platform::mb::kOk | platform::mb::kIconWarning);
        return result;
    }

    platform::ProgramRequest request;
    request.folder = destination;
    std::string capture;
    if (throughShell) {
        std::optional<std::string> text =
            tools::ExpandArchiverShellText(command, archive, destination);
        capture = platform::PrivateTempFile("Norv.$$$");
        if (!text || capture.empty()) {
            ui.MessageBox(kShellStartFailed, platform::mb::kOk);
            return result;
        }
        std::remove(capture.c_str());
        request.argv = {"/bin/sh", "-c", *text};
        request.outputFile = capture;
    } else {
        std::optional<std::vector<std::string>> words =
            tools::ExpandArchiverWords(command, archive, destination);
        if (!words) {
            ui.MessageBox(kShellStartFailed, platform::mb::kOk);
            return result;
        }
        request.argv = std::move(*words);
    }
    int error = 0;
    std::unique_ptr<platform::RunningProgram> program =
        platform::RunningProgram::Start(request, &error);
    if (!program) {
        ui.MessageBox(kShellStartFailed, platform::mb::kOk);
        return result;
    }
    result.ran = true;
    ui.BeginWaitCursor();
    while (!program->Ended()) {
        if (env.escapePressed && env.escapePressed()) {
            result.stopped = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ui.EndWaitCursor();
    if (throughShell) {
        if (!result.stopped) {
            std::ifstream in(capture, std::ios::binary);
            std::string text(kArchiverShownBytes + 4, '\0');
            in.read(text.data(), static_cast<std::streamsize>(text.size()));
            text.resize(static_cast<size_t>(in.gcount()));
            if (env.showOutput)
                env.showOutput(std::string(CutAtWholeCharacter(text, kArchiverShownBytes)));
        }
        std::remove(capture.c_str());
    }
    if (platform::ChangeCurrentFolder(destination)) result.destination = destination;
    return result;
}

}  // namespace norv::app
