// One-line texts longer than a record, in every code, with the characters the input chooses
// placed across the first cut at the offset the input chooses: the load must cut between
// characters (every record whole characters of the text as held) and a save must give back
// the file byte for byte.
#include <iconv.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "document/document.h"
#include "platform/fakes/memory_file_system.h"

using namespace norv;

namespace {

std::string Iconv(const std::string& in, const char* from, const char* to, bool* ok) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) std::abort();
    std::string out(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char* dst = out.data();
    size_t room = out.size();
    size_t r = iconv(cd, &src, &left, &dst, &room);
    iconv(cd, nullptr, nullptr, &dst, &room);
    iconv_close(cd);
    *ok = r != static_cast<size_t>(-1) && left == 0;
    out.resize(out.size() - room);
    return out;
}

struct Code {
    const char* iconvName;
    const char* mark;
    bool beyondBmp;
    bool halfKana;
    size_t unit;  // bytes of a code unit
    // UTF-16 without a mark is recognised only with line ends: the file ends in one.
    bool endsInLineEnd;
};

const Code kCodes[] = {
    {"UTF-8", "", true, true, 1, false},
    {"CP932", "", false, true, 1, false},
    {"EUC-JP-MS", "", false, true, 1, false},
    {"ISO-2022-JP", "", false, false, 1, false},
    {"UTF-16LE", "\xFF\xFE", true, true, 2, false},
    {"UTF-16BE", "\xFE\xFF", true, true, 2, false},
    {"UTF-16LE", "", true, true, 2, true},
    {"UTF-16BE", "", true, true, 2, true},
};
constexpr size_t kCodeCount = sizeof kCodes / sizeof kCodes[0];

const char* const kChars[] = {"a",  " ", "~",  "あ", "ン", "漢", "。",
                              "Ａ", "∀", "〒", "ｱ",  "ﾟ",  "𠮷", "😀"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    static platform::MemoryFileSystem fs;
    static document::LineHeap heap;
    const Code& code = kCodes[data[0] % kCodeCount];
    const size_t offset = (size_t{data[1]} | (size_t{data[2]} << 8)) % 400;
    std::string text;
    for (size_t i = 3; i < size; ++i) {
        const char* c = kChars[data[i] % 14];
        bool bmp = data[i] % 14 < 12;
        bool half = data[i] % 14 == 10 || data[i] % 14 == 11;
        if ((!bmp && !code.beyondBmp) || (half && !code.halfKana)) c = "x";
        text += c;
    }
    // The chosen characters start `offset` bytes before the limit of the first record, and the
    // line goes on past it.
    bool ok = true;
    std::string body;
    if (std::string(code.iconvName) == "ISO-2022-JP")
        body = Iconv(Iconv(text, "UTF-8", "EUC-JP", &ok), "EUC-JP", "ISO-2022-JP", &ok);
    else
        body = Iconv(text, "UTF-8", code.iconvName, &ok);
    if (!ok) return 0;
    std::string filler = Iconv(std::string(70000, 'b'), "UTF-8", code.iconvName, &ok);
    const size_t unit = code.unit;
    size_t lead = (65534 - offset) / unit * unit;
    std::string file = code.mark + filler.substr(0, lead) + body + filler.substr(0, 2000 * unit);
    if (code.endsInLineEnd) file += Iconv("\n", "UTF-8", code.iconvName, &ok);
    fs.files["/f"] = file;
    document::DocumentEnvironment env;
    env.fs = &fs;
    env.heap = &heap;
    env.codePage = 932;
    env.save.trashOutGen = 0;
    env.readBlockBytes = 4096;
    {
        document::CElwDoc doc(env);
        if (doc.OpenDocument("/f") != 1) std::abort();
        if (code.endsInLineEnd && doc.code != document::TextCode::kUcs2Le &&
            doc.code != document::TextCode::kUcs2Be)
            std::abort();  // UTF-16 without a mark not recognised
        const bool utf8 = document::IsUnicodeFamily(doc.code);
        for (const auto* r = doc.lines().first(); r; r = r->next) {
            std::string t(r->text(), r->contentLength());
            Iconv(t, utf8 ? "UTF-8" : "CP932", "UTF-16LE", &ok);
            if (!ok) std::abort();  // a record holds a broken character
        }
        if (doc.SaveDocument("/g") != 1) std::abort();
        if (fs.files["/g"] != file) std::abort();  // not written back as it was
    }
    return 0;
}
