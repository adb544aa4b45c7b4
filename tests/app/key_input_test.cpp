// A key press from stroke to text: the key table's dispatch, two-stroke keys, Shift with the
// caret keys, typed characters, and the commands still to come, into a real view.
#include "app/key_input.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/commands/edit_view_sink.h"
#include "document/line_heap.h"
#include "editing/selection.h"
#include "platform/fakes/headless_ui.h"

namespace norv::app {
namespace {

struct Keys : FrameCommands {
    explicit Keys(const std::string& text = "line 1\nline 2\nline 3\n") : shared(heap) {
        env.heap = &heap;
        env.codePage = 932;
        env.ui = &ui;
        shared.ui = &ui;
        doc = std::make_unique<document::CElwDoc>(env);
        doc->NewDocument();
        doc->lines().Reset();
        size_t start = 0;
        for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
            doc->lines().AppendContent(text.data() + start, nl - start, 0);
        doc->lines().AppendContent(text.data() + start, text.size() - start, 0);
        view = std::make_unique<editing::CElwView>(*doc, doc->undo, shared);
        view->SetWindowSize(2, 40);
        selection = std::make_unique<editing::Selection>(*view, clipboard);
        sink = std::make_unique<EditViewSink>(*view, *selection);
        dispatcher.view = sink.get();
        dispatcher.ui = &ui;
    }
    ~Keys() override {
        sink.reset();
        selection.reset();
        view.reset();
        doc.reset();
        shared.stack.Clear();
    }
    void RunFrameCommand(FrameCommandId id, uint8_t) override {
        frame.push_back(std::string(kBuiltinCommands[size_t(CommandIndexById(uint16_t(id)))].name));
    }
    PressResult Press(uint8_t key, bool ctrl = false, bool shift = false, std::string bytes = {}) {
        return input.Press(KeyStroke{key, ctrl, shift, false, 1}, bytes);
    }
    PressResult Type(const std::string& bytes) { return input.Press(KeyStroke{}, bytes); }
    std::string Text() {
        view->Sync();
        std::string out;
        for (const document::LineRecord* r = doc->lines().first(); r; r = r->next) {
            out.append(r->text(), r->contentLength());
            if (r->next) out += '\n';
        }
        return out;
    }
    std::string Caret() const {
        return std::to_string(view->caretLineNumber()) + ":" + std::to_string(view->caretPos());
    }

