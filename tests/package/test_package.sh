#!/usr/bin/env bash
# The release package, made from a built win32 tree:
#
#   test_package.sh build     SOURCE_DIR BUILD_DIR   tools/package.sh makes the ZIP and the setup
#   test_package.sh zip       SOURCE_DIR BUILD_DIR   the ZIP holds the five files, flat, unchanged
#   test_package.sh installer SOURCE_DIR BUILD_DIR   under Wine: silent install, BoxSweep started
#                                                    from the Start-menu shortcut answers a dialog,
#                                                    silent uninstall ends it and keeps its list
#
# Everything happens in BUILD_DIR/package-test; Wine runs in the build tree's own prefix.
set -u

step=${1:-}
src=${2:-}
tree=${3:-}
[ -n "$step" ] && [ -d "$src" ] && [ -d "$tree" ] \
  || { echo "usage: test_package.sh build|zip|installer SOURCE_DIR BUILD_DIR" >&2; exit 2; }
src=$(cd "$src" && pwd)
tree=$(cd "$tree" && pwd)
work=$tree/package-test
out=$work/out
zip_file=$out/BoxSweep-1.63.zip
setup_file=$out/BoxSweep-1.63-setup.exe
wine_run=$src/tools/wine-run
helper=$tree/tests/package/shortcut_start.exe
fixture=$tree/tests/win32/fixture.exe
crlf=$'\r\n'

fail() { echo "FAIL: $*"; exit 1; }

# Waits up to $1 seconds for the command after it to succeed.
poll() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

# Compares two texts without regard to letter case, as Windows compares paths.
same_path() { [ "${1,,}" = "${2,,}" ]; }

field() { sed -n "s/^$1=//p" <<< "$2"; }

# The installed files and where each comes from.
installed_sources() {
  echo "boxsweep.exe $tree/boxsweep.exe"
  echo "dutch.dll $tree/dutch.dll"
  echo "mostcommon.lst $src/mostcommon.lst"
  echo "README.md $src/README.md"
  echo "LICENSE $src/LICENSE"
}

step_build() {
  rm -rf "$out"
  "$src/tools/package.sh" --no-build --tree "$tree" --out "$out" || fail "tools/package.sh failed"
  [ -s "$zip_file" ] || fail "no $zip_file"
  [ -s "$setup_file" ] || fail "no $setup_file"
  echo "ok: package made"
}

step_zip() {
  [ -s "$zip_file" ] || fail "no $zip_file (the build step makes it)"
  local listing expected
  listing=$(cmake -E tar tf "$zip_file" | LC_ALL=C sort) || fail "cannot list $zip_file"
  expected=$(printf '%s\n' LICENSE README.md boxsweep.exe dutch.dll mostcommon.lst)
  [ "$listing" = "$expected" ] || fail "the ZIP holds:${crlf}$listing"

  # Unpacked, the files sit side by side, exactly as built.
  local unpacked=$work/unpacked name source
  rm -rf "$unpacked"
  mkdir -p "$unpacked"
  (cd "$unpacked" && cmake -E tar xf "$zip_file") || fail "cannot unpack $zip_file"
  while read -r name source; do
    cmp -s "$unpacked/$name" "$source" || fail "$name in the ZIP differs from $source"
  done < <(installed_sources)
  echo "ok: the ZIP holds the five files, flat and unchanged"
}

# --- installer ---------------------------------------------------------------------------------

uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\BoxSweep'
title="BoxSweep package check"
fixture_pid=
helper_pid=

cleanup() {
  if [ -n "$helper_pid" ] && kill -0 "$helper_pid" 2>/dev/null; then
    # The helper ends the BoxSweep it started, then itself.
    "$wine_run" "$helper" --stop
    poll 10 eval '! kill -0 "$helper_pid" 2>/dev/null' || kill "$helper_pid" 2>/dev/null
  fi
  if [ -n "$fixture_pid" ]; then
    kill "$fixture_pid" 2>/dev/null
    wait "$fixture_pid" 2>/dev/null
  fi
}

registry_has_uninstall_key() {
  "$wine_run" reg.exe query "$uninstall_key" /v UninstallString 2>/dev/null | tr -d '\r' \
    | grep -qi 'uninstall.exe'
}

