// Recording into the key macro's image, and the image it leaves (see key_macro.h).
#include "script/key_macro.h"

#include <cstring>

#include "script/address_space.h"
#include "script/image.h"
#include "script/opcodes.h"

namespace norv::script {

const MacroForm* MacroFormOf(int builtin) {
    for (const MacroForm& f : kMacroForms)
        if (f.builtin == builtin) return &f;
    return nullptr;
}

void KeyMacro::StartRecording() {
    if (state_ != MacroState::kIdle) return;
    state_ = MacroState::kRecording;
    code_.clear();
    data_.clear();
    code_.reserve(kMacroBlock);
    code_.assign(kHeaderSize, '\0');
    entries_ = 0;
}

void KeyMacro::StopRecording() {
    if (state_ != MacroState::kRecording) return;
    state_ = MacroState::kIdle;
    Emit(static_cast<uint8_t>(Op::kHalt));
    // The rounded size leaves 2 to 5 bytes after the last instruction; they hold HALT too, so
    // that the code decodes to its end.
    const size_t size = (code_.size() + 5) & ~size_t{3};
    code_.resize(size, static_cast<char>(Op::kHalt));
    WriteHeader(code_, kKeyMacroTitle, static_cast<uint32_t>(code_.size()),
                static_cast<uint32_t>(data_.size()), kKeyMacroStack);
    image_ = std::move(code_);
    image_ += data_;
    code_.clear();
    code_.shrink_to_fit();
    data_.clear();
    data_.shrink_to_fit();
}

void KeyMacro::Emit(uint8_t op) {
    code_.push_back(static_cast<char>(op));
}

void KeyMacro::Emit(uint8_t op, uint32_t operand) {
    char b[5];
    b[0] = static_cast<char>(op);
    WriteLe32(reinterpret_cast<uint8_t*>(b + 1), operand);
    code_.append(b, 5);
}

uint32_t KeyMacro::AddText(std::string_view text) {
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    const auto offset = static_cast<uint32_t>(data_.size());
    data_.append(text);
    data_.push_back('\0');
    return kDataBase + offset;
}

void KeyMacro::Record(int builtin, std::span<const MacroValue> values) {
    if (state_ != MacroState::kRecording) return;
    // A recording that would pass the image limits stops growing; what it holds stays usable.
    if (code_.size() + 16 + 5 * values.size() > kMaxCodeSize) return;
    size_t textBytes = 0;
    for (const MacroValue& v : values)
        if (v.text) textBytes += v.text->size() + 1;
    if (data_.size() + textBytes > kMaxDataSize) return;
    const auto pushI = static_cast<uint8_t>(Op::kPushI);
    for (size_t i = values.size(); i-- > 0;) {
        const MacroValue& v = values[i];
        Emit(pushI, v.text ? AddText(*v.text) : static_cast<uint32_t>(v.number));
    }
    Emit(static_cast<uint8_t>(Op::kCallB), static_cast<uint32_t>(builtin));
    Emit(static_cast<uint8_t>(Op::kPop));
    ++entries_;
}

void KeyMacro::RecordCommand(std::string_view name) {
    const MacroValue v = MacroValue::Text(name);
    Record(BuiltinId("COMMAND"), std::span(&v, 1));
}

void KeyMacro::RecordChar(uint16_t code) {
    const MacroValue v = MacroValue::Number(code);
    Record(BuiltinId("INPUTCHAR"), std::span(&v, 1));
}

bool KeyMacro::BeginPlaying() {
    if (state_ != MacroState::kIdle || image_.empty()) return false;
    state_ = MacroState::kPlaying;
    return true;
}

void KeyMacro::EndPlaying() {
    if (state_ == MacroState::kPlaying) state_ = MacroState::kIdle;
}

bool KeyMacro::IsRecorded() const {
    const auto h = ParseHeader(image_);
    return h && h->title == kKeyMacroTitle;
}

}  // namespace norv::script
