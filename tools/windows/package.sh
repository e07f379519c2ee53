#!/usr/bin/env bash
# Packs the Windows build (build/windows, made by tools/windows/build.sh with Qt) into
# build/blx52-windows-<version>.zip: the program, blx52-send, the 25 start pictures and a short
# README for Windows users.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BLX52_WINDOWS_BUILD:-$root/build/windows}
[ -f "$build/app/blx52.exe" ] || {
    echo "no $build/app/blx52.exe: run tools/windows/build.sh with the Windows Qt first" >&2
    exit 1
}
version=$(sed -n 's/^project(blx52 VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name=blx52-windows-$version
stage=$root/build/package-windows/$name
rm -rf "$stage"
mkdir -p "$stage/start-pictures"
x86_64-w64-mingw32-strip -o "$stage/blx52.exe" "$build/app/blx52.exe"
x86_64-w64-mingw32-strip -o "$stage/blx52-send.exe" "$build/tools/blx52-send.exe"
cp "$root"/ui/resources/glyph_*.png "$stage/start-pictures/"
# Windows' own editor expects CR LF.
sed 's/$/\r/' "$root/tools/windows/README-Windows.txt" >"$stage/README.txt"
count=$(find "$stage/start-pictures" -name '*.png' | wc -l)
[ "$count" -eq 25 ] || { echo "expected 25 start pictures, found $count" >&2; exit 1; }
rm -f "$root/build/$name.zip"
(cd "$stage/.." && cmake -E tar cf "$root/build/$name.zip" --format=zip "$name")
echo "$root/build/$name.zip"
