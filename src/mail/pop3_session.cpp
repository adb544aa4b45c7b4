// The POP3 dialogue over a Channel.
#include "mail/pop3_session.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "mail/buffer_text.h"
#include "mail/capabilities.h"
#include "mail/mail_jis.h"
#include "mail/mime_header.h"

namespace norv::mail {
namespace {

constexpr size_t kMaxCapabilityLines = 1000;

// Reading past a message that is longer than its listed size stops after this much more.
constexpr size_t kOverflowBudget = 64u << 20;

bool IsNegative(std::string_view reply) {
    return !reply.empty() && reply[0] == '-';
}

bool StartsWithIgnoringCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        char p = prefix[i];
        if (p >= 'A' && p <= 'Z') p = static_cast<char>(p + 32);
        if (c != p) return false;
    }
    return true;
}

bool IsBlankByte(char c) {
    return c == ' ' || c == '\t';
}

// Reads a decimal number from s[*i]; false when there is no digit or it exceeds `max`.
bool ReadNumber(std::string_view s, size_t* i, long max, long* value) {
    const size_t start = *i;
    long v = 0;
    while (*i < s.size() && s[*i] >= '0' && s[*i] <= '9') {
        const int d = s[*i] - '0';
        if (v > (max - d) / 10) return false;
        v = v * 10 + d;
        ++*i;
    }
    *value = v;
    return *i > start;
}

std::string Command(const char* format, int n) {
    char text[32];
    std::snprintf(text, sizeof text, format, n);
    return text;
}

}  // namespace

bool ParseListEntry(std::string_view text, int* number, long* size) {
    size_t i = 0;
    while (i < text.size() && IsBlankByte(text[i])) ++i;
    long n = 0, s = 0;
    if (!ReadNumber(text, &i, INT_MAX, &n) || n <= 0) return false;
    if (i >= text.size() || !IsBlankByte(text[i])) return false;
    while (i < text.size() && IsBlankByte(text[i])) ++i;
    if (!ReadNumber(text, &i, INT_MAX - 1, &s)) return false;
    while (i < text.size() && IsBlankByte(text[i])) ++i;
    if (i != text.size()) return false;
    *number = static_cast<int>(n);
    *size = s;
    return true;
}

Pop3Session::Pop3Session(Channel& channel, StatusLog& log, int codePage)
    : channel_(channel), log_(log), codePage_(codePage) {}

bool Pop3Session::ReadReply(std::string& line) {
    return channel_.ReadLine(line) && !IsNegative(line);
}

void Pop3Session::FailWithLogout() {
    HeldStatus held(log_);
    Logout();
}

bool Pop3Session::Login(const ServerAddress& server, std::string_view user,
                        std::string_view password, char security) {
    sizes_.clear();
    EndListing();
    if (!channel_.Open(server)) return false;
    if (!channel_.ReadLine(line_)) {
        channel_.Close();
        return false;
    }
    if (security == '1' && !UpgradeWithStls(server.host)) {
        FailWithLogout();
        return false;
    }
    if (security != '0' && !channel_.Encrypted()) {
        log_.Reason(StatusText(Status::kNoStls));
        FailWithLogout();
        return false;
    }
    if (!channel_.SendCommand("USER " + std::string(user)) || !ReadReply(line_)) {
        FailWithLogout();
        return false;
    }
    if (!channel_.SendCommand("PASS " + std::string(password), "PASS ****") || !ReadReply(line_)) {
        FailWithLogout();
        return false;
    }
    return true;
}

bool Pop3Session::UpgradeWithStls(const std::string& host) {
    std::vector<std::string> capabilities;
    if (!channel_.SendCommand("CAPA") || !channel_.ReadLine(line_)) return false;
    if (!IsNegative(line_)) {
        for (size_t k = 0; k < kMaxCapabilityLines; ++k) {
            if (!channel_.ReadLine(line_)) return false;
            if (line_ == ".") break;
            capabilities.push_back(line_);
        }
    }
    if (!CapaOffers(capabilities, "STLS")) {
        log_.Reason(StatusText(Status::kNoStls));
        return false;
    }
    if (!channel_.SendCommand("STLS") || !ReadReply(line_)) return false;
    return channel_.StartTls(host);
}

void Pop3Session::Logout() {
    if (channel_.IsOpen() && channel_.SendCommand("QUIT")) channel_.ReadLine(line_);
    channel_.Close();
    EndListing();
}

void Pop3Session::EndListing() {
    listing_ = false;
    list_.clear();
    next_ = 0;
}

bool Pop3Session::StartListing() {
    EndListing();
    if (!channel_.SendCommand("LIST") || !ReadReply(line_)) return false;
    for (;;) {
        if (!channel_.ReadLine(line_)) {
            EndListing();
            return false;
        }
        if (line_ == ".") break;
        int n;
        long size;
        if (list_.size() < kMaxListed && ParseListEntry(line_, &n, &size)) {
            // The first size listed for a number is the one the script is told, and so the
            // one that bounds its buffer, however often the server lists the number again.
            const long kept = sizes_.emplace(n, size).first->second;
            list_.push_back({n, kept});
        }
    }
    listing_ = true;
    return true;
}

