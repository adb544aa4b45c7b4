// The main frame's side of the scripts' user-interface built-ins and system variables: settings
// written as the preferences write them (the frame applies again only what the key affects),
// document state shown at once, the Open and Save dialogs of the frame, pop-up menus, keys sent
// to the editor's own focused view, the key state while the editor has the focus, the input
// method of the active view, and the window values scripts name windows by.
//
// Key state: an application event filter notes every key going down and up while one of the
// editor's windows has the focus, and forgets everything when the editor loses it. While a
// script runs the frame's input hold notes keys through the same filter before it holds them
// back, so a key pressed during the script is seen as down. The modifiers are also taken from
// the platform's current modifier state (a modifier pressed before the editor had the focus).
#pragma once

#include <QObject>
#include <bitset>
#include <deque>
#include <memory>

#include "app/scripting/script_frame.h"

class QEvent;

namespace norv::qt {

class MainFrame;

// The key bytes that are down now, from the key events the application delivers.
class KeyStateFilter : public QObject {
  public:
    // Takes a key event (others are ignored) into the state.
    void Note(const QEvent* event);
    bool Down(uint8_t key) const { return down_[key]; }
    void Clear() { down_.reset(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::bitset<256> down_;
};

class QtScriptFrame : public app::ScriptFrame {
  public:
    explicit QtScriptFrame(MainFrame& frame);
    ~QtScriptFrame() override;
    QtScriptFrame(const QtScriptFrame&) = delete;
    QtScriptFrame& operator=(const QtScriptFrame&) = delete;

    KeyStateFilter& keyState() { return *keyState_; }

    const app::Settings& settings() override;
    bool WriteSetting(app::Key key, int value) override;
    bool WriteSetting(app::Key key, std::string_view value) override;
    void DocumentChanged() override;
    std::optional<std::string> FileDialog(std::string_view initialName, std::string_view filter,
                                          bool save) override;
    int PopupMenu(const app::ScriptMenu& menu) override;
    void SendKeys(const std::vector<app::SentKey>& keys, bool wait) override;
    bool KeyDown(uint8_t key) override;
    void SetInputMethod(bool on) override;
    const app::KeyTable& keyTable() override;
    std::vector<app::ScriptWindow> Windows() override;
    uint32_t ActiveWindowValue() override;
    bool ActivateWindow(uint32_t value) override;
    int DocumentCount() override;
    bool MarkListShown() override;
    bool VariablePitch() override;

  private:
    // Presses the keys queued by SENDKEYS without waiting, in order, into the focused view.
    void PressQueued();
    bool headless() const;

    MainFrame& frame_;
    std::unique_ptr<KeyStateFilter> keyState_;
    std::deque<app::SentKey> queued_;
    bool pressing_ = false;
};

}  // namespace norv::qt