step_installer() {
  [ -s "$setup_file" ] || fail "no $setup_file (the build step makes it)"
  [ -x "$helper" ] || [ -f "$helper" ] || fail "no $helper"
  [ -f "$fixture" ] || fail "no $fixture"
  trap cleanup EXIT
  cd "$work" || fail "no $work"

  # Where the setup puts things for the current user, in Windows and in Unix terms.
  local folders inst_win lnk_win startup_win paths inst lnk startup_lnk
  folders=$("$wine_run" "$helper" --folders | tr -d '\r') || fail "cannot ask for the user's folders"
  inst_win="$(field localappdata "$folders")\\Programs\\BoxSweep"
  lnk_win="$(field programs "$folders")\\BoxSweep.lnk"
  startup_win="$(field startup "$folders")\\BoxSweep.lnk"
  paths=$("$wine_run" winepath.exe -u "$inst_win" "$lnk_win" "$startup_win" | tr -d '\r')
  # winepath answers through dosdevices/c:, a link to drive_c.
  inst=$(readlink -m "$(sed -n 1p <<< "$paths")")
  lnk=$(readlink -m "$(sed -n 2p <<< "$paths")")
  startup_lnk=$(readlink -m "$(sed -n 3p <<< "$paths")")
  case $inst in
    "$tree"/wine/prefix/drive_c/users/*) ;;
    *) fail "the install folder $inst is not in the prefix's user profile" ;;
  esac

  # A clean start, whatever an earlier run left behind.
  rm -rf "$inst" "$lnk" "$startup_lnk" fixture.report start.out
  "$wine_run" reg.exe delete "$uninstall_key" /f > /dev/null 2>&1

  timeout 120 "$wine_run" "$setup_file" /S || fail "the silent setup failed"

  local name source
  while read -r name source; do
    cmp -s "$inst/$name" "$source" || fail "installed $name differs from $source or is missing"
  done < <(installed_sources)
  [ -f "$inst/uninstall.exe" ] || fail "no uninstall.exe in $inst"
  [ -f "$lnk" ] || fail "no Start-menu shortcut $lnk"
  [ ! -e "$startup_lnk" ] || fail "the Startup shortcut is made although its section is off by default"
  [ ! -e "$inst/BOXSWEEP.LST" ] || fail "a silent install started the first-run setup"
  registry_has_uninstall_key || fail "no uninstall entry $uninstall_key"
  echo "ok: silent install"

  local shortcut
  shortcut=$("$wine_run" "$helper" --show "$lnk_win" | tr -d '\r') || fail "cannot read $lnk_win"
  same_path "$(field workdir "$shortcut")" "$inst_win" \
    || fail "the shortcut's working folder is '$(field workdir "$shortcut")', not $inst_win"
  same_path "$(field target "$shortcut")" "$inst_win\\boxsweep.exe" \
    || fail "the shortcut starts '$(field target "$shortcut")'"
  [ -z "$(field args "$shortcut")" ] || fail "the shortcut passes '$(field args "$shortcut")'"
  echo "ok: the Start-menu shortcut starts boxsweep.exe in $inst_win"

  # A rule for the fixture's window in the list the program reads from its working folder.
  printf '1.63\r\n%s\r\nOK\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n' \
    "$title" > "$inst/BOXSWEEP.LST"

  (exec "$wine_run" "$fixture" --title "$title" --button OK --report fixture.report) &
  fixture_pid=$!
  ("$wine_run" "$helper" --start "$lnk_win" 120000 > start.out 2>&1) &
  helper_pid=$!
  poll 30 grep -qx 'command OK' fixture.report 2>/dev/null \
    || fail "BoxSweep started from the shortcut did not press OK (helper: $(tr -d '\r' < start.out))"
  echo "ok: BoxSweep started from the shortcut answers the dialog"

  # The uninstaller runs from a copy of itself and returns at once; it removes uninstall.exe
  # last, after asking BoxSweep to end and removing everything else.
  timeout 60 "$wine_run" "$inst/uninstall.exe" /S || fail "the silent uninstaller did not start"
  poll 60 test ! -e "$inst/uninstall.exe" || fail "the uninstaller did not finish"
  poll 20 eval '! kill -0 "$helper_pid" 2>/dev/null' || fail "BoxSweep still runs after the uninstall"
  wait "$helper_pid"
  grep -qx 'exit 0' <(tr -d '\r' < start.out) \
    || fail "BoxSweep did not end by itself: $(tr -d '\r' < start.out)"
  helper_pid=

  while read -r name source; do
    [ ! -e "$inst/$name" ] || fail "the uninstaller left $name"
  done < <(installed_sources)
  [ ! -e "$lnk" ] || fail "the uninstaller left the Start-menu shortcut"
  ! registry_has_uninstall_key || fail "the uninstaller left $uninstall_key"

  # The user's list stays, saved by BoxSweep as it ended: the rule with the clicks it made.
  local list count
  [ -f "$inst/BOXSWEEP.LST" ] || fail "the uninstaller removed the user's BOXSWEEP.LST"
  list=$(head -c 200 "$inst/BOXSWEEP.LST")
  [[ $list == "1.63${crlf}${title}${crlf}OK${crlf}${crlf}1${crlf}3${crlf}"* ]] \
    || fail "BOXSWEEP.LST lost its rule: $list"
  count=$(sed -n 7p "$inst/BOXSWEEP.LST" | tr -d '\r')
  [ "${count:-0}" -ge 1 ] 2>/dev/null || fail "BOXSWEEP.LST was not saved at the exit (count '$count')"
  echo "ok: the uninstall ended BoxSweep, removed its files and kept the list ($count clicks)"
}

case $step in
  build) step_build ;;
  zip) step_zip ;;
  installer) step_installer ;;
  *) echo "unknown step $step" >&2; exit 2 ;;
esac
