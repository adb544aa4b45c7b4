// Running an external program for the user (see shell_run.h).
#include "app/shell_run.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "document/char_model.h"
#include "document/document.h"
#include "platform/code_page.h"
#include "platform/paths.h"
#include "platform/temp_folder.h"
#include "tools/shell/capture_converter.h"

namespace norv::app {
namespace {

using Clock = std::chrono::steady_clock;

// Bytes of a document (its code page) as UTF-8 with LF line ends.
std::string DocumentTextAsUtf8(std::string lf, int codePage) {
    // CR LF becomes LF in place.
    size_t to = 0;
    for (size_t i = 0; i < lf.size(); ++i) {
        if (lf[i] == '\r' && i + 1 < lf.size() && lf[i + 1] == '\n') continue;
        lf[to++] = lf[i];
    }
    lf.resize(to);
    // Bytes below 0x80 are written unchanged by the conversion: nothing to convert.
    if (codePage == platform::kCodePageUtf8 ||
        std::all_of(lf.begin(), lf.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; }))
        return lf;
    std::string out;
    platform::AppendMultiByteAsUtf8(codePage, lf, out);
    return out;
}

// The program's text for the document: CR LF and lone CR line ends read as LF (a CR at the end
// of a piece waits for the next), so the document gets lines, not CR bytes.
class LineEnds {
  public:
    std::string Feed(std::string_view text, bool last) {
        // Most output has no CR: it goes through as it is.
        if (!held_ && text.find('\r') == std::string_view::npos) return std::string(text);
        std::string out;
        out.reserve(text.size() + 1);
        std::string in = held_ ? "\r" + std::string(text) : std::string(text);
        held_ = false;
        for (size_t i = 0; i < in.size(); ++i) {
            if (in[i] != '\r') {
                out.push_back(in[i]);
            } else if (i + 1 < in.size()) {
                if (in[i + 1] != '\n') out.push_back('\n');
            } else if (last) {
                out.push_back('\n');
            } else {
                held_ = true;
            }
        }
        return out;
    }

  private:
    bool held_ = false;
};

// What the run left in a target, to tell whether anything else changed it since.
struct TargetState {
    int lines = 0;
    int caretLine = 0;
    size_t caretPos = 0;
    bool operator==(const TargetState&) const = default;
};

TargetState StateOf(editing::CElwView& v) {
    v.Sync();
    return {v.doc().lineCount(), v.caretLineNumber(), v.caretPos()};
}

// The code page of a view's bytes, UTF-8 for the Unicode family.
int TextCodePage(const editing::CElwView& v) {
    const int cp = v.doc().CodePage();
    return document::IsUtf8CodePage(cp) ? platform::kCodePageUtf8 : cp;
}

}  // namespace

std::optional<std::string> ShellRun::WriteFilterInput(editing::CElwView* view) {
    const std::string path = platform::PrivateTempFile("Norv.txt");
    if (path.empty()) return std::nullopt;
    std::string text;
    if (view) {
        editing::Selection* selection = env_.selectionOf ? env_.selectionOf(*view) : nullptr;
        if (selection && !selection->active()) {
            // The whole text, then selected.
            const document::LineRecord* last = view->doc().lines().last();
            const int lines = view->doc().lineCount();
            selection->Select(1, 0, lines, last ? last->contentLength() : 0);
        }
        if (selection && selection->active())
            text = DocumentTextAsUtf8(selection->Block(), TextCodePage(*view));
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) return std::nullopt;
    return path;
}

void ShellRun::ReplaceSelection(editing::CElwView& view, const std::string& text) {
    // One undo step: the deletion and the insertion are records of one command.
    editing::CommandScope scope(view);
    editing::Selection* selection = env_.selectionOf ? env_.selectionOf(view) : nullptr;
    document::UndoPosition from, to;
    if (selection && selection->active() && selection->StreamRange(view, &from, &to) &&
        from.column == 0) {
        // Whole lines (the whole text, or lines selected to their ends) are replaced in one
        // splice instead of being deleted and typed in again.
        view.Sync();
        const document::LineRecord* last =
            editing::RecordFrom(view.caretLine(), view.caretLineNumber(), to.line);
        if (last && to.column == last->contentLength()) {
            view.ReplaceWholeLines(from.line, to.line, text);
            return;
        }
    }
    if (selection && selection->active()) selection->DeleteSelection(view);
    view.InsertText(text);
}

