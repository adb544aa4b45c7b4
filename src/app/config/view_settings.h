// What a document's views read from the settings: the layout and editing options of the
// document's file type, and the key options of the frame.
#pragma once

#include "app/commands/key_dispatch.h"
#include "app/config/settings.h"
#include "document/document.h"
#include "editing/edit_options.h"
#include "view/line_layout.h"

namespace norv::app {

// The profile of a document: the one its type code names, else Default.
Profile ProfileOfDocument(const document::CElwDoc& doc, const Settings& settings);

// Wrap column, tab width, word wrap and the line-breaking sets of the document's file type, on
// the document's character model.
view::LayoutOptions LayoutOptionsFor(const document::CElwDoc& doc, const Settings& settings);

// The editing options: the file type's indentation, tab and wrap options, then the program-wide
// editing, scrolling and undo options.
editing::EditOptions EditOptionsFor(const document::CElwDoc& doc, const Settings& settings);

// ShiftSelect, TwoMenu and TwoDelay.
DispatchOptions DispatchOptionsFrom(const Settings& settings);

}  // namespace norv::app
