// The system clipboard as the core sees it: Unicode text in UTF-8, or nothing. Conversion
// between a document's bytes and Unicode happens in the caller, at this boundary; the "system
// code page" form of older programs is derived from the Unicode text when it is needed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace norv::platform {

class Clipboard {
  public:
    virtual ~Clipboard() = default;
    // The text on the clipboard (UTF-8); nullopt when there is none or the clipboard cannot be
    // opened.
    virtual std::optional<std::string> Text() = 0;
    // Replaces the clipboard's content; false when it cannot be opened.
    virtual bool SetText(std::string_view utf8) = 0;
};

}  // namespace norv::platform
