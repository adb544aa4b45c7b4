// The key press: dispatch first, typing for what no command takes.
#include "app/key_input.h"

namespace norv::app {

namespace {

// A letter after a pending prefix is the second stroke of a two-stroke key: it never types
// itself, bound or not. Any other key clears the prefix and counts as itself.
bool IsSecondStroke(uint8_t key) {
    return key >= 65 && key <= 95;
}

}  // namespace

PressResult DispatchingKeyInput::Press(const KeyStroke& stroke, std::string_view bytes) {
    if (dispatcher_.ui) dispatcher_.ui->ClearRefusal();
    if (recorder) recorder(stroke, bytes);
    bool secondStroke = false;
    if (stroke.key != 0) {
        secondStroke = dispatcher_.pendingPrefix().has_value() && IsSecondStroke(stroke.key);
        switch (dispatcher_.KeyDown(stroke)) {
            case KeyDispatcher::Outcome::kPrefixPending:
                return PressResult::kPrefixPending;
            case KeyDispatcher::Outcome::kTakenByScript:
                return PressResult::kTakenByScript;
            case KeyDispatcher::Outcome::kView:
            case KeyDispatcher::Outcome::kFrame:
            case KeyDispatcher::Outcome::kNotAvailable:
                return PressResult::kCommand;
            case KeyDispatcher::Outcome::kNothing:
                break;
        }
    }
    if (secondStroke || !dispatcher_.view) return PressResult::kNothing;
    if (stroke.unwritable) {
        dispatcher_.view->TypeUnwritable();
        return PressResult::kNothing;
    }
    if (bytes.empty()) return PressResult::kNothing;
    if (typedEvent) {
        typedEvent(bytes, stroke.repeat);
        if (!dispatcher_.view) return PressResult::kNothing;
    }
    dispatcher_.view->TypeBytes(bytes, stroke.repeat);
    return PressResult::kTyped;
}

PressResult TypingKeyInput::Press(const KeyStroke& stroke, std::string_view bytes) {
    if (stroke.unwritable) view_->TypeUnwritable();
    if (bytes.empty()) return PressResult::kNothing;
    for (char c : bytes) view_->TypeByte(static_cast<uint8_t>(c), stroke.repeat);
    return PressResult::kTyped;
}

}  // namespace norv::app
