// Process-wide state of the program and the shell's functions that the files share.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "resources/resource_ids.h"
#include "resources/shared_names.h"
#include "rules/entry_list.h"
#include "rules/list_file.h"
#include "shell/action_log.h"
#include "shell/disk_writer.h"
#include "shell/popup_items.h"
#include "shell/timer_ids.h"
#include "watcher/win32_watch_service.h"
#include "version.h"

// The start timer's delay.
constexpr UINT kStartDelayMs = 800;
constexpr char kVersionTip[] = BOXSWEEP_PRODUCT_TEXT;

// The tray icon and its popup menu.
struct TrayState {
    HMENU menuBar = nullptr;
    HMENU popup = nullptr;
    // The pause submenu, and the caption of its "Fortsetzen", which is in it only while paused.
    HMENU pauseMenu = nullptr;
    char resumeText[64] = "";
    WindowItems windowItems;  // the window items of the popup last shown
    // The icon and tip last set, to put the icon back after Explorer restarts.
    WORD icon = IDI_ACTIVE;
    char tip[64] = BOXSWEEP_PRODUCT_TEXT;
};

// Where the session keeps its files, settled at start-up and never changed afterwards: the disk
// writer's thread reads it as well. Paths in the working folder are plain names.
struct StoragePaths {
    std::string listRead;  // the list file read at start-up
    std::string list;      // the list file every save writes; its backup and fallback files beside it
    bool listMoves;        // the two differ: the working folder's list goes to the user's folder
    std::string log;
    std::string oldLog;
    std::string commonList;   // the prepared list the first-run setup copies
    std::string folderShown;  // the list's folder as the about box names it
    std::string managedList;  // the managed list beside the program; empty when that is unknown
};

// The program's state: one record, made by WinMain and living as long as it runs.
struct Program {
    EntryList list;
    Settings settings;  // as the list file holds them
    HINSTANCE instance;  // the program's own module: dialog 100 and 200, the icons
    HMODULE language;    // the language module: everything else the user reads
    HWND mainWindow;
    HWND page;
    bool watching;         // hidden to the tray and scanning, not configuring
    bool trayEnabled;      // false with "/notray"
    bool hideAtStart;      // false when a second start asked for the configuration
    bool languageChanged;  // a language was chosen that the running program does not show yet
    TrayState tray;
    HWND openDialog;  // the wizard, the editor or the about box while one of them runs
    // The action log: the newest actions for the log window, which is open while logWindow is
    // set and comes back where it was within the session.
    ActionLog log;
    HWND logWindow;
    RECT logRect;
    // The windows whose refusal the tray has shown; reused in turn.
    WindowHandle refusalsShown[16];
    int nextRefusalShown;
    // What the user has been told about the managed list, once a session each.
    bool toldManagedUnreadable;
    bool toldManagedDamaged;

    // The log's lines and the list file's saves are written by the disk writer. Once start-up is
    // over, the fields below belong to its thread alone: what the list file on disk is, and what
    // the user has been told about saves that missed it (the fallback file named last, a save
    // that went nowhere) and about the log.
    std::unique_ptr<DiskWriter> writer;
    StoragePaths storage;
    ListFileState listFileState;
    std::string toldFallbackName;
    bool toldNotSaved;
    bool toldLogUnwritable;
};

// The one program record, set by WinMain. The windows, the tray and the callbacks that the
// system calls without user data (DDE, window events) reach the state through it.
extern Program* g_program;

// Where the files are (win32_storage.cpp). The program's own folder, with a closing backslash;
// empty when it cannot be told.
std::string ProgramFolder();
// The working folder, or the user's own folders where an installation for all users or a working
// folder this user cannot write says so.
StoragePaths ChooseStoragePaths();

