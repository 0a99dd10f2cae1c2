# Sourced by tools/wine-run, tools/run.sh, tools/screenshots.sh, tools/test.sh and the package
# test: one place that knows how BoxSweep's Windows builds run under Wine on Debian 12.
#
# Each build has its own Wine: the x64 build runs under /usr/lib/wine/wine64 in a WINEARCH=win64
# prefix, the x86 build under /usr/lib/wine/wine in a WINEARCH=win32 prefix. /usr/bin/wine is
# never used: it picks the 32-bit loader whenever wine32 is installed, which on a kernel that
# runs no 32-bit code fails with "Exec format error".

# wine_use ARCH PREFIX: chooses the loader and wineserver of ARCH (win64 or win32) and the prefix.
wine_use() {
  export WINEARCH=$1
  export WINEPREFIX=$2
  export WINEDEBUG=${WINEDEBUG:--all}
  # No Mono or Gecko installer is looked for: there is no network.
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  if [ "$1" = win64 ]; then
    export WINELOADER=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver64
  else
    export WINELOADER=/usr/lib/wine/wine
    export WINESERVER=/usr/lib/wine/wineserver32
  fi
}

# wine_arch_of_tree TREE: win64 for a build tree made with the x86_64 toolchain, else win32.
wine_arch_of_tree() {
  if grep -q '^CMAKE_TOOLCHAIN_FILE:.*x86_64' "$1/CMakeCache.txt" 2>/dev/null; then
    echo win64
  else
    echo win32
  fi
}

# wine PROGRAM [ARGS...]: runs a Windows program with the loader wine_use chose.
wine() { "$WINELOADER" "$@"; }
wineserver() { "$WINESERVER" "$@"; }

# wine_start_xvfb STATE_DIR [LOCKED_FDS...]: starts a private Xvfb server, writes its pid and
# display to STATE_DIR/xvfb.pid and STATE_DIR/display and exports DISPLAY. The server gets its
# own session (setsid), so that a Ctrl-C or the end of the run that started it leaves it up, and
# holds none of the caller's lock files (give their descriptor numbers).
wine_start_xvfb() {
  local state=$1 fifo display closes=() fd
  shift
  for fd in "$@"; do closes+=("$fd>&-"); done
  fifo=$(mktemp -u "$state/displayfd.XXXXXX")
  mkfifo "$fifo"
  eval "setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>\"\$fifo\" \
    ${closes[*]} > \"\$state/xvfb.log\" 2>&1 < /dev/null &"
  echo $! > "$state/xvfb.pid"
  read -r -t 20 display < "$fifo"
  rm -f "$fifo"
  if [ -z "${display:-}" ]; then
    echo "wine: Xvfb did not start (see $state/xvfb.log)" >&2
    return 1
  fi
  echo ":$display" > "$state/display"
  export DISPLAY=:$display
}

# wine_xvfb_alive STATE_DIR: the server wine_start_xvfb started there is still running.
wine_xvfb_alive() {
  [ -f "$1/xvfb.pid" ] && [ -f "$1/display" ] && kill -0 "$(cat "$1/xvfb.pid")" 2>/dev/null
}

# wine_stop_xvfb STATE_DIR
wine_stop_xvfb() {
  [ -f "$1/xvfb.pid" ] && kill "$(cat "$1/xvfb.pid")" 2>/dev/null
  rm -f "$1/xvfb.pid" "$1/display"
}

# wine_prepare_prefix [MANAGED [DPI]]: creates the prefix wine_use chose, once (about 15 s), and
# links fonts-wine's fonts in. MANAGED is N (default) without a window manager: a managed window
# that is hidden or closed then stalls Wine for about two seconds, an unmanaged one takes
# milliseconds. DPI sets the prefix's resolution (96 unless given). Descriptor 9 (the callers'
# lock) is closed for the wineserver that stays up afterwards.
wine_prepare_prefix() {
  local managed=${1:-N} dpi=${2:-} log=$WINEPREFIX.log
  if [ ! -f "$WINEPREFIX/.boxsweep-ready" ]; then
    {
      wine wineboot -i
      if [ -n "$dpi" ]; then
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
        wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
          /v LogPixels /t REG_DWORD /d "$dpi" /f
      fi
    } 9>&- > "$log" 2>&1
    wineserver -w 9>&-
    touch "$WINEPREFIX/.boxsweep-ready"
  fi
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "$managed" /f 9>&- \
    >> "$log" 2>&1
  # Wine leaves the prefix's font folder empty: without the fonts of fonts-wine the caption
  # buttons show letters and "MS Sans Serif" falls back to another face.
  local fonts=$WINEPREFIX/drive_c/windows/Fonts
  if [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ] && [ ! -e "$fonts/marlett.ttf" ]; then
    ln -sf /usr/share/wine/fonts/* "$fonts/"
  fi
}

# machine_runs_32bit: true when this kernel executes i386 programs, found by running a tiny one
# (93 bytes: exit(0) through int 0x80). BOXSWEEP_NO_WIN32=1 answers no without trying, to show
# a machine of that kind on one that does run them.
machine_runs_32bit() {
  [ "${BOXSWEEP_NO_WIN32:-0}" != 1 ] || return 1
  local probe
  probe=$(mktemp "${TMPDIR:-/tmp}/i386-probe.XXXXXX") || return 1
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' > "$probe"
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >> "$probe"
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' >> "$probe"
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >> "$probe"
  printf '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >> "$probe"
  printf '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >> "$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  local status=$?
  rm -f "$probe"
  return $status
}
