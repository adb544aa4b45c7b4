// The envelope of a sent message: who it goes to and the addresses in the SMTP commands.
//
// The recipients are the pieces of To, Cc and Bcc (in that order) split at ",", each cut before
// its first "(" (a comment), blank pieces skipped. A command carries an address from its first
// "<" on, or the whole piece when it has none.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norv::mail {

std::vector<std::string> RecipientList(std::string_view to, std::string_view cc,
                                       std::string_view bcc);

std::string_view CommandAddress(std::string_view text);

// True when the text holds a CR or LF, which would end an SMTP command or a header line.
bool HoldsLineBreak(std::string_view text);

}  // namespace norv::mail
