#!/usr/bin/env bash
# The read benchmark on both backends: Linux (build/release) and Windows under Wine
# (build/windows), against the simulator paced at 115200 baud, without and with a USB adapter's
# 16 ms latency timer. A measurement, not a test.
set -uo pipefail
. "$(dirname "$0")/wine-env.sh"
tools=$blx52_root/build/release/tools
trap 'sim_stop_all; "$blx52_wineserver" -k 2>/dev/null' EXIT
wine_prefix || exit 1
sim_start plain "$tools/blx52-devsim" --paced || exit 1
sim_start late "$tools/blx52-devsim" --paced --latency 16 || exit 1
map_ports COM2 "$plain" COM3 "$late" || exit 1

echo "== Linux, termios"
"$tools/blx52-bench" read
echo "== Linux, termios, adapter latency 16 ms"
"$tools/blx52-bench" read --latency 16
echo "== Windows under Wine, Win32"
"$blx52_wine" "$blx52_root/build/windows/tools/blx52-bench.exe" read --port COM2
echo "== Windows under Wine, Win32, adapter latency 16 ms"
"$blx52_wine" "$blx52_root/build/windows/tools/blx52-bench.exe" read --port COM3
