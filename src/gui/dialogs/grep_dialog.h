// The find-in-files dialog (CGrep, "Find From File"): the string with the Find history, the
// masks, the folder (typed, chosen in the folder tree, from a drive list of "/", the home
// folder and the mounted file systems, or the current folder), the options and "&Save
// Options".
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "app/find_in_files.h"

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLineEdit;
class QTreeView;

namespace norv::qt {

class GrepDialog : public QDialog {
    Q_OBJECT

  public:
    GrepDialog(QWidget* parent, app::GrepDialogRequest& request, int systemCodePage,
               int documentCodePage);
    // Fills the request from the controls (after accept()).
    void Store();

    QComboBox* field() const { return field_; }
    QLineEdit* masks() const { return masks_; }
    QLineEdit* folder() const { return folder_; }
    QTreeView* folderTree() const { return tree_; }
    QComboBox* drives() const { return drives_; }

    // "/", the home folder and the mounted file systems, without repeats.
    static std::vector<std::string> DriveFolders();

  private:
    void ShowFolderInTree(const QString& folder);

    struct Box {
        QCheckBox* box;
        bool search::GrepOptions::*field;
    };
    app::GrepDialogRequest& request_;
    int systemCodePage_;
    int documentCodePage_;
    QComboBox* field_;
    QLineEdit* masks_;
    QLineEdit* folder_;
    QTreeView* tree_;
    QFileSystemModel* model_;
    QComboBox* drives_;
    std::vector<Box> boxes_;
    QCheckBox* save_;
};

bool RunGrepDialog(QWidget* parent, app::GrepDialogRequest& request, int systemCodePage,
                   int documentCodePage);

}  // namespace norv::qt
