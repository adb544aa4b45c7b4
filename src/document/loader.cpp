// Opening a file into a document: code detection, conversion to the internal encoding, lines.
//
// One pass over the file: a byte-order mark decides the code at once; otherwise every line is
// tried as EUC-JP and as JIS while those detections are on (the first good guess converts the
// rest of the file, an early bad guess switches the detection off and may restart the load
// without conversion), and the raw lines are tested as UTF-8 on the way. UCS-2 files are cut by
// code units and converted to UTF-8.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "document/codecs.h"
#include "document/document.h"
#include "document/document_limits.h"
#include "document/file_reader.h"
#include "document/line_cut.h"
#include "document/marks_file.h"
#include "document/utf16_guess.h"
#include "platform/paths.h"

namespace norv::document {

class DocumentLoader {
  public:
    DocumentLoader(CElwDoc& doc, CodeChoice choice) : doc_(doc), env_(doc.env()), choice_(choice) {}
    int Open(const std::string& path);

  private:
    enum class Pass { kDone, kRestart, kNoMemory };
    Pass LoadBytes(MappedFileReader& reader, bool convert);
    // `guessed`: the file had no byte-order mark and passed the UTF-16 test; a unit that text
    // never holds then sends the load back to the byte codes.
    Pass LoadUcs2(MappedFileReader& reader, bool swap, bool guessed);
    CutCode CutFor(MappedFileReader& reader, const ReadLine& line, bool convert);
    void Message(const std::string& text, unsigned style);
    void Status(platform::StatusCode code);
    int FailNoMemory();
    int FailAccess(const std::string& path, int error);

