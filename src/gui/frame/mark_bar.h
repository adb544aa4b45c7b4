// The bookmark list: a dock of the main frame (left by default, movable, closable) with a
// selector of the open documents and the tree of the active document's bookmarks.
//
// The tree (CMarkTree) shows the outline the core builds (editing/outline.h): the root is the
// document's title, an item per marked line with text, nested by level; the root is expanded.
// It is built again after every bookmark notice of the shown document (once, after the command
// that raised them has ended) and whenever another document becomes active. An item holds only
// its place in the outline, and the outline only ordinals of marked lines, so that nothing the
// bar keeps can refer to a line that was deleted, joined, reloaded or closed: going to an item
// or copying finds the lines again in the text as it is now, and does nothing when they are
// gone. The shown document is held weakly; when it closes, the tree empties.
#pragma once

#include <QDockWidget>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <vector>

#include "document/document.h"
#include "editing/outline.h"

class QComboBox;
class QAction;

namespace norv::qt {

class MainFrame;

class CMarkTree : public QTreeWidget {
    Q_OBJECT

  public:
    explicit CMarkTree(QWidget* parent);
    // The copy commands of the context menu.
    QAction* copyAllAction() const { return copyAll_; }
    QAction* copyVisibleAction() const { return copyVisible_; }
    QAction* copyLevelAction() const { return copyLevel_; }

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    QAction* copyAll_;
    QAction* copyVisible_;
    QAction* copyLevel_;
};

class CMarkBar : public QDockWidget {
    Q_OBJECT

  public:
    explicit CMarkBar(MainFrame& frame);

    CMarkTree* tree() const { return tree_; }
    QComboBox* selector() const { return selector_; }
    // The document shown (null: none) and its outline.
    document::CElwDoc* shownDocument() const { return doc_.lock().get(); }
    const std::vector<editing::OutlineItem>& outline() const { return items_; }

    // A bookmark notice of `doc`: the tree is built again after the running command.
    void NoteBookmarksChanged(const document::CElwDoc& doc);
    // Documents were opened, closed, renamed or activated: the selector, and the tree when the
    // active document is another one.
    void NoteDocumentsChanged();
    // Builds the selector and the tree from the active document now.
    void Rebuild();

    // The copy commands (CopyAll, CopyVisible, CopyLevel): the text goes to the clipboard as
    // Copy puts it there, every line ended by CR LF. False when nothing was copied.
    bool CopyAll();
    bool CopyVisible();
    bool CopyLevel();
    // Moves the caret of the active window to the line of a tree item (the root: the first
    // line), as a long move that writes the saved position.
    void GoToItem(QTreeWidgetItem* item);

    // The user changed the bar's size: its width beside the documents, its height above or
    // below them.
    std::function<void(int width)> widthChanged;
    std::function<void(int height)> heightChanged;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void RebuildTree();
    void RebuildSelector();
    // The document shown, with its line being edited written back; null when none.
    std::shared_ptr<document::CElwDoc> Reading() const;
    bool PutOnClipboard(const document::CElwDoc& doc, const std::string& bytes);
    int IndexOf(const QTreeWidgetItem* item) const;

    MainFrame& frame_;
    QComboBox* selector_;
    CMarkTree* tree_;
    std::weak_ptr<document::CElwDoc> doc_;
    std::vector<editing::OutlineItem> items_;
    std::vector<QTreeWidgetItem*> made_;  // the items of a build while it runs
    QTimer pending_;
    bool building_ = false;

  public:
    // Sizes are reported only while this is false (the frame sets the size itself at start).
    bool placing = false;
};

}  // namespace norv::qt
