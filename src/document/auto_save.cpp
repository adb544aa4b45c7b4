#include "document/auto_save.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "document/text_file_writer.h"
#include "platform/paths.h"

namespace norv::document {
namespace {

constexpr unsigned kPrivate = 0600;
constexpr size_t kPathBytes = 262;
constexpr size_t kNameBytes = 22;

uint32_t Get32(std::string_view b, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(b[at + static_cast<size_t>(i)]);
    return v;
}

void Put32(std::string& b, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A zero-terminated string inside a field; nullopt when the field holds no terminator.
std::optional<std::string> Field(std::string_view b, size_t at, size_t size) {
    std::string_view f = b.substr(at, size);
    size_t zero = f.find('\0');
    if (zero == std::string_view::npos) return std::nullopt;
    return std::string(f.substr(0, zero));
}

std::string Hex4(uint16_t v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", v);
    return buf;
}

}  // namespace

std::optional<std::vector<RecoveryEntry>> ParseRecoveryTable(std::string_view bytes) {
    if (bytes.size() > kRecoveryTableBytes) bytes = bytes.substr(0, kRecoveryTableBytes);
    if (bytes.size() < 4) return std::nullopt;
    uint32_t count = Get32(bytes, 0);
    if (count < 1 || count > kRecoveryMaxEntries || 4 + count * kRecoveryEntryBytes > bytes.size())
        return std::nullopt;
    std::vector<RecoveryEntry> out;
    for (uint32_t i = 0; i < count; ++i) {
        size_t base = 4 + i * kRecoveryEntryBytes;
        RecoveryEntry e;
        e.untitled = Get32(bytes, base) == 1;
        auto path = Field(bytes, base + 4, kPathBytes);
        auto name = Field(bytes, base + 4 + kPathBytes, kNameBytes);
        if (!path || !name) return std::nullopt;
        // A name with a separator would reach outside the recovery folder.
        if (name->empty() || name->find('/') != std::string::npos) return std::nullopt;
        e.path = *path;
        e.fileName = *name;
        out.push_back(std::move(e));
    }
    return out;
}

std::string BuildRecoveryTable(const std::vector<RecoveryEntry>& entries) {
    size_t n = entries.size() < kRecoveryMaxEntries ? entries.size() : kRecoveryMaxEntries;
    std::string b(4 + n * kRecoveryEntryBytes, '\0');
    Put32(b, 0, static_cast<uint32_t>(n));
    for (size_t i = 0; i < n; ++i) {
        size_t base = 4 + i * kRecoveryEntryBytes;
        Put32(b, base, entries[i].untitled ? 1 : 0);
        // Paths longer than the field are cut here; the side file keeps them whole.
        std::memcpy(&b[base + 4], entries[i].path.data(),
                    std::min(entries[i].path.size(), kPathBytes - 1));
        std::memcpy(&b[base + 4 + kPathBytes], entries[i].fileName.data(),
                    std::min(entries[i].fileName.size(), kNameBytes - 1));
    }
    return b;
}

// Side file: a first line "NORV-RECOVERY 1", then one line per entry:
// NAME<TAB>CODE<TAB>SAVECODE<TAB>BITS<TAB>EOL<TAB>PATH, BITS = 1 byte-order mark + 2 final line end
// (the path may hold anything but a line feed).
std::string BuildRecoveryInfo(const std::vector<RecoveryEntry>& entries) {
    std::string out = "NORV-RECOVERY 1\n";
    for (const auto& e : entries) {
        out += e.fileName + "\t" + std::to_string(static_cast<int>(e.code)) + "\t" +
               std::to_string(static_cast<int>(e.saveCode)) + "\t" +
               std::to_string((e.bom ? 1 : 0) | (e.endsWithEol ? 2 : 0)) + "\t" +
               std::to_string(static_cast<int>(e.eol)) + "\t" + e.path + "\n";
    }
    return out;
}

void ApplyRecoveryInfo(std::string_view bytes, std::vector<RecoveryEntry>& entries) {
    std::string text(bytes);
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != "NORV-RECOVERY 1") return;
    auto validCode = [](int v) {
        return v == -1 || v == 0 || v == 1 || v == 2 || (v >= 10 && v <= 12);
    };
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        size_t start = 0;
        for (int k = 0; k < 5; ++k) {
            size_t tab = line.find('\t', start);
            if (tab == std::string::npos) break;
            f.push_back(line.substr(start, tab - start));
            start = tab + 1;
        }
        if (f.size() != 5) continue;
        f.push_back(line.substr(start));
        int code = std::atoi(f[1].c_str()), saveCode = std::atoi(f[2].c_str());
        int eol = std::atoi(f[4].c_str());
        if (!validCode(code) || code == -1 || !validCode(saveCode) || eol < -1 || eol > 2) continue;
        for (auto& e : entries) {
            if (e.fileName != f[0]) continue;
            e.exact = true;
            e.code = static_cast<TextCode>(code);
            e.saveCode = static_cast<TextCode>(saveCode);
            int bits = std::atoi(f[3].c_str());
            e.bom = bits & 1;
            e.endsWithEol = bits & 2;
            e.eol = static_cast<EolMode>(eol);
            e.path = f[5];
        }
    }
}

