// The key macro's image and its script text: the image of a short recording byte for byte, each
// line form of the saved text written out by hand, conversions that stop, and the round trip
// that the saved text must keep: any recording, saved, compiled and run, makes the same calls
// with the same bytes as the recorded image itself.
#include "script/key_macro.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "platform/code_page.h"
#include "platform/fakes/headless_ui.h"
#include "platform/file_system.h"
#include "script/address_space.h"
#include "script/compiler.h"
#include "script/image.h"
#include "script/interpreter.h"
#include "script/macro_text.h"
#include "script/opcodes.h"
#include "script/script_host.h"

namespace norv::script {
namespace {

// A host that writes down every editor built-in called: its name and values, texts quoted.
class CallLog : public ScriptHost {
  public:
    explicit CallLog(platform::HeadlessUi& ui) : ScriptHost(ui, platform::RealFileSystem()) {}
    bool CallEditorBuiltin(int id, const uint32_t* args, Runtime& rt) override {
        const MacroForm* f = MacroFormOf(id);
        std::string call = f ? std::string(f->name) : std::to_string(id);
        for (size_t k = 0; f && k < f->args.size(); ++k) {
            call += k == 0 ? "(" : ", ";
            if (f->args[k] == 't')
                call += "[" + rt.ArgString(args[k]) + "]";
            else
                call += std::to_string(static_cast<int32_t>(args[k]));
        }
        calls.push_back(call + ")");
        return true;
    }
    std::vector<std::string> calls;
};

std::vector<std::string> Play(std::string image, std::vector<std::string>* messages = nullptr) {
    platform::HeadlessUi ui;
    CallLog host(ui);
    RuntimeLimits limits;
    limits.heapLimit = 16u << 20;
    auto rt = Runtime::Load(std::move(image), host, limits);
    EXPECT_NE(rt, nullptr);
    if (!rt) return {};
    EXPECT_EQ(rt->Run(), RunResult::kHalted);
    if (messages) *messages = ui.messages;
    return host.calls;
}

std::optional<std::string> Compile(const std::string& text) {
    CompileResult r = CompileSource(platform::RealFileSystem(), "/tmp/macro.nrs", text);
    EXPECT_TRUE(r.image) << (r.error ? std::string(r.error->text()) : "") << "\n"
                         << text.substr(0, 2000);
    return r.image;
}

std::string Body(std::string_view lines) {
    return std::string(kMacroTextHead) + std::string(lines) + std::string(kMacroTextEnd);
}

class KeyMacroTest : public ::testing::Test {
  protected:
    void SetUp() override { platform::SetSystemCodePage(932); }
};

TEST_F(KeyMacroTest, TypedAbIsThisImageAndThisText) {
    KeyMacro m;
    m.StartRecording();
    m.RecordChar('a');
    m.RecordChar('b');
    EXPECT_EQ(m.entries(), 2u);
    m.StopRecording();
    // PUSHI 0x61, CALLB 101, POP, the same for 0x62, HALT; 96 + 23 bytes rounded to 124.
    const std::string code = std::string("\x19\x61\0\0\0\x4A\x65\0\0\0\x29", 11) +
                             std::string("\x19\x62\0\0\0\x4A\x65\0\0\0\x29", 11) +
                             std::string(6, '\xFD');  // HALT, and five more to the rounded size
    const std::string& image = m.image();
    ASSERT_EQ(image.size(), 124u);
    EXPECT_EQ(image.substr(96), code);
    EXPECT_EQ(image.substr(0, 4), std::string("Norv"));
    EXPECT_EQ(image.substr(10, 11), std::string("*KeyMacro*\0", 11));
    const auto* h = reinterpret_cast<const uint8_t*>(image.data());
    EXPECT_EQ(ReadLe32(h + kVersionOffset), kImageVersion);
    EXPECT_EQ(ReadLe32(h + kCodeSizeOffset), 124u);
    EXPECT_EQ(ReadLe32(h + kDataSizeOffset), 0u);
    EXPECT_EQ(ReadLe32(h + kStackSizeOffset), 1024u);
    EXPECT_EQ(ValidateImage(image), ImageStatus::kOk);
    EXPECT_TRUE(m.IsRecorded());

    const MacroText t = MacroToText(image, 932);
    EXPECT_TRUE(t.complete);
    EXPECT_EQ(t.text,
              "'--------------------------------------\n"
              "'  Norv Key Macro                      \n"
              "'--------------------------------------\n"
              "Main()\n"
              "\tInputChar(&H61)\n"
              "\tInputChar(&H62)\n"
              "End\n");
    EXPECT_EQ(Play(image), (std::vector<std::string>{"InputChar(97)", "InputChar(98)"}));
}

TEST_F(KeyMacroTest, EachLineFormIsWrittenAsTheTableSays) {
    using V = MacroValue;
    struct Case {
        int builtin;
        std::vector<MacroValue> values;
        const char* line;
    };
    const Case cases[] = {
        {BuiltinId("CONVERT"),
         {V::Number(1), V::Number(0), V::Number(2), V::Number(-1)},
         "\tConvert(1, 0, 2, -1)\n"},
        {BuiltinId("SORT"),
         {V::Number(1), V::Number(0), V::Number(1), V::Text("key")},
         "\tSort(True, False, True, \"key\")\n"},
        {BuiltinId("SORT"),
         {V::Number(0), V::Number(0), V::Number(0), V::Text("")},
         "\tSort(False, False, False, \"\")\n"},
        {BuiltinId("ADDSTRING"), {V::Text("> "), V::Number(0)}, "\tAddString(\"> \", False)\n"},
        {BuiltinId("COPYTOFILE"), {V::Text("/tmp/a b.txt")}, "\tCopyToFile(\"/tmp/a b.txt\")\n"},
        {BuiltinId("PASTEFROMFILE"), {V::Text("in.txt")}, "\tPasteFromFile(\"in.txt\")\n"},
        {BuiltinId("APPENDFILE"), {V::Text("log")}, "\tAppendFile(\"log\")\n"},
        {BuiltinId("JUMPLINE"), {V::Number(120), V::Number(1)}, "\tJumpLine(120, True)\n"},
        {BuiltinId("FINDFOR"), {V::Text("abc"), V::Text("IW")}, "\tFindFor(\"abc\", \"IW\")\n"},
        {BuiltinId("FINDBACK"), {V::Text("x"), V::Text("")}, "\tFindBack(\"x\", \"\")\n"},
        {BuiltinId("REPLACE"),
         {V::Text("a"), V::Text("b"), V::Text("AN")},
         "\tReplace(\"a\", \"b\", \"AN\")\n"},
        {BuiltinId("GREP"),
         {V::Text("main"), V::Text("/src"), V::Text("*.c"), V::Text("S")},
         "\tGrep(\"main\", \"/src\", \"*.c\", \"S\")\n"},
        {BuiltinId("SHELLCMD"),
         {V::Text("make all"), V::Text("CO")},
         "\tShellCmd(\"make all\", \"CO\")\n"},
        {BuiltinId("SHELLMENU"), {V::Number(3)}, "\tShellMenu(3)\n"},
        {BuiltinId("COMMAND"), {V::Text("DeleteLine")}, "\tCommand(\"DeleteLine\")\n"},
        {BuiltinId("INPUTCHAR"), {V::Number(0x82A0)}, "\tInputChar(&H82a0)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        KeyMacro m;
        m.StartRecording();
        m.Record(c.builtin, c.values);
        m.StopRecording();
        EXPECT_EQ(ValidateImage(m.image()), ImageStatus::kOk);
        const MacroText t = MacroToText(m.image(), 932);
        EXPECT_TRUE(t.complete);
        EXPECT_EQ(t.text, Body(c.line));
        ASSERT_TRUE(Compile(t.text));
    }
}

TEST_F(KeyMacroTest, TextsAreQuotedSoTheyCompileBack) {
    struct Case {
        std::string bytes;
        std::string expression;
    };
    const std::string kana = "\x82\xA0";  // one double-byte character
    const Case cases[] = {
        {"", "\"\""},
        {"plain", "\"plain\""},
        {"say \"hi\"", "\"say \" + Chr(34) + \"hi\" + Chr(34)"},
        {"a\tb\r\n", "\"a\" + Chr(9) + \"b\" + Chr(13) + Chr(10)"},
        {"\x7F", "Chr(127)"},
        {std::string(300, 'x'),
         "\"" + std::string(256, 'x') + "\" + \"" + std::string(44, 'x') + "\""},
        // 255 bytes, then a character that would end past 256: it goes whole into the next piece.
        {std::string(255, 'y') + kana, "\"" + std::string(255, 'y') + "\" + \"" + kana + "\""},
        // A lead byte before a quote is a byte of its own.
        {"\x82\"", "\"\x82\" + Chr(34)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expression.substr(0, 40));
        EXPECT_EQ(ScriptTextExpression(c.bytes, 932), c.expression);
    }
}

std::string Recorded(const std::function<void(KeyMacro&)>& record) {
    KeyMacro m;
    m.StartRecording();
    record(m);
    m.StopRecording();
    return m.image();
}

TEST_F(KeyMacroTest, ConversionStopsAtWhatItCannotWrite) {
    const std::string first = "\tInputChar(&H61)\n";
    const auto ab = [](KeyMacro& m) {
        m.RecordChar('a');
        m.RecordChar('b');
    };
    auto size = [](std::string& im, uint32_t codeSize) {
        WriteLe32(reinterpret_cast<uint8_t*>(im.data()) + kCodeSizeOffset, codeSize);
    };
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
        std::string body;
        bool complete;
    };
    const Case cases[] = {
        {"another instruction", [](std::string& im) { im[96 + 11] = char(Op::kDup); }, first,
         false},
        {"a call with too few values",
         [](std::string& im) {
             im = Recorded([](KeyMacro& m) {
                 m.RecordChar('a');
                 const MacroValue two[] = {MacroValue::Number(1), MacroValue::Number(2)};
                 m.Record(BuiltinId("CONVERT"), two);
             });
         },
         first, false},
        {"a built-in of no line form", [](std::string& im) { im[96 + 11 + 6] = 12; }, first, false},
        {"code cut inside an operand",
         [&](std::string& im) {
             im.resize(96 + 14);
             size(im, 96 + 14);
         },
         first, false},
        // Running off the end of the code without HALT ends the text as HALT does.
        {"code size past the image",
         [&](std::string& im) {
             size(im, 0x7FFFFFFF);
             im.resize(96 + 22);
         },
         first + "\tInputChar(&H62)\n", true},
        {"not an image", [](std::string& im) { im = "Nope"; }, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string image = Recorded(ab);
        c.damage(image);
        const MacroText t = MacroToText(image, 932);
        EXPECT_EQ(t.text, Body(c.body));
        EXPECT_EQ(t.complete, c.complete);
    }
    // A text value that is not the address of a NUL-terminated text of the data segment.
    struct Address {
        uint32_t address;
        bool dropNul;
    };
    for (const Address a : {Address{kDataBase + 100, false}, Address{kStackBase, false},
                            Address{5, false}, Address{kDataBase, true}}) {
        std::string image = Recorded([](KeyMacro& m) { m.RecordCommand("Undo"); });
        if (a.dropNul) image.back() = 'x';  // the data segment is "Undo\0"
        WriteLe32(reinterpret_cast<uint8_t*>(image.data()) + 97, a.address);
        const MacroText t = MacroToText(image, 932);
        EXPECT_FALSE(t.complete) << a.address;
        EXPECT_EQ(t.text, Body("")) << a.address;
    }
}

TEST_F(KeyMacroTest, AMacroCannotStayResident) {
    KeyMacro m;
    m.StartRecording();
    m.Record(BuiltinId("STAYRESIDENT"), {});
    m.RecordChar('z');
    m.StopRecording();
    platform::HeadlessUi ui;
    CallLog host(ui);
    auto rt = Runtime::Load(m.image(), host);
    ASSERT_NE(rt, nullptr);
    EXPECT_EQ(rt->Run(), RunResult::kHalted);
    EXPECT_FALSE(rt->resident());
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"KeyMacro can not stay resident."}));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"InputChar(122)"}));
    // The same call in a script of another name keeps it.
    CompileResult r = CompileSource(platform::RealFileSystem(), "/tmp/tsr.nrs",
                                    "MAIN\nSTAYRESIDENT()\nEND MAIN\n");
    ASSERT_TRUE(r.image);
    auto other = Runtime::Load(std::move(*r.image), host);
    other->Run();
    EXPECT_TRUE(other->resident());
}

