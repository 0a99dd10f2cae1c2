/* Resource ids shared by the program and every language module.
 *
 * Read by the resource compiler as well as by C++: plain #defines only, no C++ syntax, no
 * casts and no enums, so that windres and rc.exe can preprocess it. Ids are grouped by dialog
 * and keep the ranges the templates already use: 1xx on the configuration page (501), 2xx on
 * the setup dialog (200), 3xx on the about box (300), 5xx in the entry editor (500), 6xx and 7xx
 * on the wizard pages (600 to 720). A language module must define the same dialogs, controls,
 * menu items and strings as the built-in German set; only captions and layout differ.
 */
#ifndef BOXSWEEP_RESOURCE_IDS_H
#define BOXSWEEP_RESOURCE_IDS_H

/* ---- Dialog templates --------------------------------------------------------------------- */

/* Taken from the program's own module whatever the language. */
#define IDD_MAIN 100  /* main window: class "boxsweep", no controls of its own */
#define IDD_SETUP 200 /* first-run setup dialog */

/* Taken from the language module. */
#define IDD_ABOUT 300                /* about box */
#define IDD_EDITOR 500               /* entry editor */
#define IDD_CONFIG 501               /* configuration page, a child of the main window */
#define IDD_WIZARD_START 600         /* wizard: button rule or window rule */
#define IDD_WIZARD_BUTTON_TEXTS 620  /* button rule, step 1: title, button text, message */
#define IDD_WIZARD_BUTTON_METHOD 640 /* button rule, step 2: click method */
#define IDD_WIZARD_BUTTON_FINISH 660 /* button rule, step 3: summary */
#define IDD_WIZARD_WINDOW_TITLE 680  /* window rule, step 1: window title */
#define IDD_WIZARD_WINDOW_ACTION 700 /* window rule, step 2: close, minimise or maximise */
#define IDD_WIZARD_WINDOW_FINISH 720 /* window rule, step 3: summary */
#define IDD_LOG 800                  /* the log window, modeless */
#define IDD_TESTER 820               /* the rule tester's result, modal over the editor */

/* ---- Dialog 100, main window -------------------------------------------------------------- */

/* No controls. */

/* ---- Dialog 200, first-run setup ---------------------------------------------------------- */

/* Its language drop-down is 105 as on the configuration page (IDC_LANGUAGE below); OK is IDOK. */
#define IDC_SETUP_LANGUAGE_LABEL 201 /* label "Sprache/Language" */
#define IDC_SETUP_COMMON_LIST 202    /* check box: start with the list of common pop-ups */

/* ---- Dialog 300, about box ---------------------------------------------------------------- */

#define IDC_ABOUT_TEXT 302        /* label: what the program does, where the user's guide is */
#define IDC_ABOUT_GUIDE 304       /* button: open the user's guide */
#define IDC_ABOUT_LANGUAGE 308    /* label: language file and its author */
#define IDC_ABOUT_TOTAL_LABEL 312 /* label "Gesamtanzahl Klicks:" */
#define IDC_ABOUT_TOTAL 313       /* label, centred: total clicks */
#define IDC_ABOUT_FOLDER_LABEL 314 /* label "Ordner der Listendatei:" */
#define IDC_ABOUT_FOLDER 315       /* read-only edit: the folder that holds the list file */
/* IDOK (1), the default button, ends it as Escape and the close box do. */
#define IDC_ABOUT_MAIN_ICON 2001  /* icon control: the program icon */
#define IDC_ABOUT_SPARE_ICON 2004 /* icon control: the second program icon */

/* ---- Dialog 500, entry editor ------------------------------------------------------------- */