AutoSaver::AutoSaver(DocumentEnvironment& env, std::string folder, uint16_t instance)
    : env_(env), folder_(std::move(folder)), instance_(instance) {
    if (!folder_.empty() && folder_.back() != '/') folder_.push_back('/');
}

std::string AutoSaver::TableName() const {
    return folder_ + "Norv" + Hex4(instance_) + ".REC";
}
std::string AutoSaver::InfoName() const {
    return folder_ + "Norv" + Hex4(instance_) + ".RCI";
}

std::string AutoSaver::AutoSaveName(int number) const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04X%04d.AUT", instance_, number);
    return buf;
}

bool AutoSaver::WriteCopy(CElwDoc& doc, const std::string& name) {
    // The lines in the document's own encoding, each with its own line end (CR LF where none
    // was recorded), written through a temporary file.
    if (env_.hooks) env_.hooks->FlushEditBuffer(doc);
    platform::FileSystem& fs = env_.Fs();
    std::string path = folder_ + name;
    std::string temp = path + ".tmp";
    fs.Remove(temp);
    TextFileWriter w(fs);
    if (w.Open(temp, platform::WriteMode::kCreateNew, kPrivate) != 0) return false;
    bool ok = true;
    for (const LineRecord* r = doc.lines().first(); r && ok; r = r->next) {
        ok = w.Write(r->text(), r->contentLength());
        if (!ok || !r->next || (r->flags & LF_CONTINUED)) continue;
        switch (r->flags & LF_EOL_MASK) {
            case LF_EOL_LF:
                ok = w.Write("\n", 1);
                break;
            case LF_EOL_CR:
                ok = w.Write("\r", 1);
                break;
            default:
                ok = (r->flags & LF_EOL_CRCRLF) ? w.Write("\r\r\n", 3) : w.Write("\r\n", 2);
        }
    }
    ok = w.Close() && ok;
    if (!ok || !fs.Rename(temp, path)) {
        fs.Remove(temp);
        return false;
    }
    return true;
}

void AutoSaver::AutoSaveAll(const std::vector<CElwDoc*>& documents) {
    if (env_.ui) env_.ui->SetStatusText("Processing auto backup");
    platform::FileSystem& fs = env_.Fs();
    std::vector<RecoveryEntry> entries;
    bool wroteAny = false;
    std::vector<const CElwDoc*> done;
    for (CElwDoc* doc : documents) {
        // A document shown in several windows is listed once per window; it is copied once.
        if (std::find(done.begin(), done.end(), doc) != done.end()) continue;
        done.push_back(doc);
        // The line being edited belongs in the copy.
        if (env_.hooks) env_.hooks->FlushEditBuffer(*doc);
        if (doc->readOnly || !doc->modified) continue;
        if (entries.size() >= kRecoveryMaxEntries) break;
        if (doc->autoSaveNumber < 0) doc->autoSaveNumber = nextNumber_++;
        RecoveryEntry e;
        e.untitled = doc->path.empty();
        if (e.untitled) {
            e.path = doc->title.substr(0, doc->title.find('*'));
        } else {
            e.path = doc->path;
        }
        e.fileName = AutoSaveName(doc->autoSaveNumber);
        e.exact = true;
        e.code = doc->code;
        e.saveCode = doc->saveCode;
        e.bom = doc->bom;
        e.eol = doc->eolMode;
        e.endsWithEol = doc->endsWithEol;
        if (!fs.Stat(folder_ + e.fileName) || doc->autoSaveFlag) {
            if (!WriteCopy(*doc, e.fileName)) break;  // the pass stops at a file it cannot make
            doc->autoSaveFlag = false;
            wroteAny = true;
        }
        entries.push_back(std::move(e));
    }
    if (entries.empty()) {
        DeleteRecoveryFiles();
    } else {
        bool changed = entries.size() != written_.size();
        for (size_t i = 0; !changed && i < entries.size(); ++i)
            changed = entries[i].fileName != written_[i].fileName ||
                      entries[i].path != written_[i].path || entries[i].code != written_[i].code ||
                      entries[i].saveCode != written_[i].saveCode ||
                      entries[i].bom != written_[i].bom || entries[i].eol != written_[i].eol;
        if (wroteAny || changed) {
            platform::WriteFileAtomically(fs, TableName(), BuildRecoveryTable(entries), kPrivate);
            platform::WriteFileAtomically(fs, InfoName(), BuildRecoveryInfo(entries), kPrivate);
            // Copies of documents that left the table (saved or closed) go too.
            for (const auto& old : written_) {
                bool still = false;
                for (const auto& e : entries) still = still || e.fileName == old.fileName;
                if (!still) fs.Remove(folder_ + old.fileName);
            }
            written_ = entries;
        }
    }
    if (env_.ui) env_.ui->SetStatusText("");
}

