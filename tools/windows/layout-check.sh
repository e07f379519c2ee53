#!/usr/bin/env bash
# Renders both windows on Windows' own platform (the Windows build under Wine, on Xvfb at
# 1600 x 1200) and on Linux, and compares where each control lies and how big it is: a control
# that lands elsewhere only on Windows shows as a difference. Not pixels: fonts differ.
set -uo pipefail
. "$(dirname "$0")/wine-env.sh"
linux_dump=$blx52_root/build/release/tools/blx52-layout-dump
windows_dump=${BLX52_WINDOWS_BUILD:-$blx52_root/build/windows}/tools/blx52-layout-dump.exe
out=$blx52_root/build/layout
for p in "$linux_dump" "$windows_dump"; do
    [ -e "$p" ] || { echo "missing $p"; exit 1; }
done
mkdir -p "$out"

display=91
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap '"$blx52_wineserver" -k 2>/dev/null; kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done

# The same screen as Xvfb's, on which both windows have their own sizes.
echo '{"screens": [{"name": "s", "x": 0, "y": 0, "width": 1600, "height": 1200, "logicalDpi": 96, "dpr": 1}]}' \
    >"$out/screen.json"
QT_QPA_PLATFORM=offscreen:configfile=$out/screen.json "$linux_dump" "$out/linux.txt" 2>/dev/null ||
    exit 1
wine_prefix || exit 1
# Wine's desktop process takes the display from the program that starts it.
"$blx52_wineserver" -k 2>/dev/null
"$blx52_wineserver" -w
export DISPLAY=:$display
wine_start_helpers
QT_QPA_PLATFORM=windows timeout 120 "$blx52_root/tools/windows/wine-run" "$windows_dump" \
    "Z:$out/windows.txt" </dev/null >/dev/null 2>&1 || { echo "the Windows render failed"; exit 1; }

controls=$(wc -l <"$out/linux.txt")
if diff -u "$out/linux.txt" "$out/windows.txt" >"$out/difference.txt"; then
    echo "layout: the Windows render matches Linux's ($controls windows and controls)"
else
    echo "layout: controls placed differently on Windows (name x y width height visible):"
    cat "$out/difference.txt"
    exit 1
fi
