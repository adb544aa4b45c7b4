#include "gui/frame/mark_bar.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QResizeEvent>
#include <QVBoxLayout>

#include "app/commands/hidden_commands.h"
#include "document/codecs.h"
#include "gui/editor/text_bridge.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"

namespace norv::qt {
namespace {

constexpr int kRootIndex = -1;

// The selector's text of a document: "name (full path)", or the title of a document without
// a file up to its "<R>" or "*".
QString SelectorText(const document::CElwDoc& doc) {
    if (!doc.path.empty()) {
        const size_t slash = doc.path.find_last_of('/');
        const std::string name = slash == std::string::npos ? doc.path : doc.path.substr(slash + 1);
        return BytesToQString(doc.env().CodePage(), name + " (" + doc.path + ")");
    }
    std::string title = doc.title;
    const size_t cut = std::min(title.find("<R>"), title.find('*'));
    if (cut != std::string::npos) title.resize(cut);
    return BytesToQString(doc.env().CodePage(), title);
}

}  // namespace

CMarkTree::CMarkTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    copyAll_ = new QAction(QStringLiteral("Copy &All"), this);
    copyVisible_ = new QAction(QStringLiteral("Copy &Visible"), this);
    copyLevel_ = new QAction(QStringLiteral("Copy &Level"), this);
}

void CMarkTree::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(copyAll_);
    menu.addAction(copyVisible_);
    menu.addAction(copyLevel_);
    menu.exec(event->globalPos());
}

CMarkBar::CMarkBar(MainFrame& frame)
    : QDockWidget(QStringLiteral("Bookmarks"), &frame), frame_(frame) {
    setObjectName(QStringLiteral("MarkBar"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                QDockWidget::DockWidgetFloatable);
    auto* inside = new QWidget(this);
    auto* column = new QVBoxLayout(inside);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    selector_ = new QComboBox(inside);
    selector_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    tree_ = new CMarkTree(inside);
    column->addWidget(selector_);
    column->addWidget(tree_, 1);
    setWidget(inside);

    pending_.setSingleShot(true);
    pending_.setInterval(0);
    connect(&pending_, &QTimer::timeout, this, [this] { Rebuild(); });
    connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* i) { GoToItem(i); });
    connect(tree_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* i) { GoToItem(i); });
    // The copy items run by their table names, so that key macros record them.
    const std::pair<QAction*, const char*> copies[] = {{tree_->copyAllAction(), "CopyAll"},
                                                       {tree_->copyVisibleAction(), "CopyVisible"},
                                                       {tree_->copyLevelAction(), "CopyLevel"}};
    for (const auto& copy : copies) {
        const char* name = copy.second;
        copy.first->setObjectName(QString::fromLatin1(name));
        connect(copy.first, &QAction::triggered, this,
                [this, name] { frame_.RunHiddenCommand(*app::HiddenCommandIndex(name)); });
    }
    connect(selector_, &QComboBox::activated, this, [this](int index) {
        if (building_) return;
        auto* doc = static_cast<document::CElwDoc*>(selector_->itemData(index).value<void*>());
        for (DocWindow* w : frame_.Windows()) {
            if (&w->doc() != doc) continue;
            if (QMdiArea* area = frame_.SubWindowOf(*w)->mdiArea())
                area->setActiveSubWindow(frame_.SubWindowOf(*w));
            w->editor().setFocus();
            break;
        }
        Rebuild();
    });
    // The commands work only while the bar is shown.
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool shown) {
        for (QAction* a :
             {tree_->copyAllAction(), tree_->copyVisibleAction(), tree_->copyLevelAction()})
            a->setEnabled(isVisible());
        if (shown) pending_.start();
    });
}

void CMarkBar::NoteBookmarksChanged(const document::CElwDoc& doc) {
    DocWindow* w = frame_.ActiveWindow();
    if (shownDocument() == &doc || (w && &w->doc() == &doc)) pending_.start();
}

void CMarkBar::NoteDocumentsChanged() {
    pending_.start();
}

void CMarkBar::Rebuild() {
    pending_.stop();
    RebuildSelector();
    RebuildTree();
}

