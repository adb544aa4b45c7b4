// The mail settings in the caller's settings file: section "Mail", the seven designed keys and
// six of TLS and SMTP log-in, every value at
// most 255 bytes. The password is stored scrambled: base64 twice, then every byte XOR 2 (a
// disguise, not a protection).
//
// Section and key names match without regard to case, values lose the blanks around them and
// one pair of enclosing double quotes, as the settings files of the platform are read.
// Writing replaces the keys' lines, adds missing ones (of the six beyond the design, only those
// that differ from their defaults) at the end of the section (or a new
// section at the end of the file), keeps every other byte, and goes through a temporary file
// and a rename, so a failed write leaves the old file.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace norv::mail {

inline constexpr size_t kMaxValueLength = 255;
// The longest password whose scrambled form fits in a value.
inline constexpr size_t kMaxPasswordLength = 141;

struct MailSettings {
    std::string name;
    std::string address;
    std::string login;
    std::string password;  // in clear
    std::string popServer;
    std::string smtpServer;
    char deleteMail = '0';  // '1': delete received mail on the server
    // Beyond the seven designed keys: TLS and SMTP log-in. Their defaults keep plain text.
    char popSecurity = '0';    // '0' none, '1' STLS, '2' TLS from the first byte
    char smtpSecurity = '0';   // '0' none, '1' STARTTLS, '2' TLS from the first byte
    char smtpAuth = '0';       // '1': log in to the SMTP server before MAIL FROM
    std::string smtpLogin;     // empty: the POP3 login name
    std::string smtpPassword;  // in clear; empty: the POP3 password
    std::string caFile;        // further trusted authorities (PEM)
};

enum class MailKey {
    kName,
    kAddress,
    kLogin,
    kPass,
    kPopServer,
    kSmtpServer,
    kDeleteMail,
    kPopSecurity,
    kSmtpSecurity,
    kSmtpAuth,
    kSmtpLogin,
    kSmtpPass,
    kCaFile,
    kCount
};

struct MailKeyEntry {
    MailKey key;
    std::string_view name;
    std::string_view defaultValue;
};

inline constexpr std::string_view kMailSection = "Mail";

// In the order of MailKey.
inline constexpr MailKeyEntry kMailKeys[] = {
    {MailKey::kName, "Name", ""},
    {MailKey::kAddress, "Address", ""},
    {MailKey::kLogin, "Login", ""},
    {MailKey::kPass, "Pass", ""},
    {MailKey::kPopServer, "POPServer", ""},
    {MailKey::kSmtpServer, "SMTPServer", ""},
    {MailKey::kDeleteMail, "DeleteMail", "0"},
    {MailKey::kPopSecurity, "POPSecurity", "0"},
    {MailKey::kSmtpSecurity, "SMTPSecurity", "0"},
    {MailKey::kSmtpAuth, "SMTPAuth", "0"},
    {MailKey::kSmtpLogin, "SMTPLogin", ""},
    {MailKey::kSmtpPass, "SMTPPass", ""},
    {MailKey::kCaFile, "CAFile", ""},
};
static_assert(std::size(kMailKeys) == static_cast<size_t>(MailKey::kCount));

std::string ScramblePassword(std::string_view password);
std::string UnscramblePassword(std::string_view stored);

// The value of a key of section "Mail" in a settings file's text, or nothing.
bool FindMailValue(std::string_view fileText, std::string_view key, std::string* value);

// The settings from a settings file's text (a missing key gives its default).
MailSettings ParseMailSettings(std::string_view fileText, int codePage);
// The settings file's text with all seven keys set from `settings`.
std::string UpdateMailSettings(std::string_view fileText, const MailSettings& settings,
                               int codePage);

// Reads the file (a missing or unreadable file gives the defaults).
MailSettings ReadMailSettings(platform::FileSystem& fs, const std::string& path, int codePage);
// Writes all seven keys; returns 0 or the system error number.
int WriteMailSettings(platform::FileSystem& fs, const std::string& path,
                      const MailSettings& settings, int codePage);

}  // namespace norv::mail
