# Sourced by tools/test.sh, tools/run.sh and tools/package.sh: installs the Debian 12 packages the
# build, the tests, Wine and the release package need, when they are missing. Works as root and,
# for a normal user, through sudo.

BOXSWEEP_PACKAGES="cmake make g++ libgtest-dev googletest libbenchmark-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32:i386 fonts-wine xvfb x11-utils imagemagick
  nsis zip"

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  else
    sudo "$@"
  fi
}

missing_packages() {
  local package
  for package in $BOXSWEEP_PACKAGES; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
      || echo "$package"
  done
}

ensure_packages() {
  local missing
  missing=$(missing_packages)
  [ -n "$missing" ] || return 0
  echo "Installing: $(echo $missing)"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386 || return 1
  fi
  as_root apt-get update -qq || return 1
  # shellcheck disable=SC2086
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    $missing > /dev/null || return 1
}
