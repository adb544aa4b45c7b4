// The header decoder and the ISO-2022-JP decoder on any line: neither makes a text longer, and
// the encoder's output decodes back to a text the decoder accepts.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>

#include "mail/mail_jis.h"
#include "mail/mime_header.h"

using namespace norv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    for (const int cp : {932, 1252}) {
        const std::string header = mail::DecodeHeader(in, cp);
        assert(header.size() <= in.size() && "decoding never lengthens a header line");
        std::string sjis;
        mail::AppendIso2022JpAsSjis(sjis, in, cp);
        assert(sjis.size() <= in.size() && "decoding never lengthens a body line");
        std::string jis;
        mail::AppendSjisAsIso2022Jp(jis, in, cp);
        if (cp == 932) {
            for (const char c : jis)
                assert(static_cast<unsigned char>(c) < 0x80 && "sent mail is 7-bit");
        }
        const std::string encoded = mail::EncodeHeader(in, cp);
        (void)mail::DecodeHeader(encoded, cp);
    }
    return 0;
}
