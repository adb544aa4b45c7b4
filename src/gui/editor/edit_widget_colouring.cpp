// The edit view's colouring and the commands of the address at the caret. The core says which
// bytes are keywords, comment blocks and addresses; here they become pens and fonts, and an
// address becomes a selection or a started program. The tags of HTML documents take the HTML
// colour.
#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QStringList>

#include "app/config/profiles.h"
#include "gui/editor/edit_widget.h"
#include "gui/editor/text_bridge.h"
#include "platform/code_page.h"
#include "view/link_finder.h"

namespace norv::qt {

void EditWidget::SetSyntaxRules(std::shared_ptr<const view::SyntaxRules> rules) {
    rules_ = std::move(rules);
    view_->SetStatesValidThrough(0);
    viewport()->update();
}

void EditWidget::UpdateCommentStates(const std::vector<editing::CElwView::Row>& rows) {
    if (rows.empty()) return;
    const editing::CElwView::Row& last = rows.back();
    if (!rules_ || !rules_->ScansBlocks() || last.lineNumber <= view_->statesValidThrough()) return;
    // The states live in the records; painting is what keeps them up to date.
    auto* target = const_cast<document::LineRecord*>(last.line);
    const editing::CElwView& v = *view_;
    view::UpdateLineStates(*rules_, v.doc().CodePage(), target, last.lineNumber,
                           v.statesValidThrough(),
                           [&v](const document::LineRecord* r) { return v.TextOf(r); });
    view_->SetStatesValidThrough(last.lineNumber);
}

const std::vector<view::CharStyle>& EditWidget::StylesOf(const editing::CElwView::Row& row) {
    if (row.line == styledLine_) return styles_;
    styledLine_ = row.line;
    styles_.clear();
    const view::LineText text = view_->TextOf(row.line);
    if (rules_) {
        const uint8_t state = rules_->ScansBlocks() ? row.line->highlight : 0;
        styles_ = view::StyleLine(*rules_, text, state, view_->doc().CodePage(), true);
    } else {
        styles_.resize(text.end());
        for (const view::LinkSpan& l : view::FindLinks(text.Content(), view_->doc().CodePage()))
            for (size_t k = l.start; k < l.end(); ++k) styles_[k].link = true;
    }
    if (view_->doc().typeCode == app::TypeCodeOf(app::ProfileId::kHtml))
        view::MarkMarkup(styles_, text.Content());
    return styles_;
}

bool EditWidget::RunAddressCommand(app::AddressCommand command) {
    if (paused_) return false;
    const std::string line = view_->LineContent(view_->caretLine());
    const std::optional<view::LinkSpan> link =
        view::LinkAt(line, view_->caretPos(), view_->doc().CodePage());
    if (!link || (command != app::AddressCommand::OpenURL && !selection_)) {
        if (platform::UserInterface* ui = view_->shared().ui)
            ui->Refuse(view::kNoAddressText);
        else
            QApplication::beep();
        return false;
    }
    const int lineNumber = view_->caretLineNumber();
    switch (command) {
        case app::AddressCommand::SelectURL:
            selection_->Select(lineNumber, link->start, lineNumber, link->end());
            Refresh();
            return true;
        case app::AddressCommand::CopyURL:
            selection_->Select(lineNumber, link->start, lineNumber, link->end());
            return RunCommand(editing::CommandId::EditCopy);
        case app::AddressCommand::CutURL:
            selection_->Select(lineNumber, link->start, lineNumber, link->end());
            return RunCommand(editing::CommandId::EditCut);
        case app::AddressCommand::OpenURL:
            return OpenAddress(line.substr(link->start, link->length), link->isUrl);
    }
    return false;
}

bool EditWidget::OpenAddress(const std::string& address, bool isUrl) {
    // The settings are text of the system's code page; an address is plain ASCII.
    const int systemCodePage = platform::SystemCodePage();
    auto utf8 = [systemCodePage](const std::string& s) {
        return BytesToQString(systemCodePage, s).toStdString();
    };
    const std::vector<std::string> args = app::AddressCommandLine(
        address, isUrl, utf8(options_.urlProgram), utf8(options_.mailProgram));
    if (startProgram) return startProgram(args);
    QStringList rest;
    for (size_t i = 1; i < args.size(); ++i) rest << QString::fromStdString(args[i]);
    const QString program = QString::fromStdString(args[0]);
    if (QProcess::startDetached(program, rest)) return true;
    QMessageBox::warning(this, QApplication::applicationName(),
                         QStringLiteral("Cannot start \"%1\" to open %2.")
                             .arg(program, QString::fromStdString(address)));
    return false;
}

}  // namespace norv::qt
