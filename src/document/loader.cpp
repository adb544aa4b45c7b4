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
#include "document/file_decoder.h"
#include "document/file_decoder_read.h"
#include "document/file_reader.h"
#include "document/line_cut.h"
#include "document/marks_file.h"
#include "platform/paths.h"

namespace norv::document {

class DocumentLoader final {
  public:
    DocumentLoader(CElwDoc& doc, CodeChoice choice) : doc_(doc), env_(doc.env()), choice_(choice) {}
    int Open(const std::string& path);

    // The decoder's sink (file_decoder_read.h), called directly so that it inlines.
    bool Line(const char* data, size_t length, uint8_t flags) {
        return doc_.lines_.AppendContent(data, length, flags) != 0;
    }
    bool Restart() { return doc_.lines_.Reset() != 0; }

  private:
    void Message(const std::string& text, unsigned style);
    void Status(platform::StatusCode code);
    int FailNoMemory();
    int FailAccess(const std::string& path, int error);

    CElwDoc& doc_;
    DocumentEnvironment& env_;
    CodeChoice choice_;
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
    doc_.code = TextCode::kAnsi;
    doc_.saveCode = TextCode::kNone;
    doc_.eolMode = EolMode::kDefault;
    doc_.readOnly = false;
    doc_.endsWithEol = false;

    FileDecoder decoder(env_.load, choice_, env_.CodePage());
    const FileDecoder::Outcome outcome = decoder.Read(
        reader, [&](MappedFileReader& r) { return r.Open(fs, path); }, *this);
    env_.eucLines = decoder.eucLines;
    env_.jisLines = decoder.jisLines;
    if (outcome == FileDecoder::Outcome::kOpenFailed) return FailAccess(path, decoder.openError);
    if (outcome == FileDecoder::Outcome::kStopped) return FailNoMemory();
    doc_.code = decoder.code;
    doc_.bom = decoder.bom;
    doc_.endsWithEol = decoder.endsWithEol;
    const uint64_t crlf_ = decoder.crlf, lf_ = decoder.lf, cr_ = decoder.cr;
    int readError = reader.readError;
    reader.Close();
    if (readError) {
        FailAccess(path, readError);
        doc_.lines_.Reset();
        doc_.path.clear();
        doc_.NewDocument();
        return 0;
    }

    // With the code known, a line cut by a guess that the detection overruled is cut again
    // between characters of the text as it is held.
    // Only a file with a line cut needs the walk over every record.
    if (!IsUcs2(doc_.code) && decoder.cutLines > 0 &&
        !RecutContinuedLines(doc_.lines_,
                             IsUnicodeFamily(doc_.code) ? CutCode::kUtf8 : CutCode::kSjis,
                             env_.CodePage()))
        return FailNoMemory();
    if (!env_.load.saveRead && !IsUnicodeFamily(doc_.code)) doc_.saveCode = TextCode::kAnsi;

    if (!env_.load.orgCr)
        doc_.eolMode = EolMode::kDefault;
    else if (crlf_ > 0)
        doc_.eolMode = EolMode::kCrLf;
    else if (lf_ > 0 && cr_ == 0)
        doc_.eolMode = EolMode::kLf;
    else if (cr_ > 0 && lf_ == 0)
        doc_.eolMode = EolMode::kCr;
    else
        doc_.eolMode = EolMode::kDefault;
    doc_.eolModeFromFile = true;
    doc_.mixedLineEnds = (crlf_ > 0 ? 1 : 0) + (lf_ > 0 ? 1 : 0) + (cr_ > 0 ? 1 : 0) > 1;

    if (doc_.lines_.count() == 0) return 0;
    doc_.path = path;
    doc_.title = platform::FileNameOf(path);
    doc_.fileTime = info->lastWrite;
    doc_.fileSize = info->size;
    doc_.modified = false;
    doc_.loadTime = platform::FileTimeNow();
    if (choice_ != CodeChoice::kDefault && choice_ != CodeChoice::kUnset) doc_.codeChoice = choice_;
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
