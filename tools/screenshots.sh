#!/usr/bin/env bash
# Starts BoxSweep under Wine on a private Xvfb display and saves PNG screenshots, so that the
# dialogs can be looked at on a machine without a screen.
#
#   tools/screenshots.sh [OUTPUT_FOLDER]      default: build/screenshots
#
# For each language, German (suffix de), Dutch (nl, from dutch.dll) and English (en, from
# english.dll), it saves:
#   config-LANG.png          the configuration window (German also config-de-resized.png)
#   popup-LANG.png           the tray menu with its window submenu open
#   pause-LANG.png           the tray menu during a pause, with its pause submenu open
#   editor-LANG.png          the entry editor on the first rule, which names a program, asks for
#                            the whole title and waits half a second
#   about-LANG.png           the about box
#   log-LANG.png             the log window after two actions while watching
#   config-managed-LANG.png  the configuration window opened again after a managed list was put
#                            beside the program, its rule first
#   editor-managed-LANG.png  the entry editor on that managed rule, read-only
#   tester-LANG.png          the rule tester on the "Fehler*" rule over a window with its button
#                            and one without
#   help-LANG.png            the help that the tray menu's Help opens (HTML Help's window; the
#                            prefixes have no Gecko, so its pages stay blank)
#   wizard-NNN-LANG.png      every wizard page, NNN its template: 600 (kind), 620, 640 and 660
#                            (button rule, with filled fields and summary), 680 (the open-window
#                            list), 700 and 720 (window rule and its summary)
# and once:
#   setup.png, setup-en.png  the first-run setup ("/setup" with mostcommon.lst and no list file)
#                            under a German and an English display language
#   config-de-144dpi.png     the configuration window, the first button step and the entry
#   wizard-620-de-144dpi.png editor at 144 DPI, in a Wine prefix of their own
#   editor-de-144dpi.png
#   editor-nl-144dpi.png     the entry editor with the Dutch module at 144 DPI, in that prefix
#   tester-de-144dpi.png     the rule tester at 144 DPI, German and Dutch, in that prefix
#   tester-nl-144dpi.png
#   *-en-144dpi.png          every English picture once more at 144 DPI, in that prefix; all
#                            other pictures are at 96 DPI
# Each picture is cropped to its window. Each run uses a temporary working folder of its own
# with the language modules and a prepared list file. The wizard's summaries are printed as they read.
# Installs the Debian packages it needs when they are missing (as root, or through sudo).
set -u
cd "$(dirname "$0")/.." || exit 1
root=$PWD
out=${1:-build/screenshots}
mkdir -p "$out" && out=$(cd "$out" && pwd) || exit 1

. tools/packages.sh
ensure_packages || { echo "screenshots: could not install the packages" >&2; exit 1; }

mkdir -p build
# The x64 build, which wine64 runs on every machine. The helper that opens the tray menu and
# reports window positions is a Windows program of the same build.
if ! cmake --preset win64 > build/configure-win64.log 2>&1; then
  cat build/configure-win64.log >&2
  echo "screenshots: configure failed" >&2
  exit 1
fi
if ! cmake --build --preset win64 --target boxsweep dutch english help_files screenshot_helper \
     > build/build-screenshots.log 2>&1; then
  tail -n 60 build/build-screenshots.log >&2
  echo "screenshots: build failed" >&2
  exit 1
fi
helper=$root/build/win64/screenshot_helper.exe

# Prefixes and an X server of this script's own: the program registers the DDE service
# "BOXSWEEP", which must not meet an instance that a test has started on the tests' desktop.
# The second prefix differs only in its DPI.
state=$root/build/screenshots-wine
mkdir -p "$state"
prefix_96=$state/prefix64
prefix_144=$state/prefix64-144dpi
wine_use win64 "$prefix_96"

# Wine takes the ANSI code page from the locale. The program's texts are Windows-1252, which a
# German locale and the C locale both give; the caller's own locale might not.
if locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  export LC_ALL=de_DE.UTF-8
else
  export LC_ALL=C.UTF-8
fi

wine_start_xvfb "$state" || exit 1

