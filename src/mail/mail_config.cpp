// Reading and writing the "Mail" section.
#include "mail/mail_config.h"

#include <cerrno>

#include "mail/base64.h"
#include "mail/buffer_text.h"

namespace norv::mail {
namespace {

constexpr size_t kMaxSettingsFile = 16u << 20;

std::string_view Trim(std::string_view s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string_view::npos) return {};
    const size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

// One line of the file: [begin, end) without its line end, `next` past the line end.
struct Line {
    size_t begin, end, next;
};

bool NextLine(std::string_view text, size_t at, Line* line) {
    if (at >= text.size()) return false;
    size_t lf = text.find('\n', at);
    const size_t next = lf == std::string_view::npos ? text.size() : lf + 1;
    if (lf == std::string_view::npos) lf = text.size();
    size_t end = lf;
    if (end > at && text[end - 1] == '\r') --end;
    *line = {at, end, next};
    return true;
}

// The section name of a "[name]" line, or nothing.
bool SectionName(std::string_view line, std::string_view* name) {
    line = Trim(line);
    if (line.empty() || line[0] != '[') return false;
    const size_t close = line.find(']');
    if (close == std::string_view::npos) return false;
    *name = Trim(line.substr(1, close - 1));
    return true;
}

bool Entry(std::string_view line, std::string_view* key, std::string_view* value) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    *key = Trim(line.substr(0, eq));
    *value = Trim(line.substr(eq + 1));
    return !key->empty();
}

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') return v.substr(1, v.size() - 2);
    return v;
}

// A value as it may be written: one line, at most kMaxValueLength bytes.
std::string Storable(std::string_view v, int codePage) {
    std::string s(v);
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    s.resize(FitLength(s, kMaxValueLength, codePage));
    return s;
}

std::string ValueOf(const MailSettings& s, MailKey key, int codePage) {
    switch (key) {
        case MailKey::kName:
            return Storable(s.name, codePage);
        case MailKey::kAddress:
            return Storable(s.address, codePage);
        case MailKey::kLogin:
            return Storable(s.login, codePage);
        case MailKey::kPass:
            return ScramblePassword(
                std::string_view(s.password)
                    .substr(0, FitLength(s.password, kMaxPasswordLength, codePage)));
        case MailKey::kPopServer:
            return Storable(s.popServer, codePage);
        case MailKey::kSmtpServer:
            return Storable(s.smtpServer, codePage);
        case MailKey::kDeleteMail:
            return s.deleteMail == '1' ? "1" : "0";
        case MailKey::kPopSecurity:
            return std::string(1,
                               s.popSecurity == '1' || s.popSecurity == '2' ? s.popSecurity : '0');
        case MailKey::kSmtpSecurity:
            return std::string(
                1, s.smtpSecurity == '1' || s.smtpSecurity == '2' ? s.smtpSecurity : '0');
        case MailKey::kSmtpAuth:
            return s.smtpAuth == '1' ? "1" : "0";
        case MailKey::kSmtpLogin:
            return Storable(s.smtpLogin, codePage);
        case MailKey::kSmtpPass:
            if (s.smtpPassword.empty()) return {};
            return ScramblePassword(
                std::string_view(s.smtpPassword)
                    .substr(0, FitLength(s.smtpPassword, kMaxPasswordLength, codePage)));
        case MailKey::kCaFile:
            return Storable(s.caFile, codePage);
        case MailKey::kCount:
            break;
    }
    return {};
}

}  // namespace

std::string ScramblePassword(std::string_view password) {
    std::string s = EncodeBase64(EncodeBase64(password));
    for (char& c : s) c = static_cast<char>(c ^ 2);
    return s;
}

std::string UnscramblePassword(std::string_view stored) {
    std::string s(stored);
    for (char& c : s) c = static_cast<char>(c ^ 2);
    return DecodeBase64(DecodeBase64(s));
}

bool FindMailValue(std::string_view text, std::string_view key, std::string* value) {
    Line line;
    bool inMail = false;
    for (size_t at = 0; NextLine(text, at, &line); at = line.next) {
        const std::string_view s = text.substr(line.begin, line.end - line.begin);
        std::string_view a, b;
        if (SectionName(s, &a)) {
            inMail = EqualsIgnoringAsciiCase(a, kMailSection);
        } else if (inMail && Entry(s, &a, &b) && EqualsIgnoringAsciiCase(a, key)) {
            value->assign(Unquote(b));
            return true;
        }
    }
    return false;
}

