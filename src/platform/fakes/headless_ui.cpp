#include "platform/fakes/headless_ui.h"

#include <cstdio>

namespace norv::platform {

int HeadlessUi::MessageBox(std::string_view text, unsigned style) {
    messages.emplace_back(text);
    if (echo_) std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    if (!answers_.empty()) {
        int r = answers_.front();
        answers_.pop_front();
        return r;
    }
    return DefaultButtonOf(style);
}

int HeadlessUi::CaptionedMessageBox(std::string_view text, std::string_view caption,
                                    unsigned style) {
    std::string shown(caption);
    shown += ": ";
    shown += text;
    return MessageBox(shown, style);
}

void HeadlessUi::SetStatusText(std::string_view text) {
    statusTexts.emplace_back(text);
}

}  // namespace norv::platform