/* 502 is taken by the configuration page's "advanced" button (IDC_ADVANCED below). */
#define IDC_EDITOR_CANCEL 503        /* button "&Abbrechen" */
#define IDC_EDITOR_OK 504            /* default button "O&K" */
#define IDC_EDITOR_MESSAGE 506       /* multi-line edit, starts disabled: message pattern */
#define IDC_EDITOR_CONDITION 507     /* group box "&Klickbedingung" */
#define IDC_EDITOR_NEVER 508         /* radio: condition 0 */
#define IDC_EDITOR_ALWAYS 509        /* radio: condition 1 */
#define IDC_EDITOR_IF_MESSAGE 510    /* radio: condition 2 */
#define IDC_EDITOR_CAPTURE 511       /* button, starts disabled: capture the message */
#define IDC_EDITOR_METHOD 512        /* drop-down list, unsorted: method = index */
#define IDC_EDITOR_METHOD_LABEL 513  /* label "&BoxSweep Methode:" */
#define IDC_EDITOR_COUNT_BEFORE 515  /* label "Dieser Button wurde" */
#define IDC_EDITOR_COUNT 516         /* label: click count */
#define IDC_EDITOR_COUNT_AFTER 517   /* label "mal geklickt." */
#define IDC_EDITOR_TITLE_LABEL 518   /* label "&Fenstertitel" */
#define IDC_EDITOR_TITLE 519         /* edit: title pattern */
#define IDC_EDITOR_BUTTON_LABEL 521  /* label "&Buttontext" */
#define IDC_EDITOR_BUTTON 522        /* edit: button text */
#define IDC_EDITOR_WHOLE_TITLE 523   /* check box: the title must end where the pattern ends */
#define IDC_EDITOR_PROGRAM_LABEL 524 /* label "&Programm:" */
#define IDC_EDITOR_PROGRAM 525       /* editable drop-down, sorted: program pattern; the list offers
                                      * the programs that have visible windows */
#define IDC_EDITOR_DELAY_LABEL 526   /* label "&Verzögerung (ms):" */
#define IDC_EDITOR_DELAY 527         /* edit, numbers only: delay in milliseconds, 0 to 60000 */
/* Taken by the rule tester's button "&Testen"; it stays enabled when a managed rule is shown
 * read-only. */
#define IDC_EDITOR_TEST 528

/* ---- Dialog 501, configuration page ------------------------------------------------------- */

/* Listed in tab order; a label comes right before the control its access key selects. */
#define IDC_ACTIVE 113          /* check box: active flag */
#define IDC_INTERVAL_LABEL 114  /* label before the scan interval */
#define IDC_INTERVAL 115        /* edit, numbers only: scan interval in milliseconds */
#define IDC_INTERVAL_UNIT 116   /* label after the scan interval */
#define IDC_ADD 111             /* button: start the add-entry wizard */
#define IDC_REMOVE 112          /* button, starts disabled: remove the selected entry */
#define IDC_ENTRIES_LABEL 110   /* label before the entry list */
#define IDC_ENTRIES 102         /* list box: entry titles in list order (not sorted) */
#define IDC_MOVE_UP 117         /* button, starts disabled: move the selected entry up */
#define IDC_MOVE_DOWN 118       /* button, starts disabled: move the selected entry down */
#define IDC_ADVANCED 502        /* button, starts disabled: edit the selected entry */
#define IDC_LANGUAGE_LABEL 104  /* label before the language drop-down */
#define IDC_LANGUAGE 105        /* sorted drop-down list: language choice */
/* IDOK (1), the default button: save and hide. Comes from <windows.h>. */
#define IDC_EXIT 101            /* button: end the program */

/* ---- Dialogs 600 to 720, add-entry wizard pages ------------------------------------------- */

