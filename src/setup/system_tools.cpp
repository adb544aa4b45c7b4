// The desktop tools of the machine, run without a shell and bounded in time.
#include "platform/process_start.h"
#include "setup/setup_session.h"

namespace norv::setup {
namespace {

// update-mime-database over a large database takes a few seconds; a tool that hangs must not
// hold setup for ever.
constexpr int kToolWaitMs = 60000;

class MachineTools final : public ToolRunner {
  public:
    bool Run(const std::vector<std::string>& argv) override {
        platform::StartOutcome r = platform::StartDetached(argv, kToolWaitMs);
        return r.kind == platform::StartOutcome::Kind::kExited && r.status == 0;
    }
    void OpenFolder(const std::string& folder) override {
        platform::StartDetached({"xdg-open", folder});
    }
};

}  // namespace

ToolRunner& SystemTools() {
    static MachineTools tools;
    return tools;
}

}  // namespace norv::setup
