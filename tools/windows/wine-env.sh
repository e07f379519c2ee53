# Sourced by the Windows scripts: the project's Wine prefix, made on first use, and the mapping
# of Wine's COM ports to the simulators' pseudo-terminals.
blx52_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$blx52_root/build/wine}
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml='
blx52_wine=/usr/lib/wine/wine64
blx52_wineserver=/usr/lib/wine/wineserver
blx52_sims=()

# Wine's helper processes start with the first program and keep its output open: start them on
# /dev/null, or a caller that captures the output would wait for them.
wine_start_helpers() {
    "$blx52_wine" cmd /c exit </dev/null >/dev/null 2>&1
}

wine_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        "$blx52_wine" wineboot -i </dev/null >/dev/null 2>&1
        "$blx52_wineserver" -w
    fi
}

# sim_start VAR COMMAND…: starts a Linux simulator that prints "device: PATH" and sets VAR to PATH.
sim_start() {
    sim_start_printing device "$@"
}

# sim_start_printing WHAT VAR COMMAND…: starts a Linux simulator and sets VAR to what it prints
# after "WHAT: " (its device path, or the TCP port of its remote control).
sim_start_printing() {
    local what=$1 var=$2 log
    shift 2
    log=$(mktemp)
    "$@" >"$log" 2>&1 &
    blx52_sims+=($!)
    for _ in $(seq 100); do
        if grep -q "^$what: " "$log"; then
            printf -v "$var" '%s' "$(sed -n "s/^$what: //p" "$log" | head -1)"
            rm -f "$log"
            return 0
        fi
        sleep 0.05
    done
    echo "simulator did not start: $*" >&2
    cat "$log" >&2
    rm -f "$log"
    return 1
}

sim_stop_all() {
    local pid
    for pid in "${blx52_sims[@]}"; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    blx52_sims=()
}

# map_ports COM1 PATH [COM2 PATH …]: Wine reads the mapping when its server starts.
map_ports() {
    while [ $# -ge 2 ]; do
        "$blx52_wine" reg add 'HKLM\Software\Wine\Ports' /v "$1" /t REG_SZ /d "$2" /f \
            </dev/null >/dev/null 2>&1 || return 1
        shift 2
    done
    "$blx52_wineserver" -k 2>/dev/null
    "$blx52_wineserver" -w
    # A server that stays up: otherwise each test program pays for Wine's start anew.
    "$blx52_wineserver" -p </dev/null >/dev/null 2>&1
    wine_start_helpers
}
