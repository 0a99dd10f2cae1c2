#!/usr/bin/env bash
# Builds BoxSweep and runs it under Wine from its own working folder, run/ at the top of the
# repository. Arguments are handed to boxsweep.exe unchanged (tools/run.sh /restart, /exit, ...).
#
# run/ holds what a user's installation folder would: boxsweep.exe, the language modules and
# their help files, mostcommon.lst (when the repository has one) and the list file BOXSWEEP.LST
# that the program writes. Only the program files are refreshed on every run; the list file is the
# user's and is never touched. A first start (no list file yet) speaks the language of the user's
# environment where BoxSweep has a module for it.
#
# The script stays in the foreground until the BoxSweep it started has ended, also when a language
# change made it start itself again; a second run while BoxSweep runs hands its arguments to the
# running instance and returns ("tools/run.sh" opens the configuration window, "tools/run.sh
# /exit" ends BoxSweep).
#
# The program shows on the user's display when $DISPLAY works, otherwise on a private Xvfb
# server (the tray program then runs headless until it is ended with "tools/run.sh /exit"). On a
# display without a window manager Wine draws the window frames itself, as in the tests.
# Installs the Debian packages it needs when they are missing (as root, or through sudo).
set -u
cd "$(dirname "$0")/.."
root=$PWD
. tools/packages.sh

ensure_packages || { echo "run: could not install the build packages" >&2; exit 1; }

# Build only the x64 program, its language modules and the help: the tests are not needed to run
# it, and wine64 runs the x64 build on every machine.
echo "run: building BoxSweep, about a minute the first time"
mkdir -p build
if ! cmake --preset win64 > build/configure-win64.log 2>&1; then
  cat build/configure-win64.log >&2
  echo "run: configure failed" >&2
  exit 1
fi
if ! cmake --build --preset win64 --target boxsweep dutch english help_files > build/build-run.log 2>&1; then
  tail -n 60 build/build-run.log >&2
  echo "run: build failed" >&2
  exit 1
fi

work=$root/run
mkdir -p "$work"

# Copy beside and rename into place: an instance that is still running keeps its mapped image
# intact, where copying over the file in place could pull the code from under it.
refresh() {
  cp -f "$1" "$work/.$2.new" && mv -f "$work/.$2.new" "$work/$2"
}
refresh build/win64/boxsweep.exe boxsweep.exe || exit 1
for module in dutch.dll english.dll; do
  refresh "build/win64/$module" "$module" || exit 1
done
for help in build/win64/BoxSweep-*.chm; do
  [ ! -f "$help" ] || refresh "$help" "$(basename "$help")" || exit 1
done
if [ -f mostcommon.lst ]; then
  refresh mostcommon.lst mostcommon.lst || exit 1
fi

# A prefix of run/'s own: the tests' prefix in the build tree is wiped with the build, and the
# running program must not share a desktop (and the DDE service "BOXSWEEP") with the tests.
wine_use win64 "$work/.wine64"

state=$work/.xvfb
mkdir -p "$state"

display_usable() {
  [ -n "${DISPLAY:-}" ] && xdpyinfo -display "$DISPLAY" > /dev/null 2>&1
}

# A window manager that follows the common desktop conventions announces itself on the root
# window. Without one, Wine's managed windows get no frames and closing or hiding one stalls Wine
# for about two seconds.
window_manager_running() {
  xprop -display "$DISPLAY" -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}


# Everything up to the program's start happens under one lock, so that two runs at once neither
# create the prefix twice nor start two servers. The wineserver that wineboot leaves running must
# not inherit that lock (9>&-), or the next run would wait for the server to time out.
exec 9> "$state/lock"
flock 9

owner=0
on_xvfb=0
if display_usable; then
  echo "run: showing BoxSweep on display $DISPLAY"
