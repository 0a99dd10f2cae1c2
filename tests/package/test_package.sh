#!/usr/bin/env bash
# The release, made from a built x64 tree:
#
#   test_package.sh build   SOURCE_DIR BUILD_DIR   tools/package.sh makes the x64 ZIP and both MSIs
#   test_package.sh zip     SOURCE_DIR BUILD_DIR   the ZIP holds the nine files, flat, unchanged
#   test_package.sh msi     SOURCE_DIR BUILD_DIR   under wine64, the per-user MSI: silent install,
#                                                  BoxSweep started from the Start-menu shortcut
#                                                  answers a dialog, the next version's MSI replaces
#                                                  it after asking BoxSweep to exit, the uninstall
#                                                  ends BoxSweep and keeps its list
#   test_package.sh machine SOURCE_DIR BUILD_DIR   the same for the MSI for all users, which
#                                                  installs into Program Files: the list is in
#                                                  %APPDATA%\BoxSweep, and the uninstall leaves it
#                                                  and an administrator's managed.lst
#
#   test_package.sh next    SOURCE_DIR BUILD_DIR   the MSIs of the next version, for the upgrade
#
# Everything happens in BUILD_DIR/package-test; Wine runs in the build tree's own prefix.
set -u

step=${1:-}
src=${2:-}
tree=${3:-}
[ -n "$step" ] && [ -d "$src" ] && [ -d "$tree" ] \
  || { echo "usage: test_package.sh build|zip|next|msi|machine SOURCE_DIR BUILD_DIR" >&2; exit 2; }
src=$(cd "$src" && pwd)
tree=$(cd "$tree" && pwd)
work=$tree/package-test
out=$work/out
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$tree/CMakeCache.txt")
zip_file=$out/BoxSweep-$version-x64.zip
# The next version's MSIs come from a tree of its own that holds the program, the language modules
# and the help only (no GoogleTest source): the version comes in at configure time, as for a
# release.
next_version=$(awk -F. '{ printf "%d.%d", $1, $2 + 1 }' <<< "$version")
next_tree=$work/next-tree
next_out=$work/next-out
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

# The released files of build tree $1 and where each comes from.
release_sources() {
  echo "boxsweep.exe $1/boxsweep.exe"
  echo "dutch.dll $1/dutch.dll"
  echo "english.dll $1/english.dll"
  local language
  for language in de en nl; do
    echo "BoxSweep-$language.chm $1/BoxSweep-$language.chm"
  done
  echo "mostcommon.lst $src/mostcommon.lst"
  echo "README.md $src/README.md"
  echo "LICENSE $src/LICENSE"
}

step_build() {
  rm -rf "$out"
  "$src/tools/package.sh" --no-build --tree64 "$tree" --out "$out" || fail "tools/package.sh failed"
  [ -s "$zip_file" ] || fail "no $zip_file"
  local msi
  for msi in "$out/BoxSweep-$version-x64.msi" "$out/BoxSweep-$version-x64-machine.msi"; do
    [ -s "$msi" ] || fail "no $msi"
  done
  echo "ok: ZIP and both MSIs of version $version made"
}

step_zip() {
  [ -s "$zip_file" ] || fail "no $zip_file (the build step makes it)"
  local listing expected
  listing=$(cmake -E tar tf "$zip_file" | LC_ALL=C sort) || fail "cannot list $zip_file"
  expected=$(release_sources "$tree" | cut -d' ' -f1 | LC_ALL=C sort)
  [ "$listing" = "$expected" ] || fail "the ZIP holds:${crlf}$listing"

  # Unpacked, the files sit side by side, exactly as built.
  local unpacked=$work/unpacked name source
  rm -rf "$unpacked"
  mkdir -p "$unpacked"
  (cd "$unpacked" && cmake -E tar xf "$zip_file") || fail "cannot unpack $zip_file"
  while read -r name source; do
    cmp -s "$unpacked/$name" "$source" || fail "$name in the ZIP differs from $source"
  done < <(release_sources "$tree")
  echo "ok: the ZIP holds the nine files, flat and unchanged"
}

