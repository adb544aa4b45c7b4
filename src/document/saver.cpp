// Saving a document: every line encoded into the save code with its line end, written through
// a temporary file that replaces the file only when the whole text is on disk; the previous
// version kept as a numbered backup, and the same bytes written to a mirror copy.
#include <cerrno>
#include <string>

#include "document/backup.h"
#include "document/char_model.h"
#include "document/codecs.h"
#include "document/document.h"
#include "document/text_copy.h"
#include "document/text_file_writer.h"
#include "platform/code_page.h"
#include "platform/paths.h"

namespace norv::document {
namespace {

constexpr const char* kWriteFailed =
    "Failed to write file.\nPlease check if your machine has sufficient disk space.";

// Tabs and spaces converted on the text before it is encoded, so columns are display columns.
// Mode 1: a tab outside quotes becomes spaces to the next tab stop. Mode 2: a run of spaces
// outside quotes that reaches the next stop, or that a tab ends before it, becomes one tab; a
// lone space just before a stop and a run that another character ends stay spaces. A double
// quote and a single quote each switch conversion off until they come again on the line.
std::string ConvertTabs(std::string_view line, int mode, int tabWidth, int codePage) {
    if (tabWidth < 1) tabWidth = 1;
    std::string out;
    out.reserve(line.size() + 16);
    const char* p = line.data();
    const char* end = p + line.size();
    int col = 0;
    bool dq = false, sq = false;
    while (p < end) {
        size_t len = CharLength(codePage, p, end);
        char c = *p;
        if (len == 1 && c == '"') dq = !dq;
        if (len == 1 && c == '\'') sq = !sq;
        bool quoted = dq || sq;
        if (mode == 1 && c == '\t' && !quoted) {
            int stop = (col / tabWidth + 1) * tabWidth;
            out.append(static_cast<size_t>(stop - col), ' ');
            col = stop;
            ++p;
            continue;
        }
        if (mode == 2 && c == ' ' && !quoted) {
            // Take the run of spaces up to the next stop.
            int stop = (col / tabWidth + 1) * tabWidth;
            const char* q = p;
            int run = 0;
            while (q < end && *q == ' ' && col + run < stop) {
                ++q;
                ++run;
            }
            if (col + run == stop) {
                out.push_back(run > 1 ? '\t' : ' ');  // a lone space before a stop stays
                col = stop;
            } else if (q < end && *q == '\t') {
                out.push_back('\t');  // the tab that ends the run is written in its place
                ++q;
                col = stop;
            } else {
                out.append(static_cast<size_t>(run), ' ');
                col += run;
            }
            p = q;
            continue;
        }
        col += CharColumns(p, len, col, tabWidth);
        out.append(p, len);
        p += len;
    }
    return out;
}

// Encodes one line (internal encoding, without its line feed) for a byte-oriented save code.
// The pieces of a line that was cut for its length carry the JIS shift state from one to the
// next (`continued`: another piece of the same line follows), so the line is written as one.
void EncodeLine(std::string& out, std::string_view text, TextCode saveCode, bool unicodeText,
                int acp, bool* jisKanji, bool continued) {
    switch (saveCode) {
        case TextCode::kEuc:
        case TextCode::kJis: {
            std::string ansi;
            if (unicodeText) {
                Utf8ToAnsi(ansi, text, acp);
                text = ansi;
            }
            if (saveCode == TextCode::kEuc) {
                std::string euc;
                if (SjisToEuc(euc, text) < 0)
                    out.append(text);  // kept in the code page
                else
                    out.append(euc);
            } else {
                SjisToJisFrom(out, text, jisKanji, !continued);
            }
            break;
        }
        case TextCode::kUtf8:
            if (unicodeText)
                out.append(text);
            else
                AnsiToUtf8(out, text, acp);
            break;
        default:  // ANSI
            if (unicodeText)
                Utf8ToAnsi(out, text, acp);
            else
                out.append(text);
            break;
    }
}

const char* EolBytes(int mode) {
    switch (mode) {
        case 1:
            return "\n";
        case 2:
            return "\r";
        default:
            return "\r\n";
    }
}

int ModeOfKind(uint8_t flags, int fallback) {
    switch (flags & LF_EOL_MASK) {
        case LF_EOL_CRLF:
            return 0;
        case LF_EOL_LF:
            return 1;
        case LF_EOL_CR:
            return 2;
        default:
            return fallback;
    }
}

void AppendUcs2(std::string& out, std::u16string_view units, bool bigEndian) {
    for (char16_t u : units) {
        char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        if (bigEndian) {
            out.push_back(hi);
            out.push_back(lo);
        } else {
            out.push_back(lo);
            out.push_back(hi);
        }
    }
}

// Removes spaces and tabs before the line feed of a record (in place; the record may move).
LineRecord* StripTrailingBlanks(LineList& list, LineRecord* r) {
    size_t n = r->contentLength();
    size_t keep = n;
    while (keep > 0 && (r->text()[keep - 1] == ' ' || r->text()[keep - 1] == '\t')) --keep;
    if (keep == n) return r;
    r->text()[keep] = '\n';
    LineRecord* nr = list.ResizeLine(r, keep + 1);
    return nr ? nr : r;
}

constexpr size_t kWriteBatchBytes = size_t{1} << 16;

// Writes the text in `saveCode` with the byte-order mark and line ends a save gives it. With
// `saveRules` the save's own changes apply too (blanks stripped at line ends, tabs converted);
// `strippedAny` tells whether a line lost blanks. With `changedLines` the lines lose their
// changed mark as they are written, which the vector keeps, one entry a line written, so that
// a save that fails can give it back (RestoreChanged); the numbers of the marked lines go to
// `markLines`. Both walks are this one: a long text is walked once.
bool WriteText(CElwDoc& doc, TextFileWriter& writer, TextCode saveCode, bool saveRules,
               bool* strippedAny, std::vector<bool>* changedLines = nullptr,
               std::vector<uint32_t>* markLines = nullptr) {
    DocumentEnvironment& env = doc.env();
    const SaveSettings& s = env.save;
    LineList& lines = doc.lines();
    const TextCode code = doc.code;
    const bool bom = doc.bom;
    const EolMode eolMode = doc.eolMode;
    const bool endsWithEol = doc.endsWithEol;
    const int saveMode = eolMode != EolMode::kDefault ? static_cast<int>(eolMode) : s.textMode;
    const bool unicodeText = IsUnicodeFamily(code);
    const bool ucs2 = IsUcs2(saveCode);
    const bool bigEndian = saveCode == TextCode::kUcs2Be;
    const int acp = env.CodePage();
    const int cp = doc.CodePage();

    bool ok = true;
    if (bom) {
        if (saveCode == TextCode::kUtf8)
            ok = writer.Write("\xEF\xBB\xBF", 3);
        else if (saveCode == TextCode::kUcs2Le)
            ok = writer.Write("\xFF\xFE", 2);
        else if (bigEndian)
            ok = writer.Write("\xFE\xFF", 2);
    }

    // Each line keeps its own line end when the mode is "each line its own", or when the mode
    // is the one the loader decided and the user has not chosen another.
    const bool ownEnds = env.load.orgCr && (eolMode == EolMode::kDefault || doc.eolModeFromFile);
    bool jisKanji = false;
    // The bytes of a line go out as they are: UTF-8 text saved as UTF-8, or code page text
    // saved in its own code page.
    const bool asIs = unicodeText ? saveCode == TextCode::kUtf8 : saveCode == TextCode::kAnsi;
    std::string out;
    out.reserve(kWriteBatchBytes + kMaxLineBytes + 4);
    std::u16string units;
    uint32_t lineNumber = 0;
    for (LineRecord* r = lines.first(); r && ok; r = r->next) {
        if (saveRules && s.delSpace && !(r->flags & LF_CONTINUED)) {
            LineRecord* nr = StripTrailingBlanks(lines, r);
            if (nr != r || nr->rows == 0) *strippedAny = true;
            r = nr;
        }
        ++lineNumber;
        if (markLines && (r->flags & LF_MARK)) markLines->push_back(lineNumber);
        if (changedLines) {
            changedLines->push_back((r->flags & LF_CHANGED) != 0);
            r->flags &= static_cast<uint8_t>(~LF_CHANGED);
        }
        std::string_view text(r->text(), r->contentLength());
        std::string converted;
        if (saveRules && (s.saveMode == 1 || s.saveMode == 2)) {
            converted = ConvertTabs(text, s.saveMode, doc.tabWidth, cp);
            text = converted;
        }
        const bool last = r->next == nullptr;
        int lineMode = saveMode;
        if (ownEnds) lineMode = ModeOfKind(r->flags, saveMode);
        if (ucs2) {
            units.clear();
            if (unicodeText) {
                Utf8ToUcs2(units, text);
            } else {
                std::string utf8;
                AnsiToUtf8(utf8, text, acp);
                Utf8ToUcs2(units, utf8);
            }
            AppendUcs2(out, units, bigEndian);
            // A line end after every line but the last; after the last only when the UCS-2 file
            // had one there. (A document read from a byte code ends in an empty line that stands
            // for its final line end, so it is written like the byte codes write it.)
            bool eol = !(r->flags & LF_CONTINUED) && (!last || endsWithEol);
            if (eol) {
                std::string_view e = (r->flags & LF_EOL_CRCRLF) && lineMode == 0 && ownEnds
                                         ? std::string_view("\r\r\n")
                                         : std::string_view(EolBytes(lineMode));
                for (char c : e)
                    AppendUcs2(out, std::u16string(1, static_cast<char16_t>(c)), bigEndian);
            }
        } else {
            // A text read from UCS-2 that ended in a line end keeps it in the byte codes too.
            const bool eol = (!last || endsWithEol) && !(r->flags & LF_CONTINUED);
            if (asIs && eol && lineMode == 1 && text.data() == r->text()) {
                // The record's own line feed follows its text: both go in one piece.
                out.append(r->text(), r->length);
            } else {
                EncodeLine(out, text, saveCode, unicodeText, acp, &jisKanji,
                           (r->flags & LF_CONTINUED) && !last);
                if (eol) {
                    if ((r->flags & LF_EOL_CRCRLF) && lineMode == 0 && ownEnds)
                        out += "\r\r\n";
                    else
                        out += EolBytes(lineMode);
                }
            }
        }
        // Handed to the writer in batches of many short lines.
        if (out.size() >= kWriteBatchBytes) {
            ok = writer.Write(out);
            out.clear();
        }
    }
    if (ok && !out.empty()) ok = writer.Write(out);
    if (ok && saveRules && s.addEof) ok = writer.Write("\x1A", 1);
    return ok;
}

}  // namespace

int CElwDoc::SaveDocument(const std::string& pathIn, std::vector<uint32_t>* markLines) {
    DocumentEnvironment& env = *env_;
    platform::FileSystem& fs = env.Fs();
    const SaveSettings& s = env.save;
    auto message = [&](const std::string& text, unsigned style) {
        if (env.ui) env.ui->MessageBox(text, style);
    };
    auto status = [&](platform::StatusCode value) {
        if (env.status) env.status->PostStatus(value);
    };
    if (env.hooks) env.hooks->FlushEditBuffer(*this);

    // A link keeps pointing at the saved file: the file it names is the one replaced.
    std::string real = fs.ResolveLinks(platform::FullPath(pathIn));

    auto info = fs.Stat(real);
    if (info && s.trashOutGen > 0) MakeBackup(fs, real, s.trashOutGen, s.backUpPath, s.relCreate);
    if (info && info->readOnly) {
        message("This file cannot be saved because of its readonly attribute.",
                platform::mb::kOk | platform::mb::kIconError);
        status(platform::StatusCode::kTooManyFiles);
        return 0;
    }

    // The new text goes to a temporary file beside the target; only a complete file replaces
    // it. Where no file can be made beside it, the target is written in place.
    TextFileWriter writer(fs);
    unsigned permissions = info ? info->permissions : 0666;
    std::string temp = platform::FolderOf(real) + "." + platform::FileNameOf(real) + ".norv-save";
    fs.Remove(temp);
    bool inPlace = false;
    int error = writer.Open(temp, platform::WriteMode::kCreateNew, permissions);
    if (error) {
        inPlace = true;
        error = writer.Open(real, platform::WriteMode::kCreateOrOverwrite, permissions);
    }
    if (error) {
        message(kWriteFailed, platform::mb::kOk | platform::mb::kIconError);
        status(platform::StatusCode::kNoMemory);
        return 0;
    }
    onFixedDisk = fs.IsOnFixedDrive(real);

    if (s.mirroring && !s.mirrorPath.empty()) {
        std::string folder = ResolveSideFolder(fs, s.mirrorPath, real, s.relCreate);
        writer.OpenMirror(folder + platform::FileNameOf(real));
    }

    if (saveCode == TextCode::kNone) saveCode = code;
    bool strippedAny = false;
    if (markLines) markLines->clear();
    std::vector<bool> changedLines;
    bool ok = WriteText(*this, writer, saveCode, true, &strippedAny, &changedLines, markLines);
    if (ok)
        ok = writer.Close();
    else
        writer.Close();
    if (writer.mirrorFailed()) message(kWriteFailed, platform::mb::kOk | platform::mb::kIconError);
    if (ok && !inPlace && !fs.Rename(temp, real)) {
        ok = false;
    }
    if (!ok) {
        if (!inPlace) fs.Remove(temp);
        // The lines written keep their changed mark: nothing was saved.
        size_t i = 0;
        for (LineRecord* r = lines_.first(); r && i < changedLines.size(); r = r->next, ++i)
            if (changedLines[i]) r->flags |= LF_CHANGED;
        message(kWriteFailed, platform::mb::kOk | platform::mb::kIconError);
        status(platform::StatusCode::kNoMemory);
        return 0;
    }
    if (auto now = fs.Stat(real)) {
        fileTime = now->lastWrite;
        fileSize = now->size;
    }
    if (strippedAny) {
        NotifyRewritten();
        if (env.hooks) env.hooks->LinesChanged(*this);
    }
    return 1;
}

int WriteTextCopy(CElwDoc& doc, const std::string& path, unsigned permissions) {
    TextCopyBatch batch;
    if (int error = batch.Add(doc, path, permissions)) return error;
    return batch.Finish();
}

TextCopyBatch::~TextCopyBatch() {
    Drop(0);
}

int TextCopyBatch::Add(CElwDoc& doc, const std::string& path, unsigned permissions) {
    DocumentEnvironment& env = doc.env();
    platform::FileSystem& fs = env.Fs();
    if (env.hooks) env.hooks->FlushEditBuffer(doc);
    // Written whole under a name of its own, then renamed to `path`: a copy is never torn.
    const std::string temp = path + ".part";
    fs.Remove(temp);
    TextFileWriter writer(fs);
    if (int error = writer.Open(temp, platform::WriteMode::kCreateNew, permissions)) return error;
    const bool written = WriteText(doc, writer, doc.code, false, nullptr);
    std::unique_ptr<platform::OutputFile> file = writer.CloseUnsynced();
    if (written && file) {
        pending_.push_back({&fs, temp, path, std::move(file)});
        return 0;
    }
    if (file) file->Close();
    fs.Remove(temp);
    return writer.error() ? writer.error() : EIO;
}

int TextCopyBatch::Finish(size_t* failed) {
    int error = 0;
    auto fail = [&](size_t i, int number) {
        if (error) return;
        error = number ? number : EIO;
        if (failed) *failed = i;
    };
    for (size_t i = 0; i < pending_.size(); ++i)
        if (!pending_[i].file->Sync()) fail(i, pending_[i].file->LastError());
    for (size_t i = 0; i < pending_.size(); ++i) {
        if (!pending_[i].file->Close()) fail(i, pending_[i].file->LastError());
        pending_[i].file.reset();
    }
    size_t renamed = 0;
    while (!error && renamed < pending_.size()) {
        Pending& p = pending_[renamed];
        if (p.fs->Rename(p.temp, p.path))
            ++renamed;
        else
            fail(renamed, errno);
    }
    if (error) {
        Drop(renamed);
        return error;
    }
    pending_.clear();
    return 0;
}

void TextCopyBatch::Drop(size_t renamed) {
    for (size_t i = 0; i < pending_.size(); ++i) {
        Pending& p = pending_[i];
        if (p.file) p.file->Close();
        p.fs->Remove(i < renamed ? p.path : p.temp);
    }
    pending_.clear();
}

}  // namespace norv::document