/* The same ids recur on several pages; each names the control on the page that holds it. */
#define IDC_WIZ_RULE_600 602            /* horizontal rules under the heading, one per page */
#define IDC_WIZ_RULE_620 622
#define IDC_WIZ_RULE_640 642
#define IDC_WIZ_RULE_660 722
#define IDC_WIZ_RULE_680 662
#define IDC_WIZ_RULE_700 682
#define IDC_WIZ_RULE_720 722
/* 600 */
#define IDC_WIZ_KIND_HEADING 601
#define IDC_WIZ_KIND_BUTTON 603         /* radio: button rule */
#define IDC_WIZ_KIND_WINDOW 604         /* radio: window rule */
/* 620 */
#define IDC_WIZ_TEXTS_HEADING 621
#define IDC_WIZ_TEXTS_HINT 623
#define IDC_WIZ_TITLE_LABEL 624
#define IDC_WIZ_BUTTON_LABEL 625
#define IDC_WIZ_TITLE 626               /* edit: title pattern (also on 680) */
#define IDC_WIZ_BUTTON 627              /* edit: button text */
#define IDC_WIZ_CAPTURE_ALL 628         /* button "Erkennen": title, button and message */
#define IDC_WIZ_MESSAGE_HINT 629
#define IDC_WIZ_USE_MESSAGE 630         /* check box: include the message text */
#define IDC_WIZ_MESSAGE_LABEL 631       /* starts disabled */
#define IDC_WIZ_MESSAGE 632             /* edit, starts disabled: message pattern */
#define IDC_WIZ_CAPTURE_MESSAGE 633     /* button "Erkennen", starts disabled: message only */
#define IDC_WIZ_PROGRAM_LABEL 634       /* also on 680 */
#define IDC_WIZ_PROGRAM 635             /* edit: program pattern (also on 680); 628 fills it */
/* 640 */
#define IDC_WIZ_METHOD_HEADING 641
#define IDC_WIZ_METHOD_HINT 643
#define IDC_WIZ_METHOD_GROUP 644
#define IDC_WIZ_BUTTON_MESSAGE 645      /* radio: method 3 */
#define IDC_WIZ_LEFT_CLICK 646          /* radio: method 0 */
#define IDC_WIZ_RIGHT_CLICK 647         /* radio: method 1 */
/* 660 and 720 */
#define IDC_WIZ_FINISH_HEADING 701      /* label on 660 and 720 (701 is a radio on 700) */
#define IDC_WIZ_SUMMARY 661             /* read-only multi-line edit on 660 and 720 */
/* 680 */
#define IDC_WIZ_WINDOW_HEADING 661      /* label on 680 */
#define IDC_WIZ_WINDOWS_LABEL 681
#define IDC_WIZ_WINDOWS 682             /* unsorted list box: open windows */
#define IDC_WIZ_TITLE_HINT 684
#define IDC_WIZ_WINDOW_TITLE_LABEL 683
#define IDC_WIZ_WHOLE_TITLE 685         /* check box: the title must end where the pattern ends */
/* 700 */
#define IDC_WIZ_ACTION_HEADING 681      /* label on 700 */
#define IDC_WIZ_CLOSE 701               /* radio: method 2 */
#define IDC_WIZ_MINIMIZE 702            /* radio: method 5 */
#define IDC_WIZ_MAXIMIZE 703            /* radio: method 4 */

/* ---- Dialog 800, the log window --------------------------------------------------------------- */

#define IDC_LOG_LIST 801 /* list view, report style: time, result, program, window, rule, button */
#define IDC_TESTER_RESULT 821 /* read-only multi-line edit: one line per window the rule's title matches */
#define IDC_LOG_OPEN 802 /* button: open BOXSWEEP.LOG with the shell's program for it, or Notepad */
/* IDCANCEL (2) closes it. */

/* ---- Menu 1000, tray popup ---------------------------------------------------------------- */

/* The popup is submenu 0 of this menu; its own title is never shown. */
#define IDM_POPUP 1000
#define IDM_CLOSE_MENU 0   /* "close menu": does nothing, choosing it just closes the menu */
#define IDM_CONFIGURE 1001
#define IDM_ACTIVE 1002
#define IDM_INFO 1003
#define IDM_HELP 1004
#define IDM_EXIT 1005
#define IDM_LOG 1006 /* opens the log window, or brings it forward */
/* Submenu "Pause": "Fortsetzen" and the separator after it are there only while paused; the
 * three lengths are greyed while the watcher is switched off. */
