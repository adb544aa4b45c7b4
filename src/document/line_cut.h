// Where a line too long for one record is cut: always between two characters.
//
// The loader cuts a line of the file that does not fit in a record (65534 bytes and the line
// feed) into pieces that carry LF_CONTINUED. A piece must hold whole characters, or each piece
// shows broken characters and an edit at the cut writes invalid text. EUC-JP and JIS are cut in
// the file's own bytes, before they are converted, so their cuts fall between characters of the
// raw code (never inside a pair, after 0x8E or 0x8F, or inside an escape sequence); the JIS
// shift state at a cut carries into the next piece. Shift-JIS and UTF-8 are cut where their
// characters end; a line cut by a guess that the detection later overruled is cut again in the
// document's own code once the code is known (RecutContinuedLines).
#pragma once

#include <cstddef>
#include <cstdint>

#include "document/codecs.h"
#include "document/line_list.h"

namespace norv::document {

enum class CutCode {
    kBytes,  // a code page without lead bytes: every byte is a character
    kSjis,   // a double-byte code page (lead bytes of the system code page)
    kUtf8,   // sequences of up to four bytes
    kEuc,    // EUC-JP: pairs, 0x8E kana, 0x8F triples
    kJis,    // ISO-2022-JP: escape sequences, kanji pairs, shift state
};

// The length of the longest prefix of [p, p + n) of at most `limit` bytes that ends between two
// characters of `code` (at least 1 when n and limit are). `codePage` gives the lead bytes of
// kSjis. For kJis, *shift is the state at p and becomes the state at the cut.
size_t CharCut(CutCode code, int codePage, const char* p, size_t n, size_t limit,
               JisShift* shift = nullptr);

// Whether [p, p + n) reads as `code` without an invalid sequence (a sequence cut by the end is
// not invalid): the loader's guess of the code of a long line before detection has decided it.
bool ReadsAs(CutCode code, const char* p, size_t n);

// Moves the bytes of a character split between two records of a continued line into the later
// record, so that every record holds whole characters of the internal code. Returns 0 when the
// heap has no memory (the text is then unchanged or whole).
int RecutContinuedLines(LineList& lines, CutCode code, int codePage);

}  // namespace norv::document
