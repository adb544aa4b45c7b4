// The system clipboard through QClipboard: Unicode text at the boundary, UTF-8 towards the core.
// Changes made by other programs (and by us) are reported to `changed`, which feeds the
// clipboard history.
#pragma once

#include <QMetaObject>
#include <functional>
#include <optional>
#include <string>

#include "platform/clipboard.h"

namespace norv::qt {

class QtClipboard : public platform::Clipboard {
  public:
    QtClipboard();
    ~QtClipboard() override;
    QtClipboard(const QtClipboard&) = delete;
    QtClipboard& operator=(const QtClipboard&) = delete;
    std::optional<std::string> Text() override;
    bool SetText(std::string_view utf8) override;

    std::function<void()> changed;
    // While this is true, texts placed here are the clipboard history's own: their change is
    // not reported, even when the system tells of it later (asynchronously).
    const bool* fromHistory = nullptr;

  private:
    QMetaObject::Connection connection_;
    std::optional<std::string> ownText_;
};

}  // namespace norv::qt
