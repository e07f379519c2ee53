#!/usr/bin/env bash
# Runs the Windows build's test programs (build/windows) under Wine, each program once, on Qt's
# offscreen platform, against the Linux simulator from the Linux build in build/release:
#   COM1         the simulated device, reset by each test through its remote control
#                (BLX52_SIM_CONTROL) and reached through its port link;
#   COM2 … COM9  lead nowhere, as the monkey test wants every other port;
#   COM14        the same device behind a high number (BLX52_SIM_HIGH_PORT).
# Fails when a test fails.
set -uo pipefail
. "$(dirname "$0")/wine-env.sh"
build=${1:-${BLX52_WINDOWS_BUILD:-$blx52_root/build/windows}}
simulator=$blx52_root/build/release/tools/blx52-devsim
[ -x "$simulator" ] || { echo "missing $simulator (build the Linux tree first)"; exit 1; }

wine_prefix || { echo "cannot create the Wine prefix $WINEPREFIX"; exit 1; }
# The window device's port link lives in a folder of its own; Wine opens the link, so it follows
# the device through every reset.
sim_config=$(mktemp -d)
trap 'sim_stop_all; "$blx52_wineserver" -k 2>/dev/null; rm -rf "$sim_config"' EXIT
XDG_CONFIG_HOME=$sim_config sim_start_printing control control_port \
    "$simulator" --control --quiet --port COM1 || exit 1
nowhere=()
for k in 2 3 4 5 6 7 8 9; do nowhere+=("COM$k" /nonexistent/blx52-no-device); done
# COM14 leads to the same device: a USB adapter's high number, which COM3 is mapped to in the
# port mapping tests.
map_ports COM1 "$sim_config/blx52/ports/COM1" COM14 "$sim_config/blx52/ports/COM1" \
    "${nowhere[@]}" ||
    { echo "cannot map the COM ports in Wine"; exit 1; }

export BLX52_SIM_CONTROL=$control_port BLX52_SIM_PORT=COM1 BLX52_SIM_HIGH_PORT=COM14
export QT_QPA_PLATFORM=offscreen
# The monkey's runs are the long ones; under Wine fewer events keep the Windows part short.
export BLX52_MONKEY_EVENTS=${BLX52_WINE_MONKEY_EVENTS:-2000}
# Qt's own font database on Windows offscreen needs a folder to find fonts in.
export QT_QPA_FONTDIR='Z:\usr\share\fonts\truetype\dejavu'
status=0 passed=0 failed=0 skipped=0
# BLX52_WINE_ONLY=NAME runs only that test program (for instance ui_tests), with
# BLX52_WINE_FILTER as its --gtest_filter.
for exe in "$build"/tests/*/*_tests.exe; do
    [ -e "$exe" ] || { echo "no test programs in $build"; exit 1; }
    name=$(basename "$exe" .exe)
    [ -z "${BLX52_WINE_ONLY:-}" ] || [ "$name" = "$BLX52_WINE_ONLY" ] || continue
    started=$SECONDS
    out=$(timeout "${BLX52_WINE_TIMEOUT:-600}" "$blx52_root/tools/windows/wine-run" "$exe" --gtest_brief=1 \
        --gtest_filter="${BLX52_WINE_FILTER:-*}" 2>&1 </dev/null)
    rc=$?
    r=$(sed -n 's/^\[==========\] \([0-9]*\) tests\? from .* ran\..*/\1/p' <<<"$out" | tail -1)
    p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' <<<"$out" | tail -1)
    # "N tests, listed below:" in full output, "N tests." with --gtest_brief.
    s=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?[,.].*/\1/p' <<<"$out" | tail -1)
    f=$((${r:-0} - ${p:-0} - ${s:-0}))
    # A program that ended before its summary (a crash, the time-out) counts as one failure.
    [ -n "$r" ] || f=$((f + 1))
    passed=$((passed + ${p:-0})) failed=$((failed + f)) skipped=$((skipped + ${s:-0}))
    if [ "$rc" -ne 0 ] || [ -z "$r" ] || [ "$f" -ne 0 ]; then
        status=1
        echo "$out" | tail -60
        echo "$name: FAILED (exit $rc) in $((SECONDS - started)) s"
    else
        echo "$name: ${p} passed, ${s:-0} skipped in $((SECONDS - started)) s"
        # Each skip says why: the line after the place of its GTEST_SKIP.
        tr -d '\r' <<<"$out" | grep -A1 ': Skipped$' | grep -v -e '^--' -e ': Skipped$' |
            sed 's/^/    skipped: /'
    fi
done
# blx52-send.exe through Wine's COM1 to a fresh simulator: a plain reply, and a picture whose data
# holds NUL, LF and CR, written as \xHH, which must reach the device's store unchanged.
sim_request() {  # one remote-control request; prints the answer
    local answer
    exec 3<>"/dev/tcp/127.0.0.1/$control_port" || return 1
    printf '%s\n' "$1" >&3
    IFS= read -r answer <&3
    exec 3<&-
    printf '%s\n' "$answer"
}
hex() { printf '%s' "$1" | od -An -v -tx1 | tr -d ' \n'; }
send_checks=0 send_passed=0
check() {  # what, expected, got
    send_checks=$((send_checks + 1))
    if [ "$2" = "$3" ]; then
        send_passed=$((send_passed + 1))
    else
        status=1
        printf '%s: expected\n%s\ngot\n%s\n' "$1" "$2" "$3"
    fi
}
send() {
    timeout 60 "$blx52_root/tools/windows/wine-run" "$build/tools/blx52-send.exe" "$@" \
        2>&1 </dev/null | tr -d '\r'
}
picture_data='\x00\x0a\x0d'$(printf '\\x07%.0s' $(seq 509))
sim_request reset >/dev/null
check "blx52-send COM1 getin0pic0t" $'reply: 1500\ncode: 0' "$(send COM1 getin0pic0t)"
check "blx52-send COM1 setin1pic0d_<data>" $'reply: OK\ncode: 0' \
    "$(send COM1 "setin1pic0d_$picture_data")"
check "the picture on the device" "ok x000a0d$(printf '07%.0s' $(seq 509))" \
    "$(sim_request "picture x$(hex in1pic0)")"
echo "blx52-send: $send_passed of $send_checks passed"
passed=$((passed + send_passed)) failed=$((failed + send_checks - send_passed))

echo "Windows tests under Wine: $((passed + failed + skipped)) run, $passed passed, $failed failed, $skipped skipped"
exit $status
