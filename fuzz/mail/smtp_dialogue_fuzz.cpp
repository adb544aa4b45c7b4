// The SMTP dialogue with the input as the server's bytes.
#include <cstddef>
#include <cstdint>

#include "mail/mail_library.h"
#include "mail/mail_windows.h"
#include "mail/replay_transport.h"
#include "platform/fakes/memory_file_system.h"

using namespace norv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    auto script = std::make_shared<mail::ReplayScript>();
    script->chunk = 1 + data[0] % 64;
    script->servers.push_back({"+OK\r\n+OK\r\n+OK\r\n+OK\r\n", mail::NetStatus::kClosed});
    script->servers.push_back(
        {std::string(reinterpret_cast<const char*>(data) + 1, size - 1),
         (data[0] & 0x80) ? mail::NetStatus::kTimedOut : mail::NetStatus::kClosed});
    platform::MemoryFileSystem files;
    files.files["/m.ini"] = "[Mail]\nPass=" + mail::ScramblePassword("pw") + "\n";
    mail::MailLibrary::Services s;
    s.transports = mail::MakeReplayTransportFactory(script);
    s.files = &files;
    s.codePage = 932;
    mail::MailLibrary m(std::move(s), std::make_unique<mail::NoWindows>());
    char b[256], f[2];
    m.GetConfiguration("/m.ini", b, b, b, b, b, f);
    if (!m.Initialize("127.0.0.1", "127.0.0.1", 1) || !m.Authenticate("user")) return 0;
    m.SendMail("\x8E\x52 <a@x.jp>", "b@x.jp, c@x.jp (C)", "d@x.jp", "e@x.jp", "\x93\xFA subject",
               "line\r\n.\r\n\x93\xFA\x96\x7B\xB6\xDE\xF0\x40\n");
    return 0;
}
