// The active edit view as the key dispatch sees it: its commands by identifier, with the Shift
// state of the key handed to its selection while the command runs.
#pragma once

#include <functional>

#include "app/commands/key_dispatch.h"
#include "editing/edit_view.h"
#include "editing/selection.h"

namespace norv::app {

class EditViewSink : public ViewCommandSink {
  public:
    EditViewSink(editing::CElwView& view, editing::Selection& selection)
        : view_(view), selection_(selection) {}

    // Commands the window carries out itself (smooth scrolling): true when it took the command.
    std::function<bool(editing::CommandId)> frontEnd;

    void RunViewCommand(editing::CommandId id, int keyRepeat, bool shiftSelecting) override {
        if (frontEnd && frontEnd(id)) return;
        selection_.shiftHeld = shiftSelecting;
        view_.Execute(id, keyRepeat);
        selection_.shiftHeld = false;
    }
    void TypeBytes(std::string_view bytes, int repeat) override {
        for (char c : bytes) view_.TypeByte(static_cast<uint8_t>(c), repeat);
    }
    void TypeUnwritable() override { view_.TypeUnwritable(); }
    bool BoxSelectionActive() const override {
        return selection_.active() && selection_.kind() == editing::SelectionKind::kBox;
    }

  private:
    editing::CElwView& view_;
    editing::Selection& selection_;
};

}  // namespace norv::app
