// The Grep command: dialog, walk and output (see find_in_files.h).
#include "app/find_in_files.h"

#include "app/config/document_settings.h"
#include "document/char_model.h"
#include "platform/code_page.h"
#include "platform/paths.h"
#include "search/find_commands.h"
#include "search/grep_mask.h"
#include "search/grep_output.h"
#include "search/grep_scan.h"

namespace norv::app {
namespace {

using Clock = std::chrono::steady_clock;

// The walk's events: the status bar, the output document, the poll.
class GrepRun : public search::GrepWalkEvents {
  public:
    GrepRun(GrepEnvironment& env, OutputDocument& output) : env_(env), output_(output) {}

    void Searching(std::string_view path) override {
        status_.assign(kGrepFindingText);
        status_ += ' ';
        status_.append(path);
        statusShown_ = false;
        if (Due(lastStatus_)) ShowStatus();
    }

    bool Found(const search::GrepHit& hit) override {
        output_.Append(search::FormatGrepLine(hit.path, hit.line, hit.text, hit.textCodePage,
                                              output_.codePage()));
        if (Due(lastPaint_)) Paint();
        return true;
    }

    bool Poll() override {
        if (!statusShown_) ShowStatus();
        if (Due(lastPaint_)) Paint();
        return env_.escapePressed && env_.escapePressed();
    }

    void Paint() {
        lastPaint_ = Clock::now();
        if (output_.Flush() && env_.repaint && output_.view()) env_.repaint(*output_.view());
    }

  private:
    static bool Due(Clock::time_point& last) {
        const Clock::time_point now = Clock::now();
        if (now - last < std::chrono::milliseconds(kGrepPaintMs)) return false;
        last = now;
        return true;
    }
    void ShowStatus() {
        lastStatus_ = Clock::now();
        statusShown_ = true;
        env_.ui->SetStatusText(status_);
    }

    GrepEnvironment& env_;
    OutputDocument& output_;
    std::string status_;
    bool statusShown_ = true;
    Clock::time_point lastStatus_{};
    Clock::time_point lastPaint_ = Clock::now();
};

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    return folder;
}

}  // namespace

void FindInFiles::Save(Key key, std::string_view value) {
    if (!env_.settings) return;
    if (env_.store)
        env_.settings->Write(*env_.store, key, value);
    else
        env_.settings->Set(key, value);
}

GrepDialogRequest FindInFiles::DialogDefaults(std::string_view presetString) const {
    GrepDialogRequest r;
    r.searchString = std::string(presetString);
    if (env_.settings) {
        r.folder = env_.settings->Text(Key::GrepDir);
        r.masks = env_.settings->Text(Key::GrepMask);
        r.options = search::ParseGrepOptionString(env_.settings->Text(Key::GrepOption));
    }
    if (r.folder.empty()) r.folder = platform::CurrentFolder();
    r.history = env_.history;
    return r;
}

bool FindInFiles::AskAndRun(GrepDialogRequest& request, uint64_t* lines) {
    if (!env_.dialog || !env_.dialog(request)) return false;
    if (request.saveOptions) Save(Key::GrepOption, search::BuildGrepOptionString(request.options));
    *lines = Run(request);
    return true;
}

uint64_t FindInFiles::Command(std::string_view presetString) {
    GrepDialogRequest request = DialogDefaults(presetString);
    uint64_t lines = 0;
    AskAndRun(request, &lines);
    return lines;
}

uint64_t FindInFiles::Script(const GrepArguments& a, std::string_view presetString) {
    GrepDialogRequest request = DialogDefaults(presetString);
    if (a.searchString) request.searchString = *a.searchString;
    if (a.folder) request.folder = *a.folder;
    if (a.masks) request.masks = *a.masks;
    if (a.options) request.options = search::ParseGrepOptionString(*a.options);
    if (a.searchString && a.folder && a.masks && a.options) return Run(request);
    uint64_t lines = 0;
    AskAndRun(request, &lines);
    return lines;
}

