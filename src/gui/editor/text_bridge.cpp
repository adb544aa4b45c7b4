// Conversions at the Qt boundary and the choice of the edit view's font.
#include "gui/editor/text_bridge.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>
#include <cstdlib>

#include "platform/code_page.h"

namespace norv::qt {

QString BytesToQString(int codePage, std::string_view bytes) {
    // One allocation per string: the units are decoded into a buffer kept for the thread and
    // copied once into the QString (lists of many short texts were paying for two).
    thread_local std::u16string wide;
    wide.clear();
    platform::AppendMultiByteAsWide(codePage, bytes, wide);
    QString text =
        QString(reinterpret_cast<const QChar*>(wide.data()), static_cast<qsizetype>(wide.size()));
    // A long text's buffer is not kept for the rest of the run.
    if (wide.capacity() > 4096) std::u16string().swap(wide);
    return text;
}

std::optional<std::string> QStringToBytes(int codePage, const QString& text) {
    if (codePage == platform::kCodePageUtf8 || codePage == platform::kCodePageUtf8Internal) {
        // Lone surrogates cannot be written as UTF-8.
        for (qsizetype i = 0; i < text.size(); ++i) {
            QChar c = text[i];
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                ++i;
                continue;
            }
            if (c.isSurrogate()) return std::nullopt;
        }
        return ToUtf8(text);
    }
    bool lossy = false;
    std::u16string wide(reinterpret_cast<const char16_t*>(text.utf16()),
                        static_cast<size_t>(text.size()));
    std::string out = platform::WideToMultiByte(codePage, wide, &lossy);
    if (lossy) return std::nullopt;
    return out;
}

namespace {

// A font fits the grid when a double-byte character is twice the width of a half-width one
// (one pixel of rounding allowed).
bool FitsGrid(const QFont& font) {
    QFontMetrics m(font);
    int half = m.horizontalAdvance(QLatin1Char('M'));
    int full = m.horizontalAdvance(QChar(0x6F22));  // a kanji
    int narrow = m.horizontalAdvance(QLatin1Char('i'));
    return half > 0 && narrow == half && std::abs(full - 2 * half) <= 1;
}

}  // namespace

QFont ChooseEditorFont(const QString& storedName, int pointSize) {
    const QStringList families = QFontDatabase::families();
    const QString candidates[] = {storedName, QStringLiteral("Noto Sans Mono CJK JP"),
                                  QStringLiteral("IPAGothic")};
    for (const QString& name : candidates) {
        if (name.isEmpty() || !families.contains(name, Qt::CaseInsensitive)) continue;
        QFont f(name, pointSize);
        f.setStyleHint(QFont::TypeWriter);
        if (FitsGrid(f)) return f;
    }
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPointSize(pointSize);
    return f;
}

}  // namespace norv::qt
