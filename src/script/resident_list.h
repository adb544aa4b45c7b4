// The resident scripts: run-time objects that stay in memory after their run and are run again
// at editor events, each known by the title of the file it was started from.
//
// The title is the file name without folder and extension, kept in full (not the image header's
// 64-byte name), and compared without regard to ASCII case: "Clock.NRS" and "CLOCK.nrx" are
// the same resident. Each title is in the list at most once.
//
// The list holds shared ownership of its objects. Whoever runs an object holds it too while the
// run is on the stack, so taking an object off the list (TERMINATE, or a newer object of its
// title replacing it) never destroys it under a run: it goes when the last run of it returns.
// Walks over the list take a snapshot, so runs that add, replace or end residents leave the walk
// undisturbed; a walk skips the entries of its snapshot that are no longer in the list.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace norv::script {

class Runtime;

// The file title of a script path: "/a/b/Clock.NRS" gives "Clock".
std::string ScriptTitle(std::string_view path);
// Whether two titles name the same script.
bool SameTitle(std::string_view a, std::string_view b);

struct Resident {
    std::string title;
    std::shared_ptr<Runtime> runtime;
};

class ResidentList {
  public:
    // `runtime` stays resident under `title`: it replaces the object of that title in its place,
    // or is appended. Already there: nothing changes.
    void Stay(std::string_view title, const std::shared_ptr<Runtime>& runtime);
    // Takes the object off the list (TERMINATE); nothing when it is not on it.
    void Remove(const Runtime* runtime);
    // Takes off every object for which `refuse` is true (objects whose host goes away).
    template <typename Pred>
    void RemoveIf(Pred refuse) {
        std::erase_if(entries_, [&](const Resident& r) { return refuse(*r.runtime); });
    }
    // The resident of that title; null when none.
    std::shared_ptr<Runtime> Find(std::string_view title) const;
    bool Holds(const Runtime* runtime) const;
    // The list as it is now, in order.
    std::vector<Resident> Snapshot() const { return entries_; }
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    // Every resident goes (the process ends).
    void Clear() { entries_.clear(); }

  private:
    std::vector<Resident> entries_;
};

}  // namespace norv::script