workdirs=()
finish() {
  WINEPREFIX=$prefix_96 wineserver -k 2>/dev/null
  WINEPREFIX=$prefix_144 wineserver -k 2>/dev/null
  wine_stop_xvfb "$state"
  [ ${#workdirs[@]} -eq 0 ] || rm -rf "${workdirs[@]}"
}
trap finish EXIT

# Creates the current prefix once, with the given DPI (Wine reads it from the registry); no
# window manager here, so its windows are unmanaged.
prepare_prefix() {
  [ -f "$WINEPREFIX/.boxsweep-ready" ] ||
    echo "screenshots: creating the Wine prefix $WINEPREFIX (once, about 15 s)"
  wine_prepare_prefix N "$1"
}
prepare_prefix 96

# Runs the helper; its console output ends lines with CR LF.
help_with() {
  wine "$helper" "$@" | tr -d '\r'
  return "${PIPESTATUS[0]}"
}

# The helper prints the program's texts as they are, in Windows-1252.
from_ansi() {
  iconv -f WINDOWS-1252 -t UTF-8
}

# Saves the screen area x y w h, the window's own rectangle, as a PNG without time stamps, so
# that a picture changes only when the window does.
capture() {
  local file=$1 x=$2 y=$3 w=$4 h=$5
  [ "$x" -ge 0 ] || { w=$((w + x)); x=0; }
  [ "$y" -ge 0 ] || { h=$((h + y)); y=0; }
  import -display "$DISPLAY" -window root "$state/screen.png" &&
    convert "$state/screen.png" -crop "${w}x${h}+${x}+${y}" +repage -strip "$out/$file" &&
    echo "screenshots: $out/$file"
}

# The list file: version, six lines per rule, "end of list", active, interval, language,
# reserved value, the window placement, then the rule options. Texts are UTF-8 with the byte
# order mark, as the program writes a list whose Cyrillic rule the ANSI code page cannot hold.
# The first rule carries options, so it stands switched off in the rules and keeps its
# condition as an option.
write_list_file() {
  local file=$1 language=$2
  {
    printf '\xef\xbb\xbf'
    printf '%s\r\n' 1.64 \
      'Сохранить документ' '&Да' '*изменения*' 0 3 5 \
      Speichern '&Nein' '*nicht gespeichert*' 2 3 12 \
      'Fehler*' OK '' 1 3 4 \
      '*Werbung*' '' '' 1 2 27 \
      'Änderungen übernehmen?' '&Ja' '' 1 6 0 \
      'Große Datei' '' '' 0 5 1 \
      'end of list' 1 1000 "$language" 3 '60,60,360,460,1' 'rule options' \
      '1 condition=2' '1 program=winword.exe' '1 whole=1' '1 delay=500'
  } > "$file"
}

# Ends the program through its own "/exit" and waits a bounded time for it.
stop_program() {
  local work=$1 pid=$2 waited=0
  (cd "$work" && wine boxsweep.exe /exit)
  while kill -0 "$pid" 2>/dev/null && [ "$waited" -lt 100 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  wineserver -k 2>/dev/null
  wineserver -w
}

# Starts from an empty desktop, whatever a failed earlier run left behind, and makes a working
# folder with the program files; prints its path.
new_workdir() {
  local work
  wineserver -k > /dev/null 2>&1
  wineserver -w > /dev/null 2>&1
  work=$(mktemp -d "$root/build/screenshots-work.XXXXXX") || return 1
  cp build/win64/boxsweep.exe build/win64/dutch.dll build/win64/english.dll "$work/" || return 1
  cp build/win64/BoxSweep-*.chm "$work/" 2> /dev/null
  echo "$work"
}

# Lets the X server finish drawing what the program painted last, then captures x y w h.
settle_and_capture() {
  sleep 0.7
  capture "$@"
}

# Starts the program with "/restart", so that the configuration window stays open; sets pid.
start_program() {
  local work=$1
  (cd "$work" && exec wine boxsweep.exe /restart) &
  pid=$!
}

# Presses Next or Back (the first argument) and sets rect to the wizard's rectangle once the page
# of the template (the second) is on show. A wizard that went elsewhere is put on the expected
# page by the helper, so that every page is still captured, and the run ends with status 1.
wizard_detours=0
wizard_press() {
  local result
  rect=$(help_with wizard-press "$1" "$2")
  result=$?
  [ "$result" -ne 3 ] || { wizard_detours=$((wizard_detours + 1)); result=0; }
  return "$result"
}

# The add-entry wizard, opened from the page's "Hinzufügen..." button: the button rule's three
# steps with the fields filled, back to the first page, then the window rule's three steps.
shoot_wizard() {
  local suffix=$1 title=$2 button=$3 message=$4 rect
  rect=$(help_with open-dialog 111) || { echo "screenshots: the wizard did not open" >&2; return 1; }
  # shellcheck disable=SC2086
  settle_and_capture "wizard-600-$suffix.png" $rect

  wizard_press next 620 || return 1
  help_with wizard-set 626 "$title" && help_with wizard-set 627 "$button" &&
    help_with wizard-click 630 && help_with wizard-set 632 "$message" &&
    help_with wizard-set 635 winword.exe || return 1
  # shellcheck disable=SC2086
  settle_and_capture "wizard-620-$suffix.png" $rect

  wizard_press next 640 || return 1
  # shellcheck disable=SC2086
  settle_and_capture "wizard-640-$suffix.png" $rect

  wizard_press next 660 || return 1
  help_with wizard-text 661 | from_ansi | sed "s/^/screenshots: summary 660 ($suffix): /"
  # shellcheck disable=SC2086
  settle_and_capture "wizard-660-$suffix.png" $rect

  wizard_press back 640 && wizard_press back 620 && wizard_press back 600 &&
    help_with wizard-click 604 || return 1

  wizard_press next 680 || return 1
  help_with wizard-pick 'Editor - Unbenannt' | from_ansi |
    sed "s/^/screenshots: open window ($suffix): /"
  [ "${PIPESTATUS[0]}" -eq 0 ] || return 1
  # shellcheck disable=SC2086
  settle_and_capture "wizard-680-$suffix.png" $rect

  wizard_press next 700 || return 1
  # shellcheck disable=SC2086
  settle_and_capture "wizard-700-$suffix.png" $rect

  wizard_press next 720 || return 1
  help_with wizard-text 661 | from_ansi | sed "s/^/screenshots: summary 720 ($suffix): /"
  # shellcheck disable=SC2086
  settle_and_capture "wizard-720-$suffix.png" $rect

  if ! help_with close-dialog || ! help_with wait-main > /dev/null; then
    echo "screenshots: the wizard did not close" >&2
    return 1
  fi
}

# The entry editor on the first rule (a button rule with a message condition and options), saved
# as the file named.
shoot_editor() {
  local rect
  help_with select-entry 0 || { echo "screenshots: could not select a rule" >&2; return 1; }
  rect=$(help_with open-dialog 502) || { echo "screenshots: no entry editor" >&2; return 1; }
  # shellcheck disable=SC2086
  settle_and_capture "$1" $rect
  help_with close-dialog || { echo "screenshots: the editor did not close" >&2; return 1; }
}

# The rule tester on the "Fehler*" rule, saved as the file named: one window has its button,
# one lacks it. The configuration is open, so nothing answers them meanwhile.
shoot_tester() {
  local rect windows status=0
  wine "$helper" windows 'Fehler beim Speichern|OK' 'Fehler beim Laden' > /dev/null 2>&1 &
  windows=$!
  help_with wait-title 'Fehler beim Laden' || { echo "screenshots: helper windows missing" >&2; return 1; }
  if help_with select-entry 2 && help_with open-dialog 502 > /dev/null && rect=$(help_with open-over 528); then
    # The window without the button is looked for by a walk before its line is complete.
    sleep 1
    # shellcheck disable=SC2086
    settle_and_capture "$1" $rect
  else
    echo "screenshots: no rule tester" >&2
    status=1
  fi
  help_with close-dialog && help_with close-dialog ||
    { echo "screenshots: the tester or the editor did not close" >&2; status=1; }
  # Closing one ends the helper that shows both.
  help_with close-title 'Fehler beim Laden' || { echo "screenshots: helper windows stay" >&2; status=1; }
  wait "$windows" 2> /dev/null
  return $status
}

# The entry editor, the rule tester, the about box and the help.
shoot_editor_and_about() {
  local suffix=$1 rect
  shoot_editor "editor-$suffix.png" || return 1
  shoot_tester "tester-$suffix.png" || return 1

  rect=$(help_with open-dialog 1003) || { echo "screenshots: no about box" >&2; return 1; }
  # shellcheck disable=SC2086
  settle_and_capture "about-$suffix.png" $rect
  help_with close-dialog || { echo "screenshots: the about box did not close" >&2; return 1; }

  rect=$(help_with open-help) || { echo "screenshots: no help window" >&2; return 1; }
  # shellcheck disable=SC2086
  settle_and_capture "help-$suffix.png" $rect
  help_with close-help || { echo "screenshots: the help did not close" >&2; return 1; }
}

# The log window after two actions while watching: a window the "*Werbung*" rule closes, and one
# the "Fehler*" rule finds without its button.
shoot_log() {
  local suffix=$1 rect
  help_with watch || { echo "screenshots: the program did not go to watching" >&2; return 1; }
  # One after the other: while the second lacks its button, it ends every tick before the first.
  wine "$helper" windows 'Werbung heute' > /dev/null 2>&1 &
  sleep 1.5
  wine "$helper" windows 'Fehler beim Laden' > /dev/null 2>&1 &
  help_with wait-title 'Fehler beim Laden' || { echo "screenshots: helper windows missing" >&2; return 1; }
  sleep 1
  rect=$(help_with open-dialog 1006) || { echo "screenshots: no log window" >&2; return 1; }
  # shellcheck disable=SC2086
  settle_and_capture "log-$suffix.png" $rect
  help_with close-dialog || { echo "screenshots: the log window did not close" >&2; return 1; }
}

# A managed list put beside the program while it watches: the configuration window, opened again,
# shows its rule first, and the entry editor shows that rule read-only.
shoot_managed() {
  local suffix=$1 work=$2 rect
  printf '%s\r\n' 1.63 'Lizenz läuft bald ab*' '&Später' '' 1 3 0 'end of list' > "$work/managed.lst"
  help_with page-command 1001 && rect=$(help_with wait-main) ||
    { echo "screenshots: no configuration window with the managed rule" >&2; return 1; }
  # shellcheck disable=SC2086
  settle_and_capture "config-managed-$suffix.png" $rect
  help_with select-entry 0 && rect=$(help_with open-dialog 502) ||
    { echo "screenshots: no entry editor on the managed rule" >&2; return 1; }
  # shellcheck disable=SC2086
  settle_and_capture "editor-managed-$suffix.png" $rect
  help_with close-dialog || { echo "screenshots: the editor did not close" >&2; return 1; }
}

# One language: the configuration window, optionally resized, the tray menu with its window
# submenu, the entry editor, the about box and the wizard.
shoot_language() {
  local suffix=$1 language=$2 resize=$3 work rect pid status=0
  shift 3
  work=$(new_workdir) || return 1
  workdirs+=("$work")
  write_list_file "$work/BOXSWEEP.LST" "$language"

  wine "$helper" windows 'Editor - Unbenannt' 'Größe ändern' 'Rechner' > /dev/null 2>&1 &
  help_with wait-title 'Rechner' || { echo "screenshots: helper windows missing" >&2; return 1; }

  start_program "$work"
  rect=$(help_with wait-main) || { echo "screenshots: no configuration window" >&2; return 1; }
  # shellcheck disable=SC2086
  settle_and_capture "config-$suffix.png" $rect

  if [ "$resize" = yes ]; then
    if rect=$(help_with size 480 580); then
      # shellcheck disable=SC2086
      settle_and_capture "config-$suffix-resized.png" $rect
    else
      echo "screenshots: the resize did not take" >&2
      return 1
    fi
  fi

  rect=$(help_with popup 600 80) || { echo "screenshots: no tray menu" >&2; return 1; }
  # shellcheck disable=SC2086
  settle_and_capture "popup-$suffix.png" $rect
  help_with close-menus

  # 1008 pauses for a quarter of an hour, 1007 resumes, so that the log's actions still happen.
  help_with page-command 1008 && rect=$(help_with popup 600 80 3) ||
    { echo "screenshots: no pause submenu" >&2; return 1; }
  # shellcheck disable=SC2086
  settle_and_capture "pause-$suffix.png" $rect
  help_with close-menus
  help_with page-command 1007

  shoot_editor_and_about "$suffix" || status=1
  help_with close-dialog
  shoot_wizard "$suffix" "$@" || { echo "screenshots: wizard ($suffix) incomplete" >&2; status=1; }
  shoot_log "$suffix" || status=1
  shoot_managed "$suffix" "$work" || status=1

  stop_program "$work" "$pid"
  return $status
}

# The first-run setup: "/setup" in a folder with the prepared common list and no list file, under
# the display language that LC_ALL names (Wine takes it from there; the setup preselects its
# module). OK then writes the list file, which is checked before the program is ended.
shoot_setup() {
  local file=$1 locale=$2 work rect pid waited=0
  work=$(new_workdir) || return 1
  workdirs+=("$work")
  cp mostcommon.lst "$work/" || return 1
  (cd "$work" && exec env LC_ALL="$locale" "$WINELOADER" boxsweep.exe /setup) &
  pid=$!
  rect=$(help_with dialog-rect 'BoxSweep Setup') || { echo "screenshots: no setup dialog" >&2; return 1; }
  # shellcheck disable=SC2086
  settle_and_capture "$file" $rect
  help_with dialog-command 'BoxSweep Setup' 1 || { echo "screenshots: setup did not end" >&2; return 1; }
  while ! grep -qa 'end of list' "$work/BOXSWEEP.LST" 2>/dev/null && [ "$waited" -lt 100 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  grep -qa 'end of list' "$work/BOXSWEEP.LST" 2>/dev/null ||
    { echo "screenshots: setup wrote no list file" >&2; stop_program "$work" "$pid"; return 1; }
  stop_program "$work" "$pid"
}

# Starts the program in the prefix set to 144 DPI (the caller's WINEPREFIX) with the list for the
# language module named; sets work and pid.
start_high_dpi() {
  prepare_prefix 144
  work=$(new_workdir) || return 1
  workdirs+=("$work")
  write_list_file "$work/BOXSWEEP.LST" "$1"
  start_program "$work"
}

# The configuration window, the first button step and the entry editor in the prefix set to
# 144 DPI.
shoot_high_dpi() {
  local work rect pid status=0
  local -x WINEPREFIX=$prefix_144
  start_high_dpi boxsweep.exe || return 1
  if rect=$(help_with wait-main); then
    # shellcheck disable=SC2086
    settle_and_capture config-de-144dpi.png $rect
    if rect=$(help_with open-dialog 111) && wizard_press next 620 &&
       help_with wizard-set 626 'Änderungen speichern?' && help_with wizard-set 627 '&Nein' &&
       help_with wizard-click 630 && help_with wizard-set 632 '*nicht gespeichert*' &&
       help_with wizard-set 635 winword.exe; then
      # shellcheck disable=SC2086
      settle_and_capture wizard-620-de-144dpi.png $rect
    else
      echo "screenshots: no wizard at 144 DPI" >&2
      status=1
    fi
    help_with close-dialog
    help_with wait-main > /dev/null && shoot_editor editor-de-144dpi.png || status=1
    shoot_tester tester-de-144dpi.png || status=1
  else
    echo "screenshots: no configuration window at 144 DPI" >&2
    status=1
  fi
  stop_program "$work" "$pid"
  return $status
}

# The entry editor with the Dutch module at 144 DPI.
shoot_dutch_editor_high_dpi() {
  local work pid status=0
  local -x WINEPREFIX=$prefix_144
  start_high_dpi dutch.dll || return 1
  if help_with wait-main > /dev/null; then
    shoot_editor editor-nl-144dpi.png || status=1
    shoot_tester tester-nl-144dpi.png || status=1
  else
    echo "screenshots: no configuration window at 144 DPI (nl)" >&2
    status=1
  fi
  stop_program "$work" "$pid"
  return $status
}

# Every English picture at 144 DPI: the English captions are the longest.
shoot_english_high_dpi() {
  local -x WINEPREFIX=$prefix_144
  prepare_prefix 144
  shoot_language en-144dpi english.dll no 'Save changes?' '&No' '*not saved*'
}

status=0
shoot_language de boxsweep.exe yes 'Änderungen speichern?' '&Nein' '*nicht gespeichert*' ||
  status=1
shoot_language nl dutch.dll no 'Wijzigingen opslaan?' '&Nee' '*niet opgeslagen*' || status=1
shoot_language en english.dll no 'Save changes?' '&No' '*not saved*' || status=1
shoot_setup setup.png de_DE.UTF-8 || status=1
shoot_setup setup-en.png en_US.UTF-8 || status=1
shoot_high_dpi || status=1
shoot_dutch_editor_high_dpi || status=1
shoot_english_high_dpi || status=1
if [ "$wizard_detours" -gt 0 ]; then
  echo "screenshots: $wizard_detours wizard page changes went to the wrong page" >&2
  status=1
fi
exit $status