step_next() {
  local toolchain
  mkdir -p "$work"
  toolchain=$(sed -n 's/^CMAKE_TOOLCHAIN_FILE:[A-Z]*=//p' "$tree/CMakeCache.txt")
  cmake -S "$src" -B "$next_tree" -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBOXSWEEP_VERSION="$next_version" \
    -DGOOGLETEST_SOURCE="$work/no-googletest" > "$work/next-tree.log" 2>&1 \
    && cmake --build "$next_tree" -j 2 --target boxsweep dutch english help_files \
      >> "$work/next-tree.log" 2>&1 \
    || fail "cannot build version $next_version (see $work/next-tree.log)"
  rm -rf "$next_out"
  "$src/tools/package.sh" --no-build --tree64 "$next_tree" --out "$next_out" > /dev/null \
    || fail "tools/package.sh failed on $next_tree"
  [ -s "$next_out/BoxSweep-$next_version-x64-machine.msi" ] || fail "no MSIs in $next_out"
  echo "ok: the MSIs of version $next_version made from a tree configured for it"
}

# --- msi ---------------------------------------------------------------------------------------

title="BoxSweep package check"
fixture_pid=
helper_pid=

# The helper ends the BoxSweep it started, then itself; the fixture goes with a plain kill.
stop_boxsweep() {
  if [ -n "$helper_pid" ] && kill -0 "$helper_pid" 2>/dev/null; then
    "$wine_run" "$helper" --stop
    poll 10 eval '! kill -0 "$helper_pid" 2>/dev/null' || kill "$helper_pid" 2>/dev/null
  fi
  helper_pid=
  if [ -n "$fixture_pid" ]; then
    kill "$fixture_pid" 2>/dev/null
    wait "$fixture_pid" 2>/dev/null
  fi
  fixture_pid=
}

# "{CODE} VERSION" of every installed product of the package's upgrade code.
products() { "$wine_run" "$helper" --products "{$upgrade_code}" | tr -d '\r'; }

msiexec() { timeout 120 "$wine_run" msiexec.exe "$@"; }

# Starts the fixture's dialog and BoxSweep from shortcut $1; returns once BoxSweep answered it.
start_and_answer() {
  rm -f fixture.report start.out
  (exec "$wine_run" "$fixture" --title "$title" --button OK --report fixture.report) &
  fixture_pid=$!
  ("$wine_run" "$helper" --start "$1" 120000 > start.out 2>&1) &
  helper_pid=$!
  poll 30 grep -qx 'command OK' fixture.report 2>/dev/null \
    || fail "BoxSweep started from $1 did not press OK (helper: $(tr -d '\r' < start.out))"
  kill "$fixture_pid" 2>/dev/null
  wait "$fixture_pid" 2>/dev/null
  fixture_pid=
}

# After $1 (what the installer did), BoxSweep must have ended by itself, asked to exit.
expect_boxsweep_ended() {
  poll 20 eval '! kill -0 "$helper_pid" 2>/dev/null' || fail "BoxSweep still runs after $1"
  wait "$helper_pid"
  grep -qx 'exit 0' <(tr -d '\r' < start.out) \
    || fail "BoxSweep did not end by itself at $1: $(tr -d '\r' < start.out)"
  helper_pid=
}

# The list BoxSweep saved as it ended still holds the rule, with at least $1 clicks.
expect_list_saved() {
  local list count
  [ -f "$list_dir/BOXSWEEP.LST" ] || fail "BOXSWEEP.LST is gone ($2)"
  list=$(head -c 200 "$list_dir/BOXSWEEP.LST")
  [[ $list == "1.63${crlf}${title}${crlf}OK${crlf}${crlf}1${crlf}3${crlf}"* ]] \
    || fail "BOXSWEEP.LST lost its rule ($2): $list"
  count=$(sed -n 7p "$list_dir/BOXSWEEP.LST" | tr -d '\r')
  [ "${count:-0}" -ge "$1" ] 2>/dev/null || fail "BOXSWEEP.LST was not saved at the exit ($2)"
}

