// Menus from the command table, the two-stroke timer and command popups.
#include "gui/frame/menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <vector>

#include "app/commands/command_texts.h"
#include "app/commands/key_names.h"
#include "gui/editor/text_bridge.h"
#include "gui/frame/main_frame.h"

namespace norv::qt {

CommandMenus::CommandMenus(MainFrame& frame, QMenuBar* bar)
    : QObject(&frame), frame_(frame), bar_(bar) {}

QAction* CommandMenus::ActionFor(size_t command) {
    if (QAction* a = actions_[command]) return a;
    auto* a = new QAction(FromUtf8(app::CommandLabel(command)), this);
    a->setObjectName(FromUtf8(app::kBuiltinCommands[command].name));
    a->setToolTip(FromUtf8(app::CommandDescription(command)));
    connect(a, &QAction::triggered, this, [this, command] {
        frame_.RunCommand(command);
        Update();
    });
    actions_[command] = a;
    return a;
}

QAction* CommandMenus::ActionOf(std::string_view name) const {
    const int index = app::CommandIndexByName(name);
    return index < 0 ? nullptr : actions_[static_cast<size_t>(index)];
}

QMenu* CommandMenus::AddMenu(const QString& title, std::initializer_list<const char*> layout) {
    QMenu* top = bar_->addMenu(title);
    top->setObjectName(QString::fromLatin1(kMenuNamePrefix) +
                       QString(title).remove(QLatin1Char('&')));
    std::vector<QMenu*> open{top};
    for (const char* item : layout) {
        const std::string_view s(item);
        if (s == "-") {
            open.back()->addSeparator();
        } else if (s == "<") {
            if (open.size() > 1) open.pop_back();
        } else if (!s.empty() && s[0] == '>') {
            open.push_back(open.back()->addMenu(FromUtf8(s.substr(1))));
        } else if (const int index = app::CommandIndexByName(s); index >= 0) {
            open.back()->addAction(ActionFor(static_cast<size_t>(index)));
        }
    }
    // States are read when a menu opens, so they follow the active window and the keys.
    for (QMenu* m : top->findChildren<QMenu*>())
        connect(m, &QMenu::aboutToShow, this, &CommandMenus::Update);
    connect(top, &QMenu::aboutToShow, this, &CommandMenus::Update);
    Update();
    return top;
}

void CommandMenus::Update() {
    const app::KeyTable& keys = frame_.keyTable();
    for (size_t i = 0; i < app::kCommandCount; ++i) {
        QAction* a = actions_[i];
        if (!a) continue;
        QString text = frame_.MenuLabel(i);
        for (int slot = 0; slot < 2; ++slot) {
            const app::KeyCode k = keys.key(i, slot);
            if (!app::IsAssigned(k)) continue;
            // Shown in the menu's key column only: the key table, not Qt, owns the keys.
            text += QLatin1Char('\t') + FromUtf8(app::KeyNameOf(k));
            break;
        }
        if (a->text() != text) a->setText(text);
        a->setEnabled(frame_.CommandEnabled(i));
        const std::optional<bool> checked = frame_.CommandChecked(i);
        a->setCheckable(checked.has_value());
        if (checked) a->setChecked(*checked);
    }
}

TwoStrokeTimer::TwoStrokeTimer(std::function<void()> expired) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, std::move(expired));
}

void TwoStrokeTimer::Start(int milliseconds) {
    timer_.start(milliseconds);
}

void TwoStrokeTimer::Stop() {
    timer_.stop();
}

int ExecPopup(const std::vector<PopupEntry>& entries, QPoint where, QWidget* parent,
              const char* name) {
    QMenu menu(parent);
    menu.setObjectName(QString::fromLatin1(name));
    std::vector<QAction*> actions;
    for (const PopupEntry& e : entries) {
        if (e.separator) {
            actions.push_back(menu.addSeparator());
            continue;
        }
        QAction* a = menu.addAction(e.text);
        a->setEnabled(e.enabled);
        actions.push_back(a);
    }
    QAction* chosen = menu.exec(where);
    for (size_t i = 0; i < actions.size(); ++i)
        if (chosen && actions[i] == chosen && !entries[i].separator) return static_cast<int>(i);
    return -1;
}

}  // namespace norv::qt
