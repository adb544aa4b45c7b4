// The system clipboard through QClipboard: Unicode text at the boundary, UTF-8 towards the core.
// Changes made by other programs (and by us) are reported to `changed`, which feeds the
// clipboard history.
#pragma once

#include <QMetaObject>

#include <functional>

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

private:
    QMetaObject::Connection connection_;
};

}  // namespace norv::qt
