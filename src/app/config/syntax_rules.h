// The colouring rules of one document, taken from the keyword file: the groups whose file types
// match the document's file name, their keywords, and the comment blocks.
#pragma once

#include <string_view>

#include "app/config/keyword_file.h"
#include "view/syntax.h"

namespace norv::app {

view::SyntaxRules SyntaxRulesFor(const KeywordFile& file, std::string_view path,
                                 int systemCodePage);

}  // namespace norv::app