// The program's verbs (win32_program.cpp).
// Saves to the list file, or where that cannot be written, to a fallback file beside it. The
// first save that lands where the user has not been told says where.
void SaveListFile();
// The same at the end of the program, saying nothing, since at log-off nobody is there to read
// it: the next start finds the fallback file newer than the list file and names it.
void SaveListFileAtEnd();
// A warning box with a string of the language module, each %s in it filled with name. It runs
// on a thread of its own, so that nothing waits for the user to answer it.
void ShowNotice(UINT id, const char* name = "");
// The managed rules from the managed list beside the program, at the head of the list in place of
// those the session held; unchanged ones keep their counts. A list that cannot be read leaves
// them as they were. A list that cannot be read, or is damaged, is said once a session.
void ReadManagedRules();
void HideToTray();
// Stops the watching and shows the configuration window; a window that was hidden reads the
// managed rules first, so that a change deployed meanwhile shows.
void ShowConfiguration();
void EndProgram(INT_PTR result);
// The page's fields into the settings; the active flag as the check box shows it.
void CollectSettings();
void ToggleActive();
// The wizard over the page; a finished one's entry shows in the list.
void AddEntryWithWizard();
// A rule that closes the window titled title of the program named program (empty: any), added at
// the end of the list and saved. It asks for the whole title: the user meant that window, not
// every window whose title begins like it.
void AddCloseRule(const char* title, const char* program);

// The controls of dialog that show the users' texts get a font that has every script, at the
// dialog's size (win32_text_font.cpp).
void UseTextFont(HWND dialog, std::initializer_list<int> controls);

// Main window (win32_main_window.cpp).
INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Configuration page (win32_config_page.cpp).
INT_PTR CALLBACK ConfigPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
void RefillList(HWND page);
void SelectLastEntry(HWND page);
void UpdateEntryButtons(HWND page);

// The action log and the log window (win32_action_log.cpp, dialogs/win32_log_window.cpp).
// What the watcher reports reaches the log, the file, the log window and the tray.
ActionObserver& ProgramObserver();
// Opens the log window, or brings it forward when it is open.
void ShowLogWindow();
// A new entry at the top of the open log window.
void AddLogWindowRow(const LogEntry& entry);
void CloseLogWindow();

// Tray icon and popup menu (win32_tray.cpp).
void AddTrayIcon(HWND page);
void SetTrayState(HWND page, WORD icon, const char* tip);
void RemoveTrayIcon(HWND page);
void DestroyPopupMenu();
// A notification balloon of the tray icon, shown without waiting for anyone.
void ShowTrayBalloon(const char* title, const char* text);
void OnTrayCallback(HWND page, LPARAM mouseMessage);
void OnTaskbarCreated(HWND page);
UINT TaskbarCreatedMessage();
// True when the command was one of the popup's; it has then been carried out.
bool HandlePopupCommand(UINT command);

// Help (win32_help.cpp): the language module's help file, and its windows closed at the end.
void OpenHelp();
void CloseHelpWindows();

// The watch service learns whether it may act (while watching, active and not paused), and the
// tray icon and tip show what it decided.
void UpdateWatchState();
// A pause chosen from the tray and its early end; nothing while the active flag is off.
void PauseWatcher(PauseLength length);
void ResumeWatcher();
// Ends a pause whose time has come and shows it: on each scan tick and when the computer wakes.
void EndPauseWhenOver();

// Language modules (win32_language.cpp).
void LoadLanguageModule(const char* name);
void ReleaseLanguageModule();
// The module the user's texts and dialogs come from: the language module, or the program's own.
HMODULE LanguageModule();
// A string of the language module, or of the built-in set when the module lacks it.
void LoadLanguageString(UINT id, char* buffer, int capacity);
// A modal dialog, a modeless one and a menu, each from the language module or else built in.
INT_PTR RunLanguageDialog(UINT id, HWND owner, DLGPROC procedure, LPARAM parameter);
HWND CreateLanguageDialog(UINT id, HWND parent, DLGPROC procedure);
HMENU LoadLanguageMenu(UINT id);
void FillLanguages(HWND dropdown);
void SelectCurrentLanguage(HWND dropdown);
// A first start's language: the module of the user's display language where it is in the working
// folder. Sets name and returns true, or returns false for the built-in language.
bool ChooseDisplayLanguage(char* name);
void SelectFirstStartLanguage(HWND dropdown);
// Reads the drop-down into name; true when that names another module than before.
bool ReadLanguageChoice(HWND page, char* name);
void RestartProgram();
