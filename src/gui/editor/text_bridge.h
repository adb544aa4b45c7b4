// Text crossing the Qt boundary. Documents keep their bytes (the system code page, or UTF-8 for
// the Unicode family); Qt sees UTF-16 only here: when a row is painted, when typed or committed
// text becomes typed bytes, and when paths and messages are shown.
#pragma once

#include <QFont>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace norv::qt {

// Document bytes of `codePage` (932, 1252, 65000, 65001...) as a QString. Bytes the code page
// does not map become U+FFFD.
QString BytesToQString(int codePage, std::string_view bytes);

// Text typed or committed by the input method as bytes of `codePage`; none when the code page
// cannot hold one of its characters (the caller beeps, nothing is typed).
std::optional<std::string> QStringToBytes(int codePage, const QString& text);

// UTF-8 (paths, messages) to and from QString.
inline QString FromUtf8(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::string ToUtf8(const QString& s) {
    return s.toUtf8().toStdString();
}

// The fixed-pitch font of edit views: the stored name when installed and its double-byte
// characters are twice as wide as half-width ones, else "Noto Sans Mono CJK JP", "IPAGothic",
// then the system's fixed font.
QFont ChooseEditorFont(const QString& storedName, int pointSize);

}  // namespace norv::qt
