// Compiling a plain search string into folded character codes.
#include "search/plain_matcher.h"

#include <string>

#include "editing/escape_sequences.h"

namespace norv::search {

size_t PlainMatcher::Compile(std::string_view searchString, int codePage, const FoldOptions& fold) {
    codes_.clear();
    cursor_ = 0;
    const std::string bytes = editing::DecodeEscapes(searchString, codePage);
    for (size_t i = 0; i < bytes.size();) {
        size_t len = 1;
        CharCode code = DecodeChar(fold.encoding, bytes, i, &len);
        i += len;
        if (std::optional<CharCode> folded = FoldPatternCode(fold, code)) codes_.push_back(*folded);
    }
    return codes_.size();
}

}  // namespace norv::search
