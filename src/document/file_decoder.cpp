// The loader's reading of a file: code detection and lines in the internal code (see
// file_decoder.h).
#include "document/file_decoder.h"

#include <string>
#include <vector>

#include "document/document_limits.h"
#include "document/file_decoder_read.h"
#include "document/utf16_guess.h"

namespace norv::document {

FileDecoder::FileDecoder(const LoadSettings& settings, CodeChoice choice, int codePage)
    : settings_(settings), choice_(choice), codePage_(codePage) {}

// Whether nothing later in the file can change the code: a mark or a forced code, EUC-JP after
// its second converted line, JIS after its first, or the system code page once neither trial
// can convert and the UTF-8 test has failed.
bool FileDecoder::Decided() const {
    switch (code) {
        case TextCode::kEuc:
            return eucLines >= 2;
        case TextCode::kJis:
            return jisLines >= 1;
        case TextCode::kAnsi:
            return !euc_ && !jis_ && (!settings_.utf8Read || utf8_.malformed());
        default:
            return !euc_ && !jis_;
    }
}

// The code by whose characters a line too long for a record is cut. EUC-JP and JIS are cut in
// their own bytes while their detection may still convert the line; otherwise the cut follows
// UTF-8 while the file still reads as UTF-8, else the code page. A guess that the detection
// overrules later is mended once the code is known.
CutCode FileDecoder::CutFor(MappedFileReader& reader, const ReadLine& line, bool convert) {
    if (convert && jis_ &&
        (jisShift_ != JisShift::kAscii || code == TextCode::kJis || reader.HasEscOrSo(line)))
        return CutCode::kJis;
    if (convert && euc_ &&
        (code == TextCode::kEuc || ReadsAs(CutCode::kEuc, line.data, line.available)))
        return CutCode::kEuc;
    if (code == TextCode::kUtf8 || (settings_.utf8Read && !utf8_.malformed() &&
                                    ReadsAs(CutCode::kUtf8, line.data, line.available)))
        return CutCode::kUtf8;
    return CutCode::kSjis;
}

template FileDecoder::Outcome FileDecoder::Read<DecodedLineSink>(
    MappedFileReader&, const std::function<int(MappedFileReader&)>&, DecodedLineSink&);

namespace {

class NoLines : public DecodedLineSink {
  public:
    bool Line(const char*, size_t, uint8_t) override { return true; }
    bool Restart() override { return true; }
};

}  // namespace

std::optional<TextCode> DecideTextCode(MappedFileReader& reader,
                                       const std::function<int(MappedFileReader&)>& reopen,
                                       const LoadSettings& settings, int codePage,
                                       CodeChoice choice) {
    FileDecoder decoder(settings, choice, codePage);
    decoder.decideOnly = true;
    NoLines none;
    if (decoder.Read(reader, reopen, none) != FileDecoder::Outcome::kDone) return std::nullopt;
    return decoder.code;
}

CodeChoice ChoiceForCode(TextCode code) {
    switch (code) {
        case TextCode::kEuc:
            return CodeChoice::kEuc;
        case TextCode::kJis:
            return CodeChoice::kJis;
        case TextCode::kUcs2Le:
            return CodeChoice::kUnicode;
        case TextCode::kUcs2Be:
            return CodeChoice::kUnicodeBe;
        case TextCode::kUtf8:
            return CodeChoice::kUtf8;
        default:
            return CodeChoice::kAnsi;
    }
}

}  // namespace norv::document
