// The commands that go to an edit view: their 16-bit identifiers and names, in the order of the
// command table (caret movement, line edit, edit, scroll, jump, search). Key assignment, menus,
// macros and scripts name commands with these names and send these identifiers; nothing else
// repeats them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace norv::editing {

enum class CommandId : uint16_t {
    // Caret movement
    CsrUp = 58368, CsrLeft = 58369, CsrRight = 58370, CsrDown = 58371, WordLeft = 58372,
    WordRight = 58373, BegLine = 58374, EndLine = 58375, LeftSide = 58376, RightSide = 58377,
    // Line edit
    BackSpace = 58379, DeleteChar = 58380, InputCtrl = 58381, InsertTab = 58382,
    ChangeCase = 58383, ChgCaseOne = 58384, DeleteAfter = 58385, DeleteTop = 58386,
    WordBS = 58387, WordDel = 58388, RepeatOne = 58389, WordPaste = 58390, TimeStamp = 58391,
    SplitLine = 58392, InsertAft = 58394, InsertBef = 58395, DupLine = 58396,
    DeleteLine = 58393, PopLine = 58398,
    // Edit
    EditCopy = 57634, EditCut = 57635, EditCopyAppend = 32836, EditCutAppend = 32835,
    EditPaste = 57637, Undo = 57643, Redo = 57644, Repeat = 57640, StepDo = 32789,
    SelectBegin = 58441, SelectEnd = 191, BoxBegin = 58445, BoxPaste = 58442,
    EditConvert = 32802, EditCenter = 32797, EditLeft = 32795, EditRight = 32796,
    EditSort = 32798, Indent = 32800, BackInd = 32799, AddString = 32801, SelectAll = 57642,
    CopyToFile = 32778, PasteFromFile = 32777, AppendFile = 32779, ReFormat = 32811,
    DeFormat = 32825, FlushBuf = 58443, SelectClipBd = 58444, ModeInsert = 58378,
    ModeAutoSplit = 58425,
    // Scroll
    RollUp = 58405, RollDown = 58406, NormalRlUp = 58412, NormalRlDn = 58411,
    SRollUp = 58407, SRollDown = 58408, AnothRollUp = 58415, AnothRollDown = 58416,
    BothRollUp = 58413, BothRollDown = 58414, PageUp = 58410, PageDown = 58409,
    HalfPageUp = 58417, HalfPageDown = 58418, RollLeft = 58419, RollRight = 58420,
    SlowRlup = 58423, SlowRldn = 58424, MakeTop = 58426, MakeBot = 58427, MakeMid = 58428,
    // Jump
    TextTop = 58429, TextBot = 58430, JumpLine = 58431, PrevPos = 58432, ScreenTop = 58437,
    ScreenBot = 58438, TagJump = 58439, BackToTag = 32783, OtherParen = 58440,
    NextChanged = 58473, PrevChanged = 58474, MarkLine = 58397, MarkCaption = 58450,
    NextMark = 58433, PrevMark = 58434, MarkList = 58435, MarkOff = 58436,
    // Search
    SearchFwd = 58446, SearchBwd = 58447, SearchNext = 32770, SearchPrev = 32769,
    Replace = 57641, ReplAgain = 58448, GetWord = 58451,
};

struct ViewCommand {
    CommandId id;
    std::string_view name;
};

