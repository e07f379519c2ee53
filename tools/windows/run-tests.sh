#!/usr/bin/env bash
# Runs the Windows build's test programs (build/windows) under Wine, each program once, on Qt's
# offscreen platform. The shared exchange cases go through Wine's COM1 to the Linux simulator
# serving them (from the Linux build in build/release). Fails when a test fails.
set -uo pipefail
. "$(dirname "$0")/wine-env.sh"
build=${1:-$blx52_root/build/windows}
device_program=$blx52_root/build/release/tools/blx52-exchange-case-device
[ -x "$device_program" ] || { echo "missing $device_program (build the Linux tree first)"; exit 1; }

trap 'sim_stop_all; "$blx52_wineserver" -k 2>/dev/null' EXIT
wine_prefix || { echo "cannot create the Wine prefix $WINEPREFIX"; exit 1; }
sim_start device "$device_program" || exit 1
map_ports COM1 "$device" || { echo "cannot map COM1 in Wine"; exit 1; }

export BLX52_CASE_PORT=COM1 QT_QPA_PLATFORM=offscreen
# Qt's own font database on Windows offscreen needs a folder to find fonts in.
export QT_QPA_FONTDIR='Z:\usr\share\fonts\truetype\dejavu'
status=0 passed=0 failed=0 skipped=0
for exe in "$build"/tests/*/*_tests.exe; do
    [ -e "$exe" ] || { echo "no test programs in $build"; exit 1; }
    name=$(basename "$exe" .exe)
    out=$(timeout 600 "$blx52_root/tools/windows/wine-run" "$exe" --gtest_brief=1 2>&1 </dev/null)
    rc=$?
    p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' <<<"$out" | tail -1)
    f=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*, listed below:/\1/p' <<<"$out" | tail -1)
    s=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) test.*, listed below:/\1/p' <<<"$out" | tail -1)
    passed=$((passed + ${p:-0})) failed=$((failed + ${f:-0})) skipped=$((skipped + ${s:-0}))
    if [ "$rc" -ne 0 ] || [ -z "$p" ]; then
        status=1
        echo "$out" | tail -60
        echo "$name: FAILED (exit $rc)"
    else
        echo "$name: ${p} passed, ${s:-0} skipped"
    fi
done
echo "Windows tests under Wine: $((passed + failed + skipped)) run, $passed passed, $failed failed, $skipped skipped"
exit $status
