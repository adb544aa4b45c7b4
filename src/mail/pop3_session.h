// The POP3 dialogue: log-in and log-out, the listing with each message's sender and subject,
// fetching with headers decoded and the body converted to Shift-JIS, LAST, DELE and RSET.
//
// Replies are negative when they begin with "-". A failure leaves the connection open (except
// a failed log-in, which logs out); the status line keeps the failing reply or the library's
// reason, not the lines of the clean-up after it. The listing is bounded (kMaxListed
// messages, malformed lines skipped) and so is everything written into a caller's buffer.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "mail/channel.h"

namespace norv::mail {

inline constexpr size_t kListLineSize = 1024;   // ListMail's line buffer
inline constexpr size_t kListStatusSize = 256;  // ListMail's status buffer
inline constexpr size_t kMaxListed = 100000;

class Pop3Session {
  public:
    Pop3Session(Channel& channel, StatusLog& log, int codePage);

    // Connects and logs in; on failure the connection is closed. With `security` 1 the
    // connection is upgraded with STLS first (the transport then encrypts); with 2 the
    // transport encrypts from the first byte. PASS is never sent unencrypted when either is
    // asked for.
    bool Login(const ServerAddress& server, std::string_view user, std::string_view password,
               char security = '0');
    // QUIT, one reply, close; ends a listing.
    void Logout();

    // The next message of the listing: "%d %s %s" (number, sender, subject) into `line`
    // (kListLineSize bytes), the "Status:" header into `status` (kListStatusSize bytes).
    // Returns the message's size, 0 at the end of the listing or on failure.
    long ListNext(char* line, char* status);

    // RETR: the message into `buf` (its listed size plus one bytes), lines ended by LF or CR LF.
    bool Fetch(int number, char* buf, bool crlf, bool remove);

    int LastNumber();
    bool Delete(int number);
    bool Reset();

  private:
    struct Listed {
        int number;
        long size;
    };
    bool UpgradeWithStls(const std::string& host);
    bool StartListing();
    void EndListing();
    bool ReadReply(std::string& line);
    bool ListedSize(int number, long* size);
    void FailWithLogout();

    Channel& channel_;
    StatusLog& log_;
    int codePage_;
    bool listing_ = false;
    std::vector<Listed> list_;
    size_t next_ = 0;
    std::map<int, long> sizes_;  // every size listed in this session
    std::string line_;
};

// Parses "n size" of a LIST line (or of a "+OK n size" reply after its first word); false for
// anything else, numbers out of range included.
bool ParseListEntry(std::string_view text, int* number, long* size);

}  // namespace norv::mail
