// The function-key bar: twelve buttons for F1 to F12 labelled with the commands of the keys for
// the modifiers held now; and the watchers the frame uses to follow modifier keys and mouse
// buttons pressed in the views.
#pragma once

#include <QObject>
#include <QToolBar>
#include <array>
#include <functional>
#include <string>

class QToolButton;
class QMouseEvent;

namespace norv::qt {

class FunctionKeyBar : public QToolBar {
    Q_OBJECT

  public:
    explicit FunctionKeyBar(QWidget* parent);

    void SetLabels(const std::array<std::string, 12>& labels);
    QToolButton* button(int n) const { return buttons_[static_cast<size_t>(n)]; }
    // Whether button n (0 for F1) has a command that can run now.
    void SetButtonEnabled(int n, bool enabled);

  signals:
    // Button n (0 for F1) was clicked.
    void clicked(int n);

  private:
    std::array<QToolButton*, 12> buttons_{};
};

// Reports the keyboard modifiers whenever a key goes down or up anywhere in the program.
class ModifierWatcher : public QObject {
    Q_OBJECT

  public:
    explicit ModifierWatcher(QObject* parent);
    ~ModifierWatcher() override;

  signals:
    void modifiersChanged(Qt::KeyboardModifiers mods);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Qt::KeyboardModifiers last_ = Qt::NoModifier;
};

// Installed on the application: hands the presses of other mouse buttons than the left one
// (which places the caret) to `pressed` with the widget pressed; the press is taken when it
// answers true, and so is the context-menu event that follows it there.
class MouseButtonFilter : public QObject {
    Q_OBJECT

  public:
    MouseButtonFilter(QObject* parent, std::function<bool(QObject*, QMouseEvent*)> pressed)
        : QObject(parent), pressed_(std::move(pressed)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<bool(QObject*, QMouseEvent*)> pressed_;
    QObject* taken_ = nullptr;  // where the last press was taken
};

}  // namespace norv::qt
