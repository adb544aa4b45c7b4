// One connection to a mail server as its dialogues see it: lines in, commands out, and the
// status line that GetErrorStatus reports.
//
// Lines end at CR LF and are handed out without it (a lone CR or LF is part of the line); the
// bytes arrive in blocks of up to 16 KiB. A line longer than 64 KiB, a closed connection or
// a time-out ends the line with failure, and the status line then says so in the library's own
// words. Every line sent or received becomes the status line and is shown in the status window,
// except while a header block or message body is transferred ("quiet" lines); the password of
// "PASS" is shown as "****".
//
// A `StatusLog` keeps the status line. While it is held (during the clean-up after a failure)
// lines are still shown but the status line keeps the reason of the failure.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "mail/status_texts.h"
#include "mail/transport.h"

namespace norv::mail {

class StatusLog {
  public:
    virtual ~StatusLog() = default;
    // A protocol line sent or received; `show` is false for header and body lines.
    virtual void ProtocolLine(std::string_view line, bool show) = 0;
    // A failure in the library's own words.
    virtual void Reason(std::string_view text) = 0;
    // While held, the status line stays as it is.
    virtual void Hold(bool held) = 0;
};

// Holds a status log for the clean-up after a failure.
class HeldStatus {
  public:
    explicit HeldStatus(StatusLog& log) : log_(log) { log_.Hold(true); }
    ~HeldStatus() { log_.Hold(false); }
    HeldStatus(const HeldStatus&) = delete;
    HeldStatus& operator=(const HeldStatus&) = delete;

  private:
    StatusLog& log_;
};

inline constexpr size_t kMaxLineLength = 65536;
inline constexpr size_t kReceiveBlock = 16384;

class Channel {
  public:
    Channel(std::unique_ptr<Transport> transport, StatusLog& log, int timeoutMs);
    ~Channel();
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    // Connects; on failure the status line names the server.
    bool Open(const ServerAddress& server);
    bool IsOpen() const { return open_; }
    void Close();

    // Sends `text` and CR LF; `shown` replaces the text in the status line and window.
    bool SendCommand(std::string_view text, std::string_view shown = {});
    // Sends bytes as they are (message lines, already ended), showing nothing.
    bool SendRaw(std::string_view bytes);
    // Shows a line that went out inside SendRaw's bytes as a command.
    void ShowSent(std::string_view line) { log_.ProtocolLine(line, true); }

    // Starts TLS on the connection; on failure the status line says why.
    bool StartTls(const std::string& host);
    bool Encrypted() const { return transport_->Encrypted(); }

    // The next line; false on failure (the status line says why).
    bool ReadLine(std::string& line, bool quiet = false);

    Transport& transport() { return *transport_; }

  private:
    bool Fill();
    void Failed(NetStatus s);

    std::unique_ptr<Transport> transport_;
    StatusLog& log_;
    int timeoutMs_;
    bool open_ = false;
    char buffer_[kReceiveBlock];
    size_t pos_ = 0;
    size_t len_ = 0;
};

// The status text with the server's name put in for "%s".
std::string StatusWithName(Status s, std::string_view name);

}  // namespace norv::mail