TEST_F(KeyMacroTest, StatesAndReplacement) {
    KeyMacro m;
    EXPECT_FALSE(m.BeginPlaying());        // nothing to play
    m.Record(BuiltinId("INPUTCHAR"), {});  // not recording: nothing
    m.StartRecording();
    EXPECT_EQ(m.state(), MacroState::kRecording);
    EXPECT_FALSE(m.BeginPlaying());
    m.RecordChar('q');
    m.StopRecording();
    const std::string first = m.image();
    EXPECT_TRUE(m.BeginPlaying());
    EXPECT_EQ(m.state(), MacroState::kPlaying);
    m.StartRecording();  // recording while playing does nothing
    EXPECT_EQ(m.state(), MacroState::kPlaying);
    m.EndPlaying();
    EXPECT_EQ(m.state(), MacroState::kIdle);
    EXPECT_EQ(m.image(), first);
    // An empty recording is still a macro, which plays nothing.
    m.StartRecording();
    m.StopRecording();
    EXPECT_EQ(ValidateImage(m.image()), ImageStatus::kOk);
    EXPECT_TRUE(Play(m.image()).empty());
    CompileResult r = CompileSource(platform::RealFileSystem(), "/tmp/loaded.nrs",
                                    "MAIN\nINPUTCHAR(65)\nEND MAIN\n");
    m.Replace(*r.image);
    EXPECT_FALSE(m.IsRecorded());
}

