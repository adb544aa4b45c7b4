// The main frame: the menu bar, the documents in windows of an MDI area, the status bar. It is
// the documents' environment (file layer, user interface, dialogs, hooks) and answers the frame
// commands; view commands go to the active document window's view.
#pragma once

#include <QFont>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/commands/key_dispatch.h"
#include "app/commands/key_table.h"
#include "app/config/configuration.h"
#include "app/config/keyword_file.h"
#include "app/config/settings.h"
#include "app/key_input.h"
#include "app/key_macros.h"
#include "app/preferences_commit.h"
#include "app/scripting/resident_events.h"
#include "app/session.h"
#include "document/document.h"
#include "editing/edit_view.h"
#include "editing/selection.h"
#include "gui/dialogs/file_dialogs.h"
#include "gui/editor/edit_widget.h"
#include "gui/services/qt_clipboard.h"
#include "platform/status.h"
#include "platform/ui.h"

class QLabel;
class QMdiArea;
class QMenu;
class QAction;
class QTabBar;
class QKeyEvent;
class QMouseEvent;
class QToolBar;

namespace norv::app {
class EditorScriptHost;
}

namespace norv::qt {

class DocWindow;
class FindWiring;
class CMarkBar;
class GrepWiring;
class ShellWiring;
class ScriptWiring;
class QtScriptFrame;
class SpellWiring;
class QtUserInterface;
class CommandMenus;
class FunctionKeyBar;
class TwoStrokeTimer;
class ToolBars;

class MainFrame : public QMainWindow,
                  public document::DocumentHooks,
                  public platform::StatusSink,
                  public app::FrameCommands,
                  public app::SessionHost {
    Q_OBJECT

  public:
    // `ui` and `dialogs` replace the real message boxes and file dialogs (tests); null: real.
    explicit MainFrame(platform::UserInterface* ui = nullptr, FileDialogs* dialogs = nullptr);
    ~MainFrame() override;

    // Opens a file into a new window; null when it could not be opened (the reason was shown).
    // `deferred`: the window's view and sub-window are made when it is first needed or shown
    // (a project's windows as they are restored).
    DocWindow* OpenFile(const std::string& path,
                        document::CodeChoice choice = document::CodeChoice::kDefault,
                        bool readOnly = false, bool deferred = false);
    DocWindow* NewFile();
    // Gives a document that was loaded elsewhere (recovery) its window.
    DocWindow* AddDocument(std::unique_ptr<document::CElwDoc> doc) {
        return AddWindow(std::move(doc));
    }
    // A frame command that the application carries out (NorvOpen): from now on it runs, and
    // shows enabled in the menus.
    void HandleFrameCommand(app::FrameCommandId id, std::function<void()> run,
                            bool needsDocument = false);
    // The preferences changed the settings (the application tells the other running copies).
    std::function<void()> settingsChanged;
    // Where the preferences keep the key, keyword and data files.
    void SetPreferenceFiles(app::PreferenceFiles files) { preferenceFiles_ = std::move(files); }
    // Chooses a key definition file on the Keys page (save: to write); empty when cancelled.
    std::function<QString(QWidget* parent, bool save)> chooseKeyFile;
    // Told of every file opened into a window, of every save (the path may be a new one), and
    // of a document whose last window is about to close (the recent files keep them).
    std::function<void(DocWindow&)> fileOpened;
    std::function<void(document::CElwDoc&)> documentSaved;
    std::function<void(DocWindow&)> documentClosing;
    // The file dialogs the frame uses (the project dialogs too).
    FileDialogs& fileDialogs() const { return *dialogs_; }
    // The active window: the MDI area's, else its front one, else (none shown yet) the last
    // window opened.
    DocWindow* ActiveWindow() const;
    // Every window in opening order, shown or deferred.
    std::vector<DocWindow*> Windows() const { return windows_; }
    // The window's sub-window in the MDI area, made (in the state the window was given) when it
    // is first shown; `SubWindowIfShown` never makes it.
    QMdiSubWindow* SubWindowOf(DocWindow& w);
    static QMdiSubWindow* SubWindowIfShown(const DocWindow& w);
    // Closes a window the way its sub-window's close button does (a deferred one too); false
    // when it stays open.
    bool CloseWindow(DocWindow& w);
    // A window that closed (`closed`: the menus follow) or is going: it leaves the window list
    // and the tab strip at once.
    void ForgetWindow(DocWindow& w, bool closed);
    // True while the frame is being taken down (windows go without their usual follow-ups).
    bool tearingDown() const { return tearingDown_; }
    // While held (many windows opened in a row), the menus and tool bars are brought up to date
    // once, as the last hold is released, instead of at each window.
    void HoldMenuUpdates();
    void ReleaseMenuUpdates();
    // While held (a project's windows added in a row), windows are added and chosen without
    // being activated: as the last hold is released, the window chosen last (Activate), else
    // the one added last, becomes the active one with the focus, once; the status bar and the
    // tab strip's layout wait for it too.
    void HoldActivation();
    void ReleaseActivation();
    // The windows showing a document, in opening order; the number of documents open.
    std::vector<DocWindow*> WindowsOf(const document::CElwDoc& doc) const;
    int DocumentCount() const;
    // Window commands: another window on the active document, and the focus to the next pane
    // of the window or else to the next window. (Split is the window's own ToggleSplit.)
    DocWindow* NewWindow(DocWindow& w);
    void NextPane();

    // File commands. Each returns whether it completed.
    // The Open dialog, starting in `folder` (empty: the last folder used).
    bool FileOpen(const std::string& folder = {});
    bool FileSave(DocWindow& w, bool withDialog);
    // Closes the document of `w`: every window showing it (asking once about its changes).
    bool FileClose(DocWindow& w);
    // Closes every window (asking about each) and then the frame.
    bool AppExit();
    // Closes the frame as the user's Exit does; asked by a running script, once it has ended.
    bool CloseFrame();
    // Save&Close: saves a modified document and closes its window; a failed save keeps both.
    bool SaveClose(DocWindow& w);
    // Saves every modified document; false when any save failed or was cancelled (the others
    // are still saved).
    bool AllSave();
    // Saves every modified document and ends the program only when all of them were saved.
    bool AllSaveQuit();

    // The Character Code menu (the Check Kanji Code question follows on code page 932), the
    // Return Code menu and Read&Only Mode.
    void SetCharacterCode(DocWindow& w, document::TextCode code, bool eucLf);
    void SetReturnCode(DocWindow& w, document::EolMode mode);
    void ToggleReadOnly(DocWindow& w);
    // Reload, and the question asked when a window is activated whose file another program
    // changed.
    void Reload(DocWindow& w);
    void CheckChangedOnDisk(DocWindow& w);
    // Arranges the windows side by side (vertical) or one above the other.
    void TileWindows(bool vertical);

    // The settings, data file and settings store the frame works with (start-up hands them
    // over; until then built-in defaults). Applies the settings to the bars, keys and views
    // (UseSettings), and again after the preferences changed them.
    void UseConfiguration(app::Configuration& config, app::SettingsStore* store);
    app::Configuration& configuration() const { return *config_; }
    app::KeyTable& keyTable() { return keyTable_; }
    app::KeyDispatcher& dispatcher() { return dispatcher_; }
    // Every key pressed in a document window, and the keys of scripts and macros.
    app::DispatchingKeyInput& keyInput() { return keyInput_; }
    // Closing and saving the open documents.
    app::Session& session() const { return *session_; }
    CommandMenus& menus() const { return *menus_; }
    FunctionKeyBar& functionKeyBar() const { return *fkeyBar_; }
    ToolBars& toolBars() const { return *toolBars_; }
    editing::ClipboardHistory& clipboardHistory() { return clipboardContext_.history; }

    // Whether a command of the table is carried out by this build: not one of a later part and,
    // for a frame command, one the frame handles. Menus, the tool bar and the function-key bar
    // show the others disabled.
    bool CommandBuilt(size_t command) const;
    // Whether a frame command has its handler in this build.
    bool FrameCommandRegistered(app::FrameCommandId id) const;
    // Reloads every document whose file another program changed.
    void AllUpdate();
    // Built, and it has what it works on now (a document window).
    bool CommandEnabled(size_t command) const;
    // The check mark of a command's menu item, when it has one.
    std::optional<bool> CommandChecked(size_t command) const;
    // Carries out a command of the table as the keys do (menus, the tool bar, popups, the
    // function-key bar); a command that is not built says so.
    void RunCommand(size_t command, uint8_t keyByte = 0);
    // Carries out a command that only a menu carries (a row of kHiddenCommands), reporting it
    // to the key macro first; false when this build does not carry it out (macro_commands.cpp).
    bool RunHiddenCommand(size_t hidden);
    // The key macro and its recorder, and the script host of this frame's windows.
    app::KeyMacros& keyMacros() const { return *keyMacros_; }
    ScriptWiring& scripts() const { return *scripts_; }
    // What the scripts' user-interface built-ins ask of the frame (qt_script_frame.cpp).
    QtScriptFrame& scriptFrame() const { return *scriptFrame_; }
    // A setting written for a script: `write` stores it (false: nothing changed); then only
    // what the key affects is applied again (the bars, the keys, the font, and the views whose
    // options from the settings differ from what they were before). True when written.
    using SettingWrite = std::function<bool(app::Settings&, app::SettingsStore*)>;
    bool ApplyScriptSetting(app::Key key, const SettingWrite& write);
    // A script changed a document's state (code, line ends, read-only mode, path, tab width):
    // its windows, the menu checks and the status bar show it now.
    void ShowDocumentState(DocWindow& w);
    // Where a pop-up menu opens: at the caret of the active view, else at the mouse pointer.
    QPoint PopupPoint() const;
    // Makes a document window the active one, with the focus in its view.
    void ActivateWindow(DocWindow& w);
    // Keys were pressed into the views from outside the widgets: menus and status bar follow.
    void ShowKeyResults();
    // The resident scripts' event (resident_wiring.cpp): every resident runs with the event's
    // code; true when one returned a value other than 0 (the open or the save is cancelled,
    // the key taken). The host whose resident list the application's scripts share.
    bool RaiseResidentEvent(app::ResidentEvent event, int32_t a = 0, std::string_view strA = {});
    app::EditorScriptHost& residentHost() const;
    // A document's last window closed: its event follows once the close is over. The events
    // still waiting are raised now (before the main window's close event).
    void PostDocumentClosed();
    void RaisePendingCloseEvents();
    // Add-in command n (0 to 15), the resident menu (TsrMenu), Run Script and the script
    // library (JukeBox).
    void RunAddinCommand(int n);
    void ShowResidentMenu();
    void RunScriptOnEditor();
    void ShowScriptLibrary();
    // PlayKey: the macro runs with the user's input held back; a frame without windows (or in
    // a test) sees Ctrl+Break as SIGINT.
    void PlayKeyMacro();

    // The frame commands of the Window, File and Tools menus.
    void FileSelect();
    void AnotherWindow();
    void TileTwo();
    bool OpenFolder();
    DocWindow* NewFileOfType();
    void Preferences();
    // User menu 0 to 4 as a popup at the mouse pointer (mouse keys, or no view) or the caret.
    void ShowUserMenu(int menu, uint8_t keyByte);
    // The two-stroke timer expired: the pending prefix's commands as a popup at the caret.
    void ShowTwoStrokeMenu();
    // AppHelp: the manual's entry page; Help1 to Help10: help entry 0 to 9. Each goes to
    // xdg-open; a missing file says so. False when nothing was opened (help_menu.cpp).
    bool ShowManual();
    bool ShowHelpEntry(int entry);
    bool ShowHelpFile(const std::string& path);
    // The folder the manual and the help entries' plain file names are taken from (the
    // program's folder unless a test sets another).
    void SetProgramFolder(std::string folder);
    const std::string& programFolder() const;
    // A command's menu text: the help entries show their own labels.
    QString MenuLabel(size_t command) const;
    // The key table or its settings changed: the function-key bar and the menus' key texts.
    void RefreshKeys();

    // Asked by a window that is closing: Yes saves (a failed save keeps it open), No discards,
    // Cancel keeps it.
    bool QueryCloseDocument(DocWindow& w);

    document::DocumentEnvironment& environment() { return env_; }
    // The display of every window, now and later.
    void SetDisplayOptions(const DisplayOptions& display);
    // Takes the program's settings (they must outlive the frame): display, loading and saving,
    // keys, and each document's file-type options. Called again after the settings changed.
    void UseSettings(const app::Settings& settings);
    // A window's layout and editing options from its document's file type.
    void ApplyViewSettings(DocWindow& w);
    // Lays the window's document out with `layout`, unless it already is (a layout runs over
    // every line).
    static void SetViewLayout(DocWindow& w, view::LayoutOptions layout);
    // The keyword file that colours every window (owned by the caller; null: no colouring).
    void SetKeywordFile(const app::KeywordFile* keywords);
    const app::KeywordFile* keywordFile() const { return keywords_; }
    platform::UserInterface& ui() const { return *ui_; }
    const QFont& editorFont() const { return font_; }
    QLabel* messageLabel() const { return message_; }
    QTabBar* tabStrip() const { return tabs_; }
    // Find and replace of every window.
    FindWiring& find() const { return *find_; }
    // The bookmark list (MarkList toggles it; the script's SHOWMARKLIST shows it with the focus
    // in its tree). Showing or hiding it is written to ShowMarkList at once.
    CMarkBar& markBar() const { return *markBar_; }
    void ShowMarkList(bool shown, bool focusTree = false);
    bool MarkListShown() const;
    editing::ClipboardContext& clipboardContext() { return clipboardContext_; }
    // Find in files, the output document and tag jumps.
    GrepWiring& grep() const { return *grep_; }
    ShellWiring& shell() const { return *shell_; }
    SpellWiring& spell() const { return *spell_; }
    // Where changed settings are written (null: kept for this run only).
    app::SettingsStore* settingsStore() const { return store_; }
    // Compare of the active document with another open one; the editor state value it leaves
    // (1 lines marked, 2 no difference; 0 nothing done).
    int CompareDocuments();
    int compareState() const { return compareState_; }

    // DocumentHooks
    void TitleChanged(document::CElwDoc& doc) override;
    void ChooseFileType(document::CElwDoc& doc) override;
    void FlushEditBuffer(document::CElwDoc& doc) override;
    void LinesChanged(document::CElwDoc& doc) override;
    void BookmarksChanged(document::CElwDoc& doc) override;
    bool ReplaceWholeText(document::CElwDoc& doc, const std::string& text) override;
    bool OnOpenEvent(document::CElwDoc& doc, const std::string& path) override;
    bool OnBeforeSave(document::CElwDoc& doc, const std::string& target) override;
    void OnAfterSave(document::CElwDoc& doc) override;
    // FrameCommands
    void RunFrameCommand(app::FrameCommandId id, uint8_t keyByte) override;
    // A key pressed in a pane of `w` (now its active pane): the key input decides.
    app::PressResult PressKey(DocWindow& w, const app::KeyStroke& stroke, std::string_view bytes);
    // SessionHost
    std::vector<document::CElwDoc*> Documents() const override;
    void SyncViews(document::CElwDoc& doc) override;
    void Saved(document::CElwDoc& doc) override;
    void CloseWindows(document::CElwDoc& doc) override;
    void Activate(document::CElwDoc& doc) override;
    bool Quit() override;
    // StatusSink
    void PostStatus(platform::StatusCode code) override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    struct FrameHandler {
        std::function<void(uint8_t keyByte)> run;
        bool needsDocument = false;
    };
    // The frame commands this build carries out (frame_commands.cpp).
    void RegisterFrameCommands();
    // The key macro: its recorder on every command path, its four commands (macro_commands.cpp).
    void SetUpKeyMacros();
    void RegisterMacroCommands();
    // The resident scripts' events on keys, typing and commands, and the commands that start
    // kept scripts (resident_wiring.cpp).
    void SetUpResidentScripts();
    // The pop-up of the resident menu and Run Script: the index chosen, none when dismissed.
    std::optional<size_t> ChooseScriptEntry(const std::vector<std::string>& entries);
    void SetUpBars();
    // The bookmark list's dock, its settings and its size (mark_bar.cpp).
    void SetUpMarkBar();
    void PlaceMarkBar();
    // Shows the bookmark list as ShowMarkList says, at its stored size.
    void RestoreMarkBar();
    void WriteSetting(app::Key key, int value);
    // The dialogs and settings of Sort, Convert and Compare (sort_compare.cpp).
    void SetUpSortAndCompare();
    // The settings to the bars, keys and options; `full` also to the views' display and the
    // documents' loading and saving.
    void ApplySettings(bool full);
    // Labels of the function-key bar for the modifiers held now.
    void RelabelFunctionKeys(Qt::KeyboardModifiers mods);
    // The point under the caret of the active view in global coordinates (the frame's corner
    // without one).
    QPoint CaretGlobalPoint() const;
    // A mouse button pressed in a view goes through the key table as its key byte.
    bool DispatchMouseKey(QObject* target, QMouseEvent* event);
    void NoteActivated(QMdiSubWindow* sub);

    void BuildMenus();
    // The open windows at the end of the Window menu, the active one checked (window_list.cpp).
    void FillWindowList();
    // Shows in the Tools menu the help entries that apply to the active document.
    void UpdateHelpItems();
    void UpdateStatus();
    void UpdateMenus();
    void UpdateChecks();
    DocWindow* WindowOf(const document::CElwDoc& doc) const;
    // A window on a document; with `like`, another window of it, whose caret the new one takes;
    // `deferred`: neither its view nor its sub-window are made yet.
    DocWindow* AddWindow(std::shared_ptr<document::CElwDoc> doc, const DocWindow* like = nullptr,
                         bool deferred = false);
    // A window's sub-window made (with its view), and shown in the state the window was given.
    QMdiSubWindow* PutInArea(DocWindow& w);
    void ShowInArea(DocWindow& w, QMdiSubWindow* sub);
    // With windows open but none in the area (the last shown one closed), one is shown: the last
    // opened, as the area would bring forward the last one added.
    void ShowSomeWindow();
    // Two single windows scroll each other (RlupAnother, RlupBoth).
    void LinkOtherWindows();
    int TabOf(const DocWindow* w) const;
    // The tab of a window shows its title.
    void SyncTab(const DocWindow* w, const QString& title);

    QMdiArea* mdi_ = nullptr;
    std::vector<DocWindow*> windows_;    // opening order
    QWidget* deferredHolder_ = nullptr;  // hidden: the parent of windows not shown yet
    bool tearingDown_ = false;
    bool showQueued_ = false;
    QTabBar* tabs_ = nullptr;  // one tab per document window, in opening order
    QLabel* message_ = nullptr;
    QLabel* position_ = nullptr;
    QLabel* code_ = nullptr;      // the character under the caret and the document's code
    QLabel* lineEnds_ = nullptr;  // "CRLF", "LF", "CR" or "Mixed"
    QLabel* mode_ = nullptr;
    QLabel* readOnly_ = nullptr;  // "R/O" for a read-only document
    std::unique_ptr<QtUserInterface> ownUi_;
    platform::UserInterface* ui_ = nullptr;
    std::unique_ptr<FileDialogs> ownDialogs_;
    FileDialogs* dialogs_ = nullptr;
    document::DocumentEnvironment env_;
    editing::EditorShared shared_;
    QtClipboard clipboard_;
    editing::ClipboardContext clipboardContext_;
    QFont font_;
    app::PreferenceFiles preferenceFiles_;
    app::KeyTable keyTable_;
    app::KeyDispatcher dispatcher_{keyTable_, *this};
    app::DispatchingKeyInput keyInput_{dispatcher_};
    std::unique_ptr<app::Session> session_;
    bool closingUnasked_ = false;  // CloseWindows: the windows close without a question
    int pendingCloseEvents_ = 0;   // documents closed whose resident event is still to come
    DisplayOptions display_;
    const app::Settings* settings_ = nullptr;
    const app::KeywordFile* keywords_ = nullptr;
    std::vector<QAction*> documentActions_;  // enabled only with a document window
    struct CodeItem {
        QAction* action;
        document::TextCode code;
        bool eucLf;
    };
    std::vector<CodeItem> codeItems_;
    std::vector<std::pair<QAction*, document::EolMode>> returnItems_;
    bool addBom_ = true;
    std::string lastFolder_;
    bool checkingDisk_ = false;
    std::unique_ptr<FindWiring> find_;
    CMarkBar* markBar_ = nullptr;
    std::unique_ptr<GrepWiring> grep_;  // after find_: it hands view commands on to it
    std::unique_ptr<ShellWiring> shell_;
    std::unique_ptr<app::KeyMacros> keyMacros_;
    std::unique_ptr<QtScriptFrame> scriptFrame_;  // before scripts_, which uses it
    std::unique_ptr<ScriptWiring> scripts_;
    uint32_t nextWindowValue_ = 2;  // window values: 1 is the main window
    std::unique_ptr<SpellWiring> spell_;

    std::map<app::FrameCommandId, FrameHandler> frameHandlers_;
    app::Configuration ownConfig_;
    app::Configuration* config_ = &ownConfig_;
    app::SettingsStore* store_ = nullptr;
    CommandMenus* menus_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    mutable std::string programFolder_;
    std::vector<QAction*> windowList_;  // the window entries of the Window menu
    FunctionKeyBar* fkeyBar_ = nullptr;
    ToolBars* toolBars_ = nullptr;
    QLabel* autoFormat_ = nullptr;
    std::unique_ptr<TwoStrokeTimer> twoStrokeTimer_;
    uint8_t fkeyClass_ = app::key_class::kNone;
    Qt::KeyboardModifiers fkeyMods_ = Qt::NoModifier;
    // The windows, most recently active first (the other window of AnothWin).
    std::vector<QMdiSubWindow*> activation_;
    int compareState_ = 0;
    int menuHolds_ = 0;
    bool menusStale_ = false;
    int activationHolds_ = 0;
    QPointer<DocWindow> heldActive_;  // to be activated as the hold ends
    bool statusStale_ = false;        // the status bar waits for the hold's end
};

}  // namespace norv::qt
