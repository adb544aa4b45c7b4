// The clipboard adapter.
#include "gui/services/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "gui/editor/text_bridge.h"

namespace norv::qt {

QtClipboard::QtClipboard() {
    connection_ = QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged,
                                   QGuiApplication::clipboard(), [this] {
                                       if (ownText_) {
                                           const std::optional<std::string> now = Text();
                                           const bool own = now && *now == *ownText_;
                                           ownText_.reset();
                                           if (own) return;
                                       }
                                       if (changed) changed();
                                   });
}

QtClipboard::~QtClipboard() {
    QObject::disconnect(connection_);
}

std::optional<std::string> QtClipboard::Text() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText()) return std::nullopt;
    return ToUtf8(data->text());
}

bool QtClipboard::SetText(std::string_view utf8) {
    if (fromHistory && *fromHistory) ownText_ = std::string(utf8);
    QGuiApplication::clipboard()->setText(FromUtf8(utf8));
    return true;
}

}  // namespace norv::qt