void AutoSaver::DeleteRecoveryFiles() {
    platform::FileSystem& fs = env_.Fs();
    std::string bytes;
    if (platform::ReadWholeFile(fs, TableName(), bytes) == 0) {
        if (auto entries = ParseRecoveryTable(bytes))
            for (const auto& e : *entries) fs.Remove(folder_ + e.fileName);
    }
    for (const auto& e : written_) fs.Remove(folder_ + e.fileName);
    written_.clear();
    fs.Remove(TableName());
    fs.Remove(InfoName());
}

bool AutoSaver::Tick(int64_t nowSeconds, int autoSaveSec, const std::vector<CElwDoc*>& documents) {
    if (autoSaveSec <= 0) return false;
    if (lastPass_ < 0) lastPass_ = nowSeconds;
    if (nowSeconds - lastPass_ <= autoSaveSec) return false;
    AutoSaveAll(documents);
    lastPass_ = nowSeconds;
    return true;
}

int RecoverAtStartup(DocumentEnvironment& env, const std::string& folderIn, RecoveryHost& host) {
    platform::FileSystem& fs = env.Fs();
    std::string folder = folderIn;
    if (!folder.empty() && folder.back() != '/') folder.push_back('/');
    std::vector<std::pair<std::string, uint16_t>> tables;
    for (const auto& name : fs.ListFolder(folder)) {
        // "Norv????.REC"
        if (name.size() != 12 || name.compare(0, 4, "Norv") != 0 || name.compare(8, 4, ".REC") != 0)
            continue;
        unsigned value = 0;
        bool hex = true;
        for (size_t i = 4; i < 8; ++i) {
            char c = name[i];
            int d = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                           : -1;
            if (d < 0) hex = false;
            value = value * 16 + static_cast<unsigned>(d < 0 ? 0 : d);
        }
        auto instance = static_cast<uint16_t>(value);
        if (hex && host.isLiveInstance && host.isLiveInstance(instance)) continue;
        tables.emplace_back(name, instance);
    }
    if (tables.empty()) return 0;
    int answer = env.ui ? env.ui->MessageBox(
                              "Previous work might have been abnormally terminated.\n"
                              "Do you recover it?",
                              platform::mb::kYesNo | platform::mb::kIconQuestion)
                        : platform::kIdNo;
    if (answer != platform::kIdYes) return 0;  // the tables stay: the offer comes again
    int restored = 0;
    for (const auto& [name, instance] : tables) {
        std::string tablePath = folder + name;
        std::string infoPath = tablePath.substr(0, tablePath.size() - 4) + ".RCI";
        std::string bytes, info;
        int error = platform::ReadWholeFile(fs, tablePath, bytes);
        platform::ReadWholeFile(fs, infoPath, info);
        fs.Remove(tablePath);
        fs.Remove(infoPath);
        if (error) continue;
        auto entries = ParseRecoveryTable(bytes);
        if (!entries) continue;
        ApplyRecoveryInfo(info, *entries);
        for (const auto& e : *entries) {
            std::string copy = folder + e.fileName;
            if (!fs.Stat(copy)) continue;
            CElwDoc* doc = host.newDocument ? host.newDocument() : nullptr;
            if (!doc) continue;
            // A copy is in the document's own encoding: read it as it is, without detection.
            LoadSettings saved = env.load;
            CodeChoice choice = CodeChoice::kDefault;
            if (e.exact) {
                env.load.eucRead = env.load.jisRead = env.load.utf8Read = false;
                choice = IsUnicodeFamily(e.code) ? CodeChoice::kUtf8 : CodeChoice::kAnsi;
            }
            int ok = doc->OpenDocument(copy, choice);
            env.load = saved;
            if (!ok) continue;
            if (e.exact) {
                doc->code = e.code;
                doc->saveCode = e.saveCode;
                doc->bom = e.bom;
                doc->eolMode = e.eol;
                doc->eolModeFromFile = true;
                doc->endsWithEol = e.endsWithEol;
            }
            doc->codeChoice = CodeChoice::kUnset;
            if (e.untitled) {
                doc->path.clear();
                doc->title = e.path;
                // The type read from the copy's name would change the title it had.
                const size_t dot = e.path.find('.');
                doc->typeExtension = dot == std::string::npos ? std::string() : e.path.substr(dot);
            } else {
                doc->path = e.path;
                doc->title = platform::FileNameOf(e.path);
                if (env.hooks) env.hooks->ChooseFileType(*doc);
                if (auto real = fs.Stat(e.path)) {
                    doc->fileTime = real->lastWrite;
                    doc->fileSize = real->size;
                } else {
                    doc->fileTime = 0;
                }
            }
            doc->SetModified(true);
            doc->UpdateTitle();
            fs.Remove(copy);
            ++restored;
        }
    }
    return restored > 0 ? 1 : 0;
}

}  // namespace norv::document