void CMarkBar::RebuildSelector() {
    building_ = true;
    selector_->clear();
    DocWindow* active = frame_.ActiveWindow();
    std::vector<const document::CElwDoc*> listed;
    for (DocWindow* w : frame_.Windows()) {
        const document::CElwDoc* doc = &w->doc();
        if (std::find(listed.begin(), listed.end(), doc) != listed.end()) continue;
        listed.push_back(doc);
        selector_->addItem(
            SelectorText(*doc),
            QVariant::fromValue(static_cast<void*>(const_cast<document::CElwDoc*>(doc))));
        if (active && &active->doc() == doc) selector_->setCurrentIndex(selector_->count() - 1);
    }
    building_ = false;
}

void CMarkBar::RebuildTree() {
    DocWindow* active = frame_.ActiveWindow();
    tree_->clear();
    doc_.reset();
    // A hidden bar waits until it is shown.
    if (!active || !isVisible()) {
        items_.clear();
        return;
    }
    std::shared_ptr<document::CElwDoc> doc = active->sharedDoc();
    doc_ = doc;
    active->view().Sync();
    const int codePage = doc->CodePage();
    // The outline of the last build is filled again in place (its texts' buffers reused).
    editing::BuildOutline(doc->lines().first(), codePage, doc->tabWidth, items_);
    // The items are made before the tree holds any of them: one insertion in all.
    auto* root = new QTreeWidgetItem;
    root->setText(0, BytesToQString(doc->env().CodePage(), doc->title));
    root->setData(0, Qt::UserRole, kRootIndex);
    made_.resize(items_.size());
    for (size_t i = 0; i < items_.size(); ++i) {
        const editing::OutlineItem& it = items_[i];
        auto* item = new QTreeWidgetItem;
        item->setText(0, BytesToQString(codePage, it.text));
        item->setData(0, Qt::UserRole, static_cast<int>(i));
        made_[i] = item;
        (it.parent < 0 ? root : made_[static_cast<size_t>(it.parent)])->addChild(item);
    }
    // Only the capacity is kept: the items belong to the tree.
    made_.clear();
    tree_->addTopLevelItem(root);
    root->setExpanded(true);
    doc->bookmarksChanged = false;
}

std::shared_ptr<document::CElwDoc> CMarkBar::Reading() const {
    std::shared_ptr<document::CElwDoc> doc = doc_.lock();
    if (doc) frame_.FlushEditBuffer(*doc);
    return doc;
}

int CMarkBar::IndexOf(const QTreeWidgetItem* item) const {
    return item ? item->data(0, Qt::UserRole).toInt() : kRootIndex;
}

void CMarkBar::GoToItem(QTreeWidgetItem* item) {
    std::shared_ptr<document::CElwDoc> doc = Reading();
    DocWindow* w = frame_.ActiveWindow();
    if (!doc || !item || !w || &w->doc() != doc.get()) return;
    const int i = IndexOf(item);
    int line = 1;
    if (i != kRootIndex) {
        if (static_cast<size_t>(i) >= items_.size()) return;
        line = editing::LineOfMark(doc->lines().first(), items_[static_cast<size_t>(i)].ordinal);
        if (line == 0) return;  // the line is gone; the tree follows after the notice
    }
    w->view().JumpToLine(line);
    w->editor().Refresh();
}

bool CMarkBar::PutOnClipboard(const document::CElwDoc& doc, const std::string& bytes) {
    if (bytes.empty()) return false;
    std::string text;
    document::AnsiToUtf8(text, bytes, doc.CodePage());
    return frame_.clipboardContext().clipboard &&
           frame_.clipboardContext().clipboard->SetText(text);
}

bool CMarkBar::CopyAll() {
    std::shared_ptr<document::CElwDoc> doc = Reading();
    if (!doc || !isVisible()) return false;
    std::vector<uint32_t> ordinals;
    ordinals.reserve(items_.size());
    for (const editing::OutlineItem& it : items_) ordinals.push_back(it.ordinal);
    return PutOnClipboard(*doc, editing::MarkedLinesText(doc->lines().first(), ordinals));
}

bool CMarkBar::CopyVisible() {
    std::shared_ptr<document::CElwDoc> doc = Reading();
    if (!doc || !isVisible() || tree_->topLevelItemCount() == 0) return false;
    std::vector<uint32_t> ordinals;
    // Children of an expanded item are visible, in tree order (which is line order).
    std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* item) {
        if (!item->isExpanded()) return;
        for (int c = 0; c < item->childCount(); ++c) {
            QTreeWidgetItem* child = item->child(c);
            const int i = IndexOf(child);
            if (i >= 0 && static_cast<size_t>(i) < items_.size())
                ordinals.push_back(items_[static_cast<size_t>(i)].ordinal);
            walk(child);
        }
    };
    walk(tree_->topLevelItem(0));
    return PutOnClipboard(*doc, editing::MarkedLinesText(doc->lines().first(), ordinals));
}

