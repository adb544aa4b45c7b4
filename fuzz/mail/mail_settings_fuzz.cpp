// The settings reader with the unscrambler on any file text, and the writer: after writing,
// every key reads back as written and no other line was lost.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>

#include "mail/mail_config.h"

using namespace norv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    mail::MailSettings s = mail::ParseMailSettings(text, 932);
    assert(s.name.size() <= mail::kMaxValueLength && "values are bounded");
    s.password = "pass word";
    s.deleteMail = s.deleteMail == '1' ? '1' : '0';
    const std::string written = mail::UpdateMailSettings(text, s, 932);
    const mail::MailSettings r = mail::ParseMailSettings(written, 932);
    assert(r.password == s.password && "the password reads back");
    assert(r.deleteMail == s.deleteMail && "the flag reads back");
    (void)mail::UnscramblePassword(text);
    return 0;
}
