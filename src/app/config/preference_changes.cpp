// Checking and storing the values of the preference pages.
#include "app/config/preference_changes.h"

#include <charconv>

namespace norv::app {

namespace {

bool IsOneOf(Key key, std::initializer_list<Key> keys) {
    for (Key k : keys)
        if (k == key) return true;
    return false;
}

bool InFamily(Key key, Key first, size_t count) {
    return size_t(key) >= size_t(first) && size_t(key) < size_t(first) + count;
}

int ParseInt(std::string_view s) {
    int v = 0;
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

}  // namespace

uint32_t ReapplyOf(Key key) {
    // Kept and written back; nothing in the program acts on them.
    if (IsOneOf(key, {Key::FixWindow, Key::Remember, Key::CallFiler, Key::ShowWall,
                      Key::LinePointer, Key::FkeyMode}))
        return kReapplyNothing;
    if (IsOneOf(key, {Key::TextFont, Key::TextFontHeight, Key::TextFontCharSet, Key::TextFontUC}))
        return kReapplyFonts | kReapplyViews;
    if (IsOneOf(key, {Key::PrintFont, Key::PrintFontHeight, Key::PrintFontCharSet, Key::PrintFontUC,
                      Key::Header, Key::Footer, Key::HeadAlign, Key::FootAlign, Key::PackPrint,
                      Key::PrintLine, Key::PrintTop, Key::PrintBottom, Key::PrintLeft,
                      Key::PrintRight, Key::PrintSpacing}))
        return kReapplyPrint;
    if (IsOneOf(key, {Key::StatBar, Key::DispFkey, Key::BigButton, Key::BarFile, Key::BarEdit,
                      Key::BarFind, Key::BarTool, Key::BarWindow}) ||
        InFamily(key, Key::ToolBar1, 5))
        return kReapplyBars;
    if (IsOneOf(key, {Key::KeyDefinition, Key::TwoMenu, Key::TwoDelay, Key::ShiftSelect}))
        return kReapplyKeys | kReapplyViews;
    if (InFamily(key, Key::Menu0Item, 5) || InFamily(key, Key::Menu0Add, 5) || key == Key::MRUFiles)
        return kReapplyMenus;
    // The help entries name the function keys' buttons and the help menu.
    if (InFamily(key, Key::Help1, 30)) return kReapplyMenus | kReapplyKeys;
    const PageField* f = FieldOf(key);
    if (!f) return kReapplyNothing;
    switch (f->page) {
        case PageId::COption:
        case PageId::CAdvanced:
        case PageId::CDispOpt:
        case PageId::CFontColor:
        case PageId::COthers:
            return kReapplyViews;
        default:
            // Profiles are taken by documents as they open; archivers, programs and folders
            // are read where they are used.
            return kReapplyNothing;
    }
}

std::optional<PreferenceRefusal> CheckPreferences(std::span<const PreferenceEdit> edits,
                                                  const FontExists& fontExists) {
    for (const PreferenceEdit& e : edits)
        if (auto message = RefusalOf(e.key, e.value, fontExists))
            return PreferenceRefusal{e.key, std::move(*message)};
    return std::nullopt;
}

PreferenceOutcome ApplyPreferences(Settings& settings, SettingsStore* store,
                                   std::span<const PreferenceEdit> edits,
                                   const FontExists& fontExists) {
    PreferenceOutcome out;
    out.refused = CheckPreferences(edits, fontExists);
    if (out.refused) return out;
    for (const PreferenceEdit& e : edits) {
        const ValueType type = SpecOf(e.key).type;
        bool same = false;
        switch (type) {
            case ValueType::kInt:
                same = settings.Int(e.key) == ParseInt(e.value);
                break;
            case ValueType::kColour:
                // "0 0 0" and "000 000 000" are the same colour.
                same = settings.Colour(e.key) == ParseColour(e.value);
                break;
            case ValueType::kText:
                same = settings.Text(e.key) == e.value;
                break;
        }
        if (same) continue;
        bool stored = true;
        if (!store) {
            if (type == ValueType::kInt)
                settings.Set(e.key, ParseInt(e.value));
            else
                settings.Set(e.key, type == ValueType::kColour ? FormatColour(ParseColour(e.value))
                                                               : e.value);
        } else if (type == ValueType::kInt) {
            stored = settings.Write(*store, e.key, ParseInt(e.value));
        } else if (type == ValueType::kColour) {
            stored = settings.WriteColour(*store, e.key, ParseColour(e.value));
        } else {
            stored = settings.Write(*store, e.key, e.value);
        }
        if (!stored) {
            out.failed.push_back(e.key);
            continue;
        }
        out.written.push_back(e.key);
        out.reapply |= ReapplyOf(e.key);
    }
    return out;
}

}  // namespace norv::app
