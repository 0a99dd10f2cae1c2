#!/usr/bin/env bash
# Starts BoxSweep under Wine on a private Xvfb display and saves PNG screenshots, so that the
# dialogs can be looked at on a machine without a screen.
#
#   tools/screenshots.sh [OUTPUT_FOLDER]      default: build/screenshots
#
# Saves config-de.png (the configuration window in German), config-de-resized.png (the same
# after a resize), popup-de.png (the tray menu with its window submenu open), config-nl.png and
# popup-nl.png (the same with the Dutch language module). Each language runs in a temporary
# working folder of its own with dutch.dll and a prepared list file.
# Installs the Debian packages it needs when they are missing (as root, or through sudo).
set -u
cd "$(dirname "$0")/.."
root=$PWD
out=${1:-build/screenshots}
mkdir -p "$out" && out=$(cd "$out" && pwd) || exit 1

. tools/packages.sh
ensure_packages || { echo "screenshots: could not install the packages" >&2; exit 1; }

mkdir -p build
if ! cmake --preset win32 > build/configure-win32.log 2>&1; then
  cat build/configure-win32.log >&2
  echo "screenshots: configure failed" >&2
  exit 1
fi
if ! cmake --build --preset win32 --target boxsweep dutch > build/build-screenshots.log 2>&1; then
  tail -n 60 build/build-screenshots.log >&2
  echo "screenshots: build failed" >&2
  exit 1
fi

# The helper that opens the tray menu and reports window positions is a Windows program of its
# own; it is small enough to build here rather than in the CMake tree.
helper=build/win32/screenshot_helper.exe
if [ ! -f "$helper" ] || [ tools/screenshot_helper.cpp -nt "$helper" ]; then
  i686-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Werror -static \
    -o "$helper" tools/screenshot_helper.cpp || exit 1
fi
helper=$root/$helper

# A prefix and an X server of this script's own: the program registers the DDE service
# "BOXSWEEP", which must not meet an instance that a test has started on the tests' desktop.
state=$root/build/screenshots-wine
mkdir -p "$state"
export WINEPREFIX=$state/prefix
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# Wine takes the ANSI code page from the locale. The program's texts are Windows-1252, which a
# German locale and the C locale both give; the caller's own locale might not.
if locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  export LC_ALL=de_DE.UTF-8
else
  export LC_ALL=C.UTF-8
fi

fifo=$(mktemp -u "$state/displayfd.XXXXXX")
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" > "$state/xvfb.log" 2>&1 \
  < /dev/null &
xvfb_pid=$!
read -r -t 20 display_number < "$fifo"
rm -f "$fifo"
if [ -z "${display_number:-}" ]; then
  echo "screenshots: Xvfb did not start (see $state/xvfb.log)" >&2
  exit 1
fi
export DISPLAY=:$display_number

workdirs=()
finish() {
  wineserver -k 2>/dev/null
  kill "$xvfb_pid" 2>/dev/null
  [ ${#workdirs[@]} -eq 0 ] || rm -rf "${workdirs[@]}"
}
trap finish EXIT

if [ ! -f "$WINEPREFIX/.boxsweep-ready" ]; then
  echo "screenshots: creating the Wine prefix (once, about 15 s)"
  wineboot -i > "$state/wineboot.log" 2>&1
  # No window manager here: unmanaged windows spare a two-second stall on every hide.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
    >> "$state/wineboot.log" 2>&1
  # Wine leaves the prefix's font folder empty and does not find the fonts of fonts-wine by
  # itself: without Marlett the caption buttons show letters, and the dialogs' "Helv" and
  # "MS Sans Serif" fall back to another face. Linking them in gives the look of Windows.
  ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  wineserver -w
  touch "$WINEPREFIX/.boxsweep-ready"
fi

# Runs the helper; its console output ends lines with CR LF.
help_with() {
  wine "$helper" "$@" | tr -d '\r'
  return "${PIPESTATUS[0]}"
}

# Saves the screen area x y w h (widened by a small margin) as a PNG.
capture() {
  local file=$1 x=$2 y=$3 w=$4 h=$5 margin=6
  x=$((x - margin)); y=$((y - margin)); w=$((w + 2 * margin)); h=$((h + 2 * margin))
  [ "$x" -ge 0 ] || x=0
  [ "$y" -ge 0 ] || y=0
  import -display "$DISPLAY" -window root "$state/screen.png" &&
    convert "$state/screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$out/$file" &&
    echo "screenshots: $out/$file"
}

# The list file: version, six lines per rule, "end of list", active, interval, language,
# reserved value, then the window placement without a line end. Texts are Windows-1252.
write_list_file() {
  local file=$1 language=$2
  {
    printf '%s\r\n' 1.63 \
      Speichern '&Nein' '*nicht gespeichert*' 2 3 12 \
      'Fehler*' OK '' 1 3 4 \
      '*Werbung*' '' '' 1 2 27 \
      $'\xc4nderungen \xfcbernehmen?' '&Ja' '' 1 6 0 \
      $'Gro\xdfe Datei' '' '' 0 5 1 \
      'end of list' 1 1000 "$language" 3
    printf '%s' '60,60,360,460,1'
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

# One language: start with "/restart" so that the configuration window stays open, capture it,
# optionally resize it, then open the tray menu's window submenu and capture that.
shoot_language() {
  local suffix=$1 language=$2 resize=$3 work rect pid
  # Start from an empty desktop, whatever a failed earlier language left behind.
  wineserver -k 2>/dev/null
  wineserver -w
  work=$(mktemp -d "$root/build/screenshots-work.XXXXXX")
  workdirs+=("$work")
  cp build/win32/boxsweep.exe build/win32/dutch.dll "$work/"
  write_list_file "$work/BOXSWEEP.LST" "$language"

  wine "$helper" windows 'Editor - Unbenannt' 'Größe ändern' 'Rechner' > /dev/null 2>&1 &
  help_with wait-title 'Rechner' || { echo "screenshots: helper windows missing" >&2; return 1; }

  (cd "$work" && exec wine boxsweep.exe /restart) &
  pid=$!
  rect=$(help_with wait-main) || { echo "screenshots: no configuration window" >&2; return 1; }
  # Let the X server finish drawing what the program painted last.
  sleep 0.7
  # shellcheck disable=SC2086
  capture "config-$suffix.png" $rect

  if [ "$resize" = yes ]; then
    if rect=$(help_with size 480 580); then
      sleep 0.7
      # shellcheck disable=SC2086
      capture "config-$suffix-resized.png" $rect
    else
      echo "screenshots: the resize did not take" >&2
      return 1
    fi
  fi

  rect=$(help_with popup 600 80) || { echo "screenshots: no tray menu" >&2; return 1; }
  sleep 0.7
  # shellcheck disable=SC2086
  capture "popup-$suffix.png" $rect
  help_with close-menus

  stop_program "$work" "$pid"
}

status=0
shoot_language de boxsweep.exe yes || status=1
shoot_language nl dutch.dll no || status=1
exit $status