    document::LineHeap heap;
    platform::HeadlessUi ui;
    document::DocumentEnvironment env;
    editing::EditorShared shared;
    editing::ClipboardContext clipboard;
    std::unique_ptr<document::CElwDoc> doc;
    std::unique_ptr<editing::CElwView> view;
    std::unique_ptr<editing::Selection> selection;
    std::unique_ptr<EditViewSink> sink;
    KeyTable table;
    KeyDispatcher dispatcher{table, *this};
    DispatchingKeyInput input{dispatcher};
    std::vector<std::string> frame;
};

TEST(KeyInput, TypedBytesBecomeCharacters) {
    Keys k;
    EXPECT_EQ(k.Press('A', false, false, "a"), PressResult::kTyped);
    EXPECT_EQ(k.Press('B', false, true, "B"), PressResult::kTyped);  // Shift+B types its letter
    EXPECT_EQ(k.Press(vk::kSpace, false, false, " "), PressResult::kTyped);
    EXPECT_EQ(k.Type("!"), PressResult::kTyped);  // a key without a key byte
    // A lead byte, then its trail byte: one character, one undo step.
    EXPECT_EQ(k.Type("\x82"), PressResult::kTyped);
    EXPECT_EQ(k.Text().substr(0, 4), "aB !");
    EXPECT_EQ(k.view->caretPos(), 4u);
    EXPECT_EQ(k.Type("\xa0"), PressResult::kTyped);
    EXPECT_EQ(k.Text(), "aB !\x82\xa0line 1\nline 2\nline 3\n");
    EXPECT_EQ(k.view->caretPos(), 6u);
    k.Press('Z', true);
    EXPECT_EQ(k.Text(), "aB !line 1\nline 2\nline 3\n");
    // Keys held with Ctrl bring no bytes: an unbound one does nothing.
    EXPECT_EQ(k.Press('T', true), PressResult::kNothing);
    EXPECT_EQ(k.Press(vk::kF1 + 11, false), PressResult::kNothing);  // F12: unbound
    EXPECT_TRUE(k.frame.empty());
}

TEST(KeyInput, TwoStrokeKeys) {
    Keys k;
    k.view->SetCaret(3, 2);
    EXPECT_EQ(k.Press('Q', true), PressResult::kPrefixPending);
    EXPECT_EQ(k.ui.statusTexts.back(), "Ctrl+Q^");
    EXPECT_EQ(k.Press('R', false, false, "r"), PressResult::kCommand);  // Ctrl+Q^R: TextTop
    EXPECT_EQ(k.ui.statusTexts.back(), "");
    EXPECT_EQ(k.Caret(), "1:0");
    // The second letter of an unbound pair types nothing.
    k.Press('K', true);
    EXPECT_EQ(k.Press('U', false, false, "u"), PressResult::kNothing);
    // A digit after a prefix clears it and is typed as itself.
    k.Press('K', true);
    EXPECT_EQ(k.Press('5', false, false, "5"), PressResult::kTyped);
    EXPECT_FALSE(k.dispatcher.pendingPrefix());
    EXPECT_EQ(k.Text().substr(0, 7), "5line 1");
    // Frame commands of two strokes reach the frame.
    k.Press('K', true);
    k.Press('S');
    EXPECT_EQ(k.frame, std::vector<std::string>{"SaveFile"});
}

TEST(KeyInput, ShiftWithTheCaretKeys) {
    static const struct {
        const char* name;
        bool shiftSelect;
        const char* keyFile;  // lines over the built-in table
        uint8_t key;
        const char* caret;
        bool selected;
    } kCases[] = {
        {"Shift+Right extends", true, "", vk::kRight, "2:3", true},
        {"Shift+Left extends", true, "", vk::kLeft, "2:1", true},
        {"Shift+Down extends", true, "", vk::kDown, "3:2", true},
        {"Shift+End extends", true, "", vk::kEnd, "2:6", true},
        {"Shift+PgDn extends", true, "", vk::kNext, "3:2", true},
        {"Shift+Right without ShiftSelect: nothing by default", false, "", vk::kRight, "2:2",
         false},
        {"Shift+PgUp without ShiftSelect: nothing", false, "", vk::kPrior, "2:2", false},
        {"a key file that binds Shift+Left", false, "CsrLeft\tLeft\tShift+Left\n", vk::kLeft, "2:1",
         false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Keys k;
        k.table.Parse(c.keyFile);
        k.dispatcher.options.shiftSelect = c.shiftSelect;
        k.view->SetCaret(2, 2);
        k.Press(c.key, false, true);
        EXPECT_EQ(k.Caret(), c.caret);
        EXPECT_EQ(k.selection->active(), c.selected);
        EXPECT_EQ(k.Text(), "line 1\nline 2\nline 3\n");
    }
}

TEST(KeyInput, TheKeysOfTheTable) {
    static const struct {
        const char* name;
        uint8_t key;
        bool ctrl;
        const char* bytes;
        const char* text;
        const char* caret;
    } kCases[] = {
        {"PgDn runs PageUp: the text moves up", vk::kNext, false, "", nullptr, "4:2"},
        {"PgUp runs PageDown", vk::kPrior, false, "", nullptr, "2:2"},
        {"Tab", vk::kTab, false, "\t", "line 1\nline 2\nli\tne 3\nline 4\nline 5", "3:3"},
        {"Enter", vk::kReturn, false, "\r", "line 1\nline 2\nli\nne 3\nline 4\nline 5", "4:0"},
        {"Ctrl+Home", vk::kHome, true, "", nullptr, "1:0"},
        {"Home", vk::kHome, false, "", nullptr, "3:0"},
        {"Ctrl+Right", vk::kRight, true, "", nullptr, "3:5"},
        {"Backspace", vk::kBack, false, "", "line 1\nline 2\nlne 3\nline 4\nline 5", "3:1"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Keys k("line 1\nline 2\nline 3\nline 4\nline 5");
        k.view->SetCaret(3, 2);
        EXPECT_EQ(k.Press(c.key, c.ctrl, false, c.bytes), PressResult::kCommand);
        EXPECT_EQ(k.Text(), c.text ? c.text : "line 1\nline 2\nline 3\nline 4\nline 5");
        EXPECT_EQ(k.Caret(), c.caret);
    }
}

TEST(KeyInput, InsertAndUndoKeys) {
    Keys k;
    const bool before = k.shared.insertMode;
    k.Press(vk::kInsert);
    EXPECT_NE(k.shared.insertMode, before);
    k.Press(vk::kInsert);
    k.Press(vk::kReturn, false, false, "\r");  // keypad Enter is the same key byte
    k.Press(vk::kReturn, false, false, "\r");
    EXPECT_EQ(k.Text(), "\n\nline 1\nline 2\nline 3\n");
    k.Press('Z', true);
    k.Press('Z', true);
    EXPECT_EQ(k.Text(), "line 1\nline 2\nline 3\n");
    k.Press('Y', true);
    EXPECT_EQ(k.Text(), "\nline 1\nline 2\nline 3\n");
}

TEST(KeyInput, CommandsTheBuildDoesNotCarryOutSaySo) {
    Keys k;
    EXPECT_EQ(k.Press(vk::kEscape, false, true), PressResult::kCommand);  // Shift+ESC: JukeBox
    EXPECT_EQ(k.frame, (std::vector<std::string>{"JukeBox"}));
    const int jukeBox = CommandIndexByName("JukeBox");
    k.dispatcher.available = [jukeBox](size_t command) {
        return static_cast<int>(command) != jukeBox;
    };
    EXPECT_EQ(k.Press(vk::kEscape, false, true), PressResult::kCommand);
    EXPECT_EQ(k.frame.size(), 1u);
    EXPECT_EQ(k.ui.statusTexts.back(), "This command is not available yet.");
    EXPECT_EQ(k.ui.beeps, 1);
    // The same through a menu.
    k.dispatcher.RunCommand(size_t(jukeBox));
    EXPECT_EQ(k.frame.size(), 1u);
    EXPECT_EQ(k.ui.beeps, 2);
    // Ctrl+F5 (RunScript) reaches the frame.
    EXPECT_EQ(k.Press(vk::kF1 + 4, true), PressResult::kCommand);
    EXPECT_EQ(k.frame, (std::vector<std::string>{"JukeBox", "RunScript"}));
}

TEST(KeyInput, ARefusalSaysWhyUntilTheNextKey) {
    Keys k;
    const std::string unwritable = "This character cannot be written in ShiftJIS";
    auto stroke = [](uint8_t key, bool unwritableText) {
        KeyStroke s{key, false, false, false, 1};
        s.unwritable = unwritableText;
        return s;
    };
    // A key whose text the code cannot hold types nothing and says so; so does such a commit.
    EXPECT_EQ(k.input.Press(stroke('A', true), {}), PressResult::kNothing);
    EXPECT_EQ(k.ui.statusTexts.back(), unwritable);
    EXPECT_EQ(k.ui.beeps, 1);
    EXPECT_EQ(k.input.Press(stroke(0, true), {}), PressResult::kNothing);
    EXPECT_EQ(k.ui.beeps, 2);
    EXPECT_EQ(k.Text(), "line 1\nline 2\nline 3\n");
    // The next key clears the reason, then does its own work.
    EXPECT_EQ(k.Press(vk::kRight), PressResult::kCommand);
    EXPECT_EQ(k.ui.statusTexts.back(), "");
    EXPECT_EQ(k.Caret(), "1:1");
    // Without a refusal a key leaves the status bar alone (a pending prefix keeps its text).
    k.Press('Q', true);
    const size_t shown = k.ui.statusTexts.size();
    k.dispatcher.TakeTwoStrokeMenu();
    k.ui.SetStatusText("Finding ...(ESC key to break)");
    EXPECT_EQ(k.Type("a"), PressResult::kTyped);
    EXPECT_EQ(k.ui.statusTexts.size(), shown + 2);
    // A key that has a command runs it, whatever its text.
    EXPECT_EQ(k.input.Press(stroke(vk::kRight, true), {}), PressResult::kCommand);
    EXPECT_EQ(k.ui.beeps, 2);
    // In a read-only document a typed key is refused for that reason, a refusal after a
    // refusal shows the new reason, and a prefix key after it shows the prefix.
    k.doc->readOnly = true;
    EXPECT_EQ(k.Type("x"), PressResult::kTyped);
    EXPECT_EQ(k.ui.statusTexts.back(), "Read only");
    EXPECT_EQ(k.input.Press(stroke('B', true), {}), PressResult::kNothing);
    EXPECT_EQ(k.ui.statusTexts.back(), "Read only");
    EXPECT_EQ(k.ui.beeps, 4);
    k.Press('Q', true);
    EXPECT_EQ(k.ui.statusTexts.back(), "Ctrl+Q^");
    EXPECT_EQ(k.Text(), "laine 1\nline 2\nline 3\n");
}

TEST(KeyInput, ScriptsAndTheRecorderSeeTheKeys) {
    Keys k;
    std::vector<std::string> seen;
    k.input.recorder = [&seen](const KeyStroke& s, std::string_view bytes) {
        seen.push_back(std::to_string(s.key) + ":" + std::string(bytes));
    };
    k.dispatcher.residentKeyEvent = [](KeyCode code) {
        return code == MakeKey(key_class::kNone, 'X');
    };
    EXPECT_EQ(k.Press('X', false, false, "x"), PressResult::kTakenByScript);
    EXPECT_EQ(k.Press('Y', false, false, "y"), PressResult::kTyped);
    EXPECT_EQ(k.Text().substr(0, 2), "yl");
    EXPECT_EQ(seen, (std::vector<std::string>{"88:x", "89:y"}));
    // Without a view, typed bytes go nowhere.
    k.dispatcher.view = nullptr;
    EXPECT_EQ(k.Type("z"), PressResult::kNothing);
}

}  // namespace
}  // namespace norv::app
