// Recipient lists and command addresses.
#include "mail/recipients.h"

namespace norv::mail {
namespace {

bool IsBlank(std::string_view s) {
    return s.find_first_not_of(" \t") == std::string_view::npos;
}

void AddPieces(std::vector<std::string>& list, std::string_view text) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) comma = text.size();
        std::string_view piece = text.substr(start, comma - start);
        piece = piece.substr(0, piece.find('('));
        if (!IsBlank(piece)) list.emplace_back(piece);
        start = comma + 1;
    }
}

}  // namespace

std::vector<std::string> RecipientList(std::string_view to, std::string_view cc,
                                       std::string_view bcc) {
    std::vector<std::string> list;
    AddPieces(list, to);
    AddPieces(list, cc);
    AddPieces(list, bcc);
    return list;
}

std::string_view CommandAddress(std::string_view text) {
    const size_t lt = text.find('<');
    return lt == std::string_view::npos ? text : text.substr(lt);
}

bool HoldsLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace norv::mail
