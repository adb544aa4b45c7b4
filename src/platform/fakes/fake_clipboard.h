// A clipboard in memory for tests and headless runs. It can be made unavailable (as if another
// program held it open) and counts the writes, so a test can see that a command left it alone.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/clipboard.h"

namespace norv::platform {

class FakeClipboard : public Clipboard {
  public:
    std::optional<std::string> Text() override {
        if (!available) return std::nullopt;
        return content;
    }
    bool SetText(std::string_view utf8) override {
        if (!available) return false;
        content = std::string(utf8);
        ++writes;
        if (onChange) onChange();
        return true;
    }

    std::optional<std::string> content;
    bool available = true;
    int writes = 0;
    // Called after every change (the clipboard-change notification).
    std::function<void()> onChange;
};

}  // namespace norv::platform
