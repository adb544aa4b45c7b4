// Compile errors of the script language: their numbers and the fixed texts the user sees.
// Only the first error of a compilation is kept, with the file and the 1-based line where it
// was found.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace norv::script {

enum class ErrorCode : int {
    kSyntax = 0,
    kUnexpectedEof = 1,
    kConstantTooLong = 2,
    kIllegalDataType = 3,
    kIllegalValue = 4,
    kUndefinedSymbol = 5,
    kTypeMismatch = 6,
    kRightParenExpected = 7,
    kMustBeConstant = 8,
    kExtraCharacters = 9,
    kAlreadyDefined = 10,
    kIllegalExpression = 11,
    kIllegalReference = 12,
    kUnexpectedError = 13,
    kArgumentCount = 14,
    kNoReturnValue = 15,
    kThenExpected = 16,
    kEndIfExpected = 17,
    kNotAssignable = 18,
    kNoMain = 19,
    kWhileUntilExpected = 20,
    kCaseExpected = 21,
    kFileNotFound = 22,
    kStaticStringArgument = 23,
    kCount = 24,
};

inline constexpr std::array<std::string_view, 24> kErrorTexts{{
    "Syntax error.",
    "Unexpected EOF.",
    "Constant too long.",
    "Illegal data type.",
    "Illegal value.",
    "Undefined symbol.",
    "Cannot carry out an operation between different type.",
    "Right parenthesys is expected.",
    "It must be constant.",
    "Extra characters on line.",
    "Already defined elsewhere.",
    "Illegal expression.",
    "Illegal reference.",
    "Unexpected error occured.",
    "The number of argument is not proper.",
    "This function has no return value.",
    "'Then' statement is expected.",
    "'End If' statement is expected.",
    "Assignment to this property is not permitted.",
    "'Main' procedure is not found.",
    "'While' or 'Until' statement expected.",
    "'Case' statement is expected.",
    "File not found",
    "Static strings cannot be passed to user routines\nSet them to local strings first.",
}};
static_assert(kErrorTexts.size() == static_cast<size_t>(ErrorCode::kCount));

constexpr std::string_view ErrorText(ErrorCode code) {
    return kErrorTexts[static_cast<size_t>(code)];
}

// The first error of a compilation: where it was found and what it is.
struct CompileError {
    ErrorCode code = ErrorCode::kSyntax;
    std::string file;  // full path of the file being read
    int line = 0;      // 1-based
    std::string_view text() const { return ErrorText(code); }
};

}  // namespace norv::script