#define IDM_PAUSE_RESUME 1007
#define IDM_PAUSE_QUARTER_HOUR 1008
#define IDM_PAUSE_HOUR 1009
#define IDM_PAUSE_UNTIL_MIDNIGHT 1010
#define IDM_WIZARD 16385 /* the only item of the inner submenu in the resource */
/* Window items are inserted before IDM_WIZARD at run time with ids from 16386 upward, one per
 * open window, followed by a separator with the next id. Every id from IDM_WINDOW_FIRST up to,
 * not including, IDM_WINDOW_END (where the system's own commands begin) is theirs: no other
 * command may use one. */
#define IDM_WINDOW_FIRST 16386
#define IDM_WINDOW_END 0xF000

/* ---- String table ------------------------------------------------------------------------- */

#define IDS_LANGUAGE 0     /* language name in the drop-down, finds the current entry */
#define IDS_CAPTION 1      /* main window caption */
#define IDS_HELP_KEYWORD 2 /* help file keyword */
#define IDS_INACTIVE_TIP 4 /* tray tip while inactive */

/* Names of the click methods 0 to 6: IDS_METHOD_FIRST + method. */
#define IDS_METHOD_FIRST 5
#define IDS_METHOD_LEFT_CLICK 5
#define IDS_METHOD_RIGHT_CLICK 6
#define IDS_METHOD_CLOSE_WINDOW 7
#define IDS_METHOD_BUTTON_MESSAGE 8
#define IDS_METHOD_MAXIMIZE 9
#define IDS_METHOD_MINIMIZE 10
#define IDS_METHOD_CLICK_THEN_BACK 11
#define IDS_METHOD_LAST 11

#define IDS_SUMMARY_BUTTON 16 /* wizard summary of a button rule: four %s */
#define IDS_SUMMARY_WINDOW 17 /* wizard summary of a window rule: two %s */

/* Wizard input errors: one caption, three messages. */
#define IDS_INPUT_ERROR 18
#define IDS_INPUT_ERROR_MESSAGE_TEXT 19 /* message text required but empty */
#define IDS_INPUT_ERROR_BUTTON_RULE 20  /* title or button text empty */
#define IDS_INPUT_ERROR_WINDOW_RULE 21  /* title empty */
/* A title of only "*" and blanks for a rule that acts always; shown by the wizard and the editor
 * under the same caption. */
#define IDS_INPUT_ERROR_EVERY_WINDOW 12

/* Where the list is when BOXSWEEP.LST cannot take it. Each %s is the name of a fallback file. */
#define IDS_LIST_UNREADABLE 22    /* at start-up: BOXSWEEP.LST cannot be read */
#define IDS_LIST_FROM_FALLBACK 23 /* the same, and the session goes on from a fallback file: two %s */
#define IDS_FALLBACK_NEWER 24     /* at start-up: a fallback file is newer than BOXSWEEP.LST: two %s */
#define IDS_SAVED_TO_FALLBACK 25  /* a save went to a fallback file: one %s */
#define IDS_NOT_SAVED 26          /* a save could be written nowhere */
#define IDS_LIST_NOT_A_LIST 27    /* at start-up: BOXSWEEP.LST holds control characters or UTF-16 */
#define IDS_LIST_NOT_A_LIST_FROM_FALLBACK 28 /* the same, going on from a fallback file: two %s */

