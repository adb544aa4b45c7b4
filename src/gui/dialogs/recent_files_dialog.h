// The recent-files dialog: the history's files in four columns ("File Name", "Folder",
// "Last Open", "Last Update"), sorted by the column whose header was clicked last, several rows
// chosen at once; OK opens them.
#pragma once

#include <QDialog>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/config/history_file.h"

class QTreeWidget;

namespace norv::qt {

class RecentFilesDialog : public QDialog {
    Q_OBJECT

  public:
    // `widths` are the stored column widths (none: the dialog's own); `sortColumn` 0 to 3.
    RecentFilesDialog(QWidget* parent, std::vector<app::RecentFile> files, int codePage,
                      std::optional<std::array<int, 4>> widths, int sortColumn);

    // The chosen files, in the list's order.
    std::vector<std::string> Chosen() const;
    std::array<int, 4> ColumnWidths() const;
    int sortColumn() const { return sort_; }
    // Sorts by a column as a click on its header does.
    void SortBy(int column);
    QTreeWidget* list() const { return list_; }

    static constexpr const char* kDialogName = "recentFilesDialog";
    static constexpr const char* kListName = "recentList";

  private:
    void Fill();

    std::vector<app::RecentFile> files_;
    int codePage_;
    int sort_;
    QTreeWidget* list_ = nullptr;
};

}  // namespace norv::qt
