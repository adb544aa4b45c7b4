// The file dialogs. The code list and the boxes are added to the grid of Qt's own file dialog,
// below its file-type row.
#include "gui/dialogs/file_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/archive_extract.h"
#include "gui/editor/text_bridge.h"

namespace norv::qt {
namespace {

using document::CodeChoice;

const QString kFilters = QStringLiteral("Text Files (*.txt);;All Files (*)");

struct CodeFields {
    QComboBox* codes = nullptr;
    QCheckBox* bom = nullptr;
};

CodeFields AddCodeFields(QFileDialog& dialog, int codePage, bool addBom) {
    CodeFields f;
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    f.codes = new QComboBox(&dialog);
    f.codes->setObjectName(QtFileDialogs::kCodeListName);
    f.codes->addItems(CodeListLabels(codePage));
    f.bom = new QCheckBox(QStringLiteral("AddBOM"), &dialog);
    f.bom->setObjectName(QtFileDialogs::kAddBomName);
    f.bom->setChecked(addBom);
    f.bom->setEnabled(false);
    QObject::connect(f.codes, &QComboBox::currentIndexChanged, f.bom, [bom = f.bom](int index) {
        bom->setEnabled(CodeChoiceTakesBom(static_cast<CodeChoice>(index + 1)));
    });
    auto* label = new QLabel(QStringLiteral("Character &Code:"), &dialog);
    label->setBuddy(f.codes);
    if (grid) {
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(f.codes, row, 1);
        grid->addWidget(f.bom, row, 2);
    }
    return f;
}

// The recent folders in the dialog's history list.
void OfferHistory(QFileDialog& dialog, const std::function<std::vector<std::string>()>& folders) {
    if (!folders) return;
    QStringList list;
    for (const std::string& f : folders()) list << FromUtf8(f);
    dialog.setHistory(list);
}

CodeChoice ChoiceOf(const QComboBox* codes) {
    return static_cast<CodeChoice>(codes->currentIndex() + 1);
}

std::optional<std::string> ChooseDestination(QWidget* parent, const std::string& start) {
    QFileDialog chooser(parent, QStringLiteral("Extract To"), FromUtf8(start));
    chooser.setObjectName(QtFileDialogs::kExtractFolderDialogName);
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setOption(QFileDialog::ShowDirsOnly);
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return std::nullopt;
    return ToUtf8(chooser.selectedFiles().front());
}

void ShowArchiverOutput(QWidget* parent, const std::string& text) {
    QDialog window(parent);
    window.setObjectName(QtFileDialogs::kArchiverOutputName);
    window.setWindowTitle(FromUtf8(app::kArchiverOutputTitle));
    auto* layout = new QVBoxLayout(&window);
    auto* view = new QPlainTextEdit(&window);
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view->setPlainText(FromUtf8(text));
    view->setMinimumSize(560, 320);
    layout->addWidget(view);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &window);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &window, &QDialog::reject);
    layout->addWidget(buttons);
    window.exec();
}

// "E&xtract" beside the dialog's own buttons.
void AddExtractButton(QFileDialog& dialog, const ArchiveExtractor& extract) {
    auto* box = dialog.findChild<QDialogButtonBox*>();
    if (!box) return;
    QPushButton* button = box->addButton(QStringLiteral("E&xtract"), QDialogButtonBox::ActionRole);
    button->setObjectName(QtFileDialogs::kExtractButtonName);
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, extract] {
        std::vector<std::string> selected;
        for (const QString& f : dialog.selectedFiles()) selected.push_back(ToUtf8(f));
        ExtractCalls calls;
        calls.chooseFolder = [&dialog](const std::string& start) {
            return ChooseDestination(&dialog, start);
        };
        calls.showOutput = [&dialog](const std::string& text) {
            ShowArchiverOutput(&dialog, text);
        };
        const std::string shown =
            extract(selected, ToUtf8(dialog.directory().absolutePath()), calls);
        if (!shown.empty()) dialog.setDirectory(FromUtf8(shown));
    });
}

}  // namespace