/* The log window's column headings and the outcomes as it shows them. */
#define IDS_LOG_TIME 30
#define IDS_LOG_RESULT 31
#define IDS_LOG_PROGRAM 32
#define IDS_LOG_WINDOW 33
#define IDS_LOG_RULE 34
#define IDS_OUTCOME_FIRST 35 /* IDS_OUTCOME_FIRST + outcome: done, refused, not answering, gone */
#define IDS_OUTCOME_DONE 35
#define IDS_OUTCOME_REFUSED 36
#define IDS_OUTCOME_NOT_ANSWERING 37
#define IDS_OUTCOME_GONE 38
#define IDS_REFUSED_BALLOON 39 /* tray balloon for a window of a program with higher rights */
#define IDS_LOG_UNWRITABLE 40  /* the log file cannot be written: one %s */
#define IDS_LOG_FULL 41        /* the log file is full and cannot be turned over: %s twice */
#define IDS_LOG_BUTTON 42      /* the log window's last column: the button pressed */
#define IDS_LOG_OPEN_FAILED 43 /* "Datei öffnen" found no program for the log, not even Notepad: one %s */

/* The help: the module's help file, a plain file name beside it, and what is said when it cannot
 * be shown, with one %s for the path that was looked for. */
#define IDS_HELP_FILE 50
#define IDS_HELP_MISSING 51
#define IDS_HELP_FAILED 52

/* The tray tip while paused: one %s, the end as HH:MM. */
#define IDS_PAUSED_TIP 53
/* At start-up: a rule option of BOXSWEEP.LST could not be understood: one %s (the backup file). */
#define IDS_LIST_OPTIONS_DAMAGED 54
/* The editor's delay is not a number from 0 to 60000; shown under the input errors' caption. */
#define IDS_INPUT_ERROR_DELAY 55
/* The rule tester's texts. */
#define IDS_TESTER_HEADER 70 /* the first line: one %s, the number of windows looked at */
#define IDS_TESTER_PRESSES 71 /* would be answered: %s method, %s button, %s where it was found */
#define IDS_TESTER_ACTS 72 /* would be answered: %s method */
#define IDS_TESTER_AFTER_DELAY 73 /* appended: after the delay of %s ms */
#define IDS_TESTER_DIRECT 74 /* where the button is: directly in the window */
#define IDS_TESTER_NESTED 75 /* where the button is: nested deeper */
#define IDS_TESTER_ACCESSIBLE 76 /* where the button is: through accessibility */
#define IDS_TESTER_LOOKING 77 /* the accessibility walk is under way */
#define IDS_TESTER_EARLIER_RULE 78 /* not: an earlier rule answers it, %s its pattern */
#define IDS_TESTER_SWITCHED_OFF 79 /* not: the rule is switched off */
#define IDS_TESTER_NOT_WHOLE_TITLE 80 /* not: the title goes on after the pattern */
#define IDS_TESTER_OTHER_PROGRAM 81 /* not: another program */
#define IDS_TESTER_NO_MESSAGE 82 /* not: no text of the window matches the message pattern */
#define IDS_TESTER_BUTTON_MISSING 83 /* not: the button is not there */
#define IDS_TESTER_ALREADY 84 /* not: maximised or minimised already */
#define IDS_TESTER_HIGHER_RIGHTS 85 /* not: the program runs with higher rights */
#define IDS_TESTER_NOT_ANSWERING 86 /* not: the program does not answer */

/* The managed list beside the program: the mark before a managed rule's title in the
 * configuration list, and what is said when the list cannot be read or is damaged, with one %s,
 * its path. */
#define IDS_MANAGED_PREFIX 60
#define IDS_MANAGED_UNREADABLE 61
#define IDS_MANAGED_DAMAGED 62

/* ---- Icons ------------------------------------------------------------------------------- */

/* The class and tray icons always come from the program's own module. */

#define IDI_PROGRAM 2001  /* window class icon */
#define IDI_INACTIVE 2002 /* tray while inactive */
#define IDI_ACTIVE 2003   /* tray while active; a language module may carry it as the wizard icon */
#define IDI_SPARE 2004    /* not loaded by the program */

#endif
