// The option letters of find in files.
#include "search/grep_options.h"

namespace norv::search {

std::string BuildGrepOptionString(const GrepOptions& options) {
    std::string out;
    for (const GrepOptionLetter& o : kGrepOptionLetters)
        if (options.*o.field) out += o.letter;
    return out;
}

GrepOptions ParseGrepOptionString(std::string_view text) {
    GrepOptions options;
    for (const GrepOptionLetter& o : kGrepOptionLetters)
        options.*o.field = text.find(o.letter) != std::string_view::npos;
    return options;
}

}  // namespace norv::search
