// Images as outside input: the `.NRX` file round trip, the validator's refusals, and
// hand-made images that try to reach outside the script's regions.
#include "script/image.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "script/address_space.h"
#include "script/opcodes.h"
#include "script_test_support.h"

namespace norv::script {
namespace {

struct Ins {
    Op op;
    std::vector<int32_t> operands;
};

std::string Assemble(std::initializer_list<Ins> code,
                     const std::string& data = std::string(16, '\0'), uint32_t stack = 0) {
    std::string img(kHeaderSize, '\0');
    for (const Ins& i : code) {
        img.push_back(static_cast<char>(i.op));
        for (int32_t v : i.operands) {
            char b[4];
            WriteLe32(reinterpret_cast<uint8_t*>(b), static_cast<uint32_t>(v));
            img.append(b, 4);
        }
    }
    const auto codeSize = static_cast<uint32_t>(img.size());
    WriteHeader(img, "/t/hand.NRS", codeSize, static_cast<uint32_t>(data.size()), stack);
    return img + data;
}

struct Ran {
    ImageStatus status;
    RunResult result = RunResult::kHalted;
    std::vector<std::string> messages;
};

Ran RunImage(std::string img) {
    platform::SetSystemCodePage(932);
    platform::HeadlessUi ui;
    testing::TestHost host(ui);
    Ran out;
    RuntimeLimits limits;
    limits.instructionBudget = 100000;
    limits.heapLimit = 1u << 20;
    auto rt = Runtime::Load(std::move(img), host, limits, &out.status);
    if (!rt) return out;
    out.result = rt->Run();
    out.messages = ui.messages;
    return out;
}

TEST(ScriptImage, NrxFileRoundTrip) {
    testing::ScratchDir dir;
    auto r = testing::CompileText("MAIN\nMSGBOX(\"hi\")\nEND MAIN\n", dir.path() + "/prog.NRS");
    ASSERT_TRUE(r.image);
    const std::string path = dir.path() + "/prog.NRX";
    ASSERT_EQ(WriteImageFile(platform::RealFileSystem(), path, *r.image), 0);
    std::string back;
    EXPECT_EQ(ReadImageFile(platform::RealFileSystem(), path, back), ImageStatus::kOk);
    EXPECT_EQ(back, *r.image);
    const Ran ran = RunImage(back);
    EXPECT_EQ(ran.messages, std::vector<std::string>{"hi"});
}

TEST(ScriptImage, ValidatorRefuses) {
    const std::string good = Assemble({{Op::kHalt, {}}});
    ASSERT_EQ(ValidateImage(good), ImageStatus::kOk);
    auto patched = [&](uint32_t at, uint32_t v) {
        std::string s = good;
        WriteLe32(reinterpret_cast<uint8_t*>(s.data() + at), v);
        return s;
    };
    static const struct {
        const char* what;
        std::string image;
        ImageStatus want;
    } kCases[] = {
        {"empty", "", ImageStatus::kBadSignature},
        {"short", good.substr(0, 50), ImageStatus::kBadSignature},
        {"signature", "Norx" + good.substr(4), ImageStatus::kBadSignature},
        {"code size below the header", patched(kCodeSizeOffset, 95), ImageStatus::kBadSize},
        {"code size beyond the file", patched(kCodeSizeOffset, 5000), ImageStatus::kBadSize},
        {"data beyond the file", patched(kDataSizeOffset, 17), ImageStatus::kBadSize},
        {"huge stack", patched(kStackSizeOffset, 0x7FFFFFFF), ImageStatus::kBadSize},
        {"version", patched(kVersionOffset, 1), ImageStatus::kOtherVersion},
        {"unknown opcode", Assemble({{Op::kHalt, {}}}).replace(96, 1, "\x05"),
         ImageStatus::kBadInstruction},
        {"cut instruction", Assemble({{Op::kHalt, {}}, {Op::kJmp, {96}}}).substr(0, 96 + 3),
         ImageStatus::kBadSize},
        {"jump into an operand", Assemble({{Op::kJmp, {97}}}), ImageStatus::kBadTarget},
        {"jump forward into a later operand",
         Assemble({{Op::kJz, {102}}, {Op::kPushI, {1}}, {Op::kHalt, {}}}), ImageStatus::kBadTarget},
        {"jump to the end of the code", Assemble({{Op::kJmp, {101}}}), ImageStatus::kBadTarget},
        {"a bad target does not hide a bad instruction later",
         Assemble({{Op::kJmp, {97}}, {Op::kLdg, {13}}}), ImageStatus::kBadInstruction},
        {"jump outside", Assemble({{Op::kJz, {5000}}}), ImageStatus::kBadTarget},
        {"call into the header", Assemble({{Op::kCallU, {10}}}), ImageStatus::kBadTarget},
        {"global outside data", Assemble({{Op::kLdg, {13}}}), ImageStatus::kBadInstruction},
        {"string store outside data", Assemble({{Op::kSstg, {16}}}), ImageStatus::kBadInstruction},
        {"unknown built-in", Assemble({{Op::kCallB, {9999}}}), ImageStatus::kBadInstruction},
    };
    for (const auto& c : kCases) EXPECT_EQ(ValidateImage(c.image), c.want) << c.what;
}

// The starts a passing validation hands out: every instruction's first byte and the end of
// the code, nothing inside an operand or the header.
TEST(ScriptImage, ValidationGivesTheInstructionStarts) {
    const std::string image = Assemble(
        {{Op::kPushI, {7}}, {Op::kJz, {107}}, {Op::kPop, {}}, {Op::kCallB, {12}}, {Op::kHalt, {}}});
    std::vector<uint8_t> starts;
    ASSERT_EQ(ValidateImage(image, &starts), ImageStatus::kOk);
    const uint32_t end = ReadLe32(reinterpret_cast<const uint8_t*>(image.data()) + kCodeSizeOffset);
    ASSERT_EQ(starts.size(), size_t{end} + 1);
    std::vector<size_t> at;
    for (size_t i = 0; i < starts.size(); ++i)
        if (starts[i]) at.push_back(i);
    std::vector<size_t> want = {96, 101, 106, 107, 112};
    want.push_back(end);
    EXPECT_EQ(at, want);
}

TEST(ScriptImage, HandMadeImagesStayInsideTheirRegions) {
    const int32_t big = 0x7FFFFFF0;
    static const struct {
        const char* what;
        std::string image;
        RunResult want;
    } kCases[] = {
        {"indexed load far away",
         Assemble({{Op::kPushI, {big}}, {Op::kLdgx, {0}}, {Op::kHalt, {}}}), RunResult::kFault},
        {"indexed load below", Assemble({{Op::kPushI, {-4}}, {Op::kLdgx, {0}}, {Op::kHalt, {}}}),
         RunResult::kFault},
        {"indexed store",
         Assemble({{Op::kPushI, {1}}, {Op::kPushI, {13}}, {Op::kStgx, {0}}, {Op::kHalt, {}}}),
         RunResult::kFault},
        {"local outside the stack", Assemble({{Op::kLdl, {big}}, {Op::kHalt, {}}}),
         RunResult::kFault},
        {"local store outside",
         Assemble({{Op::kPushI, {1}}, {Op::kStl, {-0x100000}}, {Op::kHalt, {}}}),
         RunResult::kFault},
        {"pop past the top", Assemble({{Op::kPop, {}}, {Op::kPop, {}}, {Op::kHalt, {}}}),
         RunResult::kFault},
        {"return to nowhere", Assemble({{Op::kPushI, {12345}}, {Op::kRet, {0}}}),
         RunResult::kFault},
        {"return after popping the last slot", Assemble({{Op::kRet, {5}}}), RunResult::kFault},
        {"return dropping too much", Assemble({{Op::kPushI, {0}}, {Op::kRet, {100000}}}),
         RunResult::kFault},
        {"leave without enter", Assemble({{Op::kLeave, {}}, {Op::kLeave, {}}, {Op::kHalt, {}}}),
         RunResult::kFault},
        {"huge frame", Assemble({{Op::kEnter, {big}}, {Op::kHalt, {}}}), RunResult::kStackOverflow},
        {"move across regions",
         Assemble({{Op::kPushI, {64}},
                   {Op::kPushI, {int32_t(kDataBase)}},
                   {Op::kPushI, {int32_t(kStackBase) - 8}},
                   {Op::kMove, {}},
                   {Op::kHalt, {}}}),
         RunResult::kFault},
        {"copy a string into nothing",
         Assemble({{Op::kPushA, {0}}, {Op::kPushI, {16}}, {Op::kScpy, {}}, {Op::kHalt, {}}}),
         RunResult::kFault},
        {"endless pushes", Assemble({{Op::kPushI, {1}}, {Op::kJmp, {96}}}),
         RunResult::kStackOverflow},
        {"indexed local string store whose offset wraps",
         Assemble({{Op::kEnter, {0}},
                   {Op::kPushI, {0}},
                   {Op::kPushI, {0x7FFFFFF0}},
                   {Op::kSstlx, {0x7FFFFFF0}},
                   {Op::kHalt, {}}}),
         RunResult::kHalted},
        {"hold", Assemble({{Op::kHold, {}}}), RunResult::kBudget},
        {"string store of a forged reference",
         Assemble({{Op::kEnter, {0}},
                   {Op::kPushI, {int32_t(kHeapBase) + 3}},
                   {Op::kSstg, {0}},
                   {Op::kLeave, {}},
                   {Op::kHalt, {}}}),
         RunResult::kHalted},
    };
    for (const auto& c : kCases) {
        const Ran ran = RunImage(c.image);
        ASSERT_EQ(ran.status, ImageStatus::kOk) << c.what;
        EXPECT_EQ(ran.result, c.want) << c.what;
    }
}

TEST(ScriptImage, UnreadableStringArgumentShowsTheMessageAndReadsEmpty) {
    // LCASE of an Integer that is no script address, then MSGBOX of the result.
    const std::string img = Assemble({{Op::kEnter, {0}},
                                      {Op::kPushI, {0}},
                                      {Op::kPushI, {0}},
                                      {Op::kPushI, {0x7000}},
                                      {Op::kCallB, {22}},
                                      {Op::kCallB, {301}},
                                      {Op::kPop, {}},
                                      {Op::kLeave, {}},
                                      {Op::kHalt, {}}});
    const Ran ran = RunImage(img);
    ASSERT_EQ(ran.status, ImageStatus::kOk);
    EXPECT_EQ(ran.result, RunResult::kHalted);
    ASSERT_EQ(ran.messages.size(), 2u);
    EXPECT_EQ(ran.messages[0],
              "Illegal memory access occured.\nPlease check if you are not passing integers as "
              "string parameters.");
    EXPECT_EQ(ran.messages[1], "");
}

}  // namespace
}  // namespace norv::script
