#!/usr/bin/env bash
# Builds the release package: the program and the Dutch module (win32 preset), then in
# build/package/ a ZIP to unpack anywhere and the per-user setup made by NSIS.
#
#   tools/package.sh                        build, then package into build/package/
#   tools/package.sh --no-build [--tree DIR] [--out DIR]
#                                           package what the build tree already holds
#
# Installs the Debian packages it needs when they are missing (as root, or through sudo).
set -eu
cd "$(dirname "$0")/.."
root=$PWD

version=1.63
build=1
tree=$root/build/win32
out=$root/build/package

while [ $# -gt 0 ]; do
  case $1 in
    --no-build) build=0 ;;
    --tree) tree=$(cd "$2" && pwd); shift ;;
    --out) mkdir -p "$2"; out=$(cd "$2" && pwd); shift ;;
    *) echo "usage: tools/package.sh [--no-build] [--tree DIR] [--out DIR]" >&2; exit 2 ;;
  esac
  shift
done

if [ "$build" -eq 1 ]; then
  . tools/packages.sh
  ensure_packages || { echo "package: could not install the build packages" >&2; exit 1; }
  cmake --preset win32 > /dev/null
  cmake --build --preset win32 --target boxsweep dutch
fi

# Everything a user gets, flat: the program looks for its list file and its language modules in
# its working folder, so they all sit side by side.
files=("$tree/boxsweep.exe" "$tree/dutch.dll" "$root/mostcommon.lst" "$root/README.md" "$root/LICENSE")
for file in "${files[@]}"; do
  [ -f "$file" ] || { echo "package: $file is missing" >&2; exit 1; }
done

mkdir -p "$out"
zip_file=$out/BoxSweep-$version.zip
setup_file=$out/BoxSweep-$version-setup.exe
rm -f "$zip_file" "$setup_file"

# -j: no folders inside the archive; -X: no Unix owners and times beyond the plain ones.
zip -q -j -X "$zip_file" "${files[@]}"

makensis -V2 -DSOURCE_DIR="$root" -DBUILD_DIR="$tree" -DOUTPUT="$setup_file" \
  installer/boxsweep.nsi

echo "package: $zip_file"
echo "package: $setup_file"
