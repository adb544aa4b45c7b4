// The find-in-files dialog.
#include "gui/dialogs/grep_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/dialogs/find_dialogs.h"
#include "gui/editor/text_bridge.h"
#include "platform/paths.h"

namespace norv::qt {
namespace {

struct BoxText {
    const char* text;
    bool search::GrepOptions::*field;
};

// In the dialog's order. E has no box; G, A and M are not the dialog's.
constexpr BoxText kBoxes[] = {
    {"Match &Word Only", &search::GrepOptions::matchWord},
    {"Match &Top of Line", &search::GrepOptions::matchTopOfLine},
    {"&Ignore Case", &search::GrepOptions::ignoreCase},
    {"Ignore M&BCS", &search::GrepOptions::ignoreMbcs},
    {"&Regular Expression", &search::GrepOptions::regularExpression},
    {"Search S&ub Folders", &search::GrepOptions::subFolders},
    {"Output &Full Path", &search::GrepOptions::fullPath},
};

QString WithSlash(QString folder) {
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

}  // namespace

std::vector<std::string> GrepDialog::DriveFolders() {
    std::vector<std::string> out = {"/", platform::ExpandHome("~/")};
    for (const QStorageInfo& s : QStorageInfo::mountedVolumes()) {
        if (!s.isValid() || !s.isReady()) continue;
        std::string root = ToUtf8(WithSlash(s.rootPath()));
        if (std::find(out.begin(), out.end(), root) == out.end()) out.push_back(root);
    }
    return out;
}

GrepDialog::GrepDialog(QWidget* parent, app::GrepDialogRequest& request, int systemCodePage,
                       int documentCodePage)
    : QDialog(parent),
      request_(request),
      systemCodePage_(systemCodePage),
      documentCodePage_(documentCodePage),
      field_(HistoryField(this, request.history, request.searchString, systemCodePage)) {
    setWindowTitle(QStringLiteral("Find From File"));
    auto* stringLabel = new QLabel(QStringLiteral("&String to Find:"), this);
    stringLabel->setBuddy(field_);
    masks_ = new QLineEdit(FromUtf8(request.masks), this);
    auto* masksLabel = new QLabel(QStringLiteral("File T&ype:"), this);
    masksLabel->setBuddy(masks_);
    folder_ = new QLineEdit(FromUtf8(request.folder), this);
    auto* folderLabel = new QLabel(QStringLiteral("&Input Folder:"), this);
    folderLabel->setBuddy(folder_);

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    model_->setRootPath(QStringLiteral("/"));
    tree_ = new QTreeView(this);
    tree_->setModel(model_);
    for (int c = 1; c < model_->columnCount(); ++c) tree_->hideColumn(c);
    tree_->header()->hide();
    tree_->setMinimumHeight(160);
    auto* treeLabel = new QLabel(QStringLiteral("Fol&der:"), this);
    treeLabel->setBuddy(tree_);
    connect(tree_, &QTreeView::clicked, this, [this](const QModelIndex& index) {
        folder_->setText(WithSlash(model_->filePath(index)));
    });
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) {
                if (index.isValid()) folder_->setText(WithSlash(model_->filePath(index)));
            });

    drives_ = new QComboBox(this);
    for (const std::string& d : DriveFolders()) drives_->addItem(FromUtf8(d));
    auto* drivesLabel = new QLabel(QStringLiteral("Dri&ve:"), this);
    drivesLabel->setBuddy(drives_);
    connect(drives_, &QComboBox::activated, this, [this](int index) {
        const QString root = drives_->itemText(index);
        folder_->setText(root);
        ShowFolderInTree(root);
    });
    auto* current = new QPushButton(QStringLiteral("&Current Folder"), this);
    current->setAutoDefault(false);
    connect(current, &QPushButton::clicked, this, [this] {
        const QString here = FromUtf8(platform::CurrentFolder());
        folder_->setText(here);
        ShowFolderInTree(here);
    });

    auto* boxes = new QGridLayout;
    int i = 0;
    for (const BoxText& t : kBoxes) {
        auto* b = new QCheckBox(QString::fromLatin1(t.text), this);
        b->setChecked(request.options.*t.field);
        boxes->addWidget(b, i / 2, i % 2);
        boxes_.push_back(Box{b, t.field});
        ++i;
    }
    save_ = new QCheckBox(QStringLiteral("&Save Options"), this);
    boxes->addWidget(save_, i / 2, i % 2);
    // Choosing an entry of the Find history puts back the search options it was used with
    // (its letters are Find's: P there is not the full path).
    if (const search::FindHistory* history = request.history) {
        connect(field_, &QComboBox::activated, this, [this, history](int index) {
            if (index < 0 || static_cast<size_t>(index) >= history->entries().size()) return;
            const search::GrepOptions used = search::ParseGrepOptionString(
                history->entries()[static_cast<size_t>(index)].options);
            for (const Box& b : boxes_) {
                if (b.field != &search::GrepOptions::subFolders &&
                    b.field != &search::GrepOptions::fullPath)
                    b.box->setChecked(used.*b.field);
            }
        });
    }

    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(stringLabel, 0, 0);
    grid->addWidget(field_, 0, 1, 1, 2);
    grid->addWidget(masksLabel, 1, 0);
    grid->addWidget(masks_, 1, 1, 1, 2);
    grid->addWidget(folderLabel, 2, 0);
    grid->addWidget(folder_, 2, 1, 1, 2);
    grid->addWidget(treeLabel, 3, 0, Qt::AlignTop);
    grid->addWidget(tree_, 3, 1, 1, 2);
    grid->addWidget(drivesLabel, 4, 0);
    grid->addWidget(drives_, 4, 1);
    grid->addWidget(current, 4, 2);
    auto* left = new QVBoxLayout;
    left->addLayout(grid);
    left->addLayout(boxes);
    auto* all = new QHBoxLayout(this);
    all->addLayout(left, 1);
    all->addWidget(buttons);
    ShowFolderInTree(folder_->text());
    field_->setFocus();
}

void GrepDialog::ShowFolderInTree(const QString& folder) {
    const QModelIndex index = model_->index(folder);
    if (!index.isValid()) return;
    // Selecting it would write the folder field: only scroll to it.
    tree_->scrollTo(index);
    tree_->expand(index);
}

void GrepDialog::Store() {
    request_.searchString =
        FieldFromQString(field_->currentText(), systemCodePage_, documentCodePage_);
    request_.masks = ToUtf8(masks_->text());
    request_.folder = ToUtf8(folder_->text());
    for (const Box& b : boxes_) request_.options.*b.field = b.box->isChecked();
    request_.saveOptions = save_->isChecked();
}

bool RunGrepDialog(QWidget* parent, app::GrepDialogRequest& request, int systemCodePage,
                   int documentCodePage) {
    GrepDialog d(parent, request, systemCodePage, documentCodePage);
    if (d.exec() != QDialog::Accepted) return false;
    d.Store();
    return true;
}

}  // namespace norv::qt