QStringList CodeListLabels(int systemCodePage) {
    const bool japanese = systemCodePage == 932;
    return {QStringLiteral("Default"),
            japanese ? QStringLiteral("ShiftJIS") : QStringLiteral("ANSI"),
            japanese ? QStringLiteral("EUC") : QStringLiteral("EUC-JP"),
            QStringLiteral("JIS"),
            QStringLiteral("Unicode"),
            QStringLiteral("Unicode(BE)"),
            QStringLiteral("UTF8")};
}

bool CodeChoiceTakesBom(CodeChoice choice) {
    return choice == CodeChoice::kUnicode || choice == CodeChoice::kUnicodeBe ||
           choice == CodeChoice::kUtf8;
}

bool QtFileDialogs::AskOpen(OpenRequest& request) {
    QFileDialog dialog(parent_, QStringLiteral("Open"), FromUtf8(request.folder), kFilters);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (request.pattern.empty()) {
        dialog.selectNameFilter(QStringLiteral("All Files (*)"));
    } else {
        dialog.setNameFilters(QStringList{FromUtf8(request.pattern)} + dialog.nameFilters());
        dialog.selectNameFilter(FromUtf8(request.pattern));
    }
    OfferHistory(dialog, folderHistory);
    CodeFields fields = AddCodeFields(dialog, codePage_, request.addBom);
    auto* readOnly = new QCheckBox(QStringLiteral("&Read Only"), &dialog);
    readOnly->setObjectName(kReadOnlyName);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(readOnly, grid->rowCount(), 1);
    if (request.extract) AddExtractButton(dialog, request.extract);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    // The box's state is kept even when the dialog is cancelled.
    request.addBom = fields.bom->isChecked();
    if (!accepted) return false;
    request.paths.clear();
    for (const QString& f : dialog.selectedFiles()) request.paths.push_back(ToUtf8(f));
    request.choice = ChoiceOf(fields.codes);
    request.readOnly = readOnly->isChecked();
    return !request.paths.empty();
}

bool QtFileDialogs::AskSaveAs(document::SaveAsRequest& request) {
    QFileDialog dialog(parent_, QStringLiteral("Save As"), FromUtf8(request.name), kFilters);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectNameFilter(QStringLiteral("All Files (*)"));
    if (!request.name.empty()) dialog.selectFile(FromUtf8(request.name));
    OfferHistory(dialog, folderHistory);
    CodeFields fields = AddCodeFields(dialog, codePage_, request.addBom);
    fields.codes->setCurrentIndex(std::max(0, static_cast<int>(request.choice) - 1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    request.name = ToUtf8(dialog.selectedFiles().front());
    request.choice = ChoiceOf(fields.codes);
    request.addBom = fields.bom->isChecked();
    return true;
}

bool QtFileDialogs::AskScriptFile(app::MacroFileRequest& request) {
    const QString filter = FromUtf8(app::kMacroFileFilter);
    QFileDialog dialog(parent_, request.save ? QStringLiteral("Save As") : QStringLiteral("Open"),
                       FromUtf8(request.folder), filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setObjectName(QString::fromLatin1(kScriptFileDialogName));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Save asks before overwriting (the dialog's default); Open takes only a file that exists.
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(FromUtf8(app::kMacroFileSuffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    request.path = ToUtf8(dialog.selectedFiles().front());
    return true;
}

bool QtFileDialogs::AskProject(std::string& path, bool forSaving, const std::string& folder) {
    QFileDialog dialog(
        parent_, forSaving ? QStringLiteral("Save Project As") : QStringLiteral("Open Project"),
        FromUtf8(folder), QStringLiteral("Project Files (*.prf)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setObjectName(kProjectDialogName);
    dialog.setFileMode(forSaving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setDefaultSuffix(QStringLiteral("prf"));
    OfferHistory(dialog, folderHistory);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    path = ToUtf8(dialog.selectedFiles().front());
    return true;
}

bool QtFileDialogs::AskFolder(std::string& folder) {
    const QString chosen =
        QFileDialog::getExistingDirectory(parent_, QStringLiteral("Open Folder"), FromUtf8(folder));
    if (chosen.isEmpty()) return false;
    folder = ToUtf8(chosen);
    return true;
}

}  // namespace norv::qt