uint64_t FindInFiles::Run(const GrepDialogRequest& request) {
    broken = false;
    if (env_.recorder)
        env_.recorder->RecordFrameCommand(kGrepCommandId,
                                          {request.searchString, request.folder, request.masks,
                                           search::BuildGrepOptionString(request.options)});
    platform::UserInterface& ui = *env_.ui;
    platform::FileSystem& fs = *env_.fs;
    // A relative folder is read from the current one.
    const std::string folder = WithSlash(platform::FullPath(request.folder));
    std::optional<platform::FileInfo> info = fs.Stat(folder);
    if (!info || !info->isDirectory) {
        ui.Refuse(std::string(kNoFolderText) + request.folder);
        stateValue = search::kGrepStateNotFound;
        return 0;
    }
    const std::string before = platform::CurrentFolder();
    platform::ChangeCurrentFolder(folder);
    Save(Key::GrepDir, folder);
    if (env_.history && !request.searchString.empty()) {
        search::FindOptions used;
        used.ignoreCase = request.options.ignoreCase;
        used.ignoreMbcs = request.options.ignoreMbcs;
        used.matchWord = request.options.matchWord;
        used.matchTopOfLine = request.options.matchTopOfLine;
        used.matchEndOfLine = request.options.matchEndOfLine;
        used.regularExpression = request.options.regularExpression;
        env_.history->Add(request.searchString, search::BuildOptionString(used));
        if (env_.historyChanged) env_.historyChanged();
    }
    search::GrepMatcher matcher;
    if (!matcher.Compile(request.searchString, request.options, env_.systemCodePage)) {
        if (request.searchString.empty()) {
            ui.Refuse(kNothingToFindText);
        } else {
            std::string reason(search::kNotFoundText);
            platform::AppendMultiByteAsUtf8(env_.systemCodePage, request.searchString, reason);
            ui.Refuse(reason);
        }
        stateValue = search::kGrepStateNotFound;
        platform::ChangeCurrentFolder(before);
        return 0;
    }
    OutputDocument output;
    if (!env_.windows || !output.Prepare(*env_.windows, folder)) {
        platform::ChangeCurrentFolder(before);
        stateValue = search::kGrepStateNotFound;
        return 0;
    }
    ui.BeginWaitCursor();
    ui.SetStatusText(kGrepFindingText);
    search::GrepWalkRequest walk;
    walk.folder = folder;
    walk.masks = search::SplitMasks(request.masks);
    walk.options = request.options;
    if (env_.openTexts) {
        for (search::GrepOpenText& t : env_.openTexts())
            if (t.lines != &output.view()->doc().lines()) walk.open.push_back(std::move(t));
    }
    // Each file in its own code unless GrepDecode is 0, read at the start of every search: the
    // pattern is compiled once more, for text held as UTF-8.
    const bool decode = !env_.settings || env_.settings->Flag(Key::GrepDecode);
    search::GrepMatcher utf8;
    search::GrepDecoding decoding;
    if (decode) {
        utf8.Compile(request.searchString, request.options, platform::kCodePageUtf8,
                     env_.systemCodePage);
        if (env_.settings) decoding.load = LoadSettingsFrom(*env_.settings);
        decoding.systemCodePage = env_.systemCodePage;
        decoding.system = &matcher;
        decoding.utf8 = document::IsUtf8CodePage(env_.systemCodePage) ? &matcher : &utf8;
    }
    GrepRun run(env_, output);
    const search::GrepWalkResult result = search::RunGrepWalk(
        fs, walk, matcher, env_.systemCodePage, run, env_.blockBytes, decode ? &decoding : nullptr);
    broken = result.broken;
    output.Finish();
    if (env_.repaint) env_.repaint(*output.view());
    ui.SetStatusText("");
    ui.EndWaitCursor();
    Save(Key::GrepMask, request.masks);
    platform::ChangeCurrentFolder(before);
    stateValue = result.hits > 0 ? search::kGrepStateFound : search::kGrepStateNotFound;
    return result.hits;
}

}  // namespace norv::app
