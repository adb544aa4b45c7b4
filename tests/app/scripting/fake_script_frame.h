// The frame side of the script host for an editor without windows: settings written to a real
// settings file in a scratch folder, file dialogs and pop-up menus answered from queues, keys
// sent through the key table's dispatch into the active view, and window values.
#pragma once

#include <deque>
#include <functional>
#include <set>

#include "app/commands/edit_view_sink.h"
#include "app/config/settings_store.h"
#include "app/key_input.h"
#include "app/scripting/fake_script_editor.h"
#include "app/scripting/script_frame.h"
#include "app/scripting/script_menus.h"

namespace norv::app::testing {

class FramedScriptEditor : public FakeScriptEditor, public ScriptFrame, public FrameCommands {
  public:
    FramedScriptEditor() : store(platform::RealFileSystem(), scratch.path() + "/norv.INI", 932) {}

    // FakeScriptEditor
    ScriptFrame* scriptFrame() override { return this; }

    // ScriptFrame
    const Settings& settings() override { return config; }
    bool WriteSetting(Key key, int value) override {
        const bool written = WriteSettingValue(config, &store, key, value);
        if (written) ++settingsApplied;
        return written;
    }
    bool WriteSetting(Key key, std::string_view value) override {
        const bool written = WriteSettingValue(config, &store, key, value);
        if (written) ++settingsApplied;
        return written;
    }
    void DocumentChanged() override { ++documentChanges; }
    std::optional<std::string> FileDialog(std::string_view initialName, std::string_view filter,
                                          bool save) override {
        dialogs.push_back(std::string(save ? "save:" : "open:") + std::string(initialName) + "|" +
                          std::string(filter));
        if (fileAnswers.empty()) return std::nullopt;
        std::string a = fileAnswers.front();
        fileAnswers.pop_front();
        return a;
    }
    int PopupMenu(const ScriptMenu& menu) override {
        shownMenus.push_back(&menu);
        return chooseFromMenu ? chooseFromMenu(menu) : -1;
    }
    void SendKeys(const std::vector<SentKey>& keys, bool wait) override {
        waited = wait;
        if (!ActiveView()) return;
        EditViewSink sink(*win().view, *win().selection);
        KeyDispatcher dispatcher(keys_, *this);
        dispatcher.view = &sink;
        dispatcher.ui = &headless;
        DispatchingKeyInput input(dispatcher);
        for (const SentKey& k : keys) input.Press(k.stroke, k.bytes);
    }
    bool KeyDown(uint8_t key) override { return keysDown.count(key) != 0; }
    void SetInputMethod(bool on) override { inputMethod.push_back(on); }
    const KeyTable& keyTable() override { return keys_; }
    std::vector<ScriptWindow> Windows() override {
        std::vector<ScriptWindow> out{{kMainWindowValue, "Norv", std::string(kMainWindowClass)}};
        for (size_t i = 0; i < windows.size(); ++i)
            out.push_back({uint32_t(2 + i), windows[i]->doc->title, std::string(kDocWindowClass)});
        return out;
    }
    uint32_t ActiveWindowValue() override { return active < 0 ? 0 : uint32_t(2 + active); }
    bool ActivateWindow(uint32_t value) override {
        if (value == kMainWindowValue) return true;
        if (value < 2 || value - 2 >= windows.size()) return false;
        active = int(value - 2);
        return true;
    }
    int DocumentCount() override { return int(windows.size()); }
    bool MarkListShown() override { return markListShown; }
    bool VariablePitch() override { return false; }

    // FrameCommands: frame commands reached by a key.
    void RunFrameCommand(FrameCommandId id, uint8_t) override {
        frameCommands.push_back(static_cast<uint16_t>(id));
    }

    ScratchFolder scratch;
    SettingsStore store;
    KeyTable keys_;
    int settingsApplied = 0, documentChanges = 0;
    std::vector<std::string> dialogs;
    std::deque<std::string> fileAnswers;
    std::vector<const ScriptMenu*> shownMenus;
    std::function<int(const ScriptMenu&)> chooseFromMenu;
    std::set<uint8_t> keysDown;
    std::vector<bool> inputMethod;
    std::vector<uint16_t> frameCommands;
    bool markListShown = false;
    bool waited = false;
};

}  // namespace norv::app::testing
