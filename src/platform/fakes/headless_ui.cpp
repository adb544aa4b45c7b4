#include "platform/fakes/headless_ui.h"

#include <cstdio>

namespace norv::platform {

int HeadlessUi::MessageBox(std::string_view text, unsigned style) {
    return CaptionedMessageBox(text, {}, style);
}

int HeadlessUi::CaptionedMessageBox(std::string_view text, std::string_view caption,
                                    unsigned style) {
    messages.emplace_back(text);
    captions.emplace_back(caption);
    styles.push_back(style);
    if (echo_) {
        if (caption.empty())
            std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
        else
            std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                         static_cast<int>(text.size()), text.data());
    }
    if (!answers_.empty()) {
        int r = answers_.front();
        answers_.pop_front();
        return r;
    }
    return DefaultButtonOf(style);
}

void HeadlessUi::SetStatusText(std::string_view text) {
    statusTexts.emplace_back(text);
}

}  // namespace norv::platform
