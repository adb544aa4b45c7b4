// What a server offers, from its reply to POP3 "CAPA" or SMTP "EHLO".
//
// CAPA lists one capability per line (its first word is the name); an EHLO reply's lines carry
// a keyword each after the code ("250-STARTTLS", "250 AUTH PLAIN LOGIN"). Names compare
// without regard to case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norv::mail {

bool CapaOffers(const std::vector<std::string>& lines, std::string_view name);

struct EhloOffer {
    bool startTls = false;
    bool authPlain = false;
    bool authLogin = false;
};
EhloOffer ParseEhloReply(const std::vector<std::string>& lines);

}  // namespace norv::mail
