# Sourced by tools/test.sh, tools/run.sh, tools/screenshots.sh, tools/package.sh and tools/bench.sh:
# installs the Debian 12 packages the builds, the tests, Wine and the release package need, when
# they are missing. Works as root and, for a normal user, through sudo.
#
# Every machine gets the x64 side (wine64 runs the x64 build); the 32-bit Wine that runs the x86
# build is added only where the kernel executes 32-bit code (machine_runs_32bit, tools/lib/wine.sh).

. "$(dirname "${BASH_SOURCE[0]}")/lib/wine.sh"

BOXSWEEP_PACKAGES="cmake make g++ libgtest-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine64 fonts-wine xvfb x11-utils imagemagick
  wixl zip fp-utils"
BOXSWEEP_PACKAGES_32BIT="wine32:i386"

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  else
    sudo "$@"
  fi
}

missing_packages() {
  local package wanted=$BOXSWEEP_PACKAGES
  machine_runs_32bit && wanted="$wanted $BOXSWEEP_PACKAGES_32BIT"
  for package in $wanted; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
      || echo "$package"
  done
}

ensure_packages() {
  local missing
  missing=$(missing_packages)
  [ -n "$missing" ] || return 0
  echo "Installing: $(echo $missing)"
  if [[ " $missing " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386 || return 1
  fi
  as_root apt-get update -qq || return 1
  # shellcheck disable=SC2086
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    $missing > /dev/null || return 1
}