void ShellRun::Capture(editing::CElwView& target, bool atCaret, OutputDocument* output,
                       platform::RunningProgram& program, ShellRunResult& result) {
    tools::CaptureConverter converter(TextCodePage(target));
    LineEnds ends;
    auto last = Clock::now();
    std::optional<TargetState> expected;
    char buffer[kShellReadBytes];
    for (;;) {
        if (env_.escapePressed && env_.escapePressed()) {
            result.stopped = true;
            break;
        }
        program.WaitForOutput(kShellPaintMs);
        const long n = program.Read(buffer, sizeof buffer);
        if (n == 0) continue;
        const bool end = n < 0;
        std::string text;
        if (!end) {
            const std::string_view chunk =
                tools::DropFinalEofMark({buffer, static_cast<size_t>(n)}, sizeof buffer);
            text = ends.Feed(converter.Feed(chunk), false);
        } else {
            text = ends.Feed(converter.Finish(), true);
        }
        if (!text.empty()) {
            if (env_.viewAlive && !env_.viewAlive(&target)) {
                result.stopped = true;
                env_.ui->SetStatusText(kShellTargetChanged);
                return;
            }
            if (expected && StateOf(target) != *expected) {
                result.stopped = true;
                env_.ui->SetStatusText(kShellTargetChanged);
                return;
            }
            if (output) {
                output->AppendText(text);
                output->Flush();
            } else {
                if (!atCaret) {
                    const document::LineRecord* lastLine = target.doc().lines().last();
                    target.SetCaret(target.doc().lineCount(),
                                    lastLine ? lastLine->contentLength() : 0);
                }
                target.InsertText(text);
            }
            expected = StateOf(target);
            if (env_.repaint && Clock::now() - last >= std::chrono::milliseconds(kShellPaintMs)) {
                env_.repaint(target);
                last = Clock::now();
            }
        }
        if (end) break;
    }
    if (output) output->Finish();
    if (env_.repaint) env_.repaint(target);
}

bool LauncherEntryUsable(const ShellEntry& entry) {
    return entry.commandLine.find_first_not_of(" \t") != std::string::npos;
}

ShellRunResult ShellRun::RunLine(std::string_view line, const tools::ShellOptions& options) {
    if (env_.recorder)
        env_.recorder->RecordFrameCommand(
            kShellCommandId, {std::string(line), tools::LauncherOptionString(options)});
    return Run(line, options);
}

ShellRunResult ShellRun::RunEntry(const DataFile& data, int n) {
    if (n < 0 || n >= kShellEntryCount) return {};
    const ShellEntry& entry = data.shell[static_cast<size_t>(n)];
    if (!LauncherEntryUsable(entry)) return {};
    if (env_.recorder) env_.recorder->RecordFrameCommand(kLauncherCommandId, {std::to_string(n)});
    const tools::ShellOptions options = tools::ParseShellOptions(entry.options);
    if (options.saveAll) {
        if (env_.saveAll && !env_.saveAll()) return {};
    } else if (options.saveCurrent) {
        if (env_.saveCurrent && !env_.saveCurrent()) return {};
    }
    std::string folder;
    if (!entry.folder.empty()) {
        // The folder's place-holders are those of the current file, after the saves.
        editing::CElwView* view = env_.activeView ? env_.activeView() : nullptr;
        std::string utf8;
        platform::AppendMultiByteAsUtf8(env_.systemCodePage, entry.folder, utf8);
        tools::ShellContext context;
        if (view) context.path = view->doc().path;
        context.environment = env_.environment;
        context.ask = env_.ask;
        folder = platform::ExpandHome(tools::ExpandShellText(utf8, context));
        std::error_code ec;
        if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
            env_.ui->MessageBox(kShellStartFailed, platform::mb::kOk);
            return {};
        }
    }
    return Run(entry.commandLine, options, folder);
}

