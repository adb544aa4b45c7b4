// Texts between the system code page and Qt, for the library's windows.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "mail/buffer_text.h"
#include "platform/code_page.h"

namespace norv::mail {

inline QString ToQt(std::string_view bytes) {
    return QString::fromStdU16String(platform::MultiByteToWide(platform::SystemCodePage(), bytes));
}

// At most `maxBytes` bytes, cut at a character boundary.
inline std::string FromQt(const QString& text, size_t maxBytes = std::string::npos) {
    const int cp = platform::SystemCodePage();
    std::string s = platform::WideToMultiByte(cp, text.toStdU16String());
    if (maxBytes != std::string::npos) s.resize(FitLength(s, maxBytes, cp));
    return s;
}

}  // namespace norv::mail
