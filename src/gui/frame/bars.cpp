// The function-key bar and the event watchers.
#include "gui/frame/bars.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolButton>

#include "gui/editor/text_bridge.h"

namespace norv::qt {

FunctionKeyBar::FunctionKeyBar(QWidget* parent)
    : QToolBar(QStringLiteral("Function Keys"), parent) {
    setObjectName(QStringLiteral("functionKeyBar"));
    setMovable(false);
    setFloatable(false);
    for (int n = 0; n < 12; ++n) {
        auto* b = new QToolButton(this);
        b->setObjectName(QStringLiteral("F%1").arg(n + 1));
        b->setFocusPolicy(Qt::NoFocus);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(b, &QToolButton::clicked, this, [this, n] { emit clicked(n); });
        addWidget(b);
        // A gap after every fourth key, as on the keyboard.
        if (n % 4 == 3 && n < 11) addSeparator();
        buttons_[static_cast<size_t>(n)] = b;
    }
}

void FunctionKeyBar::SetLabels(const std::array<std::string, 12>& labels) {
    for (size_t n = 0; n < 12; ++n) buttons_[n]->setText(FromUtf8(labels[n]));
}

void FunctionKeyBar::SetButtonEnabled(int n, bool enabled) {
    buttons_[static_cast<size_t>(n)]->setEnabled(enabled);
}

ModifierWatcher::ModifierWatcher(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
}

ModifierWatcher::~ModifierWatcher() {
    qApp->removeEventFilter(this);
}

bool ModifierWatcher::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        Qt::KeyboardModifiers mods =
            key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        // A modifier key's own event carries the state before it (X11) or after it: take the
        // state after.
        const bool down = event->type() == QEvent::KeyPress;
        auto apply = [&](Qt::KeyboardModifier m) { mods = down ? (mods | m) : (mods & ~m); };
        switch (key->key()) {
            case Qt::Key_Shift:
                apply(Qt::ShiftModifier);
                break;
            case Qt::Key_Control:
                apply(Qt::ControlModifier);
                break;
            case Qt::Key_Alt:
                apply(Qt::AltModifier);
                break;
            default:
                break;
        }
        if (mods != last_) {
            last_ = mods;
            emit modifiersChanged(mods);
        }
    }
    return QObject::eventFilter(watched, event);
}

bool MouseButtonFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton && pressed_ && pressed_(watched, mouse)) {
            taken_ = watched;
            return true;
        }
    }
    if (event->type() == QEvent::ContextMenu && watched == taken_) {
        taken_ = nullptr;
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace norv::qt
