// From a key stroke to the command it carries out. Every key pressed in an edit view comes here
// with the states of Ctrl, Shift and Alt; the modifier class and the key byte form a key code,
// a Ctrl+prefix letter waits for a second stroke, the resident scripts may take the key, and the
// first command of the table holding the code runs: a view command in the active view, a frame
// command in the main frame, as many times as the key repeated.
//
// The front end supplies the view, the frame, the two-stroke timer and the resident-script
// hook; when the timer expires it asks for the two-stroke menu's items and hands back the one
// chosen.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/commands/command_table.h"
#include "app/commands/key_table.h"
#include "platform/ui.h"

namespace norv::app {

struct KeyStroke {
    uint8_t key = 0;  // virtual-key code
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
    int repeat = 1;
    // The key's text (or an input method's) has a character the document's code cannot hold.
    bool unwritable = false;
};

// The active edit view.
class ViewCommandSink {
  public:
    virtual ~ViewCommandSink() = default;
    // `shiftSelecting`: Shift is held with a caret key while ShiftSelect is on (the selection
    // is extended rather than cancelled).
    virtual void RunViewCommand(editing::CommandId id, int keyRepeat, bool shiftSelecting) = 0;
    virtual bool BoxSelectionActive() const = 0;
    // Types bytes of the document's code at the caret, `repeat` times each (a lead byte waits
    // for its trail byte). A sink that holds no text ignores them.
    virtual void TypeBytes(std::string_view /*bytes*/, int /*repeat*/) {}
    // A character was typed that the document's code cannot hold (the view refuses it).
    virtual void TypeUnwritable() {}
};

// The main frame's commands (the GUI implements them).
class FrameCommands {
  public:
    virtual ~FrameCommands() = default;
    // `keyByte` is the key that triggered the command (user menus open at the mouse pointer
    // for mouse buttons).
    virtual void RunFrameCommand(FrameCommandId id, uint8_t keyByte) = 0;
};

class TwoStrokeTimer {
  public:
    virtual ~TwoStrokeTimer() = default;
    virtual void Start(int milliseconds) = 0;
    virtual void Stop() = 0;
};

struct DispatchOptions {
    bool shiftSelect = true;  // ShiftSelect
    bool twoMenu = true;      // TwoMenu
    int twoDelay = 500;       // TwoDelay
};

struct TwoStrokeMenuItem {
    bool separatorBefore = false;
    std::string text;  // "&B: " and the command's description
    size_t command = 0;
    KeyCode key = kUnassignedKey;
};

class KeyDispatcher {
  public:
    // NotAvailable: the command belongs to a later part of the program; the status bar said so.
    enum class Outcome { kPrefixPending, kTakenByScript, kView, kFrame, kNotAvailable, kNothing };

    KeyDispatcher(const KeyTable& table, FrameCommands& frame) : table_(table), frame_(frame) {}

    DispatchOptions options;
    ViewCommandSink* view = nullptr;  // null when no edit view is active
    platform::UserInterface* ui = nullptr;
    TwoStrokeTimer* timer = nullptr;
    // The resident scripts' key event: true when a script consumed the key.
    std::function<bool(KeyCode)> residentKeyEvent;
    // Whether this build carries a command out (default: it is not in kCommandsHandledLater).
    std::function<bool(size_t command)> available;
    // Told of every frame command of the table before it runs (the key-macro recorder; view
    // commands report through the view).
    std::function<void(size_t command)> frameCommandRun;
    // Told after a view command of the table ran (the resident scripts' SplitLine event). The
    // view may be gone afterwards.
    std::function<void(size_t command)> viewCommandRun;
    // A command's description for the two-stroke menu (default: its name).
    std::function<std::string(size_t command)> describe;

    // The modifier class of a stroke.
    uint8_t ClassOf(const KeyStroke& k) const;
    Outcome KeyDown(const KeyStroke& k);
    std::optional<uint8_t> pendingPrefix() const { return pending_; }

    // The two-stroke timer expired: the menu of the pending prefix's commands, in table order.
    // The prefix is cleared.
    std::vector<TwoStrokeMenuItem> TakeTwoStrokeMenu();
    // The user chose an item of that menu.
    Outcome ChooseFromMenu(const TwoStrokeMenuItem& item);
    // Carries out a command of the table (menus, user menus, the function-key bar). A command
    // still to come says so in the status bar and beeps.
    Outcome RunCommand(size_t command, int repeat = 1, uint8_t keyByte = 0,
                       bool shiftSelecting = false);

  private:
    Outcome Dispatch(KeyCode code, int repeat, uint8_t keyByte, bool shiftSelecting);

    const KeyTable& table_;
    FrameCommands& frame_;
    std::optional<uint8_t> pending_;
};

// The function-key bar: for the modifier class, the label of F1 to F12: the short name of the
// first command holding that key, or "F%d" when none does. When a short name is empty, an add-in
// command shows its script's file name and a help command its help file's name (`fileName`).
std::array<std::string, 12> FunctionKeyLabels(
    const KeyTable& table, uint8_t keyClass,
    const std::function<std::string(size_t command)>& shortName,
    const std::function<std::string(size_t command)>& fileName = nullptr);

}  // namespace norv::app
