#!/usr/bin/env bash
# Builds the release: the program, the language modules and the help files for x64 (win64 preset)
# and x86 (win32 preset), then in build/package/ a ZIP of each to unpack anywhere and the per-user
# x64 Windows Installer packages made by wixl, one for the current user and one for all users of
# the computer:
#
#   BoxSweep-VER-x64.zip   BoxSweep-VER-x86.zip   BoxSweep-VER-x64.msi   BoxSweep-VER-x64-machine.msi
#
#   tools/package.sh                        build both, then package into build/package/
#   tools/package.sh --no-build [--tree64 DIR] [--tree32 DIR] [--out DIR]
#                                           package what the build trees already hold; the x86
#                                           ZIP only when --tree32 names a tree
#
# The version is the one the x64 tree was configured with (project(VERSION) in CMakeLists.txt,
# or -DBOXSWEEP_VERSION=...). Installs the Debian packages it needs when they are missing (as
# root, or through sudo). A release has its help: the build needs chmcmd (Debian package fp-utils),
# and every tree must hold the help files.
set -eu
cd "$(dirname "$0")/.."
root=$PWD

usage() {
  echo "usage: tools/package.sh [--no-build] [--tree64 DIR] [--tree32 DIR] [--out DIR]" >&2
  exit 2
}

build=1
tree64=$root/build/win64
tree32=
out=$root/build/package

while [ $# -gt 0 ]; do
  case $1 in
    --no-build) build=0 ;;
    --tree64 | --tree32 | --out) [ $# -ge 2 ] || usage ;;&
    --tree64) tree64=$(cd "$2" && pwd); shift ;;
    --tree32) tree32=$(cd "$2" && pwd); shift ;;
    --out) mkdir -p "$2"; out=$(cd "$2" && pwd); shift ;;
    *) usage ;;
  esac
  shift
done

if [ "$build" -eq 1 ]; then
  . tools/packages.sh
  ensure_packages || { echo "package: could not install the build packages" >&2; exit 1; }
  command -v chmcmd > /dev/null || { echo "package: no chmcmd (Debian package fp-utils)" >&2; exit 1; }
  for preset in win64 win32; do
    cmake --preset "$preset" > /dev/null
    cmake --build --preset "$preset" --target boxsweep dutch english help_files
  done
  tree32=${tree32:-$root/build/win32}
fi

for tool in wixl zip; do
  command -v "$tool" > /dev/null || { echo "package: no $tool (Debian package $tool)" >&2; exit 1; }
done

# The version a tree's program was built with, as CMake's cache holds it.
tree_version() {
  sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt" 2>/dev/null
}

version=$(tree_version "$tree64")
[ -n "$version" ] || { echo "package: $tree64 is no configured build tree" >&2; exit 1; }
if [ -n "$tree32" ] && [ "$(tree_version "$tree32")" != "$version" ]; then
  echo "package: $tree32 holds version '$(tree_version "$tree32")', $tree64 holds $version" >&2
  exit 1
fi

# Everything a user gets, flat: the program looks for its list file, its language modules and
# their help files in its working folder, so they all sit side by side.
# release_files TREE: sets files to the nine of that tree's build.
release_files() {
  files=("$1/boxsweep.exe" "$1/dutch.dll" "$1/english.dll"
    "$1/BoxSweep-de.chm" "$1/BoxSweep-en.chm" "$1/BoxSweep-nl.chm"
    "$root/mostcommon.lst" "$root/README.md" "$root/LICENSE")
  local file
  for file in "${files[@]}"; do
    [ -f "$file" ] || { echo "package: $file is missing (the help files need chmcmd)" >&2; exit 1; }
  done
}

mkdir -p "$out"
stage=$(mktemp -d "$out/.stage.XXXXXX")
trap 'rm -rf "$stage"' EXIT

# make_zip ARCH TREE
make_zip() {
  local zip_file=$out/BoxSweep-$version-$1.zip
  release_files "$2"
  rm -f "$zip_file"
  # -j: no folders inside the archive; -X: no Unix owners and times beyond the plain ones.
  zip -q -j -X "$zip_file" "${files[@]}"
  echo "package: $zip_file"
}

make_zip x64 "$tree64"
[ -z "$tree32" ] || make_zip x86 "$tree32"

# wixl takes its sources from its current folder: the same nine files as the x64 ZIP, the icon
# for the list of installed apps, and the marker the package for all users puts beside the
# program.
release_files "$tree64"
cp "${files[@]}" "$root/resources/icons/boxsweep.ico" "$root/installer/allusers.txt" "$stage/"

# make_msi FILE SOURCE
make_msi() {
  rm -f "$1"
  (cd "$stage" && wixl -a x64 -D Version="$version" -o "$1" "$2")
  echo "package: $1"
}

make_msi "$out/BoxSweep-$version-x64.msi" "$root/installer/boxsweep.wxs"
make_msi "$out/BoxSweep-$version-x64-machine.msi" "$root/installer/boxsweep-machine.wxs"
