// Running an external program for the user (see shell_run.h).
#include "app/shell_run.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "document/char_model.h"
#include "document/document.h"
#include "platform/code_page.h"
#include "platform/paths.h"
#include "platform/temp_folder.h"
#include "tools/shell/capture_converter.h"

namespace norv::app {
namespace {

using Clock = std::chrono::steady_clock;

// How much of a filter's input is gathered before it is converted and written.
constexpr size_t kFilterInputBlock = size_t{1} << 20;
// How much a capture reads at once, taken kShellReadBytes at a time; and how much converted
// output waits for the next frame before it goes into the target anyway.
constexpr size_t kCaptureReadBlock = size_t{64} << 10;
constexpr size_t kCapturePendingBytes = size_t{1} << 20;
// Room for output that came after the filter's output file was measured, read in one go.
constexpr size_t kReadMoreBytes = size_t{64} << 10;
// What a heap cell adds to a record's header and text at most: its header and rounding.
constexpr size_t kCellSlack = 12;
// At most this much memory is taken ahead for a filter's output: a filter that keeps little
// of a large text (grep, head) must not make the editor fault in as much again.
constexpr size_t kMaxReservedBytes = size_t{256} << 20;

// The program's text for the document: CR LF and lone CR line ends read as LF (a CR at the end
// of a piece waits for the next), so the document gets lines, not CR bytes.
class LineEnds {
  public:
    // Appends `text` with its line ends read so to `out`.
    void FeedInto(std::string_view text, bool last, std::string& out) {
        // Most output has no CR: it goes through as it is.
        if (!held_ && text.find('\r') == std::string_view::npos) {
            out.append(text);
            return;
        }
        out.reserve(out.size() + text.size() + 1);
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
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    editing::Selection* selection = view && env_.selectionOf ? env_.selectionOf(*view) : nullptr;
    if (selection && !selection->active()) {
        // The whole text, then selected.
        const document::LineRecord* last = view->doc().lines().last();
        const int lines = view->doc().lineCount();
        selection->Select(1, 0, lines, last ? last->contentLength() : 0);
    }
    // Written as UTF-8 with LF line ends (also between the pieces of a box) a block at a time;
    // a block ends with a line end, so no character is cut.
    const int codePage = view ? TextCodePage(*view) : platform::kCodePageUtf8;
    std::string block;
    std::string utf8;
    auto write = [&] {
        if (codePage == platform::kCodePageUtf8 || platform::AsciiPrefix(block) == block.size()) {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
        } else {
            utf8.clear();
            platform::AppendMultiByteAsUtf8(codePage, block, utf8);
            out.write(utf8.data(), static_cast<std::streamsize>(utf8.size()));
        }
        block.clear();
    };
    document::UndoPosition from, to;
    if (selection && selection->active() && selection->StreamRange(*view, &from, &to)) {
        // A stream selection is written from the records themselves (the line buffer written
        // back first): each line's text and its line feed in one piece.
        view->Sync();
        block.reserve(kFilterInputBlock + document::kMaxLineBytes);
        const int caret = view->caretLineNumber();
        const document::LineRecord* r =
            from.line < caret - from.line
                ? editing::RecordFrom(view->doc().lines().first(), 1, from.line)
                : editing::RecordFrom(view->caretLine(), caret, from.line);
        for (int n = from.line; n <= to.line && r; ++n, r = r->next) {
            const size_t end = r->contentLength();
            const size_t a = n == from.line ? std::min<size_t>(from.column, end) : 0;
            const size_t b =
                n == to.line ? std::max<size_t>(a, std::min<size_t>(to.column, end)) : r->length;
            block.append(r->text() + a, b - a);
            filterInputBytes_ += sizeof(document::LineRecord) + kCellSlack + r->length;
            if (block.size() >= kFilterInputBlock && block.back() == '\n') write();
        }
        write();
    } else if (selection && selection->active()) {
        // A box: its pieces, LF after each.
        block.reserve(kFilterInputBlock + 4096);
        selection->Pieces("\n", [&](std::string_view piece) {
            block.append(piece);
            filterInputBytes_ += piece.size();
            if (piece == "\n") filterInputBytes_ += sizeof(document::LineRecord) + kCellSlack;
            if (block.size() >= kFilterInputBlock && block.back() == '\n') write();
        });
        write();
    }
    out.close();
    if (!out) return std::nullopt;
    return path;
}

void ShellRun::ReplaceSelection(editing::CElwView& view, std::string_view text) {
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
    std::optional<TargetState> expected;
    // Output read and converted, not yet in the target. It goes in before anything else may
    // run (painting and Escape's polling, once a frame), so nothing can change the target
    // between a read and its insertion that the state check below would not see.
    std::string pending;
    std::string piece;
    bool shown = true;
    auto put = [&]() -> bool {
        if (pending.empty()) return true;
        if ((env_.viewAlive && !env_.viewAlive(&target)) ||
            (expected && StateOf(target) != *expected)) {
            result.stopped = true;
            env_.ui->SetStatusText(kShellTargetChanged);
            return false;
        }
        if (output) {
            output->AppendText(pending);
            output->Flush();
        } else {
            if (!atCaret) {
                const document::LineRecord* lastLine = target.doc().lines().last();
                target.SetCaret(target.doc().lineCount(), lastLine ? lastLine->contentLength() : 0);
            }
            target.InsertText(pending);
        }
        pending.clear();
        expected = StateOf(target);
        shown = false;
        return true;
    };
    const auto frame = std::chrono::milliseconds(kShellPaintMs);
    auto nextPoll = Clock::now();
    std::vector<char> buffer(kCaptureReadBlock);
    for (;;) {
        if (Clock::now() >= nextPoll) {
            if (!put()) return;
            if (env_.repaint && !shown) env_.repaint(target);
            shown = true;
            if (env_.escapePressed && env_.escapePressed()) {
                result.stopped = true;
                break;
            }
            nextPoll = Clock::now() + frame;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(nextPoll - Clock::now());
        program.WaitForOutput(static_cast<int>(std::max<int64_t>(left.count(), 0)));
        const long n = program.Read(buffer.data(), buffer.size());
        if (n == 0) continue;
        if (n < 0) {
            ends.FeedInto(converter.Finish(), true, pending);
            break;
        }
        // One read taken as reads of kShellReadBytes one after another, each with its own
        // end-of-file mark.
        for (size_t at = 0; at < static_cast<size_t>(n); at += kShellReadBytes) {
            const std::string_view chunk = tools::DropFinalEofMark(
                {buffer.data() + at, std::min(kShellReadBytes, static_cast<size_t>(n) - at)},
                kShellReadBytes);
            piece.clear();
            converter.FeedInto(chunk, piece);
            ends.FeedInto(piece, false, pending);
        }
        if (pending.size() >= kCapturePendingBytes && !put()) return;
    }
    if (!put()) return;
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
    filterInputBytes_ = 0;
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
    if (capture && target) {
        // At the caret, the deleted selection and every piece of output undo as one step.
        std::optional<editing::CommandScope> scope;
        if (options.captureAtCaret) {
            editing::Selection* selection = env_.selectionOf ? env_.selectionOf(*target) : nullptr;
            scope.emplace(*target);
            if (selection && selection->active()) selection->DeleteSelection(*target);
        }
        Capture(*target, options.captureAtCaret, options.captureAtCaret ? nullptr : &output,
                *program, result);
    }
    // A filter without capture: wait for its end, then its output replaces the selection. With
    // capture the output has ended; the program may still be finishing. Meanwhile the line
    // heap takes the memory the new lines will need, a slab at a time, so that faulting it in
    // overlaps the program's work instead of following it.
    document::LineHeap* heap = !capture && start ? &start->doc().lines().heap() : nullptr;
    bool reserving = heap != nullptr && filterInputBytes_ > 0;
    auto nextPoll = Clock::now();
    while (!result.stopped && !program->Ended()) {
        if (Clock::now() >= nextPoll) {
            if (env_.escapePressed && env_.escapePressed()) {
                result.stopped = true;
                break;
            }
            nextPoll = Clock::now() + std::chrono::milliseconds(kShellPaintMs);
        }
        if (reserving && !heap->Reserve(std::min(filterInputBytes_, kMaxReservedBytes)))
            reserving = false;
        if (!reserving) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(nextPoll - Clock::now());
            program->WaitForEnd(static_cast<int>(std::max<int64_t>(left.count(), 0)));
        }
    }
    program->Ended();
    result.exitStatus = program->status();
    if (!capture && !result.stopped && start && (!env_.viewAlive || env_.viewAlive(start))) {
        std::ifstream in(filterOutput, std::ios::binary | std::ios::ate);
        if (in) {
            // Read into room for the whole file at once (not cleared first: the read fills
            // it), growing for whatever came after.
            const std::streamoff size = in.tellg();
            in.seekg(0);
            size_t room = static_cast<size_t>(std::max<std::streamoff>(size, 0)) + kReadMoreBytes;
            std::unique_ptr<char[]> raw(new char[room]);
            size_t length = 0;
            for (;;) {
                in.read(raw.get() + length, static_cast<std::streamsize>(room - length));
                const auto got = static_cast<size_t>(in.gcount());
                length += got;
                if (got == 0 || !in) break;
                std::unique_ptr<char[]> more(new char[room * 2]);
                std::memcpy(more.get(), raw.get(), length);
                raw = std::move(more);
                room *= 2;
            }
            if (length > 0 && raw[length - 1] == '\x1A') --length;
            // Converted and its line ends read, each only when it changes anything.
            // One pass finds the common case, ASCII without a CR, that needs neither.
            std::string_view text(raw.get(), length);
            const size_t plain = platform::AsciiPrefix(text, true);
            std::string converted;
            const int codePage = TextCodePage(*start);
            if (plain != text.size() && codePage != platform::kCodePageUtf8 &&
                platform::AsciiPrefix(text.substr(plain)) != text.size() - plain) {
                tools::CaptureConverter converter(codePage);
                converter.FeedInto(text, converted);
                converted += converter.Finish();
                text = converted;
            }
            std::string lines;
            if (plain != text.size() && text.find('\r', plain) != std::string_view::npos) {
                LineEnds().FeedInto(text, true, lines);
                text = lines;
            }
            ReplaceSelection(*start, text);
            if (env_.repaint) env_.repaint(*start);
        }
        std::remove(filterOutput.c_str());
    }
    // What the output did not need goes back.
    if (heap) heap->TrimSpares();
    ui.EndWaitCursor();
    if (!result.stopped) ui.SetStatusText(kShellEnded);
    return result;
}

}  // namespace norv::app
