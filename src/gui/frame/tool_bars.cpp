// The tool bars from the bar table.
#include "gui/frame/tool_bars.h"

#include <QAction>
#include <QIcon>
#include <QMainWindow>
#include <QToolBar>

#include "app/commands/command_texts.h"
#include "app/config/settings.h"
#include "gui/editor/text_bridge.h"

namespace norv::qt {

QIcon ToolButtonIcon(const app::ToolButtonSpec& button) {
    const QIcon own(QStringLiteral(":/icons/bar/%1.svg").arg(FromUtf8(button.command)));
    if (button.theme.empty()) return own;
    return QIcon::fromTheme(FromUtf8(button.theme), own);
}

QString ToolButtonText(size_t command) {
    QString text = FromUtf8(app::CommandDescription(command));
    if (text.endsWith(QStringLiteral("..."))) text.chop(3);
    return text;
}

ToolBars::ToolBars(QMainWindow& frame, Hooks hooks) : QObject(&frame), hooks_(std::move(hooks)) {
    for (size_t n = 0; n < bars_.size(); ++n) {
        const app::ToolBarSpec& spec = app::kToolBars[n];
        auto* bar = new QToolBar(FromUtf8(spec.title), &frame);
        bar->setObjectName(FromUtf8(spec.objectName));
        bar->setIconSize(QSize(kSmallIcon, kSmallIcon));
        bar->hide();
        frame.addToolBar(Qt::TopToolBarArea, bar);
        bars_[n].bar = bar;
        // The bar's own context menu of the frame can show a bar that the settings hid.
        connect(bar, &QToolBar::visibilityChanged, this, [this, n](bool visible) {
            if (visible && !built(n)) Build(n);
        });
    }
}

QAction* ToolBars::button(size_t n, size_t i) const {
    const Bar& b = bars_[n];
    return i < b.actions.size() ? b.actions[i] : nullptr;
}

void ToolBars::Build(size_t n) {
    Bar& b = bars_[n];
    if (!b.actions.empty()) return;
    for (const app::ToolButtonSpec& spec : app::kToolBars[n].buttons) {
        const size_t command = app::ToolButtonCommand(spec);
        const QString text = ToolButtonText(command);
        // "Save&Close": the "&" is shown, not taken as a mnemonic.
        auto* a = new QAction(ToolButtonIcon(spec),
                              QString(text).replace(QLatin1Char('&'), QStringLiteral("&&")), b.bar);
        a->setToolTip(text);
        a->setObjectName(FromUtf8(spec.command));
        a->setData(QVariant::fromValue(static_cast<qulonglong>(command)));
        connect(a, &QAction::triggered, this, [this, command] {
            if (hooks_.run) hooks_.run(command);
        });
        b.bar->addAction(a);
        b.actions.push_back(a);
    }
    ApplyMask(n);
    Update();
}

void ToolBars::ApplyMask(size_t n) {
    Bar& b = bars_[n];
    for (size_t i = 0; i < b.actions.size(); ++i)
        b.actions[i]->setVisible(app::MaskShows(b.mask, i));
}

void ToolBars::Apply(const app::Settings& settings) {
    iconSize_ = settings.Flag(app::Key::BigButton) ? kBigIcon : kSmallIcon;
    for (size_t n = 0; n < bars_.size(); ++n) {
        const app::ToolBarSpec& spec = app::kToolBars[n];
        Bar& b = bars_[n];
        b.mask = settings.Int(spec.mask);
        b.bar->setIconSize(QSize(iconSize_, iconSize_));
        ApplyMask(n);
        // A bar is filled when it really shows (with its frame), never for a hidden frame.
        b.bar->setVisible(settings.Flag(spec.shown));
        if (b.bar->isVisible()) Build(n);
    }
}

void ToolBars::Update() {
    for (Bar& b : bars_) {
        for (QAction* a : b.actions) {
            const auto command = static_cast<size_t>(a->data().toULongLong());
            if (hooks_.enabled) a->setEnabled(hooks_.enabled(command));
            const std::optional<bool> checked =
                hooks_.checked ? hooks_.checked(command) : std::nullopt;
            a->setCheckable(checked.has_value());
            if (checked) a->setChecked(*checked);
        }
    }
}

}  // namespace norv::qt
