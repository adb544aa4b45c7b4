// The option letters of the search objects.
#include "search/find_options.h"

namespace norv::search {

std::string BuildOptionString(const FindOptions& options) {
    std::string out;
    for (const OptionLetter& o : kOptionLetters)
        if (options.*o.field) out += o.letter;
    return out;
}

bool ParseOptionString(std::string_view text, FindOptions* options) {
    for (const OptionLetter& o : kOptionLetters)
        options->*o.field = text.find(o.letter) != std::string_view::npos;
    return text.find(kAllLetter) != std::string_view::npos;
}

}  // namespace norv::search
