// The key macro: what the user did while recording, kept as a script image that plays it back.
//
// A recording is built straight into the image's code as it goes: each entry becomes the pushes
// of its values (last value first), `CALLB` of its built-in and `POP` of the result, so a
// recording costs a few bytes per entry and a million entries are one block, not a million
// objects. Texts go into the image's own data segment, NUL-terminated, and are pushed as
// script addresses of that segment; the finished image therefore has the same shape as any
// compiled image (header, code, data) and passes the same validation.
//
// Finishing adds `HALT`, rounds the code size (end + 5, down to a multiple of 4; the gap is
// filled with `HALT` so that every byte of the code decodes) and writes the header with the
// stack size 1024 and the title "*KeyMacro*". Only one macro exists at a time: each recording
// replaces it, and so does an image loaded from a script.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "script/name_tables.h"

namespace norv::script {

inline constexpr std::string_view kKeyMacroTitle = "*KeyMacro*";
inline constexpr uint32_t kKeyMacroStack = 1024;
// The code block a recording starts with; it grows in multiples of this size, doubling, so
// that a long recording is not copied over and over.
inline constexpr size_t kMacroBlock = 8192;

// How a value of a recorded call is written back as script text.
enum class MacroArg : char {
    kText = 't',     // a quoted text
    kNumber = 'n',   // a decimal Integer
    kBoolean = 'b',  // True or False
    kHex = 'x',      // &H and lower-case hexadecimal
};

// A built-in a key macro calls, with its values as the saved text writes them.
struct MacroForm {
    int builtin;
    std::string_view name;  // as written in the saved script
    std::string_view args;  // one MacroArg letter per value
};

// The built-ins of recorded entries: the commands that have one, and COMMAND for every other
// command (by its table name).
// clang-format off
inline constexpr MacroForm kMacroForms[] = {
    {BuiltinId("CONVERT"), "Convert", "nnnn"},
    {BuiltinId("SORT"), "Sort", "bbbt"},
    {BuiltinId("ADDSTRING"), "AddString", "tb"},
    {BuiltinId("COPYTOFILE"), "CopyToFile", "t"},
    {BuiltinId("PASTEFROMFILE"), "PasteFromFile", "t"},
    {BuiltinId("APPENDFILE"), "AppendFile", "t"},
    {BuiltinId("JUMPLINE"), "JumpLine", "nb"},
    {BuiltinId("FINDFOR"), "FindFor", "tt"},
    {BuiltinId("FINDBACK"), "FindBack", "tt"},
    {BuiltinId("REPLACE"), "Replace", "ttt"},
    {BuiltinId("GREP"), "Grep", "tttt"},
    {BuiltinId("SHELLCMD"), "ShellCmd", "tt"},
    {BuiltinId("SHELLMENU"), "ShellMenu", "n"},
    {BuiltinId("COMMAND"), "Command", "t"},
    {BuiltinId("INPUTCHAR"), "InputChar", "x"},
};
// clang-format on

// The form of a built-in id, or null.
const MacroForm* MacroFormOf(int builtin);

// One value of a recorded entry.
struct MacroValue {
    std::optional<std::string_view> text;  // a text, or else the number
    int32_t number = 0;

    static MacroValue Text(std::string_view t) { return MacroValue{t, 0}; }
    static MacroValue Number(int32_t n) { return MacroValue{std::nullopt, n}; }
};

enum class MacroState : int { kIdle = 0, kRecording = 1, kPlaying = 2 };

class KeyMacro {
  public:
    MacroState state() const { return state_; }

    // Idle to recording: the entries are emptied (the macro made last stays until the end).
    void StartRecording();
    // Recording to idle: the entries become the macro, replacing the one before.
    void StopRecording();
    // The one entry point of the recording: an entry calling `builtin` with these values (first
    // value first). Does nothing unless recording. A text holding a NUL byte ends at it.
    void Record(int builtin, std::span<const MacroValue> values);
    void RecordCommand(std::string_view name);
    void RecordChar(uint16_t code);

    // Playing: only from idle (false otherwise); back to idle when it ends.
    bool BeginPlaying();
    void EndPlaying();

    // Entries recorded so far in this recording.
    size_t entries() const { return entries_; }
    // The macro image, or empty when there is none.
    const std::string& image() const { return image_; }
    // Replaces the macro with another image (a script loaded as the macro).
    void Replace(std::string image) { image_ = std::move(image); }
    // The macro was recorded (its image carries the key macro's title).
    bool IsRecorded() const;

  private:
    void Emit(uint8_t op);
    void Emit(uint8_t op, uint32_t operand);
    uint32_t AddText(std::string_view text);

    MacroState state_ = MacroState::kIdle;
    std::string code_;  // header space and code of the recording under way
    std::string data_;  // its data segment
    size_t entries_ = 0;
    std::string image_;
};

}  // namespace norv::script