MailSettings ParseMailSettings(std::string_view text, int codePage) {
    MailSettings s;
    for (const MailKeyEntry& k : kMailKeys) {
        std::string v;
        if (!FindMailValue(text, k.name, &v)) v = k.defaultValue;
        if (k.key != MailKey::kPass && k.key != MailKey::kSmtpPass)
            v.resize(FitLength(v, kMaxValueLength, codePage));
        switch (k.key) {
            case MailKey::kName:
                s.name = v;
                break;
            case MailKey::kAddress:
                s.address = v;
                break;
            case MailKey::kLogin:
                s.login = v;
                break;
            case MailKey::kPass:
                s.password = UnscramblePassword(v.substr(0, kMaxValueLength));
                break;
            case MailKey::kPopServer:
                s.popServer = v;
                break;
            case MailKey::kSmtpServer:
                s.smtpServer = v;
                break;
            case MailKey::kDeleteMail:
                s.deleteMail = v.empty() ? '0' : v[0];
                break;
            case MailKey::kPopSecurity:
                s.popSecurity = v.empty() ? '0' : v[0];
                break;
            case MailKey::kSmtpSecurity:
                s.smtpSecurity = v.empty() ? '0' : v[0];
                break;
            case MailKey::kSmtpAuth:
                s.smtpAuth = v.empty() ? '0' : v[0];
                break;
            case MailKey::kSmtpLogin:
                s.smtpLogin = v;
                break;
            case MailKey::kSmtpPass:
                s.smtpPassword = UnscramblePassword(v.substr(0, kMaxValueLength));
                break;
            case MailKey::kCaFile:
                s.caFile = v;
                break;
            case MailKey::kCount:
                break;
        }
    }
    return s;
}

std::string UpdateMailSettings(std::string_view text, const MailSettings& settings, int codePage) {
    const bool crlf = text.find("\r\n") != std::string_view::npos;
    const std::string_view eol = crlf ? "\r\n" : "\n";
    bool written[static_cast<size_t>(MailKey::kCount)] = {};
    std::string out;
    out.reserve(text.size() + 512);
    auto appendMissing = [&] {
        for (const MailKeyEntry& k : kMailKeys) {
            bool& done = written[static_cast<size_t>(k.key)];
            if (done) continue;
            // The keys beyond the designed seven are added only when they ask for something,
            // so a plain configuration is written as before.
            const std::string value = ValueOf(settings, k.key, codePage);
            if (k.key > MailKey::kDeleteMail && value == k.defaultValue) continue;
            out.append(k.name);
            out.push_back('=');
            out.append(ValueOf(settings, k.key, codePage));
            out.append(eol);
            done = true;
        }
    };
    Line line;
    bool inMail = false, sawMail = false;
    // Where the last non-empty line of the Mail section ended in `out`.
    size_t mailEnd = std::string::npos;
    for (size_t at = 0; NextLine(text, at, &line); at = line.next) {
        const std::string_view s = text.substr(line.begin, line.end - line.begin);
        std::string_view raw = text.substr(line.begin, line.next - line.begin);
        std::string_view a, b;
        if (SectionName(s, &a)) {
            if (inMail && mailEnd != std::string::npos) {
                std::string rest = out.substr(mailEnd);
                out.resize(mailEnd);
                appendMissing();
                out.append(rest);
            }
            inMail = !sawMail && EqualsIgnoringAsciiCase(a, kMailSection);
            sawMail = sawMail || inMail;
            out.append(raw);
            if (inMail) {
                if (line.next == line.end) out.append(eol);
                mailEnd = out.size();
            }
            continue;
        }
        if (inMail && Entry(s, &a, &b)) {
            bool replaced = false;
            for (const MailKeyEntry& k : kMailKeys) {
                if (!EqualsIgnoringAsciiCase(a, k.name)) continue;
                bool& done = written[static_cast<size_t>(k.key)];
                if (!done) {
                    out.append(k.name);
                    out.push_back('=');
                    out.append(ValueOf(settings, k.key, codePage));
                    out.append(eol);
                    done = true;
                }
                replaced = true;  // a second line of the same key is dropped
                break;
            }
            if (replaced) {
                mailEnd = out.size();
                continue;
            }
        }
        out.append(raw);
        if (inMail && !Trim(s).empty()) {
            if (line.next == line.end) out.append(eol);
            mailEnd = out.size();
        }
    }
    if (inMail) {
        std::string rest = mailEnd != std::string::npos ? out.substr(mailEnd) : std::string();
        if (mailEnd != std::string::npos) out.resize(mailEnd);
        appendMissing();
        out.append(rest);
    }
    if (!sawMail) {
        if (!out.empty() && out.back() != '\n') out.append(eol);
        out.push_back('[');
        out.append(kMailSection);
        out.push_back(']');
        out.append(eol);
        appendMissing();
    }
    return out;
}

MailSettings ReadMailSettings(platform::FileSystem& fs, const std::string& path, int codePage) {
    std::string text;
    const auto info = fs.Stat(path);
    if (!info || info->isDirectory || info->size > kMaxSettingsFile ||
        platform::ReadWholeFile(fs, path, text) != 0)
        text.clear();
    return ParseMailSettings(text, codePage);
}

int WriteMailSettings(platform::FileSystem& fs, const std::string& path,
                      const MailSettings& settings, int codePage) {
    std::string text;
    unsigned permissions = 0600;
    if (const auto info = fs.Stat(path)) {
        if (info->isDirectory) return EISDIR;
        if (info->size > kMaxSettingsFile) return EFBIG;
        if (const int rc = platform::ReadWholeFile(fs, path, text); rc != 0) return rc;
        permissions = info->permissions;
    }
    return platform::WriteFileAtomically(fs, path, UpdateMailSettings(text, settings, codePage),
                                         permissions);
}

}  // namespace norv::mail
