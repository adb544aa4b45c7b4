// A document window: one document, its edit view and the widget that shows it. The window
// owns all three; the widget goes first, then the view, then the document.
#pragma once

#include <QWidget>

#include <functional>
#include <memory>

#include "document/document.h"
#include "editing/edit_view.h"
#include "editing/selection.h"
#include "app/edit_view_sink.h"
#include "platform/qt/edit_widget.h"

namespace norv::qt {

class MainFrame;

class DocWindow : public QWidget {
    Q_OBJECT

public:
    // `doc` is loaded (or new); the view starts at its first line.
    DocWindow(MainFrame& frame, std::unique_ptr<document::CElwDoc> doc,
              editing::EditorShared& shared, editing::ClipboardContext& clipboard,
              const QFont& font, const DisplayOptions& display);
    ~DocWindow() override;

    document::CElwDoc& doc() const { return *doc_; }
    editing::CElwView& view() const { return *view_; }
    EditWidget& editor() const { return *editor_; }
    editing::Selection& selection() const { return *selection_; }
    // The view and its selection as the key dispatch's target.
    app::EditViewSink& sink() const { return *sink_; }

    // The layout follows the document's character model and tab width.
    void ApplyLayout();
    // Runs an operation that may load the document again (Reload, the changed-on-disk
    // question): the view lets go of the lines first and is built anew when they were replaced.
    void RunReplacingLines(const std::function<void()>& op);
    // Shows the document's title.
    void UpdateWindowTitle();

protected:
    // Asks about unsaved changes; a refused or failed save keeps the window open.
    void closeEvent(QCloseEvent* event) override;

private:
    MainFrame& frame_;
    editing::EditorShared& shared_;
    editing::ClipboardContext& clipboard_;
    std::unique_ptr<document::CElwDoc> doc_;
    std::unique_ptr<editing::CElwView> view_;
    std::unique_ptr<editing::Selection> selection_;  // attached to view_, goes before it
    std::unique_ptr<app::EditViewSink> sink_;
    EditWidget* editor_ = nullptr;
};

}  // namespace norv::qt
