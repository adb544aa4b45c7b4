// The Open and Save As dialogs with the code list ("Default" to "UTF8") and the "AddBOM" box,
// which is enabled only for the three Unicode entries. Both are file dialogs of Qt's own kind,
// so the extra fields sit inside them and behave the same on every desktop.
//
// The Open dialog of the Open command also has "E&xtract": the selected archive is unpacked by
// the caller's extractor, which may ask for a destination folder and show the archiver's
// output through the dialog; afterwards the dialog shows the folder the extractor names and
// stays open, so the user can open what came out.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/key_macros.h"
#include "document/document.h"
#include "document/text_code.h"

class QWidget;

namespace norv::qt {

// What an extraction asks of the dialog it was started from.
struct ExtractCalls {
    // The destination chooser, starting at `start`; nothing when cancelled.
    std::function<std::optional<std::string>(const std::string& start)> chooseFolder;
    // The read-only "Archiver Output" window with the archiver's text (UTF-8).
    std::function<void(const std::string& text)> showOutput;
};
// Extracts the selected files (full paths, UTF-8) of a dialog showing `folder`; returns the
// folder the dialog shows next (empty: unchanged).
using ArchiveExtractor = std::function<std::string(const std::vector<std::string>& selected,
                                                   const std::string& folder, const ExtractCalls&)>;

struct OpenRequest {
    std::vector<std::string> paths;  // out: the chosen files (UTF-8)
    std::string folder;              // in: where the dialog starts
    std::string pattern;             // in: a name pattern ("*.c") to offer first, or empty
    document::CodeChoice choice = document::CodeChoice::kDefault;  // out
    bool addBom = true;                                            // in/out: the AddBOM box
    bool readOnly = false;                                         // out: the read-only box
    ArchiveExtractor extract;  // in: the E&xtract button's work (unset: no button)
};

class FileDialogs : public document::DocumentDialogs {
  public:
    // Fills the request; false when the user cancelled.
    virtual bool AskOpen(OpenRequest& request) = 0;
    // A folder (OpenFolder), starting at `folder`; false when cancelled.
    virtual bool AskFolder(std::string& /*folder*/) { return false; }
    // A script file for the key macro (SaveMacro, LoadMacro); false when cancelled.
    virtual bool AskScriptFile(app::MacroFileRequest& /*request*/) { return false; }
    // A project file ("Project Files (*.prf)", suffix "prf"), starting in `folder`: an existing
    // one to open, or a name to save under. False when cancelled.
    virtual bool AskProject(std::string& /*path*/, bool /*forSaving*/,
                            const std::string& /*folder*/) {
        return false;
    }
    // The recent folders the file dialogs offer as their history (unset: none).
    std::function<std::vector<std::string>()> folderHistory;
};

// The labels of the code list, in CodeChoice order (1 = "Default"); the ANSI and EUC entries
// are named "ShiftJIS" and "EUC" on code page 932.
QStringList CodeListLabels(int systemCodePage);
// Whether the AddBOM box applies to a code-list entry (the Unicode ones).
bool CodeChoiceTakesBom(document::CodeChoice choice);

class QtFileDialogs : public FileDialogs {
  public:
    QtFileDialogs(QWidget* parent, int systemCodePage)
        : parent_(parent), codePage_(systemCodePage) {}

    bool AskOpen(OpenRequest& request) override;
    bool AskSaveAs(document::SaveAsRequest& request) override;
    bool AskFolder(std::string& folder) override;
    bool AskScriptFile(app::MacroFileRequest& request) override;
    bool AskProject(std::string& path, bool forSaving, const std::string& folder) override;

    // Object names of the added fields (tests find them by these).
    static constexpr const char* kCodeListName = "codeList";
    static constexpr const char* kAddBomName = "addBom";
    static constexpr const char* kReadOnlyName = "readOnly";
    static constexpr const char* kScriptFileDialogName = "scriptFileDialog";
    static constexpr const char* kProjectDialogName = "projectDialog";
    static constexpr const char* kExtractButtonName = "extractButton";
    static constexpr const char* kExtractFolderDialogName = "extractFolderDialog";
    static constexpr const char* kArchiverOutputName = "archiverOutput";

  private:
    QWidget* parent_;
    int codePage_;
};

}  // namespace norv::qt
