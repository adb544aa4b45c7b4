// A typed key on its way from the keyboard to the core, in one call.
//
// The front end turns each key press into a key stroke (the key byte and the modifiers) and the
// bytes the key types in the active document's code (empty for keys that type nothing, and for
// keys held with Ctrl or Alt); an input method's committed text comes as bytes without a key.
// `Press` then decides everything: the modifier class, a pending two-stroke prefix with its
// status text and timer, the resident scripts' key event, Tab, Shift+Tab and Shift+Del in a box,
// the key table with the repeat count; a key that none of them takes types its bytes into the
// active view (a lead byte then its trail byte make one character and one undo step).
//
// Hook points for the subsystems that feed or watch the keyboard:
// - the key-macro recorder sees every press first (`recorder`); playback calls `Press`;
// - the resident scripts' key event is the dispatcher's `residentKeyEvent` (a script that takes
//   the key ends the press);
// - a script's SENDKEYS calls `Press` with the strokes it sends.
//
// Every press first clears the reason of the last refusal from the status bar (refusals beep
// and show their reason until the next key). A key whose text the document's code cannot hold
// comes with `unwritable` and no bytes: its command runs if it has one, else the view refuses
// the character.
#pragma once

#include <functional>
#include <string_view>

#include "app/commands/key_dispatch.h"
#include "editing/edit_view.h"

namespace norv::app {

// What became of a press.
enum class PressResult {
    kPrefixPending,  // a two-stroke prefix now waits for its second key
    kTakenByScript,  // a resident script consumed the key
    kCommand,        // a command of the table ran (or said it is not available yet)
    kTyped,          // the bytes were typed into the active view
    kNothing,        // no command, nothing to type (or no view to type into)
};

class KeyInput {
  public:
    virtual ~KeyInput() = default;
    // `stroke.key` 0: no key, only text (an input method's commit).
    virtual PressResult Press(const KeyStroke& stroke, std::string_view bytes) = 0;
};

// The key input of the program: the key table's dispatch, then typing.
class DispatchingKeyInput : public KeyInput {
  public:
    explicit DispatchingKeyInput(KeyDispatcher& dispatcher) : dispatcher_(dispatcher) {}

    // Sees every press before it is carried out (the key-macro recorder).
    std::function<void(const KeyStroke& stroke, std::string_view bytes)> recorder;
    // The resident scripts' typed-character event: told of the text a press is about to type
    // (after the key event, which may take the key). Whoever answers it leaves the dispatcher's
    // view on the view that is active afterwards (null when a script closed the last one).
    std::function<void(std::string_view bytes, int repeat)> typedEvent;

    PressResult Press(const KeyStroke& stroke, std::string_view bytes) override;

    KeyDispatcher& dispatcher() { return dispatcher_; }

  private:
    KeyDispatcher& dispatcher_;
};

// Typing alone, without a key table: an edit view that no frame has given its key input (a
// view shown on its own). Keys type their bytes; nothing runs commands.
class TypingKeyInput : public KeyInput {
  public:
    explicit TypingKeyInput(editing::CElwView& view) : view_(&view) {}
    void SetView(editing::CElwView& view) { view_ = &view; }
    PressResult Press(const KeyStroke& stroke, std::string_view bytes) override;

  private:
    editing::CElwView* view_;
};

}  // namespace norv::app
