// Walking the folder tree of find in files (see grep_walk.h).
#include "search/grep_walk.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "document/char_model.h"
#include "search/grep_mask.h"

namespace norv::search {
namespace {

using FileId = std::pair<uint64_t, uint64_t>;  // device, inode

FileId IdOf(const platform::FileInfo& info) {
    return {info.device, info.inode};
}

class Walk : private GrepLineSink {
  public:
    Walk(platform::FileSystem& fs, const GrepWalkRequest& request, GrepMatcher& matcher,
         int textCodePage, GrepWalkEvents& events, size_t blockBytes, const GrepDecoding* decoding)
        : fs_(fs),
          request_(request),
          matcher_(matcher),
          textCodePage_(textCodePage),
          events_(events),
          decoding_(decoding),
          text_(blockBytes) {
        for (const GrepOpenText& t : request.open) {
            if (!t.lines || t.path.empty()) continue;
            if (std::optional<platform::FileInfo> info = fs.Stat(t.path);
                info && !info->isDirectory)
                open_.emplace(IdOf(*info), &t);
        }
    }

    GrepWalkResult Run();

  private:
    struct Folder {
        std::string path;    // full, ending in "/"
        std::string prefix;  // relative to the start folder, ending in "/" (or empty)
        std::vector<std::string> subFolders;
        size_t next = 0;
    };

    // Searches the files of one folder; fills its sub folders when they are wanted.
    bool SearchFolder(Folder& folder);
    bool SearchOne(const std::string& path, const std::string& shown, const platform::FileInfo&);
    bool Line(uint64_t number, std::string_view text) override;
    bool Poll() override;
    void TextCodePage(int codePage) override { hitCodePage_ = codePage; }
    bool Stop() {
        result_.broken = true;
        return false;
    }

    platform::FileSystem& fs_;
    const GrepWalkRequest& request_;
    GrepMatcher& matcher_;
    int textCodePage_;
    GrepWalkEvents& events_;
    const GrepDecoding* decoding_;
    GrepTextSearch text_;
    std::map<FileId, const GrepOpenText*> open_;
    std::set<FileId> walked_;
    GrepWalkResult result_;
    // The file being searched.
    std::string shown_;
    int hitCodePage_ = 0;
    bool begun_ = false;
};

bool Walk::Line(uint64_t number, std::string_view text) {
    ++result_.hits;
    if (!events_.Found(GrepHit{shown_, number, text, hitCodePage_})) return Stop();
    if (result_.hits % kGrepPollHits == 0 && events_.Poll()) return Stop();
    return true;
}

bool Walk::Poll() {
    if (events_.Poll()) {
        result_.broken = true;
        return true;
    }
    return false;
}

bool Walk::SearchOne(const std::string& path, const std::string& shown,
                     const platform::FileInfo& info) {
    // Between files: the first one is begun at once.
    if (begun_ && events_.Poll()) return Stop();
    begun_ = true;
    shown_ = shown;
    events_.Searching(shown_);
    GrepTextStatus status;
    auto open = open_.find(IdOf(info));
    if (open != open_.end()) {
        hitCodePage_ = open->second->codePage;
        GrepMatcher* matcher = &matcher_;
        if (decoding_)
            matcher = document::IsUtf8CodePage(hitCodePage_) ? decoding_->utf8 : decoding_->system;
        status = text_.SearchLines(*open->second->lines, *matcher, *this);
    } else if (decoding_) {
        status = text_.SearchFileInItsCode(fs_, path, *decoding_, *this);
    } else {
        hitCodePage_ = textCodePage_;
        status = text_.SearchFile(fs_, path, matcher_, *this);
    }
    if (status != GrepTextStatus::kUnreadable) ++result_.files;
    return status != GrepTextStatus::kStopped && !result_.broken;
}

bool Walk::SearchFolder(Folder& folder) {
    std::vector<std::string> names = fs_.ListFolder(folder.path);
    std::sort(names.begin(), names.end());
    // Each entry is looked at once, however many masks name it.
    std::vector<std::optional<std::optional<platform::FileInfo>>> infos(names.size());
    auto infoOf = [&](size_t i) -> const std::optional<platform::FileInfo>& {
        if (!infos[i]) infos[i] = fs_.StatEntry(folder.path + names[i]);
        return *infos[i];
    };
    for (const std::string& mask : request_.masks) {
        for (size_t i = 0; i < names.size(); ++i) {
            const std::string& name = names[i];
            if (name[0] == '.' || !MatchesMask(name, mask)) continue;
            const std::optional<platform::FileInfo>& info = infoOf(i);
            if (!info || info->isDirectory || !info->isRegular) continue;
            const std::string path = folder.path + name;
            const std::string shown = request_.options.fullPath ? path : folder.prefix + name;
            if (!SearchOne(path, shown, *info)) return false;
        }
    }
    if (!request_.options.subFolders) return true;
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i][0] == '.') continue;
        const std::optional<platform::FileInfo>& info = infoOf(i);
        if (info && info->isDirectory) folder.subFolders.push_back(names[i]);
    }
    return true;
}

GrepWalkResult Walk::Run() {
    std::optional<platform::FileInfo> start = fs_.Stat(request_.folder);
    if (!start || !start->isDirectory) return result_;
    walked_.insert(IdOf(*start));
    // Depth first without recursion, so a deep tree cannot exhaust the stack.
    std::vector<Folder> stack;
    stack.push_back(Folder{request_.folder, "", {}, 0});
    if (!SearchFolder(stack.back())) return result_;
    while (!stack.empty()) {
        Folder& top = stack.back();
        if (top.next >= top.subFolders.size()) {
            stack.pop_back();
            continue;
        }
        const std::string& name = top.subFolders[top.next++];
        Folder sub{top.path + name + "/", top.prefix + name + "/", {}, 0};
        std::optional<platform::FileInfo> info = fs_.StatEntry(sub.path);
        if (!info || !info->isDirectory || !walked_.insert(IdOf(*info)).second) continue;
        stack.push_back(std::move(sub));
        if (!SearchFolder(stack.back())) return result_;
    }
    return result_;
}

}  // namespace

GrepWalkResult RunGrepWalk(platform::FileSystem& fs, const GrepWalkRequest& request,
                           GrepMatcher& matcher, int textCodePage, GrepWalkEvents& events,
                           size_t blockBytes, const GrepDecoding* decoding) {
    Walk walk(fs, request, matcher, textCodePage, events, blockBytes, decoding);
    return walk.Run();
}

}  // namespace norv::search
