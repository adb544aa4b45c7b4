// "Add String": the string to put at the start or at the end of every line of the selection.
#pragma once

#include <QString>

#include "editing/edit_view.h"

class QWidget;

namespace norv::qt {

// The string field (escape sequences allowed), "&Top of Line" / "&End of Line", OK and Cancel.
// The field shows the request's text when a script gave one, else `remembered`. On OK the text
// goes back in the document's code; a text that code cannot hold beeps and keeps the dialog
// open. False when cancelled.
bool AskAddString(QWidget* parent, editing::AddStringRequest& request, const QString& remembered);
inline constexpr const char* kAddStringTextName = "addString";
inline constexpr const char* kAddStringTopName = "topOfLine";
inline constexpr const char* kAddStringEndName = "endOfLine";

}  // namespace norv::qt
