// Deciding a file's character code and reading its lines as a document of it holds them.
//
// This is the loader's reading, apart from the document: OpenDocument hands the lines to the
// document's line list, find in files hands them to its search, and both decide the code with
// the same steps over the same bytes, so a file searched and the same file opened agree on its
// code, its lines and their text.
//
// The steps, in order: a code forced by the open dialog; a byte-order mark (the code at once);
// UTF-16 without a mark (tested on the first 256 KB, a unit no text holds sends the file back
// to the byte codes); then line by line the EUC-JP and JIS trials while their detection is on
// (the first good guess converts the rest of the file, an early bad guess switches that
// detection off and may read the file again without conversion); and the UTF-8 test over the
// raw bytes, which decides only at the end of the file, since one malformed byte anywhere makes
// the file the system code page. Lines are at most 65,534 bytes and a line feed, cut between
// characters; UTF-16 lines at most 32,767 units.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "document/codecs.h"
#include "document/document.h"
#include "document/file_reader.h"
#include "document/line_cut.h"
#include "document/text_code.h"

namespace norv::document {

// Where the decoded lines go.
class DecodedLineSink {
  public:
    virtual ~DecodedLineSink() = default;
    // One record's text (in the internal code, without its line feed) and its flags (the line
    // end read, LF_CONTINUED for a cut). False stops the reading.
    virtual bool Line(const char* data, size_t length, uint8_t flags) = 0;
    // The lines handed so far are void: the file is read again from its start. False stops.
    virtual bool Restart() = 0;
};

class FileDecoder {
  public:
    FileDecoder(const LoadSettings& settings, CodeChoice choice, int codePage);

    enum class Outcome : uint8_t {
        kDone,
        kStopped,     // the sink said stop
        kOpenFailed,  // reading the file again failed (openError)
    };

    // Reads the file from `reader`, opened at its start; `reopen` opens it again (returns 0 or
    // the system error number) when the reading starts over.
    // Sink is DecodedLineSink or a class with the same two members (Line, Restart); the
    // template's body is in file_decoder_read.h.
    template <class Sink = DecodedLineSink>
    Outcome Read(MappedFileReader& reader, const std::function<int(MappedFileReader&)>& reopen,
                 Sink& sink);

    // With this set, Read ends as soon as the code can no longer change, and hands no lines.
    bool decideOnly = false;

    // After Read.
    TextCode code = TextCode::kAnsi;
    bool bom = true;  // the document's flag: write a mark when saving in a Unicode code
    bool endsWithEol = false;
    uint64_t crlf = 0, lf = 0, cr = 0;
    int eucLines = 0, jisLines = 0;
    // Lines of a byte code cut for their length (the pieces carry LF_CONTINUED).
    uint64_t cutLines = 0;
    int openError = 0;

  private:
    enum class Pass { kDone, kRestart, kStopped, kDecided };
    template <class Sink>
    Pass ReadBytes(MappedFileReader& reader, bool convert, Sink& sink);
    template <class Sink>
    Pass ReadUcs2(MappedFileReader& reader, bool swap, bool guessed, Sink& sink);
    CutCode CutFor(MappedFileReader& reader, const ReadLine& line, bool convert);
    bool Decided() const;

    LoadSettings settings_;
    CodeChoice choice_;
    int codePage_;
    bool euc_ = false;
    bool jis_ = false;
    Utf8Scanner utf8_;
    // The JIS shift state at the end of the previous piece of a line cut for its length.
    JisShift jisShift_ = JisShift::kAscii;
};

// The code OpenDocument gives the file, decided from its bytes without loading it (memory
// stays bounded whatever its size). `reader` is opened at the file's start; `reopen` as above.
// Nothing when the file cannot be read again.
std::optional<TextCode> DecideTextCode(MappedFileReader& reader,
                                       const std::function<int(MappedFileReader&)>& reopen,
                                       const LoadSettings& settings, int codePage,
                                       CodeChoice choice = CodeChoice::kDefault);

// The choice of the code list that reads a file in `code` without detection.
CodeChoice ChoiceForCode(TextCode code);

}  // namespace norv::document