ShellRunResult ShellRun::Run(std::string_view line, const tools::ShellOptions& options,
                             const std::string& folder) {
    ShellRunResult result;
    platform::UserInterface& ui = *env_.ui;
    editing::CElwView* start = env_.activeView ? env_.activeView() : nullptr;
    std::string utf8;
    platform::AppendMultiByteAsUtf8(env_.systemCodePage, line, utf8);
    tools::ShellContext context;
    if (start) context.path = start->doc().path;
    context.environment = env_.environment;
    context.ask = env_.ask;
    context.writeFilterInput = [&] { return WriteFilterInput(start); };
    tools::ShellError error = tools::ShellError::kNone;
    std::optional<tools::ShellCommand> command =
        tools::ExpandShellCommand(utf8, options, context, &error);
    if (!command) {
        ui.MessageBox(kShellStartFailed, platform::mb::kOk);
        return result;
    }
    platform::ProgramRequest request;
    request.argv = command->argv;
    request.folder = folder;
    const bool capture = options.capture();
    std::string filterOutput;
    if (capture) {
        request.capture = command->captureErrors ? platform::ProgramCapture::kErrors
                                                 : platform::ProgramCapture::kOutput;
    } else if (command->filterMode) {
        filterOutput = platform::PrivateTempFile("Norv.TMP");
        std::remove(filterOutput.c_str());
        request.outputFile = filterOutput;
    }

    // The capture's target is chosen before the start, its text changed only after it.
    editing::CElwView* target = nullptr;
    OutputDocument output;
    if (capture && options.captureAtCaret) {
        target = start ? start : (env_.newDocument ? env_.newDocument() : nullptr);
    } else if (capture) {
        std::string here = platform::CurrentFolder();
        if (here.empty() || here.back() != '/') here += '/';
        if (env_.windows && output.Prepare(*env_.windows, here)) target = output.view();
    }
    int startError = 0;
    std::unique_ptr<platform::RunningProgram> program =
        platform::RunningProgram::Start(request, &startError);
    if (!program) {
        ui.MessageBox(kShellStartFailed, platform::mb::kOk);
        return result;
    }
    result.started = true;
    if (!capture && !command->filterMode) return result;

    ui.BeginWaitCursor();
    if (capture) {
        if (target) {
            // At the caret, the deleted selection and every piece of output undo as one step.
            std::optional<editing::CommandScope> scope;
            if (options.captureAtCaret) {
                editing::Selection* selection =
                    env_.selectionOf ? env_.selectionOf(*target) : nullptr;
                scope.emplace(*target);
                if (selection && selection->active()) selection->DeleteSelection(*target);
            }
            Capture(*target, options.captureAtCaret, options.captureAtCaret ? nullptr : &output,
                    *program, result);
        }
        // The output has ended; the program may still be finishing.
        while (!result.stopped && !program->Ended()) {
            if (env_.escapePressed && env_.escapePressed()) {
                result.stopped = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    } else {
        // A filter without capture: wait for its end, then its output replaces the selection.
        while (!program->Ended()) {
            if (env_.escapePressed && env_.escapePressed()) {
                result.stopped = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    program->Ended();
    result.exitStatus = program->status();
    if (!capture && !result.stopped && start && (!env_.viewAlive || env_.viewAlive(start))) {
        std::ifstream in(filterOutput, std::ios::binary | std::ios::ate);
        if (in) {
            // Read in large blocks into room for the whole file.
            std::string raw;
            const std::streamoff size = in.tellg();
            if (size > 0) raw.reserve(static_cast<size_t>(size));
            in.seekg(0);
            char block[1 << 16];
            while (in.read(block, sizeof block) || in.gcount() > 0)
                raw.append(block, static_cast<size_t>(in.gcount()));
            if (!raw.empty() && raw.back() == '\x1A') raw.pop_back();
            tools::CaptureConverter converter(TextCodePage(*start));
            LineEnds ends;
            ReplaceSelection(*start, ends.Feed(converter.Feed(raw) + converter.Finish(), true));
            if (env_.repaint) env_.repaint(*start);
        }
        std::remove(filterOutput.c_str());
    }
    ui.EndWaitCursor();
    if (!result.stopped) ui.SetStatusText(kShellEnded);
    return result;
}

}  // namespace norv::app
