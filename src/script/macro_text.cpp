// The key macro as script text (see macro_text.h).
#include "script/macro_text.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/code_page.h"
#include "script/address_space.h"
#include "script/image.h"
#include "script/key_macro.h"
#include "script/lexer.h"
#include "script/opcodes.h"

namespace norv::script {

namespace {

bool NeedsChr(uint8_t b) {
    return b < 0x20 || b == 0x7F || b == '"';
}

// The text at a script address inside the image's data segment, up to its NUL; nullopt when the
// address is outside the segment or the text has no NUL before the segment ends. 0 is the empty
// text, as a null reference reads everywhere else.
std::optional<std::string_view> TextAt(std::string_view data, uint32_t address) {
    if (address == 0) return std::string_view();
    if (address < kDataBase || address - kDataBase >= data.size()) return std::nullopt;
    const std::string_view rest = data.substr(address - kDataBase);
    const size_t nul = rest.find('\0');
    if (nul == std::string_view::npos) return std::nullopt;
    return rest.substr(0, nul);
}

}  // namespace

std::string ScriptTextExpression(std::string_view bytes, int codePage) {
    if (bytes.empty()) return "\"\"";
    std::string out;
    bool inQuote = false;
    size_t pieceBytes = 0;
    auto join = [&] {
        if (!out.empty()) out += " + ";
    };
    auto closeQuote = [&] {
        if (inQuote) out.push_back('"');
        inQuote = false;
    };
    for (size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        if (NeedsChr(b)) {
            closeQuote();
            join();
            out += "Chr(" + std::to_string(b) + ")";
            ++i;
            continue;
        }
        // A lead byte and its trail byte go into one piece; a lead byte without a trail that
        // can stand in a literal is a byte of its own.
        size_t len = 1;
        if (platform::IsLeadByte(codePage, b) && i + 1 < bytes.size() &&
            !NeedsChr(static_cast<uint8_t>(bytes[i + 1])))
            len = 2;
        if (inQuote && pieceBytes + len > kTokenTextMax) closeQuote();
        if (!inQuote) {
            join();
            out.push_back('"');
            inQuote = true;
            pieceBytes = 0;
        }
        out.append(bytes.substr(i, len));
        pieceBytes += len;
        i += len;
    }
    closeQuote();
    return out;
}

MacroText MacroToText(std::string_view image, int codePage) {
    MacroText out;
    out.text = kMacroTextHead;
    const std::optional<ImageHeader> header = ParseHeader(image);
    if (!header) {
        out.text += kMacroTextEnd;
        out.complete = false;
        return out;
    }
    // Only what the image holds is read, whatever its header claims.
    const size_t codeEnd = std::min<size_t>(header->codeSize, image.size());
    const size_t dataEnd = std::min<size_t>(codeEnd + size_t{header->dataSize}, image.size());
    const std::string_view data =
        codeEnd <= image.size() ? image.substr(codeEnd, dataEnd - codeEnd) : std::string_view();
    const auto* code = reinterpret_cast<const uint8_t*>(image.data());

    std::vector<uint32_t> values;
    bool failed = false;
    size_t pc = kHeaderSize;
    while (pc < codeEnd) {
        const uint8_t op = code[pc];
        if (op == static_cast<uint8_t>(Op::kHalt)) break;
        if (op == static_cast<uint8_t>(Op::kPop)) {
            ++pc;
            continue;
        }
        if (op != static_cast<uint8_t>(Op::kPushI) && op != static_cast<uint8_t>(Op::kCallB)) {
            failed = true;
            break;
        }
        if (codeEnd - pc < 5) {
            failed = true;
            break;
        }
        const uint32_t operand = ReadLe32(code + pc + 1);
        pc += 5;
        if (op == static_cast<uint8_t>(Op::kPushI)) {
            values.push_back(operand);
            continue;
        }
        const MacroForm* form =
            operand <= 0x7FFFFFFF ? MacroFormOf(static_cast<int>(operand)) : nullptr;
        if (form == nullptr || values.size() != form->args.size()) {
            failed = true;
            break;
        }
        // The values were pushed last first.
        std::string line = "\t";
        line += form->name;
        line += '(';
        bool ok = true;
        for (size_t k = 0; k < form->args.size(); ++k) {
            const uint32_t v = values[values.size() - 1 - k];
            if (k > 0) line += ", ";
            switch (static_cast<MacroArg>(form->args[k])) {
                case MacroArg::kText: {
                    const std::optional<std::string_view> t = TextAt(data, v);
                    if (!t) {
                        ok = false;
                        break;
                    }
                    line += ScriptTextExpression(*t, codePage);
                    break;
                }
                case MacroArg::kNumber:
                    line += std::to_string(static_cast<int32_t>(v));
                    break;
                case MacroArg::kBoolean:
                    line += v != 0 ? "True" : "False";
                    break;
                case MacroArg::kHex: {
                    char hex[16];
                    std::snprintf(hex, sizeof hex, "&H%x", v);
                    line += hex;
                    break;
                }
            }
            if (!ok) break;
        }
        if (!ok) {
            failed = true;
            break;
        }
        line += ")\n";
        out.text += line;
        values.clear();
    }
    out.text += kMacroTextEnd;
    out.complete = !failed;
    return out;
}

}  // namespace norv::script