inline constexpr std::array kViewCommands = {
    ViewCommand{CommandId::CsrUp, "CsrUp"}, ViewCommand{CommandId::CsrLeft, "CsrLeft"},
    ViewCommand{CommandId::CsrRight, "CsrRight"}, ViewCommand{CommandId::CsrDown, "CsrDown"},
    ViewCommand{CommandId::WordLeft, "WordLeft"}, ViewCommand{CommandId::WordRight, "WordRight"},
    ViewCommand{CommandId::BegLine, "BegLine"}, ViewCommand{CommandId::EndLine, "EndLine"},
    ViewCommand{CommandId::LeftSide, "LeftSide"}, ViewCommand{CommandId::RightSide, "RightSide"},
    ViewCommand{CommandId::BackSpace, "BackSpace"},
    ViewCommand{CommandId::DeleteChar, "DeleteChar"},
    ViewCommand{CommandId::InputCtrl, "InputCtrl"}, ViewCommand{CommandId::InsertTab, "InsertTab"},
    ViewCommand{CommandId::ChangeCase, "ChangeCase"},
    ViewCommand{CommandId::ChgCaseOne, "ChgCaseOne"},
    ViewCommand{CommandId::DeleteAfter, "DeleteAfter"},
    ViewCommand{CommandId::DeleteTop, "DeleteTop"}, ViewCommand{CommandId::WordBS, "WordBS"},
    ViewCommand{CommandId::WordDel, "WordDel"}, ViewCommand{CommandId::RepeatOne, "RepeatOne"},
    ViewCommand{CommandId::WordPaste, "WordPaste"}, ViewCommand{CommandId::TimeStamp, "TimeStamp"},
    ViewCommand{CommandId::SplitLine, "SplitLine"}, ViewCommand{CommandId::InsertAft, "InsertAft"},
    ViewCommand{CommandId::InsertBef, "InsertBef"}, ViewCommand{CommandId::DupLine, "DupLine"},
    ViewCommand{CommandId::DeleteLine, "DeleteLine"}, ViewCommand{CommandId::PopLine, "PopLine"},
    ViewCommand{CommandId::EditCopy, "EditCopy"}, ViewCommand{CommandId::EditCut, "EditCut"},
    ViewCommand{CommandId::EditCopyAppend, "EditCopyAppend"},
    ViewCommand{CommandId::EditCutAppend, "EditCutAppend"},
    ViewCommand{CommandId::EditPaste, "EditPaste"}, ViewCommand{CommandId::Undo, "Undo"},
    ViewCommand{CommandId::Redo, "Redo"}, ViewCommand{CommandId::Repeat, "Repeat"},
    ViewCommand{CommandId::StepDo, "StepDo"}, ViewCommand{CommandId::SelectBegin, "SelectBegin"},
    ViewCommand{CommandId::SelectEnd, "SelectEnd"}, ViewCommand{CommandId::BoxBegin, "BoxBegin"},
    ViewCommand{CommandId::BoxPaste, "BoxPaste"},
    ViewCommand{CommandId::EditConvert, "EditConvert"},
    ViewCommand{CommandId::EditCenter, "EditCenter"}, ViewCommand{CommandId::EditLeft, "EditLeft"},
    ViewCommand{CommandId::EditRight, "EditRight"}, ViewCommand{CommandId::EditSort, "EditSort"},
    ViewCommand{CommandId::Indent, "Indent"}, ViewCommand{CommandId::BackInd, "BackInd"},
    ViewCommand{CommandId::AddString, "AddString"}, ViewCommand{CommandId::SelectAll, "SelectAll"},
    ViewCommand{CommandId::CopyToFile, "CopyToFile"},
    ViewCommand{CommandId::PasteFromFile, "PasteFromFile"},
    ViewCommand{CommandId::AppendFile, "AppendFile"}, ViewCommand{CommandId::ReFormat, "ReFormat"},
    ViewCommand{CommandId::DeFormat, "DeFormat"}, ViewCommand{CommandId::FlushBuf, "FlushBuf"},
    ViewCommand{CommandId::SelectClipBd, "SelectClipBd"},
    ViewCommand{CommandId::ModeInsert, "ModeInsert"},
    ViewCommand{CommandId::ModeAutoSplit, "ModeAutoSplit"},
    ViewCommand{CommandId::RollUp, "RollUp"}, ViewCommand{CommandId::RollDown, "RollDown"},
    ViewCommand{CommandId::NormalRlUp, "NormalRlUp"},
    ViewCommand{CommandId::NormalRlDn, "NormalRlDn"}, ViewCommand{CommandId::SRollUp, "SRollUp"},
    ViewCommand{CommandId::SRollDown, "SRollDown"},
    ViewCommand{CommandId::AnothRollUp, "AnothRollUp"},
    ViewCommand{CommandId::AnothRollDown, "AnothRollDown"},
    ViewCommand{CommandId::BothRollUp, "BothRollUp"},
    ViewCommand{CommandId::BothRollDown, "BothRollDown"}, ViewCommand{CommandId::PageUp, "PageUp"},
    ViewCommand{CommandId::PageDown, "PageDown"},
    ViewCommand{CommandId::HalfPageUp, "HalfPageUp"},
    ViewCommand{CommandId::HalfPageDown, "HalfPageDown"},
    ViewCommand{CommandId::RollLeft, "RollLeft"}, ViewCommand{CommandId::RollRight, "RollRight"},
    ViewCommand{CommandId::SlowRlup, "SlowRlup"}, ViewCommand{CommandId::SlowRldn, "SlowRldn"},
    ViewCommand{CommandId::MakeTop, "MakeTop"}, ViewCommand{CommandId::MakeBot, "MakeBot"},
    ViewCommand{CommandId::MakeMid, "MakeMid"}, ViewCommand{CommandId::TextTop, "TextTop"},
    ViewCommand{CommandId::TextBot, "TextBot"}, ViewCommand{CommandId::JumpLine, "JumpLine"},
    ViewCommand{CommandId::PrevPos, "PrevPos"}, ViewCommand{CommandId::ScreenTop, "ScreenTop"},
    ViewCommand{CommandId::ScreenBot, "ScreenBot"}, ViewCommand{CommandId::TagJump, "TagJump"},
    ViewCommand{CommandId::BackToTag, "BackToTag"},
    ViewCommand{CommandId::OtherParen, "OtherParen"},
    ViewCommand{CommandId::NextChanged, "NextChanged"},
    ViewCommand{CommandId::PrevChanged, "PrevChanged"},
    ViewCommand{CommandId::MarkLine, "MarkLine"},
    ViewCommand{CommandId::MarkCaption, "MarkCaption"},
    ViewCommand{CommandId::NextMark, "NextMark"}, ViewCommand{CommandId::PrevMark, "PrevMark"},
    ViewCommand{CommandId::MarkList, "MarkList"}, ViewCommand{CommandId::MarkOff, "MarkOff"},
    ViewCommand{CommandId::SearchFwd, "SearchFwd"}, ViewCommand{CommandId::SearchBwd, "SearchBwd"},
    ViewCommand{CommandId::SearchNext, "SearchNext"},
    ViewCommand{CommandId::SearchPrev, "SearchPrev"}, ViewCommand{CommandId::Replace, "Replace"},
    ViewCommand{CommandId::ReplAgain, "ReplAgain"}, ViewCommand{CommandId::GetWord, "GetWord"},
};

constexpr std::optional<CommandId> ViewCommandByName(std::string_view name) {
    for (const ViewCommand& c : kViewCommands)
        if (c.name == name) return c.id;
    return std::nullopt;
}

constexpr std::string_view ViewCommandName(CommandId id) {
    for (const ViewCommand& c : kViewCommands)
        if (c.id == id) return c.name;
    return {};
}

}  // namespace norv::editing
