#!/usr/bin/env bash
# Runs the Windows build's tests (build/windows) under Wine. The shared exchange cases go through
# Wine's COM1 to the Linux simulator serving them (from the Linux build in build/release).
set -uo pipefail
. "$(dirname "$0")/wine-env.sh"
device_program=$blx52_root/build/release/tools/blx52-exchange-case-device
[ -x "$device_program" ] || { echo "missing $device_program (build the Linux tree first)"; exit 1; }

trap 'sim_stop_all; "$blx52_wineserver" -k 2>/dev/null' EXIT
wine_prefix || { echo "cannot create the Wine prefix $WINEPREFIX"; exit 1; }
sim_start device "$device_program" || exit 1
map_ports COM1 "$device" || { echo "cannot map COM1 in Wine"; exit 1; }
(cd "$blx52_root/build/windows" && BLX52_CASE_PORT=COM1 ctest --output-on-failure -j1)
