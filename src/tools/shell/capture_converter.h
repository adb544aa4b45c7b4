// A program's console output, as it arrives in pieces, into a document's code.
//
// Programs write the locale's charset, UTF-8 (the "C" locale's ASCII is a part of it). Each
// UTF-8 character goes into the document's code page (one the code page lacks becomes "?"); a
// byte that is not part of a UTF-8 character is kept as it is, so a program that writes the
// document's own code (Shift-JIS, say) is shown as it wrote it. A character cut between two
// reads waits for the rest and is converted whole: the result never depends on where the
// output was cut. A UTF-8 document takes the bytes unchanged.
#pragma once

#include <string>
#include <string_view>

namespace norv::tools {

class CaptureConverter {
  public:
    explicit CaptureConverter(int documentCodePage) : codePage_(documentCodePage) {}

    // The converted text of `chunk`, less a character it ends inside of.
    std::string Feed(std::string_view chunk);
    // As Feed, appended to `out`.
    void FeedInto(std::string_view chunk, std::string& out);
    // The end of the output: a character left incomplete is kept as its bytes.
    std::string Finish();

  private:
    int codePage_;
    std::string held_;  // the start of a character cut at the end of the last chunk
};

// A read of the capture: a final 0x1A (end-of-file mark) is dropped from a read shorter than
// the `requested` bytes.
std::string_view DropFinalEofMark(std::string_view read, size_t requested);

}  // namespace norv::tools