bool CMarkBar::CopyLevel() {
    std::shared_ptr<document::CElwDoc> doc = Reading();
    QTreeWidgetItem* current = tree_->currentItem();
    if (!doc || !isVisible() || !current) return false;
    const document::LineRecord* first = doc->lines().first();
    const int i = IndexOf(current);
    if (i == kRootIndex) return PutOnClipboard(*doc, editing::LinesText(first, 1, 0));
    if (static_cast<size_t>(i) >= items_.size()) return false;
    const int from = editing::LineOfMark(first, items_[static_cast<size_t>(i)].ordinal);
    if (from == 0) return false;
    const size_t next = editing::SubtreeEnd(items_, static_cast<size_t>(i));
    int to = 0;
    if (next < items_.size()) {
        to = editing::LineOfMark(first, items_[next].ordinal);
        if (to == 0) return false;
    }
    return PutOnClipboard(*doc, editing::LinesText(first, from, to));
}

void CMarkBar::resizeEvent(QResizeEvent* event) {
    QDockWidget::resizeEvent(event);
    if (placing || !isVisible() || isFloating() || !frame_.isVisible()) return;
    const Qt::DockWidgetArea area = frame_.dockWidgetArea(this);
    if ((area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea) &&
        event->size().width() != event->oldSize().width() && widthChanged)
        widthChanged(event->size().width());
    if ((area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea) &&
        event->size().height() != event->oldSize().height() && heightChanged)
        heightChanged(event->size().height());
}

// ---- the bar in the main frame ----------------------------------------------------------------

void MainFrame::SetUpMarkBar() {
    markBar_ = new CMarkBar(*this);
    addDockWidget(Qt::LeftDockWidgetArea, markBar_);
    markBar_->hide();
    markBar_->widthChanged = [this](int width) { WriteSetting(app::Key::MarkBarWidth, width); };
    markBar_->heightChanged = [this](int height) { WriteSetting(app::Key::MarkBarHeight, height); };
    // Written as soon as it changes, so that a crash keeps it; a bar hidden only because the
    // main window is minimised or hidden has not changed.
    connect(markBar_, &QDockWidget::visibilityChanged, this, [this] {
        if (!markBar_->placing) WriteSetting(app::Key::ShowMarkList, MarkListShown() ? 1 : 0);
    });
    shared_.markList = [this](editing::CElwView&) { ShowMarkList(!MarkListShown()); };
}

void MainFrame::WriteSetting(app::Key key, int value) {
    if (config_->settings.Int(key) == value) return;
    if (store_)
        config_->settings.Write(*store_, key, value);
    else
        config_->settings.Set(key, value);
}

bool MainFrame::MarkListShown() const {
    return !markBar_->isHidden();
}

void MainFrame::ShowMarkList(bool shown, bool focusTree) {
    if (shown) {
        markBar_->show();
        PlaceMarkBar();
        markBar_->Rebuild();
        if (focusTree) markBar_->tree()->setFocus();
    } else {
        markBar_->hide();
    }
}

void MainFrame::RestoreMarkBar() {
    markBar_->placing = true;
    ShowMarkList(config_->settings.Flag(app::Key::ShowMarkList));
    markBar_->placing = false;
}

void MainFrame::PlaceMarkBar() {
    const app::Settings& s = config_->settings;
    const bool placing = markBar_->placing;
    markBar_->placing = true;
    const Qt::DockWidgetArea area = dockWidgetArea(markBar_);
    if (area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea)
        resizeDocks({markBar_}, {s.Int(app::Key::MarkBarHeight)}, Qt::Vertical);
    else
        resizeDocks({markBar_}, {s.Int(app::Key::MarkBarWidth)}, Qt::Horizontal);
    markBar_->placing = placing;
}

void MainFrame::BookmarksChanged(document::CElwDoc& doc) {
    for (DocWindow* w : WindowsOf(doc))
        if (w->viewMade()) w->editor().viewport()->update();
    markBar_->NoteBookmarksChanged(doc);
}

}  // namespace norv::qt
