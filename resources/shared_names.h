/* Names, messages and ids that the program, its tests and its tools share: each is defined here
 * once. Plain C, so that the resource compiler reads it as well (the main window's class in
 * boxsweep.rc). */
#ifndef BOXSWEEP_SHARED_NAMES_H
#define BOXSWEEP_SHARED_NAMES_H

/* The main window's class: the tests, the tools and a second start find the program by it. */
#define BOXSWEEP_WINDOW_CLASS "boxsweep"
/* The watch service's message-only window. */
#define BOXSWEEP_WATCH_CLASS "BoxSweepWatch"
/* The tray icon's callback to the configuration page (WM_USER + 1), and the icon's id. */
#define BOXSWEEP_TRAY_CALLBACK 1025
#define BOXSWEEP_TRAY_ICON_ID 1234
/* The single-instance channel: the DDE service and its two topics. */
#define BOXSWEEP_DDE_SERVICE "BOXSWEEP"
#define BOXSWEEP_DDE_SHOW_TOPIC "SHOWCFGDLG"
#define BOXSWEEP_DDE_EXIT_TOPIC "EXITAPP"
/* The file the package for all users puts beside the program (installer/allusers.txt): each user's
 * list and log then go to the user's own folders. */
#define BOXSWEEP_ALL_USERS_MARKER "allusers.txt"

#endif