long Pop3Session::ListNext(char* line, char* status) {
    if (!listing_ && !StartListing()) return 0;
    if (next_ >= list_.size()) {
        EndListing();
        return 0;
    }
    const Listed entry = list_[next_];
    CopyToBuffer(status, kListStatusSize, {}, codePage_);
    if (!channel_.SendCommand(Command("TOP %d 0", entry.number)) || !ReadReply(line_)) {
        EndListing();
        return 0;
    }
    // Only the first From: and the first Subject: count; their folded continuation lines are
    // joined to them.
    std::string from, subject;
    bool haveFrom = false, haveSubject = false, haveStatus = false;
    std::string* folding = nullptr;
    for (;;) {
        if (!channel_.ReadLine(line_, true)) {
            EndListing();
            return 0;
        }
        if (line_ == ".") break;
        std::string_view text = line_;
        if (text.size() >= 2 && text[0] == '.' && text[1] == '.') text.remove_prefix(1);
        if (folding && !text.empty() && IsBlankByte(text[0])) {
            if (folding->size() < kMaxLineLength) folding->append(text);
            continue;
        }
        folding = nullptr;
        if (!haveFrom && StartsWithIgnoringCase(text, "From:")) {
            from.assign(text.substr(5));
            haveFrom = true;
            folding = &from;
        } else if (!haveSubject && StartsWithIgnoringCase(text, "Subject:")) {
            subject.assign(text.substr(8));
            haveSubject = true;
            folding = &subject;
        } else if (!haveStatus && text.substr(0, 7) == "Status:") {
            CopyToBuffer(status, kListStatusSize, text.substr(7), codePage_);
            haveStatus = true;
        }
    }
    std::string text = std::to_string(entry.number);
    text.push_back(' ');
    AppendDecodedHeader(text, from, codePage_);
    text.push_back(' ');
    AppendDecodedHeader(text, subject, codePage_);
    CopyToBuffer(line, kListLineSize, text, codePage_);
    ++next_;
    return entry.size;
}

bool Pop3Session::ListedSize(int number, long* size) {
    if (const auto it = sizes_.find(number); it != sizes_.end()) {
        *size = it->second;
        return true;
    }
    if (!channel_.SendCommand(Command("LIST %d", number)) || !ReadReply(line_)) return false;
    // "+OK n size"
    const size_t blank = line_.find(' ');
    int n;
    if (blank == std::string::npos ||
        !ParseListEntry(std::string_view(line_).substr(blank), &n, size) || n != number) {
        log_.Reason(StatusText(Status::kNotListed));
        return false;
    }
    sizes_[number] = *size;
    return true;
}

bool Pop3Session::Fetch(int number, char* buf, bool crlf, bool remove) {
    long listed = 0;
    if (!ListedSize(number, &listed)) return false;
    // The caller's buffer holds the listed size and the zero byte.
    const size_t room = static_cast<size_t>(listed);
    if (!channel_.SendCommand(Command("RETR %d", number)) || !ReadReply(line_)) return false;
    std::string out;
    out.reserve(std::min<size_t>(room, 1u << 20));
    const std::string_view lineEnd = crlf ? "\r\n" : "\n";
    std::string converted;
    bool inHeader = true;
    bool overflow = false;
    size_t readPastRoom = 0;
    for (;;) {
        if (!channel_.ReadLine(line_, true)) {
            CopyToBuffer(buf, room + 1, out, codePage_);
            return false;
        }
        if (line_ == ".") break;
        if (overflow) {
            readPastRoom += line_.size() + 2;
            if (readPastRoom > kOverflowBudget) {
                channel_.Close();
                break;
            }
            continue;
        }
        std::string_view text = line_;
        if (text.size() >= 2 && text[0] == '.' && text[1] == '.') text.remove_prefix(1);
        converted.clear();
        if (inHeader) {
            AppendDecodedHeader(converted, text, codePage_);
            if (text.empty()) inHeader = false;
        } else {
            AppendIso2022JpAsSjis(converted, text, codePage_);
        }
        converted.append(lineEnd);
        if (out.size() + converted.size() > room) {
            out.append(converted, 0, FitLength(converted, room - out.size(), codePage_));
            overflow = true;
            continue;
        }
        out.append(converted);
    }
    CopyToBuffer(buf, room + 1, out, codePage_);
    if (overflow) {
        log_.Reason(StatusText(Status::kMessageTooLong));
        return false;
    }
    if (remove) return Delete(number);
    return true;
}

int Pop3Session::LastNumber() {
    if (!channel_.SendCommand("LAST") || !channel_.ReadLine(line_) || IsNegative(line_)) return 0;
    size_t i = 4;
    while (i < line_.size() && (line_[i] < '0' || line_[i] > '9')) ++i;
    long v = 0;
    while (i < line_.size() && line_[i] >= '0' && line_[i] <= '9') {
        v = v * 10 + (line_[i] - '0');
        if (v > INT_MAX) return INT_MAX;
        ++i;
    }
    return static_cast<int>(v);
}

bool Pop3Session::Delete(int number) {
    return channel_.SendCommand(Command("DELE %d", number)) && ReadReply(line_);
}

bool Pop3Session::Reset() {
    return channel_.SendCommand("RSET") && ReadReply(line_);
}

}  // namespace norv::mail
