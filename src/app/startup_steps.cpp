// The start-up steps and their order.
#include "app/startup_steps.h"

#include <cassert>

namespace norv::app {

const StartupStepInfo& InfoOf(StartupStep step) {
    const StartupStepInfo& info = kStartupSteps[static_cast<size_t>(step)];
    assert(info.step == step && "the table lists the steps in their enum order");
    return info;
}

void StartupSequence::SupplyMayEnd(StartupStep step, Action action) {
    actions_[static_cast<size_t>(step)] = std::move(action);
}

void StartupSequence::Supply(StartupStep step, std::function<void()> action) {
    actions_[static_cast<size_t>(step)] = [action = std::move(action)] {
        if (action) action();
        return true;
    };
}

bool StartupSequence::Supplied(StartupStep step) const {
    return static_cast<bool>(actions_[static_cast<size_t>(step)]);
}

bool StartupSequence::Run() {
    for (const StartupStepInfo& info : kStartupSteps) {
        if (observer) observer(info);
        const Action& action = actions_[static_cast<size_t>(info.step)];
        if (action && !action()) return false;
    }
    return true;
}

}  // namespace norv::app
