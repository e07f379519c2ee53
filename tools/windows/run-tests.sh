#!/usr/bin/env bash
# Runs the Windows build's test programs (build/windows) under Wine, each program once, on Qt's
# offscreen platform. The shared exchange cases go through Wine's COM1 to the Linux simulator
# serving them (from the Linux build in build/release). Fails when a test fails.
set -uo pipefail
. "$(dirname "$0")/wine-env.sh"
build=${1:-${BLX52_WINDOWS_BUILD:-$blx52_root/build/windows}}
device_program=$blx52_root/build/release/tools/blx52-exchange-case-device
[ -x "$device_program" ] || { echo "missing $device_program (build the Linux tree first)"; exit 1; }

trap 'sim_stop_all; "$blx52_wineserver" -k 2>/dev/null' EXIT
wine_prefix || { echo "cannot create the Wine prefix $WINEPREFIX"; exit 1; }
sim_start device "$device_program" || exit 1
sim_start window_device "$blx52_root/build/release/tools/blx52-devsim" || exit 1
map_ports COM1 "$device" COM2 "$window_device" || { echo "cannot map COM1 and COM2 in Wine"; exit 1; }

# COM1: the shared exchange cases; COM2: a plain simulator for the window's read and write.
export BLX52_CASE_PORT=COM1 BLX52_WINDOW_PORT=COM2 QT_QPA_PLATFORM=offscreen
# Qt's own font database on Windows offscreen needs a folder to find fonts in.
export QT_QPA_FONTDIR='Z:\usr\share\fonts\truetype\dejavu'
status=0 passed=0 failed=0 skipped=0
for exe in "$build"/tests/*/*_tests.exe; do
    [ -e "$exe" ] || { echo "no test programs in $build"; exit 1; }
    name=$(basename "$exe" .exe)
    out=$(timeout 600 "$blx52_root/tools/windows/wine-run" "$exe" --gtest_brief=1 2>&1 </dev/null)
    rc=$?
    r=$(sed -n 's/^\[==========\] \([0-9]*\) tests\? from .* ran\..*/\1/p' <<<"$out" | tail -1)
    p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' <<<"$out" | tail -1)
    # "N tests, listed below:" in full output, "N tests." with --gtest_brief.
    s=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?[,.].*/\1/p' <<<"$out" | tail -1)
    f=$((${r:-0} - ${p:-0} - ${s:-0}))
    passed=$((passed + ${p:-0})) failed=$((failed + f)) skipped=$((skipped + ${s:-0}))
    if [ "$rc" -ne 0 ] || [ -z "$r" ] || [ "$f" -ne 0 ]; then
        status=1
        echo "$out" | tail -60
        echo "$name: FAILED (exit $rc)"
    else
        echo "$name: ${p} passed, ${s:-0} skipped"
        # Each skip says why: the line after the place of its GTEST_SKIP.
        tr -d '\r' <<<"$out" | grep -A1 ': Skipped$' | grep -v -e '^--' -e ': Skipped$' |
            sed 's/^/    skipped: /'
    fi
done
# blx52-send.exe through Wine's COM1 to the exchange-case device: a plain reply, and a command
# holding NUL, LF and CR written as \xHH.
send_checks=0 send_passed=0
check_send() {  # expected output, arguments…
    local expected=$1 got
    shift
    send_checks=$((send_checks + 1))
    got=$(timeout 60 "$blx52_root/tools/windows/wine-run" "$build/tools/blx52-send.exe" "$@" \
        2>&1 </dev/null | tr -d '\r')
    if [ "$got" = "$expected" ]; then
        send_passed=$((send_passed + 1))
    else
        status=1
        printf 'blx52-send %s: expected\n%s\ngot\n%s\n' "$*" "$expected" "$got"
    fi
}
check_send $'reply: 42\ncode: 0' COM1 casetwodigits
check_send $'reply: 77\ncode: 0' COM1 'casebinary\x00\x0a\x0d!'
echo "blx52-send: $send_passed of $send_checks passed"
passed=$((passed + send_passed)) failed=$((failed + send_checks - send_passed))

echo "Windows tests under Wine: $((passed + failed + skipped)) run, $passed passed, $failed failed, $skipped skipped"
exit $status