    CElwDoc& doc_;
    DocumentEnvironment& env_;
    CodeChoice choice_;
    bool euc_ = false;
    bool jis_ = false;
    Utf8Scanner utf8_;
    // The JIS shift state at the end of the previous piece of a line cut for its length.
    JisShift jisShift_ = JisShift::kAscii;
    uint64_t crlf_ = 0, lf_ = 0, cr_ = 0;
};

void DocumentLoader::Message(const std::string& text, unsigned style) {
    if (env_.ui) env_.ui->MessageBox(text, style);
}

void DocumentLoader::Status(platform::StatusCode code) {
    if (env_.status) env_.status->PostStatus(code);
}

int DocumentLoader::FailNoMemory() {
    // A document that lost its tail must never keep the file's path: it goes back to empty.
    Status(platform::StatusCode::kNoMemory);
    doc_.lines_.Reset();
    doc_.path.clear();
    doc_.NewDocument();
    return 0;
}

int DocumentLoader::FailAccess(const std::string& path, int error) {
    char num[32];
    std::snprintf(num, sizeof num, "%d", error);
    Message("The file \"" + path + "\" could not be accessed\n(Error Code:" + num + ")",
            platform::mb::kOk | platform::mb::kIconError);
    Status(platform::StatusCode::kNoMemory);
    return 0;
}

// The code by whose characters a line too long for a record is cut. EUC-JP and JIS are cut in
// their own bytes while their detection may still convert the line; otherwise the cut follows
// UTF-8 while the file still reads as UTF-8, else the code page. A guess that the detection
// overrules later is mended once the code is known.
CutCode DocumentLoader::CutFor(MappedFileReader& reader, const ReadLine& line, bool convert) {
    if (convert && jis_ &&
        (jisShift_ != JisShift::kAscii || doc_.code == TextCode::Jis || reader.HasEscOrSo(line)))
        return CutCode::kJis;
    if (convert && euc_ &&
        (doc_.code == TextCode::Euc || ReadsAs(CutCode::kEuc, line.data, line.available)))
        return CutCode::kEuc;
    if (doc_.code == TextCode::Utf8 || (env_.load.utf8Read && !utf8_.malformed() &&
                                        ReadsAs(CutCode::kUtf8, line.data, line.available)))
        return CutCode::kUtf8;
    return CutCode::kSjis;
}

DocumentLoader::Pass DocumentLoader::LoadBytes(MappedFileReader& reader, bool convert) {
    std::vector<char> work(65539);
    ReadLine line;
    const int codePage = env_.CodePage();
    jisShift_ = JisShift::kAscii;
    while (reader.Next(line)) {
        if (line.cut) {
            JisShift shift = jisShift_;
            CutCode cut = CutFor(reader, line, convert);
            reader.ShortenCut(
                line, CharCut(cut, codePage, line.data, line.available, line.length, &shift));
        }
        const char* data = line.data;
        size_t len = line.length;
        bool converted = false;
        const JisShift carried = jisShift_;
        jisShift_ = JisShift::kAscii;
        if (convert && euc_) {
            size_t outLen = 0;
            int r = EucToSjis(work.data(), data, len, &outLen);
            if (r == 1) {
                doc_.code = TextCode::Euc;
                jis_ = false;
                ++env_.eucLines;
                data = work.data();
                len = outLen;
                converted = true;
            } else if (r < 0 && env_.eucLines < 2) {
                euc_ = false;
                if (doc_.code == TextCode::Euc) return Pass::kRestart;
            }
        }
        if (convert && !converted && jis_ &&
            (carried != JisShift::kAscii || reader.HasEscOrSo(line))) {
            size_t outLen = 0;
            JisShift shift = carried;
            int r = JisToSjisFrom(work.data(), data, len, &outLen, &shift);
            // Only a piece that a cut ends may stop in kanji state.
            if (r >= 0 && !line.cut && shift == JisShift::kKanji) r = -1;
            if (r >= 0 && line.cut) jisShift_ = shift;
            if (r == 1) {
                doc_.code = TextCode::Jis;
                euc_ = false;
                ++env_.jisLines;
                data = work.data();
                len = outLen;
                converted = true;
            } else if (r < 0 && env_.jisLines == 0) {
                jis_ = false;
                if (doc_.code == TextCode::Jis) return Pass::kRestart;
            }
        }
        uint8_t flags = static_cast<uint8_t>(line.kind | (line.cut ? LF_CONTINUED : 0) |
                                             (line.crcrlf ? LF_EOL_CRCRLF : 0));
        if (!doc_.lines_.AppendContent(data, len, flags)) return Pass::kNoMemory;
    }
    crlf_ = reader.crlfCount;
    lf_ = reader.lfCount;
    cr_ = reader.crCount;
    return Pass::kDone;
}

DocumentLoader::Pass DocumentLoader::LoadUcs2(MappedFileReader& reader, bool swap, bool guessed) {
    constexpr size_t kMaxContent = kMaxLineBytes - 1;
    constexpr size_t kMaxUnits = 32767;  // code units of one record
    std::string line;
    size_t units = 0;
    line.reserve(kMaxContent + 8);
    char16_t pendingHigh = 0;
    bool pendingCr = false;
    bool sawData = false;
    int lines = 0;

    auto flush = [&](uint8_t flags) -> bool {
        ++lines;
        units = 0;
        return doc_.lines_.AppendContent(line.data(), line.size(), flags) != 0;
    };
    // Puts one code point as UTF-8, cutting the line first when it would grow too long.
    auto put = [&](uint32_t cp) -> bool {
        char buf[4];
        size_t n;
        if (cp < 0x80) {
            buf[0] = static_cast<char>(cp);
            n = 1;
        } else if (cp < 0x800) {
            buf[0] = static_cast<char>(0xC0 | (cp >> 6));
            buf[1] = static_cast<char>(0x80 | (cp & 0x3F));
            n = 2;
        } else if (cp < 0x10000) {
            buf[0] = static_cast<char>(0xE0 | (cp >> 12));
            buf[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            buf[2] = static_cast<char>(0x80 | (cp & 0x3F));
            n = 3;
        } else {
            buf[0] = static_cast<char>(0xF0 | (cp >> 18));
            buf[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            buf[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            buf[3] = static_cast<char>(0x80 | (cp & 0x3F));
            n = 4;
        }
        // A surrogate pair is one character: both units go into the same record.
        const size_t u = cp >= 0x10000 ? 2 : 1;
        if (line.size() + n > kMaxContent || units + u > kMaxUnits) {
            if (!flush(LF_CONTINUED)) return false;
            line.clear();
        }
        line.append(buf, n);
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
        line.clear();
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
            sawData = true;
            if (pendingCr) {
                pendingCr = false;
                if (u == u'\n') {
                    ++crlf_;
                    if (!endLine(LF_EOL_CRLF)) return Pass::kNoMemory;
                    continue;
                }
                ++cr_;
                if (!endLine(LF_EOL_CR)) return Pass::kNoMemory;
            }
            if (u == u'\r') {
                pendingCr = true;
            } else if (u == u'\n') {
                ++lf_;
                if (!endLine(LF_EOL_LF)) return Pass::kNoMemory;
            } else if (pendingHigh && u >= 0xDC00 && u <= 0xDFFF) {
                uint32_t cp = 0x10000 + ((pendingHigh - 0xD800u) << 10) + (u - 0xDC00u);
                pendingHigh = 0;
                if (!put(cp)) return Pass::kNoMemory;
            } else {
                if (!putPendingHigh()) return Pass::kNoMemory;
                if (guessed && ((u >= 0xDC00 && u <= 0xDFFF) || !Utf16UnitFits(u))) unfit = true;
                if (unfit) return Pass::kRestart;
                if (u >= 0xD800 && u <= 0xDBFF)
                    pendingHigh = u;
                else if (!put(u))
                    return Pass::kNoMemory;
            }
        }
        if (unfit) return Pass::kRestart;
        carry = total - even;
        if (carry) chunk[0] = chunk[even];
    }
    if (pendingCr) {
        ++cr_;
        if (!endLine(LF_EOL_CR)) return Pass::kNoMemory;
    }
    if (!putPendingHigh()) return Pass::kNoMemory;
    if (unfit || (guessed && carry)) return Pass::kRestart;
    if (carry) {
        // A final odd byte is not a whole code unit: it is kept visible as U+FFFD.
        if (!put(0xFFFD)) return Pass::kNoMemory;
    }
    if (!line.empty()) {
        // The data ended inside a line.
        if (!flush(LF_EOL_LF)) return Pass::kNoMemory;
        doc_.endsWithEol = false;
    } else if (lines > 0) {
        doc_.endsWithEol = true;
    } else {
        // Nothing but a byte-order mark: an empty text.
        if (!flush(0)) return Pass::kNoMemory;
        doc_.endsWithEol = false;
    }
    (void)sawData;
    return Pass::kDone;
}

int DocumentLoader::Open(const std::string& pathIn) {
    if (env_.openDocuments > kMaxDocuments) {
        Message(std::string(kTooManyFilesText), platform::mb::kOk | platform::mb::kIconError);
        Status(platform::StatusCode::kTooManyFiles);
        return 0;
    }
    if (env_.hooks && !env_.hooks->OnOpenEvent(doc_, pathIn)) return 0;

    platform::FileSystem& fs = env_.Fs();
    std::string path = platform::FullPath(pathIn);
    auto info = fs.Stat(path);
    if (!info) {
        int error = errno;
        if (error == ENOENT || error == 0) {
            if (!doc_.NewDocument()) return FailNoMemory();
            doc_.path = path;
            doc_.title = platform::FileNameOf(path);
            doc_.onFixedDisk = fs.IsOnFixedDrive(path);
            if (env_.ui) env_.ui->SetStatusText("This is a new file");
            return 1;
        }
        return FailAccess(path, error);
    }

    MappedFileReader reader(env_.readBlockBytes);
    if (int error = reader.Open(fs, path)) return FailAccess(path, error);

    doc_.onFixedDisk = fs.IsOnFixedDrive(path);
    if (!doc_.lines_.Reset()) return FailNoMemory();
    doc_.code = TextCode::Ansi;
    doc_.saveCode = TextCode::None;
    doc_.eolMode = EolMode::Default;
    doc_.readOnly = false;
    doc_.endsWithEol = false;

    euc_ = env_.load.eucRead;
    jis_ = env_.load.jisRead;
    env_.eucLines = 0;
    env_.jisLines = 0;
    switch (choice_) {
        case CodeChoice::Ansi:
            euc_ = jis_ = false;
            break;
        case CodeChoice::Euc:
            euc_ = true;
            jis_ = false;
            break;
        case CodeChoice::Jis:
            jis_ = true;
            euc_ = false;
            break;
        case CodeChoice::Unicode:
            doc_.code = TextCode::Ucs2Le;
            euc_ = jis_ = false;
            break;
        case CodeChoice::UnicodeBe:
            doc_.code = TextCode::Ucs2Be;
            euc_ = jis_ = false;
            break;
        case CodeChoice::Utf8:
            doc_.code = TextCode::Utf8;
            euc_ = jis_ = false;
            break;
        default:
            break;
    }

    // The UTF-8 test runs over the raw bytes as the reader takes them in.
    if (env_.load.utf8Read) reader.ScanUtf8With(&utf8_);
    // Byte-order mark.
    size_t avail = 0;
    const char* head = reader.Peek(3, &avail);
    auto b = [&](size_t i) { return static_cast<uint8_t>(head[i]); };
    bool marked = false;
    if (avail >= 2 && b(0) == 0xFF && b(1) == 0xFE) {
        doc_.code = TextCode::Ucs2Le;
        reader.Skip(2);
        marked = true;
    } else if (avail >= 2 && b(0) == 0xFE && b(1) == 0xFF) {
        doc_.code = TextCode::Ucs2Be;
        reader.Skip(2);
        marked = true;
    } else if (avail >= 3 && b(0) == 0xEF && b(1) == 0xBB && b(2) == 0xBF) {
        doc_.code = TextCode::Utf8;
        reader.Skip(3);
        marked = true;
    }
    if (marked) {
        euc_ = jis_ = false;
        doc_.bom = true;
    } else {
        doc_.bom = !IsUnicodeFamily(doc_.code);
    }
    // UTF-16 without a mark, before the trials of the byte codes; never against a forced code.
    bool guessed = false;
    const bool eucFirst = euc_, jisFirst = jis_;
    if (!marked && env_.load.utf16Read &&
        (choice_ == CodeChoice::Default || choice_ == CodeChoice::Unset)) {
        const size_t kTested = 1u << 18;
        uint64_t size = reader.fileSize();
        head = reader.Peek(size < kTested ? static_cast<size_t>(size) : kTested, &avail);
        Utf16Guess g = GuessUtf16(head, avail, size);
        if (g != Utf16Guess::kNo) {
            doc_.code = g == Utf16Guess::kBigEndian ? TextCode::Ucs2Be : TextCode::Ucs2Le;
            doc_.bom = false;  // saved back as it was, without a mark
            euc_ = jis_ = false;
            guessed = true;
        }
    }

    Pass pass = Pass::kDone;
    if (doc_.code == TextCode::Ucs2Le || doc_.code == TextCode::Ucs2Be) {
        reader.ScanUtf8With(nullptr);
        pass = LoadUcs2(reader, doc_.code == TextCode::Ucs2Be, guessed);
        if (pass == Pass::kRestart) {
            // Not UTF-16 after all: the byte codes' detection reads it from the start.
            reader.Close();
            utf8_ = Utf8Scanner();
            crlf_ = lf_ = cr_ = 0;
            if (int error = reader.Open(fs, path)) return FailAccess(path, error);
            if (!doc_.lines_.Reset()) return FailNoMemory();
            doc_.code = TextCode::Ansi;
            doc_.bom = true;
            doc_.endsWithEol = false;
            euc_ = eucFirst;
            jis_ = jisFirst;
            if (env_.load.utf8Read) reader.ScanUtf8With(&utf8_);
            guessed = false;
        }
    }
    if (doc_.code != TextCode::Ucs2Le && doc_.code != TextCode::Ucs2Be) {
        pass = LoadBytes(reader, true);
        if (pass == Pass::kRestart) {
            // A wrong guess: read the file again exactly as it is.
            reader.Close();
            utf8_ = Utf8Scanner();
            if (int error = reader.Open(fs, path)) return FailAccess(path, error);
            if (!doc_.lines_.Reset()) return FailNoMemory();
            doc_.code = TextCode::Ansi;
            euc_ = jis_ = false;
            pass = LoadBytes(reader, false);
        }
    }
    if (pass == Pass::kNoMemory) return FailNoMemory();
    int readError = reader.readError;
    reader.Close();
    if (readError) {
        FailAccess(path, readError);
        doc_.lines_.Reset();
        doc_.path.clear();
        doc_.NewDocument();
        return 0;
    }

    // UTF-8 without a mark: lines of ASCII only are neutral; one malformed line decides ANSI.
    if (env_.load.utf8Read && doc_.code == TextCode::Ansi && utf8_.IsUtf8()) {
        doc_.code = TextCode::Utf8;
        doc_.bom = false;  // saved back as it was, without a mark
    }
    // With the code known, a line cut by a guess that the detection overruled is cut again
    // between characters of the text as it is held.
    if (doc_.code != TextCode::Ucs2Le && doc_.code != TextCode::Ucs2Be &&
        !RecutContinuedLines(doc_.lines_,
                             IsUnicodeFamily(doc_.code) ? CutCode::kUtf8 : CutCode::kSjis,
                             env_.CodePage()))
        return FailNoMemory();
    if (!env_.load.saveRead && static_cast<int>(doc_.code) < 10) doc_.saveCode = TextCode::Ansi;

    if (!env_.load.orgCr)
        doc_.eolMode = EolMode::Default;
    else if (crlf_ > 0)
        doc_.eolMode = EolMode::CrLf;
    else if (lf_ > 0 && cr_ == 0)
        doc_.eolMode = EolMode::Lf;
    else if (cr_ > 0 && lf_ == 0)
        doc_.eolMode = EolMode::Cr;
    else
        doc_.eolMode = EolMode::Default;
    doc_.eolModeFromFile = true;
    doc_.mixedLineEnds = (crlf_ > 0 ? 1 : 0) + (lf_ > 0 ? 1 : 0) + (cr_ > 0 ? 1 : 0) > 1;

    if (doc_.lines_.count() == 0) return 0;
    doc_.path = path;
    doc_.title = platform::FileNameOf(path);
    doc_.fileTime = info->lastWrite;
    doc_.fileSize = info->size;
    doc_.modified = false;
    doc_.loadTime = platform::FileTimeNow();
    if (choice_ != CodeChoice::Default && choice_ != CodeChoice::Unset) doc_.codeChoice = choice_;
    LoadMarks(doc_);
    if (env_.hooks) env_.hooks->ChooseFileType(doc_);
    Status(platform::StatusCode::kLoaded);
    return 1;
}

int CElwDoc::OpenDocument(const std::string& file, CodeChoice choice) {
    DocumentLoader loader(*this, choice);
    return loader.Open(file);
}

}  // namespace norv::document
