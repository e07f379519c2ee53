#!/usr/bin/env bash
# Packs the Windows build (build/windows, made by tools/windows/build.sh with Qt) into
# build/blx52-windows-<version>.zip: the program and blx52-send in bin\, the 25 start pictures as
# the bitmap files the program writes (made by the Linux build, build/release) in
# share\blx52\start-pictures\, where `blx52 --init-pictures` finds them, and a short README for
# Windows users.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BLX52_WINDOWS_BUILD:-$root/build/windows}
[ -f "$build/app/blx52.exe" ] || {
    echo "no $build/app/blx52.exe: run tools/windows/build.sh with the Windows Qt first" >&2
    exit 1
}
pictures=$root/build/release/share/blx52/start-pictures
[ -f "$pictures/In0_Pic0.bmp" ] || {
    echo "no start pictures in $pictures: build the Linux release (./run or ./test) first" >&2
    exit 1
}
version=$(sed -n 's/^project(blx52 VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name=blx52-windows-$version
stage=$root/build/package-windows/$name
rm -rf "$stage"
mkdir -p "$stage/bin" "$stage/share/blx52/start-pictures"
x86_64-w64-mingw32-strip -o "$stage/bin/blx52.exe" "$build/app/blx52.exe"
x86_64-w64-mingw32-strip -o "$stage/bin/blx52-send.exe" "$build/tools/blx52-send.exe"
cp "$pictures"/*.bmp "$stage/share/blx52/start-pictures/"
# Windows' own editor expects CR LF.
sed 's/$/\r/' "$root/tools/windows/README-Windows.txt" >"$stage/README.txt"
count=$(find "$stage/share/blx52/start-pictures" -name '*.bmp' | wc -l)
[ "$count" -eq 25 ] || { echo "expected 25 start pictures, found $count" >&2; exit 1; }
rm -f "$root/build/$name.zip"
(cd "$stage/.." && cmake -E tar cf "$root/build/$name.zip" --format=zip "$name")
echo "$root/build/$name.zip"
