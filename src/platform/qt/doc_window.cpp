// A document window and its close question.
#include "platform/qt/doc_window.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include "platform/qt/main_frame.h"
#include "platform/qt/text_bridge.h"

namespace norv::qt {
namespace {

view::LayoutOptions LayoutFor(const document::CElwDoc& doc, view::LayoutOptions base = {}) {
    base.codePage = doc.CodePage();
    base.tabWidth = doc.tabWidth > 0 ? doc.tabWidth : 8;
    return base;
}

}  // namespace

DocWindow::DocWindow(MainFrame& frame, std::unique_ptr<document::CElwDoc> doc,
                     editing::EditorShared& shared, editing::ClipboardContext& clipboard,
                     const QFont& font, const DisplayOptions& display)
    : frame_(frame), shared_(shared), clipboard_(clipboard), doc_(std::move(doc)) {
    view_ = std::make_unique<editing::CElwView>(*doc_, doc_->undo, shared, LayoutFor(*doc_));
    selection_ = std::make_unique<editing::Selection>(*view_, clipboard_);
    sink_ = std::make_unique<app::EditViewSink>(*view_, *selection_);
    editor_ = new EditWidget(*view_, font, display, this);
    editor_->SetSelection(selection_.get());
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(editor_);
    setFocusProxy(editor_);
    UpdateWindowTitle();
}

DocWindow::~DocWindow() {
    // The widget refers to the view, and the view to the document.
    delete editor_;
    editor_ = nullptr;
    sink_.reset();
    selection_.reset();
    view_.reset();
    doc_.reset();
}

void DocWindow::ApplyLayout() {
    view_->SetLayout(LayoutFor(*doc_, view_->layout().options()));
    editor_->Refresh();
}

void DocWindow::RunReplacingLines(const std::function<void()>& op) {
    view_->Sync();
    const platform::FileTime loadedBefore = doc_->loadTime;
    const document::LineRecord* firstBefore = doc_->lines().first();
    const int countBefore = doc_->lineCount();
    editor_->SetPaused(true);
    op();
    const bool replaced = doc_->loadTime != loadedBefore || doc_->lines().first() != firstBefore ||
                          doc_->lineCount() != countBefore;
    if (replaced) {
        // A failed load may leave no line; a document always has one.
        if (!doc_->lines().first()) doc_->lines().AppendLineFromText("\n", 0);
        doc_->undo.Clear();
        doc_->undo.MarkSaved();
        auto fresh = std::make_unique<editing::CElwView>(*doc_, doc_->undo, shared_,
                                                         LayoutFor(*doc_, view_->layout().options()));
        fresh->options() = view_->options();
        editor_->SetSelection(nullptr);
        sink_.reset();
        selection_.reset();
        editor_->SetView(*fresh);
        view_ = std::move(fresh);  // the old view touches none of the old records on its way out
        selection_ = std::make_unique<editing::Selection>(*view_, clipboard_);
        sink_ = std::make_unique<app::EditViewSink>(*view_, *selection_);
        editor_->SetSelection(selection_.get());
    }
    editor_->SetPaused(false);
    UpdateWindowTitle();
}

void DocWindow::UpdateWindowTitle() { setWindowTitle(FromUtf8(doc_->title)); }

void DocWindow::closeEvent(QCloseEvent* event) {
    if (frame_.QueryCloseDocument(*this)) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace norv::qt