else
  on_xvfb=1
  # A private Xvfb is shared by every run of this folder, so that "tools/run.sh /exit" or a
  # second start reaches the instance already running there. Each run holds a shared lock on
  # "users" for as long as the programs it starts live: Wine hands the open file on to every
  # process it starts (the wineserver, and a new instance after a language change too), so the
  # lock is free only when the last of them has ended.
  exec 8>> "$state/users"
  flock -s 8
  # The server holds neither of the locks (8, 9) and survives a Ctrl-C meant for the program.
  if ! wine_xvfb_alive "$state"; then
    wine_start_xvfb "$state" 8 9 || exit 1
    owner=1
  fi
  DISPLAY=$(cat "$state/display")
  export DISPLAY
  echo "run: no usable display; BoxSweep runs on the private Xvfb display $DISPLAY"
  echo "run: (look at it with: import -display $DISPLAY -window root shot.png)"
fi

[ -f "$WINEPREFIX/.boxsweep-ready" ] ||
  echo "run: creating the Wine prefix $WINEPREFIX (once, about 15 s)"
# Without a window manager (the private Xvfb, or a bare X server) Wine draws its own frames, as
# the tests have it: closing and hiding windows then takes milliseconds. Where a window manager
# runs, it manages them (frames, focus, the taskbar). The value is set on every start because the
# same prefix serves both; with the server already up that takes a fraction of a second.
managed=N
[ "$on_xvfb" -eq 1 ] || ! window_manager_running || managed=Y
wine_prepare_prefix "$managed"

# Which BoxSweep is running. Wine hands open files on to every process it starts, so a lock taken
# here is held by the program this run starts, by the instance a language change starts in its
# place, and by what they start in turn (Wine's own tray and desktop too), until the last of them
# has ended. "instance" is held shared by every run's programs: free, no BoxSweep is running. The
# run's own file tells when the programs of this run have ended.
running=0
flock -n -x "$state/instance" true || running=1
ours=$(mktemp "$state/run.XXXXXX")
exec 7> "$ours" 6>> "$state/instance"
flock -s 7
flock -s 6
exec 9>&-

if [ "$running" -eq 1 ]; then
  echo "run: BoxSweep is running already; this start hands it: ${*:-open the configuration window}"
else
  cat <<TEXT
run: BoxSweep runs in the notification area: in your desktop's tray, or where there is none, in
     Wine's own, a small window at the top left of the screen ("Wine System Tray"). Double-click
     its icon for the configuration window, right-click it for the menu; a second tools/run.sh
     opens the configuration window too.
run: the help shows its contents but blank pages under Wine: they need Wine's HTML engine
     (Gecko), which this script's Wine goes without. The same pages are in help/de, help/en and
     help/nl, to be read in a browser.
run: end BoxSweep with tools/run.sh /exit or its menu's "Beenden" ("Exit"); this script waits
     until it has ended.
TEXT
fi

# The program keeps no state outside its working folder: run it from run/. A Ctrl-C reaches
# the program (it shares the terminal's process group); this script only notes it, so that it
# still tidies up below.
# Wine takes the display language from LC_ALL only (LANG alone does not reach it where that
# locale is not installed here): hand on the language the user's environment names.
trap ':' INT
cd "$work" || exit 1
env LC_ALL="${LC_ALL:-${LC_MESSAGES:-${LANG:-C.UTF-8}}}" "$WINELOADER" boxsweep.exe "$@"
status=$?
# Until the last program of this run has let go of its file: an instance started again after a
# language change goes on where the first one ended.
exec 7>&- 6>&-
flock -x "$ours" true
rm -f "$ours"
trap - INT
[ "$running" -eq 1 ] || echo "run: BoxSweep has ended"

# The run that started the private Xvfb ends it once every program of the prefix has ended: it
# lets go of its own hold on "users" and waits for an exclusive lock through a new open of the
# file. A run that joins meanwhile keeps the server alive, because it takes its shared lock
# before it looks at the server.
if [ "$owner" -eq 1 ]; then
  exec 8>&-
  flock -x "$state/users" bash -c '. "$1"; wine_stop_xvfb "$2"' bash "$root/tools/lib/wine.sh" "$state"
fi
exit $status
