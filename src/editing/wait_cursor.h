// The wait cursor over long work: shown while the guard lives, when the work is large.
#pragma once

#include <cstddef>

#include "platform/ui.h"

namespace norv::editing {

// Texts above this size show the wait cursor while they are worked on.
constexpr size_t kWaitCursorBytes = 64 * 1024;

class WaitCursor {
  public:
    WaitCursor(platform::UserInterface* ui, size_t bytes)
        : ui_(bytes > kWaitCursorBytes ? ui : nullptr) {
        if (ui_) ui_->BeginWaitCursor();
    }
    ~WaitCursor() {
        if (ui_) ui_->EndWaitCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    platform::UserInterface* ui_;
};

}  // namespace norv::editing
