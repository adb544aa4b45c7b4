// The frame's dialogs: "Jump To", "Step Undo/Redo", "Clipboard History", the list of open
// documents and the list of file types for a new document. Each is a modal
// Qt dialog; its fields carry object names so that tests can fill them.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "app/config/settings.h"
#include "app/config/settings_store.h"
#include "editing/clipboard_history.h"
#include "editing/edit_view.h"

class QWidget;

namespace norv::qt {

// "Jump To": "Line No:" (at most 10 digits), "Physical" or "Logical". False when cancelled or
// when no number was given.
bool AskJumpTo(QWidget* parent, editing::JumpRequest& request);
inline constexpr const char* kJumpLineName = "lineNo";
inline constexpr const char* kJumpPhysicalName = "physical";
inline constexpr const char* kJumpLogicalName = "logical";

// "Step Undo/Redo": "&Steps:", "&Undo", "&Redo", "&Close". The dialog stays open; each press
// steps through `request.step` and then `refresh` repaints. Undo and Redo are enabled only
// while the history can be undone or redone. Returns false (the steps were taken already).
bool RunStepDoDialog(QWidget* parent, editing::StepDoRequest& request,
                     const std::function<void()>& refresh);
inline constexpr const char* kStepsName = "steps";
inline constexpr const char* kUndoButtonName = "undo";
inline constexpr const char* kRedoButtonName = "redo";

// "Clipboard History": the entries newest first, the chosen one's whole text in an edit field,
// "&Copy", "&Paste" and "Cancel".
editing::HistoryButton AskClipboardHistory(QWidget* parent,
                                           editing::ClipboardHistoryRequest& request);
inline constexpr const char* kHistoryListName = "entries";
inline constexpr const char* kHistoryTextName = "text";
inline constexpr const char* kHistoryCopyName = "copy";
inline constexpr const char* kHistoryPasteName = "paste";

// A list to choose one item from ("Select File", "New File Type"): the index chosen, or -1.
int AskChoice(QWidget* parent, const QString& title, const QStringList& items, int current);
inline constexpr const char* kChoiceListName = "choices";

}  // namespace norv::qt
