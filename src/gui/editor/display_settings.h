// The edit view's display options and colours from the program's settings.
#pragma once

#include <algorithm>

#include "app/config/settings.h"
#include "gui/editor/edit_widget.h"

namespace norv::qt {

// Colours are "red green blue" values; black text and a white background keep their meaning
// of "the system's colour" (the widget resolves them when painting).
DisplayOptions DisplayOptionsFrom(const app::Settings& settings);
// The text font of the settings (TextFont, TextFontHeight in pixels), through the fallbacks of
// ChooseEditorFont when the stored face is not installed or does not fit the cell grid.
QFont EditorFontFrom(const app::Settings& settings);

}  // namespace norv::qt
