// The POP3 dialogue with the input as every server's bytes: log-in, the listing with TOP,
// fetching (into a buffer of the listed size plus one, checked by ASan), LAST, DELE, RSET.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "mail/mail_library.h"
#include "mail/mail_windows.h"
#include "mail/replay_transport.h"
#include "platform/fakes/memory_file_system.h"

using namespace norv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    auto script = std::make_shared<mail::ReplayScript>();
    script->chunk = 1 + data[0] % 64;
    for (int i = 0; i < 2; ++i) script->servers.push_back({bytes, mail::NetStatus::kClosed});
    platform::MemoryFileSystem files;
    files.files["/m.ini"] = "[Mail]\nPass=" + mail::ScramblePassword("pw") + "\n";
    mail::MailLibrary::Services s;
    s.transports = mail::MakeReplayTransportFactory(script);
    s.files = &files;
    s.codePage = 932;
    mail::MailLibrary m(std::move(s), std::make_unique<mail::NoWindows>());
    char b[256], f[2];
    m.GetConfiguration("/m.ini", b, b, b, b, b, f);
    if (!m.Initialize("127.0.0.1", "", 1) || !m.Authenticate("user") || !m.StartReceiveSession())
        return 0;
    std::vector<char> line(mail::kListLineSize), status(mail::kListStatusSize);
    for (int k = 0; k < 4; ++k) {
        const int n = m.ListMail(line.data(), status.data());
        if (n <= 0) break;
        // A buffer of exactly the size the script is told to make (bounded for the fuzzer).
        std::vector<char> buf(static_cast<size_t>(n < (1 << 20) ? n : (1 << 20)) + 1);
        // The message just listed, by the number at the start of its line.
        if (static_cast<size_t>(n) + 1 == buf.size())
            m.GetMail(std::atoi(line.data()), buf.data(), k & 1, k & 2);
    }
    m.GetLastMailNo();
    m.DeleteMail(1);
    m.ResetMailBox();
    m.EndReceiveSession();
    return 0;
}
