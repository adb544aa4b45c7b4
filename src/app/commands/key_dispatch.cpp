// Key dispatch, the two-stroke menu and the function-key bar's labels.
#include "app/commands/key_dispatch.h"

#include "app/session.h"

namespace norv::app {

namespace {

// Keys for which Shift stays a modifier while ShiftSelect is on.
bool ShiftCountsWithShiftSelect(uint8_t key) {
    return (key >= 8 && key <= 32) || key == vk::kInsert || key == vk::kDelete ||
           (key >= vk::kF1 && key <= vk::kF24) || (key >= 65 && key <= 95);
}

// Page Up to Down and their neighbours: with ShiftSelect, Shift extends the selection.
bool IsCaretKey(uint8_t key) {
    return key >= 33 && key <= 44;
}

}  // namespace

uint8_t KeyDispatcher::ClassOf(const KeyStroke& k) const {
    bool shift = k.shift && (!options.shiftSelect || ShiftCountsWithShiftSelect(k.key));
    if (k.alt) return shift ? key_class::kShiftAlt : key_class::kAlt;
    uint8_t c = 0;
    if (k.ctrl) c = key_class::kCtrl;
    if (shift) c = static_cast<uint8_t>(c + key_class::kShift);
    return c == 0 ? key_class::kNone : c;
}

KeyDispatcher::Outcome KeyDispatcher::KeyDown(const KeyStroke& k) {
    uint8_t cls = ClassOf(k);
    KeyCode code = MakeKey(cls, k.key);
    if (pending_) {
        if (timer) timer->Stop();
        if (ui) ui->SetStatusText("");
        if (k.key >= 65 && k.key <= 95) code = MakeKey(static_cast<uint8_t>(k.key - 64), *pending_);
        pending_.reset();
    } else if (cls == key_class::kCtrl && table_.IsPrefix(k.key)) {
        pending_ = k.key;
        if (ui) {
            std::string text = "Ctrl+";
            text += static_cast<char>(k.key);
            text += '^';
            ui->SetStatusText(text);
        }
        if (options.twoMenu && timer) timer->Start(options.twoDelay);
        return Outcome::kPrefixPending;
    }
    if (residentKeyEvent && residentKeyEvent(code)) return Outcome::kTakenByScript;
    bool shiftSelecting = options.shiftSelect && k.shift && IsCaretKey(k.key);
    return Dispatch(code, k.repeat, k.key, shiftSelecting);
}

KeyDispatcher::Outcome KeyDispatcher::Dispatch(KeyCode code, int repeat, uint8_t keyByte,
                                               bool shiftSelecting) {
    if (view && view->BoxSelectionActive()) {
        // In a box, Tab and Shift+Tab indent and Shift+Del cuts.
        std::optional<editing::CommandId> boxed;
        if (code == MakeKey(key_class::kNone, vk::kTab)) boxed = editing::CommandId::Indent;
        if (code == MakeKey(key_class::kShift, vk::kTab)) boxed = editing::CommandId::BackInd;
        if (code == MakeKey(key_class::kShift, vk::kDelete)) boxed = editing::CommandId::EditCut;
        if (boxed) {
            int index = CommandIndexById(static_cast<uint16_t>(*boxed));
            return RunCommand(static_cast<size_t>(index), repeat, keyByte, shiftSelecting);
        }
    }
    int index = table_.Find(code);
    if (index < 0) return Outcome::kNothing;
    return RunCommand(static_cast<size_t>(index), repeat, keyByte, shiftSelecting);
}

KeyDispatcher::Outcome KeyDispatcher::RunCommand(size_t command, int repeat, uint8_t keyByte,
                                                 bool shiftSelecting) {
    if (command >= kCommandCount) return Outcome::kNothing;
    const Command& c = kBuiltinCommands[command];
    if (available ? !available(command) : IsHandledLater(c.name)) {
        ReportNotAvailable(ui);
        return Outcome::kNotAvailable;
    }
    if (c.isView()) {
        if (!view) return Outcome::kNothing;
        for (int i = 0; i < repeat; ++i) view->RunViewCommand(c.view, i, shiftSelecting);
        if (viewCommandRun) viewCommandRun(command);
        return Outcome::kView;
    }
    for (int i = 0; i < repeat; ++i) {
        if (frameCommandRun) frameCommandRun(command);
        frame_.RunFrameCommand(c.frame, keyByte);
    }
    return Outcome::kFrame;
}

std::vector<TwoStrokeMenuItem> KeyDispatcher::TakeTwoStrokeMenu() {
    std::vector<TwoStrokeMenuItem> items;
    if (!pending_) return items;
    const uint8_t prefix = *pending_;
    pending_.reset();
    if (ui) ui->SetStatusText("");
    size_t lastGroup = 0;
    for (size_t i = 0; i < kCommandCount; ++i) {
        for (int slot = 0; slot < 2; ++slot) {
            KeyCode k = table_.key(i, slot);
            if (!IsTwoStroke(k) || KeyByteOf(k) != prefix) continue;
            TwoStrokeMenuItem item;
            size_t group = GroupOf(i);
            item.separatorBefore = !items.empty() && group != lastGroup;
            lastGroup = group;
            item.text = "&";
            item.text += static_cast<char>(app::ClassOf(k) + 64);
            item.text += ": ";
            item.text += describe ? describe(i) : std::string(kBuiltinCommands[i].name);
            item.command = i;
            item.key = k;
            items.push_back(std::move(item));
            break;
        }
    }
    return items;
}

KeyDispatcher::Outcome KeyDispatcher::ChooseFromMenu(const TwoStrokeMenuItem& item) {
    if (residentKeyEvent && residentKeyEvent(item.key)) return Outcome::kTakenByScript;
    return RunCommand(item.command, 1, KeyByteOf(item.key));
}

std::array<std::string, 12> FunctionKeyLabels(
    const KeyTable& table, uint8_t keyClass,
    const std::function<std::string(size_t command)>& shortName,
    const std::function<std::string(size_t command)>& fileName) {
    std::array<std::string, 12> labels;
    std::array<bool, 12> taken{};
    for (size_t i = 0; i < kCommandCount; ++i) {
        for (int slot = 0; slot < 2; ++slot) {
            KeyCode k = table.key(i, slot);
            if (app::ClassOf(k) != keyClass) continue;
            uint8_t key = KeyByteOf(k);
            if (key < vk::kF1 || key > vk::kF12) continue;
            size_t n = key - vk::kF1;
            if (taken[n]) continue;
            taken[n] = true;
            labels[n] = shortName ? shortName(i) : std::string(kBuiltinCommands[i].name);
            const uint16_t id = kBuiltinCommands[i].id();
            bool named =
                (id >= uint16_t(FrameCommandId::Addin0) &&
                 id <= uint16_t(FrameCommandId::AddinF)) ||
                (id >= uint16_t(FrameCommandId::Help1) && id <= uint16_t(FrameCommandId::Help10));
            if (labels[n].empty() && named && fileName) labels[n] = fileName(i);
        }
    }
    for (size_t n = 0; n < 12; ++n)
        if (!taken[n]) labels[n] = "F" + std::to_string(n + 1);
    return labels;
}

}  // namespace norv::app
