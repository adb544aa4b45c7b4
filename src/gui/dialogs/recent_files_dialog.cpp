// The recent-files dialog.
#include "gui/dialogs/recent_files_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/recent_files.h"
#include "gui/editor/text_bridge.h"
#include "platform/paths.h"

namespace norv::qt {

RecentFilesDialog::RecentFilesDialog(QWidget* parent, std::vector<app::RecentFile> files,
                                     int codePage, std::optional<std::array<int, 4>> widths,
                                     int sortColumn)
    : QDialog(parent),
      files_(std::move(files)),
      codePage_(codePage),
      sort_(app::RecentSortColumn(sortColumn)) {
    setObjectName(kDialogName);
    setWindowTitle(QStringLiteral("Recent Files"));
    auto* layout = new QVBoxLayout(this);
    list_ = new QTreeWidget(this);
    list_->setObjectName(kListName);
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setHeaderLabels(FromUtf8(app::kRecentColumns).split(QLatin1Char(',')));
    list_->header()->setSectionsClickable(true);
    list_->header()->setSortIndicatorShown(true);
    // Every column keeps the width it was given (and that is stored).
    list_->header()->setStretchLastSection(false);
    if (widths)
        for (int i = 0; i < 4; ++i) list_->setColumnWidth(i, (*widths)[size_t(i)]);
    else
        for (int i = 0; i < 4; ++i) list_->setColumnWidth(i, i == 1 ? 260 : 150);
    connect(list_->header(), &QHeaderView::sectionClicked, this, [this](int c) { SortBy(c); });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { accept(); });
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(760, 420);
    Fill();
    if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));
}

void RecentFilesDialog::SortBy(int column) {
    sort_ = app::RecentSortColumn(column);
    Fill();
}

void RecentFilesDialog::Fill() {
    list_->clear();
    for (size_t i : app::SortRecentFiles(files_, sort_)) {
        const app::RecentFile& f = files_[i];
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, FromUtf8(platform::FileNameOf(f.path)));
        item->setText(1, FromUtf8(platform::FolderOf(f.path)));
        item->setText(2, FromUtf8(app::FormatRecentTime(f.LastOpen(), codePage_)));
        item->setText(3, FromUtf8(app::FormatRecentTime(f.LastUpdate(), codePage_)));
        item->setData(0, Qt::UserRole, FromUtf8(f.path));
    }
    // Names ascending, times newest first.
    list_->header()->setSortIndicator(sort_, sort_ < 2 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

std::vector<std::string> RecentFilesDialog::Chosen() const {
    std::vector<std::string> out;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        if (item->isSelected()) out.push_back(ToUtf8(item->data(0, Qt::UserRole).toString()));
    }
    return out;
}

std::array<int, 4> RecentFilesDialog::ColumnWidths() const {
    std::array<int, 4> w{};
    for (int i = 0; i < 4; ++i) w[size_t(i)] = std::max(1, list_->columnWidth(i));
    return w;
}

}  // namespace norv::qt