# Shortcut $1 (Windows path) starts the installed program in the install folder.
expect_shortcut() {
  local shortcut workdir
  shortcut=$("$wine_run" "$helper" --show "$1" | tr -d '\r') || fail "cannot read $1"
  # Windows Installer names folders with a trailing backslash.
  workdir=$(field workdir "$shortcut")
  same_path "${workdir%\\}" "$inst_win" || fail "$1's working folder is '$workdir', not $inst_win"
  same_path "$(field target "$shortcut")" "$inst_win\\boxsweep.exe" \
    || fail "$1 starts '$(field target "$shortcut")'"
  [ -z "$(field args "$shortcut")" ] || fail "$1 passes '$(field args "$shortcut")'"
}

# The Unix path of Windows path $1, which must lie in the test prefix's drive C (said on stderr, as
# the answer is taken from stdout).
unix_path() {
  local path
  path=$("$wine_run" winepath.exe -u "$1" | tr -d '\r')
  # winepath answers through dosdevices/c:, a link to drive_c.
  path=$(readlink -m "$path")
  case $path in
    "$tree"/wine/prefix/drive_c/?*) echo "$path" ;;
    *) echo "FAIL: '$1' is not in the test prefix's drive C (winepath: $path)" >&2; return 1 ;;
  esac
}

# Sets where package $1 (user or machine) puts things, in Windows and in Unix terms: the install
# folder, the shortcuts, the folder of the list file, and the MSI files of both versions.
package_places() {
  local folders suffix
  folders=$("$wine_run" "$helper" --folders) || fail "cannot ask for the folders"
  folders=$(tr -d '\r' <<< "$folders")
  if [ "$1" = user ]; then
    suffix=
    wxs=boxsweep.wxs
    inst_win="$(field localappdata "$folders")\\Programs\\BoxSweep"
    lnk_win="$(field programs "$folders")\\BoxSweep.lnk"
    startup_win="$(field startup "$folders")\\BoxSweep.lnk"
  else
    suffix=-machine
    wxs=boxsweep-machine.wxs
    inst_win="$(field programfiles "$folders")\\BoxSweep"
    lnk_win="$(field commonprograms "$folders")\\BoxSweep.lnk"
    startup_win="$(field commonstartup "$folders")\\BoxSweep.lnk"
  fi
  # Wine 8's Windows Installer takes the installing user's Start menu and Startup folders for a
  # package for all users as well; Windows takes the common ones.
  wine_lnk_win="$(field programs "$folders")\\BoxSweep.lnk"
  wine_startup_win="$(field startup "$folders")\\BoxSweep.lnk"
  upgrade_code=$(grep -o 'UpgradeCode="[^"]*"' "$src/installer/$wxs" | cut -d'"' -f2)
  [ -n "$upgrade_code" ] || fail "no UpgradeCode in installer/$wxs"
  msi=$out/BoxSweep-$version-x64$suffix.msi
  next=$next_out/BoxSweep-$next_version-x64$suffix.msi
  [ -s "$msi" ] || fail "no $msi (the build step makes it)"
  [ -s "$next" ] || fail "no $next (the next step makes it)"
  inst=$(unix_path "$inst_win") || exit 1
  lnk=$(unix_path "$lnk_win") || exit 1
  startup_lnk=$(unix_path "$startup_win") || exit 1
  wine_lnk=$(unix_path "$wine_lnk_win") || exit 1
  wine_startup_lnk=$(unix_path "$wine_startup_win") || exit 1
  list_dir=$inst
  [ "$1" = user ] || list_dir=$(unix_path "$(field appdata "$folders")\\BoxSweep") || exit 1
}

