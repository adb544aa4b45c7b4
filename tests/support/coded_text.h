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

enum class FileCode {
    kSjis,
    kEuc,
    kJis,
    kUtf8,
    kUtf8Bom,
    kUcs2LeBom,
    kUcs2BeBom,
    kUtf16Le,
    kUtf16Be
};

inline constexpr FileCode kEveryFileCode[] = {
    FileCode::kSjis,      FileCode::kEuc,     FileCode::kJis,
    FileCode::kUtf8,      FileCode::kUtf8Bom, FileCode::kUcs2LeBom,
    FileCode::kUcs2BeBom, FileCode::kUtf16Le, FileCode::kUtf16Be};

inline const char* FileCodeName(FileCode c) {
    static const char* const kNames[] = {"sjis",      "euc",       "jis",     "utf8",   "utf8bom",
                                         "ucs2lebom", "ucs2bebom", "utf16le", "utf16be"};
    return kNames[static_cast<int>(c)];
}

// The code the loader gives such a file.
inline document::TextCode LoadedCode(FileCode c) {
    using document::TextCode;
    switch (c) {
        case FileCode::kSjis:
            return TextCode::kAnsi;
        case FileCode::kEuc:
            return TextCode::kEuc;
        case FileCode::kJis:
            return TextCode::kJis;
        case FileCode::kUtf8:
        case FileCode::kUtf8Bom:
            return TextCode::kUtf8;
        case FileCode::kUcs2LeBom:
        case FileCode::kUtf16Le:
            return TextCode::kUcs2Le;
        default:
            return TextCode::kUcs2Be;
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
    const bool wide = code == FileCode::kUcs2LeBom || code == FileCode::kUcs2BeBom ||
                      code == FileCode::kUtf16Le || code == FileCode::kUtf16Be;
    const bool be = code == FileCode::kUcs2BeBom || code == FileCode::kUtf16Be;
    if (code == FileCode::kUtf8Bom) out += "\xEF\xBB\xBF";
    if (code == FileCode::kUcs2LeBom) out += "\xFF\xFE";
    if (code == FileCode::kUcs2BeBom) out += "\xFE\xFF";
    size_t start = 0;
    for (;;) {
        const size_t nl = utf8.find('\n', start);
        const std::string_view line =
            utf8.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
        std::string sjis;
        switch (code) {
            case FileCode::kSjis:
                document::Utf8ToAnsi(out, line, 932);
                break;
            case FileCode::kEuc:
                document::Utf8ToAnsi(sjis, line, 932);
                document::SjisToEuc(out, sjis);
                break;
            case FileCode::kJis:
                document::Utf8ToAnsi(sjis, line, 932);
                document::SjisToJis(out, sjis);
                break;
            case FileCode::kUtf8:
            case FileCode::kUtf8Bom:
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
        ok = doc->OpenDocument(path, document::CodeChoice::kDefault) == 1;
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
