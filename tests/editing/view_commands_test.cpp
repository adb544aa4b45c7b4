// Every view command of the command table is carried out by the view (with its selection), or
// is listed as coming with a later part of the program.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/command_table.h"
#include "edit_test_support.h"
#include "editing/selection.h"
#include "platform/headless/fake_clipboard.h"

namespace norv::editing {
namespace {

TEST(ViewCommands, EveryCommandHasAHandlerOrIsListedForLater) {
    for (const ViewCommand& c : kViewCommands) {
        SCOPED_TRACE(std::string(c.name));
        testing::Editor ed(testing::Enc::Ascii);
        ed.Load("ab|c\ndef");
        platform::FakeClipboard clip;
        ClipboardContext ctx;
        ctx.clipboard = &clip;
        Selection sel(*ed.view, ctx);
        bool later =
            std::find(std::begin(app::kCommandsHandledLater), std::end(app::kCommandsHandledLater),
                      c.name) != std::end(app::kCommandsHandledLater);
        EXPECT_EQ(ed.view->Execute(c.id), !later);
    }
}

}  // namespace
}  // namespace norv::editing
