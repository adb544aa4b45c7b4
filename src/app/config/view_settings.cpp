#include "app/config/view_settings.h"

#include <algorithm>

#include "app/config/profiles.h"

namespace norv::app {

Profile ProfileOfDocument(const document::CElwDoc& doc, const Settings& settings) {
    const ProfileId id = ProfileOfTypeCode(doc.typeCode).value_or(ProfileId::kDefault);
    return settings.ProfileAt(id);
}

view::LayoutOptions LayoutOptionsFor(const document::CElwDoc& doc, const Settings& settings) {
    const Profile p = ProfileOfDocument(doc, settings);
    view::LayoutOptions o;
    // A wrap column below 1 would give rows without characters; beyond the line buffer it
    // means no visible wrapping at all.
    o.wrapColumn = std::clamp(p.wrapColumn, 1, 4096);
    o.tabWidth = doc.tabWidth > 0 ? doc.tabWidth : (p.tabWidth > 0 ? p.tabWidth : 8);
    o.noWordWrap = p.noWordWrap;
    o.codePage = doc.CodePage();
    o.ankOida = settings.Text(Key::ANKOida);
    o.ankBura = settings.Text(Key::ANKBura);
    o.dbcsOida = settings.Text(Key::DBCSOida);
    o.dbcsBura = settings.Text(Key::DBCSBura);
    return o;
}

editing::EditOptions EditOptionsFor(const document::CElwDoc& doc, const Settings& settings) {
    const Profile p = ProfileOfDocument(doc, settings);
    editing::EditOptions o;
    o.autoIndent = p.autoIndent;
    o.dbcsSpaceIndent = p.doubleWidthSpaceIndent;
    o.softTab = p.softTab;
    o.cFile = doc.typeCode == TypeCodeOf(ProfileId::kCSource);
    // C source never wraps on its own.
    o.noWrap = p.noWrap || o.cFile;
    o.cppMode = settings.Flag(Key::C_CppMode);
    o.freeCursor = settings.Flag(Key::FreeCursor);
    o.jumpCenter = settings.Flag(Key::JumpCenter);
    o.eolOverCursor = settings.Flag(Key::EOLOverCsr);
    o.fillByTab = settings.Flag(Key::FillByTAB);
    o.autoSplit = settings.Flag(Key::AutoSplit);
    o.removeSpaces = settings.Flag(Key::RemoveSpc);
    o.ankTitle = settings.Text(Key::ANKTitle);
    o.dbcsTitle = settings.Text(Key::DBCSTitle);
    o.ankDelimiter = settings.Text(Key::ANKDelimiter);
    o.dbcsDelimiter = settings.Text(Key::DBCSDelimiter);
    o.accelerate = settings.Flag(Key::Accell);
    o.accelRepeat = std::max(1, settings.Int(Key::AccRpt));
    o.accelMode = settings.Int(Key::AccMode);
    o.undoLimitKb = static_cast<size_t>(std::max(0, settings.Int(Key::UndoLimit)));
    o.undoReset = settings.Flag(Key::UndoReset);
    return o;
}

DispatchOptions DispatchOptionsFrom(const Settings& settings) {
    DispatchOptions o;
    o.shiftSelect = settings.Flag(Key::ShiftSelect);
    o.twoMenu = settings.Flag(Key::TwoMenu);
    // A delay of 0 or less would open the menu before any second key could come.
    o.twoDelay = std::clamp(settings.Int(Key::TwoDelay), 1, 60000);
    return o;
}

}  // namespace norv::app