# Package $1 (user or machine) under wine64: silent install, BoxSweep started from the Start-menu
# shortcut answers a dialog, the next version replaces it after asking BoxSweep to exit, the
# uninstall ends BoxSweep and keeps its list. The per-user package is given STARTUP=1 at the
# upgrade; the one for all users at the install, and its upgrade keeps the Startup shortcut.
msi_cycle() {
  local kind=$1 install_startup= upgrade_startup=STARTUP=1
  [ "$kind" = user ] || { install_startup=STARTUP=1; upgrade_startup=; }
  [ -f "$helper" ] || fail "no $helper"
  [ -f "$fixture" ] || fail "no $fixture"
  trap stop_boxsweep EXIT
  cd "$work" || fail "no $work"
  package_places "$kind"

  # A clean start, whatever an earlier run left behind.
  local code rest
  while read -r code rest; do
    [ -z "$code" ] || msiexec /x "$code" /qn
  done < <(products)
  rm -rf "$inst" "$lnk" "$startup_lnk" "$wine_lnk" "$wine_startup_lnk" "$list_dir"

  msiexec /i "$msi" /qn $install_startup || fail "msiexec /i $msi failed"
  if [ ! -e "$lnk" ] && [ -f "$wine_lnk" ]; then
    echo "note: the shortcuts are in the user's own folders, where Wine's Windows Installer puts them"
    lnk=$wine_lnk lnk_win=$wine_lnk_win startup_lnk=$wine_startup_lnk startup_win=$wine_startup_win
  fi
  local name source
  while read -r name source; do
    cmp -s "$inst/$name" "$source" || fail "installed $name differs from $source or is missing"
  done < <(release_sources "$tree"; [ "$kind" = user ] || echo "allusers.txt $src/installer/allusers.txt")
  [ "$kind" = machine ] || [ ! -e "$inst/allusers.txt" ] || fail "the per-user package has the marker"
  [ -f "$lnk" ] || fail "no Start-menu shortcut $lnk"
  if [ -n "$install_startup" ]; then
    [ -f "$startup_lnk" ] || fail "STARTUP=1 made no Startup shortcut"
    "$wine_run" reg.exe query 'HKLM\Software\BoxSweep\Installer' /v StartupShortcut > /dev/null 2>&1 \
      || fail "the choice of a Startup shortcut is not remembered under HKLM"
  else
    [ ! -e "$startup_lnk" ] || fail "a Startup shortcut although STARTUP was not asked for"
  fi
  [ "$(products | cut -d' ' -f2)" = "$version" ] || fail "installed products: $(products)"
  expect_shortcut "$lnk_win"
  echo "ok: $version installed, its Start-menu shortcut starts boxsweep.exe in $inst_win"

  # A rule for the fixture's window in the list the program reads.
  mkdir -p "$list_dir"
  printf '1.63\r\n%s\r\nOK\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n' \
    "$title" > "$list_dir/BOXSWEEP.LST"
  start_and_answer "$lnk_win"
  echo "ok: BoxSweep started from the shortcut answers the dialog"

  msiexec /i "$next" /qn $upgrade_startup || fail "msiexec /i $next failed"
  expect_boxsweep_ended "the upgrade"
  expect_list_saved 1 "upgrade"
  [ "$(products | cut -d' ' -f2)" = "$next_version" ] \
    || fail "after the upgrade the installed products are: $(products)"
  cmp -s "$inst/boxsweep.exe" "$next_tree/boxsweep.exe" || fail "the upgrade left the old program"
  [ -f "$startup_lnk" ] || fail "no Startup shortcut after the upgrade"
  expect_shortcut "$startup_win"
  echo "ok: $next_version replaced $version after BoxSweep saved and exited; Startup shortcut"

  # An administrator's file in the install folder is no file of the package's.
  [ "$kind" = user ] || printf '1.63\r\n' > "$inst/managed.lst"
  start_and_answer "$lnk_win"
  msiexec /x "$next" /qn || fail "msiexec /x $next failed"
  expect_boxsweep_ended "the uninstall"
  while read -r name source; do
    [ ! -e "$inst/$name" ] || fail "the uninstall left $name"
  done < <(release_sources "$tree"; echo "allusers.txt -")
  [ ! -e "$lnk" ] || fail "the uninstall left the Start-menu shortcut"
  [ ! -e "$startup_lnk" ] || fail "the uninstall left the Startup shortcut"
  [ -z "$(products)" ] || fail "still installed after the uninstall: $(products)"
  expect_list_saved 2 "uninstall"
  if [ "$kind" = machine ]; then
    [ ! -e "$inst/BOXSWEEP.LST" ] || fail "BoxSweep wrote its list into the install folder"
    [ -f "$inst/managed.lst" ] || fail "the uninstall removed managed.lst"
    rm -rf "$inst"
  fi
  echo "ok: the uninstall ended BoxSweep, removed its files and kept the list in $list_dir"
}

case $step in
  build) step_build ;;
  zip) step_zip ;;
  next) step_next ;;
  msi) msi_cycle user ;;
  machine) msi_cycle machine ;;
  *) echo "unknown step $step" >&2; exit 2 ;;
esac
