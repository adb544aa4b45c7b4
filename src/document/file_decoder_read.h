// The decoder's reading, a template over the sink so that the loader's per-line step is
// inlined into the loop; file_decoder.cpp instantiates it for the abstract sink, and a reader
// with a sink of its own includes this file and instantiates it for that one.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "document/document_limits.h"
#include "document/file_decoder.h"
#include "document/utf16_guess.h"

namespace norv::document {

template <class Sink>
FileDecoder::Pass FileDecoder::ReadBytes(MappedFileReader& reader, bool convert, Sink& sink) {
    // The converted line; made only when a line is converted (most files need none).
    std::unique_ptr<char[]> workBuffer;
    auto work = [&workBuffer] {
        if (!workBuffer) workBuffer = std::make_unique_for_overwrite<char[]>(65539);
        return workBuffer.get();
    };
    ReadLine line;
    jisShift_ = JisShift::kAscii;
    for (;;) {
        // The reader tells of the bytes the decoder still looks for.
        reader.Classes(convert && euc_, convert && jis_);
        if (!reader.Next(line)) break;
        if (line.cut) {
            ++cutLines;
            JisShift shift = jisShift_;
            CutCode cut = CutFor(reader, line, convert);
            reader.ShortenCut(
                line, CharCut(cut, codePage_, line.data, line.available, line.length, &shift));
        }
        const char* data = line.data;
        size_t len = line.length;
        bool converted = false;
        const JisShift carried = jisShift_;
        jisShift_ = JisShift::kAscii;
        // A line without a byte from 0x80 reads the same in every code but JIS.
        if (convert && euc_ && (line.highBytes || !line.highKnown)) {
            size_t outLen = 0;
            int r = EucToSjis(work(), data, len, &outLen);
            if (r == 1) {
                code = TextCode::kEuc;
                jis_ = false;
                ++eucLines;
                data = workBuffer.get();
                len = outLen;
                converted = true;
            } else if (r < 0 && eucLines < 2) {
                euc_ = false;
                if (code == TextCode::kEuc) return Pass::kRestart;
            }
        }
        if (convert && !converted && jis_ &&
            (carried != JisShift::kAscii || reader.HasEscOrSo(line))) {
            size_t outLen = 0;
            JisShift shift = carried;
            int r = JisToSjisFrom(work(), data, len, &outLen, &shift);
            // Only a piece that a cut ends may stop in kanji state.
            if (r >= 0 && !line.cut && shift == JisShift::kKanji) r = -1;
            if (r >= 0 && line.cut) jisShift_ = shift;
            if (r == 1) {
                code = TextCode::kJis;
                euc_ = false;
                ++jisLines;
                data = workBuffer.get();
                len = outLen;
                converted = true;
            } else if (r < 0 && jisLines == 0) {
                jis_ = false;
                if (code == TextCode::kJis) return Pass::kRestart;
            }
        }
        if (decideOnly) {
            if (Decided()) return Pass::kDecided;
            continue;
        }
        const auto flags = static_cast<uint8_t>(line.kind | (line.cut ? LF_CONTINUED : 0) |
                                                (line.crcrlf ? LF_EOL_CRCRLF : 0));
        if (!sink.Line(data, len, flags)) return Pass::kStopped;
    }
    crlf = reader.crlfCount;
    lf = reader.lfCount;
    cr = reader.crCount;
    return Pass::kDone;
}

template <class Sink>
FileDecoder::Pass FileDecoder::ReadUcs2(MappedFileReader& reader, bool swap, bool guessed,
                                        Sink& sink) {
    constexpr size_t kMaxContent = kMaxLineBytes - 1;
    constexpr size_t kMaxUnits = 32767;  // code units of one record
    // The record being built, in UTF-8, with room for one more character past the limit.
    std::vector<char> line(kMaxContent + 8);
    size_t length = 0;
    size_t units = 0;
    char16_t pendingHigh = 0;
    bool pendingCr = false;
    int lines = 0;
    bool stopped = false;

    auto flush = [&](uint8_t flags) -> bool {
        ++lines;
        units = 0;
        if (decideOnly) return true;
        if (!sink.Line(line.data(), length, flags)) stopped = true;
        return !stopped;
    };
    // Puts one code point as UTF-8, cutting the line first when it would grow too long.
    auto put = [&](uint32_t cp) -> bool {
        const size_t n = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
        // A surrogate pair is one character: both units go into the same record.
        const size_t u = n == 4 ? 2 : 1;
        if (length + n > kMaxContent || units + u > kMaxUnits) [[unlikely]] {
            if (!flush(LF_CONTINUED)) return false;
            length = 0;
        }
        char* o = line.data() + length;
        switch (n) {
            case 1:
                o[0] = static_cast<char>(cp);
                break;
            case 2:
                o[0] = static_cast<char>(0xC0 | (cp >> 6));
                o[1] = static_cast<char>(0x80 | (cp & 0x3F));
                break;
            case 3:
                o[0] = static_cast<char>(0xE0 | (cp >> 12));
                o[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                o[2] = static_cast<char>(0x80 | (cp & 0x3F));
                break;
            default:
                o[0] = static_cast<char>(0xF0 | (cp >> 18));
                o[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
                o[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                o[3] = static_cast<char>(0x80 | (cp & 0x3F));
                break;
        }
        length += n;
        units += u;
        return true;
    };
    bool unfit = false;  // a guessed file holds a unit that no text holds
    auto putPendingHigh = [&]() -> bool {
        if (!pendingHigh) return true;
        if (guessed) unfit = true;
        char16_t h = pendingHigh;
        pendingHigh = 0;
        return put(h);  // a lone surrogate stays a 3-byte sequence
    };
    auto endLine = [&](uint8_t kind) -> bool {
        if (!putPendingHigh()) return false;
        if (!flush(kind)) return false;
        length = 0;
        return true;
    };

    std::vector<char> chunk(1u << 16);
    size_t carry = 0;  // an odd byte left from the previous chunk
    for (;;) {
        size_t n = reader.ReadRaw(chunk.data() + carry, chunk.size() - carry);
        if (n == 0) break;
        size_t total = carry + n;
        size_t even = total & ~static_cast<size_t>(1);
        for (size_t i = 0; i < even; i += 2) {
            auto b0 = static_cast<uint8_t>(chunk[i]);
            auto b1 = static_cast<uint8_t>(chunk[i + 1]);
            auto u = static_cast<char16_t>(swap ? (b0 << 8) | b1 : b0 | (b1 << 8));
            if (pendingCr) {
                pendingCr = false;
                if (u == u'\n') {
                    ++crlf;
                    if (!endLine(LF_EOL_CRLF)) return Pass::kStopped;
                    continue;
                }
                ++cr;
                if (!endLine(LF_EOL_CR)) return Pass::kStopped;
            }
            if (u == u'\r') {
                pendingCr = true;
            } else if (u == u'\n') {
                ++lf;
                if (!endLine(LF_EOL_LF)) return Pass::kStopped;
            } else if (pendingHigh && u >= 0xDC00 && u <= 0xDFFF) {
                uint32_t cp = 0x10000 + ((pendingHigh - 0xD800u) << 10) + (u - 0xDC00u);
                pendingHigh = 0;
                if (!put(cp)) return Pass::kStopped;
            } else {
                if (!putPendingHigh()) return Pass::kStopped;
                if (guessed && ((u >= 0xDC00 && u <= 0xDFFF) || !Utf16UnitFits(u))) unfit = true;
                if (unfit) return Pass::kRestart;
                if (u >= 0xD800 && u <= 0xDBFF)
                    pendingHigh = u;
                else if (!put(u))
                    return Pass::kStopped;
            }
        }
        if (unfit) return Pass::kRestart;
        carry = total - even;
        if (carry) chunk[0] = chunk[even];
    }
    if (pendingCr) {
        ++cr;
        if (!endLine(LF_EOL_CR)) return Pass::kStopped;
    }
    if (!putPendingHigh()) return Pass::kStopped;
    if (unfit || (guessed && carry)) return Pass::kRestart;
    if (carry) {
        // A final odd byte is not a whole code unit: it is kept visible as U+FFFD.
        if (!put(0xFFFD)) return Pass::kStopped;
    }
    if (length > 0) {
        // The data ended inside a line.
        if (!flush(LF_EOL_LF)) return Pass::kStopped;
        endsWithEol = false;
    } else if (lines > 0) {
        endsWithEol = true;
    } else {
        // Nothing but a byte-order mark: an empty text.
        if (!flush(0)) return Pass::kStopped;
        endsWithEol = false;
    }
    return Pass::kDone;
}

template <class Sink>
FileDecoder::Outcome FileDecoder::Read(MappedFileReader& reader,
                                       const std::function<int(MappedFileReader&)>& reopen,
                                       Sink& sink) {
    code = TextCode::kAnsi;
    endsWithEol = false;
    crlf = lf = cr = 0;
    eucLines = jisLines = 0;
    cutLines = 0;
    openError = 0;
    utf8_ = Utf8Scanner();
    // The reader never keeps pointing at this decoder's scanner.
    struct Unhook {
        MappedFileReader& reader;
        ~Unhook() { reader.ScanUtf8With(nullptr); }
    } unhook{reader};
    euc_ = settings_.eucRead;
    jis_ = settings_.jisRead;
    switch (choice_) {
        case CodeChoice::kAnsi:
            euc_ = jis_ = false;
            break;
        case CodeChoice::kEuc:
            euc_ = true;
            jis_ = false;
            break;
        case CodeChoice::kJis:
            jis_ = true;
            euc_ = false;
            break;
        case CodeChoice::kUnicode:
            code = TextCode::kUcs2Le;
            euc_ = jis_ = false;
            break;
        case CodeChoice::kUnicodeBe:
            code = TextCode::kUcs2Be;
            euc_ = jis_ = false;
            break;
        case CodeChoice::kUtf8:
            code = TextCode::kUtf8;
            euc_ = jis_ = false;
            break;
        default:
            break;
    }
    // Reads the file again from its start, for the byte codes' detection.
    auto again = [&]() -> bool {
        reader.Close();
        utf8_ = Utf8Scanner();
        if (int error = reopen(reader)) {
            openError = error;
            return false;
        }
        return sink.Restart();
    };

    // The UTF-8 test runs over the raw bytes as the reader takes them in.
    if (settings_.utf8Read) reader.ScanUtf8With(&utf8_);
    // Byte-order mark.
    size_t avail = 0;
    const char* head = reader.Peek(3, &avail);
    auto b = [&](size_t i) { return static_cast<uint8_t>(head[i]); };
    bool marked = false;
    if (avail >= 2 && b(0) == 0xFF && b(1) == 0xFE) {
        code = TextCode::kUcs2Le;
        reader.Skip(2);
        marked = true;
    } else if (avail >= 2 && b(0) == 0xFE && b(1) == 0xFF) {
        code = TextCode::kUcs2Be;
        reader.Skip(2);
        marked = true;
    } else if (avail >= 3 && b(0) == 0xEF && b(1) == 0xBB && b(2) == 0xBF) {
        code = TextCode::kUtf8;
        reader.Skip(3);
        marked = true;
    }
    if (marked) {
        euc_ = jis_ = false;
        bom = true;
    } else {
        bom = !IsUnicodeFamily(code);
    }
    // UTF-16 without a mark, before the trials of the byte codes; never against a forced code.
    bool guessed = false;
    const bool eucFirst = euc_, jisFirst = jis_;
    if (!marked && settings_.utf16Read &&
        (choice_ == CodeChoice::kDefault || choice_ == CodeChoice::kUnset)) {
        const size_t kTested = 1u << 18;
        uint64_t size = reader.fileSize();
        head = reader.Peek(size < kTested ? static_cast<size_t>(size) : kTested, &avail);
        Utf16Guess g = GuessUtf16(head, avail, size);
        if (g != Utf16Guess::kNo) {
            code = g == Utf16Guess::kBigEndian ? TextCode::kUcs2Be : TextCode::kUcs2Le;
            bom = false;  // saved back as it was, without a mark
            euc_ = jis_ = false;
            guessed = true;
        }
    }
    if (decideOnly && marked) return Outcome::kDone;

    Pass pass = Pass::kDone;
    if (IsUcs2(code)) {
        reader.ScanUtf8With(nullptr);
        if (decideOnly && !guessed) return Outcome::kDone;
        pass = ReadUcs2(reader, code == TextCode::kUcs2Be, guessed, sink);
        if (pass == Pass::kRestart) {
            // Not UTF-16 after all: the byte codes' detection reads it from the start.
            crlf = lf = cr = 0;
            if (!again()) return openError ? Outcome::kOpenFailed : Outcome::kStopped;
            code = TextCode::kAnsi;
            bom = true;
            endsWithEol = false;
            euc_ = eucFirst;
            jis_ = jisFirst;
            if (settings_.utf8Read) reader.ScanUtf8With(&utf8_);
        }
    }
    if (!IsUcs2(code)) {
        pass = ReadBytes(reader, true, sink);
        if (pass == Pass::kRestart) {
            // A wrong guess: read the file again exactly as it is.
            if (!again()) return openError ? Outcome::kOpenFailed : Outcome::kStopped;
            code = TextCode::kAnsi;
            euc_ = jis_ = false;
            pass = ReadBytes(reader, false, sink);
        }
    }
    if (pass == Pass::kStopped) return Outcome::kStopped;
    // UTF-8 without a mark: lines of ASCII only are neutral; one malformed line decides ANSI.
    if (settings_.utf8Read && code == TextCode::kAnsi && utf8_.IsUtf8()) {
        code = TextCode::kUtf8;
        bom = false;  // saved back as it was, without a mark
    }
    return Outcome::kDone;
}

}  // namespace norv::document
