// The start-up order: the steps in the order of the design's fourteen, every one run or told
// in turn, a step that ends start-up, and a headless run through the same list.
#include "app/startup_steps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace norv::app {
namespace {

std::vector<std::string> Names(const std::vector<const StartupStepInfo*>& seen) {
    std::vector<std::string> out;
    for (const StartupStepInfo* i : seen)
        out.push_back(std::to_string(i->number) + " " + std::string(i->name));
    return out;
}

TEST(StartupSteps, FollowTheOrderOfStartUp) {
    const std::vector<std::string> expected = {
        "1 SettingsFile",       "2 MarkStarting",    "3 InstanceProtocol", "4 PlatformComponents",
        "5 OptionalFacilities", "6 RecentFileCount", "7 DocumentTemplate", "8 LoadSettings",
        "9 CreateFrame",        "10 CommandLine",    "11 ShowWindow",      "11 RestoreToolBars",
        "11 ResidentScripts",   "12 ReleaseCache",   "12 StartupScript",   "13 ResidentOrPosted",
        "14 ResetOptions",      "14 InputMethod",
    };
    std::vector<const StartupStepInfo*> seen;
    StartupSequence s;
    s.observer = [&seen](const StartupStepInfo& i) { seen.push_back(&i); };
    EXPECT_TRUE(s.Run());
    EXPECT_EQ(Names(seen), expected);
    for (size_t i = 0; i < std::size(kStartupSteps); ++i)
        EXPECT_EQ(&InfoOf(static_cast<StartupStep>(i)), &kStartupSteps[i]);
}

TEST(StartupSteps, SuppliedStepsRunInOrderAndOneMayEndStartUp) {
    std::string ran;
    StartupSequence s;
    s.Supply(StartupStep::kLoadSettings, [&ran] { ran += "settings "; });
    s.Supply(StartupStep::kSettingsFile, [&ran] { ran += "file "; });
    s.Supply(StartupStep::kCommandLine, [&ran] { ran += "files "; });
    s.SupplyMayEnd(StartupStep::kInstanceProtocol, [&ran] {
        ran += "instance ";
        return true;
    });
    EXPECT_TRUE(s.Supplied(StartupStep::kCommandLine));
    EXPECT_FALSE(s.Supplied(StartupStep::kShowWindow));
    EXPECT_TRUE(s.Run());
    EXPECT_EQ(ran, "file instance settings files ");
    // A handoff to a running instance ends start-up after the instance step.
    ran.clear();
    s.SupplyMayEnd(StartupStep::kInstanceProtocol, [&ran] {
        ran += "handed off ";
        return false;
    });
    std::vector<const StartupStepInfo*> seen;
    s.observer = [&seen](const StartupStepInfo& i) { seen.push_back(&i); };
    EXPECT_FALSE(s.Run());
    EXPECT_EQ(ran, "file handed off ");
    EXPECT_EQ(seen.back()->step, StartupStep::kInstanceProtocol);
}

TEST(StartupSteps, AHeadlessRunGoesThroughTheSameList) {
    // The window run supplies the front end's steps, a headless one leaves the window's out.
    auto run = [](bool window) {
        StartupSequence s;
        std::vector<std::string> log;
        for (const StartupStepInfo& i : kStartupSteps) {
            const bool windowOnly =
                i.step == StartupStep::kShowWindow || i.step == StartupStep::kRestoreToolBars;
            if (windowOnly && !window) continue;
            s.Supply(i.step, [&log, &i] { log.push_back("ran " + std::string(i.name)); });
        }
        s.observer = [&log](const StartupStepInfo& i) { log.push_back(std::string(i.name)); };
        s.Run();
        return log;
    };
    std::vector<std::string> gui = run(true), headless = run(false);
    std::erase_if(gui, [](const std::string& l) { return l.rfind("ran ", 0) == 0; });
    std::erase_if(headless, [](const std::string& l) { return l.rfind("ran ", 0) == 0; });
    EXPECT_EQ(gui, headless);
    EXPECT_EQ(gui.size(), std::size(kStartupSteps));
    for (const StartupStepInfo& i : kStartupSteps)
        EXPECT_EQ(i.frontEnd, i.step == StartupStep::kCreateFrame ||
                                  i.step == StartupStep::kShowWindow ||
                                  i.step == StartupStep::kRestoreToolBars)
            << i.name;
}

}  // namespace
}  // namespace norv::app
