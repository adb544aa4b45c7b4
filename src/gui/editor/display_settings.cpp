// Settings to display options.
#include "gui/editor/display_settings.h"

#include <iterator>

#include "app/config/preference_table.h"
#include "gui/editor/text_bridge.h"

namespace norv::qt {
namespace {

QColor ColourOf(const app::Settings& s, app::Key key) {
    const app::ColourValue v = s.Colour(key);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                  static_cast<int>((v >> 16) & 0xFF));
}

}  // namespace

QFont EditorFontFrom(const app::Settings& s) {
    const int codePage = s.CodePage();
    QFont f = ChooseEditorFont(BytesToQString(codePage, s.Text(app::Key::TextFont)), 11);
    f.setPixelSize(app::ClampToRange(app::Key::TextFontHeight, s.Int(app::Key::TextFontHeight)));
    return f;
}

DisplayOptions DisplayOptionsFrom(const app::Settings& s) {
    using app::Key;
    DisplayOptions d;
    d.lineNumber = s.Flag(Key::LineNumber);
    d.nonLogicalLine = s.Flag(Key::NonLogicalLine);
    d.columnGauge = s.Flag(Key::ColumnGauge);
    d.tabDisplay = s.Flag(Key::TabDisplay);
    d.dspcDisplay = s.Flag(Key::DSpcDisplay);
    d.crDisplay = s.Flag(Key::CRDisplay);
    d.eofDisplay = s.Flag(Key::EOFDisplay);
    d.showChange = s.Flag(Key::ShowChange);
    d.underLine = s.Flag(Key::UnderLine);
    d.boxCursor = s.Flag(Key::BoxCursor);
    // Extra pixels per row; a negative or absurd value would make rows vanish or explode.
    d.wideLine = std::clamp(s.Int(Key::WideLine), 0, 64);
    DisplayColors& c = d.colors;
    c.text = ColourOf(s, Key::TextColor);
    c.back = ColourOf(s, Key::BackColor);
    c.mark = ColourOf(s, Key::MarkColor);
    c.url = ColourOf(s, Key::URLColor);
    c.eof = ColourOf(s, Key::EOFColor);
    c.cr = ColourOf(s, Key::CRColor);
    c.tab = ColourOf(s, Key::TABColor);
    c.ctrl = ColourOf(s, Key::CtrlColor);
    c.lineNumber = ColourOf(s, Key::LnumColor);
    c.lineNumberBack = ColourOf(s, Key::LBakColor);
    c.ruler = ColourOf(s, Key::GaugColor);
    c.rulerBack = ColourOf(s, Key::GbakColor);
    c.underline = ColourOf(s, Key::UlinColor);
    c.changed = ColourOf(s, Key::ChngColor);
    c.html = ColourOf(s, Key::HTMLColor);
    static constexpr Key kKeywordColours[] = {
        Key::Key0Color, Key::Key1Color, Key::Key2Color, Key::Key3Color,
        Key::Key4Color, Key::Key5Color, Key::Key6Color, Key::Key7Color,
        Key::Key8Color, Key::Key9Color, Key::KeyAColor, Key::KeyBColor,
        Key::KeyCColor, Key::KeyDColor, Key::KeyEColor, Key::KeyFColor,
    };
    static_assert(std::size(kKeywordColours) == view::kSyntaxGroups);
    for (size_t g = 0; g < std::size(kKeywordColours); ++g)
        c.keywords[g] = ColourOf(s, kKeywordColours[g]);
    d.hScrollBar = s.Flag(Key::HScrollBar);
    d.vScrollBar = s.Flag(Key::VScrollBar);
    // Milliseconds per row; 0 or a negative value would make the timer spin.
    d.rollTimer = std::clamp(s.Int(Key::RollTimer), 1, 10000);
    d.urlProgram = s.Text(Key::URLPrg);
    d.mailProgram = s.Text(Key::MailPrg);
    return d;
}

}  // namespace norv::qt
