// Text written as UTF-8 in a test's source, put into each code the loader reads, with a chosen
// line end, and the lines a document of such a file holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/char_model.h"
#include "document/codecs.h"
#include "document/document.h"
#include "document/line_heap.h"

namespace norv::testing {

enum class FileCode { Sjis, Euc, Jis, Utf8, Utf8Bom, Ucs2LeBom, Ucs2BeBom, Utf16Le, Utf16Be };

inline constexpr FileCode kEveryFileCode[] = {
    FileCode::Sjis,      FileCode::Euc,     FileCode::Jis,
    FileCode::Utf8,      FileCode::Utf8Bom, FileCode::Ucs2LeBom,
    FileCode::Ucs2BeBom, FileCode::Utf16Le, FileCode::Utf16Be};

inline const char* FileCodeName(FileCode c) {
    static const char* const kNames[] = {"sjis",      "euc",       "jis",     "utf8",   "utf8bom",
                                         "ucs2lebom", "ucs2bebom", "utf16le", "utf16be"};
    return kNames[static_cast<int>(c)];
}

// The code the loader gives such a file.
inline document::TextCode LoadedCode(FileCode c) {
    using document::TextCode;
    switch (c) {
        case FileCode::Sjis:
            return TextCode::Ansi;
        case FileCode::Euc:
            return TextCode::Euc;
        case FileCode::Jis:
            return TextCode::Jis;
        case FileCode::Utf8:
        case FileCode::Utf8Bom:
            return TextCode::Utf8;
        case FileCode::Ucs2LeBom:
        case FileCode::Utf16Le:
            return TextCode::Ucs2Le;
        default:
            return TextCode::Ucs2Be;
    }
}

inline void PutUnits(std::string& out, const std::u16string& units, bool bigEndian) {
    for (char16_t u : units) {
        const auto lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    }
}

// `utf8` (lines ended by "\n") in `code`, each line end written as `eol` ("\n", "\r\n", "\r").
inline std::string EncodeText(FileCode code, std::string_view utf8, std::string_view eol) {
    std::string out;
    const bool wide = code == FileCode::Ucs2LeBom || code == FileCode::Ucs2BeBom ||
                      code == FileCode::Utf16Le || code == FileCode::Utf16Be;
    const bool be = code == FileCode::Ucs2BeBom || code == FileCode::Utf16Be;
    if (code == FileCode::Utf8Bom) out += "\xEF\xBB\xBF";
    if (code == FileCode::Ucs2LeBom) out += "\xFF\xFE";
    if (code == FileCode::Ucs2BeBom) out += "\xFE\xFF";
    size_t start = 0;
    for (;;) {
        const size_t nl = utf8.find('\n', start);
        const std::string_view line =
            utf8.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
        std::string sjis;
        switch (code) {
            case FileCode::Sjis:
                document::Utf8ToAnsi(out, line, 932);
                break;
            case FileCode::Euc:
                document::Utf8ToAnsi(sjis, line, 932);
                document::SjisToEuc(out, sjis);
                break;
            case FileCode::Jis:
                document::Utf8ToAnsi(sjis, line, 932);
                document::SjisToJis(out, sjis);
                break;
            case FileCode::Utf8:
            case FileCode::Utf8Bom:
                out += line;
                break;
            default: {
                std::u16string units;
                document::Utf8ToUcs2(units, line);
                PutUnits(out, units, be);
            }
        }
        if (nl == std::string_view::npos) break;
        if (wide) {
            std::u16string units;
            document::Utf8ToUcs2(units, eol);
            PutUnits(out, units, be);
        } else {
            out += eol;
        }
        start = nl + 1;
    }
    return out;
}

// A document opened from a file as the editor opens it.
struct OpenedFile {
    explicit OpenedFile(const std::string& path) {
        env.heap = &heap;
        env.codePage = 932;
        doc = std::make_unique<document::CElwDoc>(env);
        ok = doc->OpenDocument(path, document::CodeChoice::Default) == 1;
    }
    // The document's lines in UTF-8, the first at [0].
    std::vector<std::string> Utf8Lines() const {
        std::vector<std::string> out;
        const bool utf8 = document::IsUnicodeFamily(doc->code);
        for (const document::LineRecord* r = doc->lines().first(); r; r = r->next) {
            std::string line(r->text(), r->contentLength());
            std::string u;
            if (utf8)
                u = line;
            else
                document::AnsiToUtf8(u, line, 932);
            out.push_back(u);
        }
        return out;
    }
    // The 1-based numbers of the lines where `literal` (in the document's internal code)
    // begins at a character boundary.
    std::vector<uint64_t> LinesHolding(std::string_view literal) const {
        std::vector<uint64_t> out;
        const int cp = document::IsUnicodeFamily(doc->code) ? 65001 : 932;
        uint64_t n = 1;
        for (const document::LineRecord* r = doc->lines().first(); r; r = r->next, ++n) {
            const char* p = r->text();
            const char* end = p + r->contentLength();
            for (const char* q = p; q + literal.size() <= end;
                 q += document::CharLength(cp, q, end)) {
                if (std::string_view(q, literal.size()) == literal) {
                    out.push_back(n);
                    break;
                }
            }
        }
        return out;
    }

    document::LineHeap heap;
    document::DocumentEnvironment env;
    std::unique_ptr<document::CElwDoc> doc;
    bool ok = false;
};

}  // namespace norv::testing
