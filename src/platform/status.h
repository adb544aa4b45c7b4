// Status codes that the document code posts to the main window, and the interface that
// carries them (the main frame shows or sounds them; tests record them).
#pragma once

namespace norv::platform {

enum class StatusCode : int {
    kLoaded = 1,        // after a load or a save
    kTooManyFiles = 4,  // also: a read-only file could not be saved
    kNoMemory = 7,      // out of memory, or a write failure
};

class StatusSink {
  public:
    virtual ~StatusSink() = default;
    virtual void PostStatus(StatusCode code) = 0;
};

// A sink that drops everything (for command-line tools).
class NullStatusSink final : public StatusSink {
  public:
    void PostStatus(StatusCode) override {}
};

}  // namespace norv::platform
