// Save and Save As with their questions, the Character Code and Return Code menus, read-only
// mode, the modified flag and title, and the test for a file changed by another program.
#include <string>

#include "document/codecs.h"
#include "document/document.h"
#include "document/marks_file.h"
#include "platform/paths.h"

namespace norv::document {
namespace {

constexpr const char* kCrossFamily =
    "ANSI <-> Unicode conversion may modify or lose some of original data content.\n"
    "Do you want to continue?\n\n"
    "(Note that if you want to continue editing this file with the saved character code, you "
    "will have to close the current file and open again.)";
constexpr const char* kNonAscii =
    "ANSI <-> Unicode conversion cannot be done when the text contains non ASCII characters.\n"
    "Please choose \"Save As\" command and select the character code to save.";

bool AnyNonAscii(const LineList& lines) {
    for (const LineRecord* r = lines.first(); r; r = r->next)
        for (size_t i = 0; i < r->contentLength(); ++i)
            if (static_cast<uint8_t>(r->text()[i]) >= 0x80) return true;
    return false;
}

// The title proposed for an untitled document: up to the first blank, "#", "%", ";", "/", "\",
// "*" or "?".
std::string ProposedName(const std::string& title) {
    size_t cut = title.find_first_of(" #%;/\\*?");
    return cut == std::string::npos ? title : title.substr(0, cut);
}

}  // namespace

int CElwDoc::DoSave(const std::string& newPath, bool withDialog) {
    DocumentEnvironment& env = *env_;
    std::string target = newPath.empty() ? path : newPath;
    bool dialogShown = false;
    SaveAsRequest request;
    if (target.empty() || withDialog) {
        if (!env.dialogs) return 0;
        request.name = path.empty() ? ProposedName(title) : path;
        request.choice = CodeChoice::kDefault;
        request.addBom = bom;
        if (!env.dialogs->AskSaveAs(request) || request.name.empty()) return 0;
        target = request.name;
        dialogShown = true;
    }
    const TextCode oldCode = code;
    const TextCode oldSaveCode = saveCode;
    const bool oldBom = bom;
    const EolMode oldMode = eolMode;
    const bool oldModeFromFile = eolModeFromFile;
    bool crossed = false;
    if (dialogShown) {
        TextCode chosen = TextCode::kNone;
        switch (request.choice) {
            case CodeChoice::kAnsi:
                chosen = TextCode::kAnsi;
                break;
            case CodeChoice::kEuc:
                chosen = TextCode::kEuc;
                break;
            case CodeChoice::kJis:
                chosen = TextCode::kJis;
                break;
            case CodeChoice::kUnicode:
                chosen = TextCode::kUcs2Le;
                break;
            case CodeChoice::kUnicodeBe:
                chosen = TextCode::kUcs2Be;
                break;
            case CodeChoice::kUtf8:
                chosen = TextCode::kUtf8;
                break;
            default:
                break;
        }
        crossed = chosen != TextCode::kNone && IsUnicodeFamily(chosen) != IsUnicodeFamily(code);
        if (crossed && env.ui &&
            env.ui->MessageBox(kCrossFamily, platform::mb::kOkCancel |
                                                 platform::mb::kIconWarning) != platform::kIdOk)
            return 0;
        bom = request.addBom;
        if (chosen != TextCode::kNone) {
            saveCode = chosen;
            // Only EUC-JP brings its LF line ends; any other code keeps the line ends the
            // document has, so a file saved in another code is not rewritten line by line.
            if (chosen == TextCode::kEuc) {
                eolMode = EolMode::kLf;
                eolModeFromFile = false;
            }
            if (!crossed) code = chosen;  // across families the text keeps its encoding
        }
        CodeChoice remembered = request.choice;
        if (remembered == CodeChoice::kDefault) {
            if (saveCode == TextCode::kEuc || code == TextCode::kEuc)
                remembered = CodeChoice::kEuc;
            else if (saveCode == TextCode::kJis || code == TextCode::kJis)
                remembered = CodeChoice::kJis;
        }
        codeChoice = remembered;
    }
    // A save that does not happen leaves the document's code and line ends as they were.
    auto restore = [&] {
        code = oldCode;
        saveCode = oldSaveCode;
        bom = oldBom;
        eolMode = oldMode;
        eolModeFromFile = oldModeFromFile;
    };
    std::string full = platform::FullPath(target);
    if (env.hooks && !env.hooks->OnBeforeSave(*this, full)) {
        restore();
        return 0;
    }

    const bool isSaveAs = full != path;
    const bool existed = env.Fs().Stat(full).has_value();
    if (env.ui) env.ui->BeginWaitCursor();
    // The save finds the marked lines as it writes them: no walk of its own for the marks.
    std::vector<uint32_t> markLines;
    int ok = SaveDocument(full, env.save.saveMarkInfo ? &markLines : nullptr);
    if (env.ui) env.ui->EndWaitCursor();
    if (!ok) {
        // A Save As to a new name leaves nothing behind; the document keeps its settings.
        if (isSaveAs && !existed) env.Fs().Remove(full);
        restore();
        return 0;
    }
    if (env.save.saveMarkInfo) SaveMarkLines(*this, full, markLines);
    if (isSaveAs) path = full;
    SetModified(false);
    UpdateTitle();
    if (env.save.undoReset && env.hooks) env.hooks->ResetUndo(*this);
    if (env.status) env.status->PostStatus(platform::StatusCode::kLoaded);
    if (env.hooks) env.hooks->OnAfterSave(*this);
    return 1;
}

int CElwDoc::SetCharacterCode(TextCode target, bool eucLf) {
    DocumentEnvironment& env = *env_;
    const bool toUnicode = IsUnicodeFamily(target);
    if (toUnicode != IsUnicodeFamily(code) && AnyNonAscii(lines_)) {
        if (env.ui) env.ui->MessageBox(kNonAscii, platform::mb::kOk | platform::mb::kIconWarning);
        return 0;
    }
    code = target;
    // The next save writes the chosen code (a code fixed by an earlier save would otherwise win).
    saveCode = TextCode::kNone;
    if (!toUnicode) {
        // Only "EUC-JP (EOL=LF)" changes the line ends; the other entries keep them, whatever
        // code the document had.
        if (target == TextCode::kEuc && eucLf) {
            eolMode = EolMode::kLf;
            eolModeFromFile = false;
        }
        // Check Kanji Code.
        if (env.CodePage() == 932 && env.ui &&
            env.ui->MessageBox("Do you want to check the current Kanji code?",
                               platform::mb::kYesNo | platform::mb::kIconQuestion) ==
                platform::kIdYes) {
            std::string text;
            for (const LineRecord* r = lines_.first(); r; r = r->next) {
                text.append(r->text(), r->contentLength());
                if (r->next) text.push_back('\n');
            }
            std::string converted;
            KanjiGuess guess = CheckKanjiCode(text, &converted);
            if (guess == KanjiGuess::kNone) {
                env.ui->MessageBox("The Kanji code of this text should be correct.",
                                   platform::mb::kOk | platform::mb::kIconInformation);
            } else {
                std::string question = std::string("The Kanji code of this file must be \"") +
                                       (guess == KanjiGuess::kJis ? "JIS" : "EUC") +
                                       "\". Do you want to convert now?";
                if (env.ui->MessageBox(question,
                                       platform::mb::kYesNo | platform::mb::kIconQuestion) ==
                    platform::kIdYes) {
                    if (!env.hooks || !env.hooks->ReplaceWholeText(*this, converted)) {
                        // No editor attached: the lines are replaced directly.
                        lines_.Reset();
                        size_t start = 0;
                        for (;;) {
                            size_t lf = converted.find('\n', start);
                            size_t end = lf == std::string::npos ? converted.size() : lf;
                            lines_.AppendContent(converted.data() + start, end - start,
                                                 lf == std::string::npos ? 0 : LF_EOL_LF);
                            if (lf == std::string::npos) break;
                            start = lf + 1;
                        }
                        SetModified(true);
                        NotifyReplaced();
                    }
                }
            }
        }
    }
    return 1;
}

void CElwDoc::SetReturnCode(EolMode mode) {
    eolMode = mode;
    eolModeFromFile = false;
}

void CElwDoc::ToggleReadOnly() {
    readOnly = !readOnly;
    UpdateTitle();
}

void CElwDoc::SetModified(bool value) {
    bool before = modified;
    if (value) {
        if (readOnly) return;
        modified = true;
        autoSaveFlag = true;
    } else {
        modified = false;
        if (!path.empty()) {
            if (auto info = env_->Fs().Stat(path)) {
                fileTime = info->lastWrite;
                fileSize = info->size;
            }
        }
    }
    if (before != modified) UpdateTitle();
}

int CElwDoc::IsChangedOnDisk() {
    if (path.empty() || !onFixedDisk) return 0;
    auto info = env_->Fs().Stat(path);
    if (!info) return 0;
    return info->lastWrite != fileTime || info->size != fileSize ? 1 : 0;
}

void CElwDoc::CheckChangedOnDisk() {
    if (!IsChangedOnDisk()) return;
    DocumentEnvironment& env = *env_;
    int answer = env.ui ? env.ui->MessageBox(
                              "This file has been changed by the other application.\n"
                              "Do you open it again?",
                              platform::mb::kYesNo | platform::mb::kIconQuestion)
                        : platform::kIdNo;
    if (answer == platform::kIdYes) {
        Reload();
        return;
    }
    if (auto info = env.Fs().Stat(path)) {
        fileTime = info->lastWrite;
        fileSize = info->size;
    }
}

int CElwDoc::Reload() {
    DocumentEnvironment& env = *env_;
    if (path.empty()) return 0;
    if (modified && env.ui &&
        env.ui->MessageBox("Are you sure you want to lose changes?",
                           platform::mb::kYesNo | platform::mb::kIconQuestion) != platform::kIdYes)
        return 0;
    bool keepReadOnly = readOnly;
    CodeChoice choice = static_cast<int>(codeChoice) > 1 ? codeChoice : CodeChoice::kDefault;
    int ok = OpenDocument(path, choice);
    readOnly = keepReadOnly;
    UpdateTitle();
    return ok;
}

void CElwDoc::UpdateTitle() {
    std::string t;
    if (!path.empty()) {
        t = platform::FileNameOf(path);
    } else {
        t = title;
        for (const char* end : {"<R>", "*"}) {
            std::string_view e(end);
            if (t.size() >= e.size() && t.compare(t.size() - e.size(), e.size(), e) == 0)
                t.resize(t.size() - e.size());
        }
        size_t dot = t.find('.');
        if (dot != std::string::npos) t.resize(dot);
        t += typeExtension;
    }
    if (readOnly)
        t += "<R>";
    else if (modified)
        t += "*";
    if (t != title) {
        title = t;
        if (env_->hooks) env_->hooks->TitleChanged(*this);
    }
}

}  // namespace norv::document
