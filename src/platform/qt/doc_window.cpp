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
                     editing::EditorShared& shared, const QFont& font,
                     const DisplayOptions& display)
    : frame_(frame), doc_(std::move(doc)) {
    view_ = std::make_unique<editing::CElwView>(*doc_, doc_->undo, shared, LayoutFor(*doc_));
    editor_ = new EditWidget(*view_, font, display, this);
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
    view_.reset();
    doc_.reset();
}

void DocWindow::ApplyLayout() {
    view_->SetLayout(LayoutFor(*doc_, view_->layout().options()));
    editor_->Refresh();
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