// Random recordings: every one saves, compiles, and replays the calls of the recorded image,
// values for values and texts byte for byte.
TEST_F(KeyMacroTest, SavedMacrosReplayTheRecordedCallsExactly) {
    std::mt19937 rng(27);
    auto pick = [&](uint32_t n) { return static_cast<uint32_t>(rng() % n); };
    auto text = [&] {
        const uint32_t len = pick(8) == 0 ? pick(1001) : pick(40);
        std::string s;
        while (s.size() < len) {
            switch (pick(6)) {
                case 0:
                    s.push_back('"');
                    break;
                case 1:
                    s.push_back(static_cast<char>(1 + pick(31)));
                    break;
                case 2:  // a double-byte character, its trail byte anything
                    s.push_back(static_cast<char>(0x81 + pick(0x1F)));
                    s.push_back(static_cast<char>(0x40 + pick(0xBD)));
                    break;
                default:
                    s.push_back(static_cast<char>(1 + pick(255)));
            }
        }
        if (s.size() > len) s.resize(len);
        return s;
    };
    auto number = [&]() -> int32_t {
        switch (pick(4)) {
            case 0:
                return -1;
            case 1:
                return static_cast<int32_t>(rng());
            default:
                return static_cast<int32_t>(pick(200)) - 20;
        }
    };
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        KeyMacro m;
        m.StartRecording();
        std::vector<std::string> texts;  // the values must outlive their entry only while recorded
        const uint32_t n = pick(40);
        for (uint32_t e = 0; e < n; ++e) {
            const MacroForm& f = kMacroForms[pick(std::size(kMacroForms))];
            std::vector<MacroValue> values;
            texts.clear();
            texts.reserve(4);
            for (char a : f.args) {
                if (a == 't') {
                    texts.push_back(text());
                    values.push_back(MacroValue::Text(texts.back()));
                } else if (a == 'b') {
                    values.push_back(MacroValue::Number(static_cast<int32_t>(pick(2))));
                } else {
                    values.push_back(MacroValue::Number(number()));
                }
            }
            m.Record(f.builtin, values);
        }
        m.StopRecording();
        ASSERT_EQ(ValidateImage(m.image()), ImageStatus::kOk);
        const std::vector<std::string> recorded = Play(m.image());
        ASSERT_EQ(recorded.size(), n);
        const MacroText t = MacroToText(m.image(), 932);
        ASSERT_TRUE(t.complete);
        const std::optional<std::string> image = Compile(t.text);
        ASSERT_TRUE(image);
        EXPECT_EQ(Play(*image), recorded);
    }
}

TEST_F(KeyMacroTest, AMillionEntriesAreKept) {
    KeyMacro m;
    m.StartRecording();
    for (int i = 0; i < 1000000; ++i) m.RecordChar(static_cast<uint16_t>('a' + i % 26));
    m.StopRecording();
    EXPECT_EQ(ValidateImage(m.image()), ImageStatus::kOk);
    EXPECT_EQ(m.image().size(), (96u + 11000000u + 1u + 5u) & ~3u);
    // The last entry is there.
    EXPECT_EQ(static_cast<uint8_t>(m.image()[96 + 11 * 999999 + 1]), 'a' + 999999 % 26);
}

}  // namespace
}  // namespace norv::script
