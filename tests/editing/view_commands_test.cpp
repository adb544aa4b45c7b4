// Every view command of the command table is carried out by the view (with its selection), or
// is listed as coming with a later part of the program.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/commands/command_table.h"
#include "edit_test_support.h"
#include "editing/selection.h"
#include "platform/fakes/fake_clipboard.h"

namespace norv::editing {
namespace {

bool IsSearchCommand(CommandId id) {
    static constexpr CommandId kSearch[] = {
        CommandId::SearchFwd, CommandId::SearchBwd, CommandId::SearchNext, CommandId::SearchPrev,
        CommandId::Replace, CommandId::ReplAgain, CommandId::GetWord,
        // Tag jumps open and activate windows: the frame's extension carries them out.
        CommandId::TagJump, CommandId::BackToTag};
    return std::find(std::begin(kSearch), std::end(kSearch), id) != std::end(kSearch);
}

TEST(ViewCommands, EveryCommandHasAHandlerOrIsListedForLater) {
    for (const ViewCommand& c : kViewCommands) {
        SCOPED_TRACE(std::string(c.name));
        testing::Editor ed(testing::Enc::kAscii);
        ed.Load("ab|c\ndef");
        platform::FakeClipboard clip;
        ClipboardContext ctx;
        ctx.clipboard = &clip;
        Selection sel(*ed.view, ctx);
        // The search commands are carried out by the search's command extension and the tag
        // jumps by the frame's (their own tests check them); without one the view does nothing
        // with them.
        bool later =
            std::find(std::begin(app::kCommandsHandledLater), std::end(app::kCommandsHandledLater),
                      c.name) != std::end(app::kCommandsHandledLater) ||
            IsSearchCommand(c.id);
        EXPECT_EQ(ed.view->Execute(c.id), !later);
    }
}

}  // namespace
}  // namespace norv::editing
