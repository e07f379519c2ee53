#!/usr/bin/env bash
# Installs the Windows installer (tools/windows/package.sh) under Wine as a user would, silently,
# and checks: the files, the Start-menu entry and the entry in the list of programs are there;
# the installed blx52.exe answers --version and the installed blx52-cli.exe reads all settings
# through Wine's COM1 from the Linux simulator; installed over an older version (packed here as
# 1.0.0, with a file this version no longer has) it replaces it, and a second install of the
# same version leaves one installation; the silent uninstall leaves no file and no registry
# entry of ours, and keeps the user's picture folder. Fails when a check fails.
#   tools/windows/installer-test.sh [SETUP.EXE]
set -uo pipefail
. "$(dirname "$0")/wine-env.sh"
version=$(sed -n 's/^project(blx52 VERSION \([0-9.]*\).*/\1/p' "$blx52_root/CMakeLists.txt")
setup=${1:-$blx52_root/build/blx52-windows-$version-setup.exe}
simulator=$blx52_root/build/release/tools/blx52-devsim
[ -f "$setup" ] || { echo "missing $setup (tools/windows/package.sh makes it)"; exit 1; }
[ -x "$simulator" ] || { echo "missing $simulator (build the Linux tree first)"; exit 1; }

product="BLX52 Glowpanel Configurator"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\BLX52GlowpanelConfigurator'
drive=$WINEPREFIX/drive_c
dir="$drive/Program Files/$product"
link="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/$product.lnk"
pictures=$drive/users/BLX52_Settings

wine_prefix || { echo "cannot create the Wine prefix $WINEPREFIX"; exit 1; }
sim_config=$(mktemp -d)
work=$(mktemp -d)
trap 'sim_stop_all; "$blx52_wineserver" -k 2>/dev/null; rm -rf "$sim_config" "$work"' EXIT
XDG_CONFIG_HOME=$sim_config sim_start_printing device device "$simulator" --quiet --port COM1 ||
    exit 1
map_ports COM1 "$sim_config/blx52/ports/COM1" || { echo "cannot map COM1 in Wine"; exit 1; }

checks=0 failed=0
check() {  # what, command…
    local what=$1
    shift
    checks=$((checks + 1))
    if ! "$@"; then
        failed=$((failed + 1))
        echo "FAIL: $what"
    fi
}
run() { timeout 120 "$blx52_root/tools/windows/wine-run" "$@" </dev/null 2>&1 | tr -d '\r'; }
registry() { "$blx52_wine" reg query "$key" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
no_entry() { ! "$blx52_wine" reg query "$key" </dev/null >/dev/null 2>&1; }
# Everything in the prefix but Windows' own folders and the temporary files.
snapshot() {
    (cd "$drive" && find . -path ./windows -prune -o -path '*/Temp' -prune -o -print) |
        LC_ALL=C sort
}
# The uninstaller copies itself to the temporary folder and returns at once; it is done when
# its last step, removing the entry in the list of programs, has happened.
wait_uninstalled() {
    for _ in $(seq 240); do
        no_entry && [ ! -e "$dir" ] && return 0
        sleep 0.5
    done
    return 1
}

[ ! -e "$dir" ] || { echo "$dir exists before the install"; exit 1; }
snapshot >"$work/before"

started=$SECONDS
# An older version first, as a user who updates has it.
echo "a file of version 1.0.0 only" >"$work/gone-in-$version.txt"
old_setup=$(BLX52_PACKAGE_VERSION=1.0.0 BLX52_PACKAGE_OUT=$work/old \
    BLX52_PACKAGE_EXTRA=$work/gone-in-$version.txt "$blx52_root/tools/windows/package.sh" |
    tail -1) || { echo "cannot pack the older version"; exit 1; }
run "$old_setup" /S >"$work/install.log"
check "the older version is installed" \
    test -f "$dir/gone-in-$version.txt" -a -n "$(registry | grep 'DisplayVersion.*1\.0\.0')"

run "$setup" /S >>"$work/install.log"
check "installed over it, this version leaves nothing of the older one" \
    test ! -e "$dir/gone-in-$version.txt" -a "$(registry | grep -c DisplayName)" = 1
check "silent install: blx52.exe, blx52-cli.exe, blx52-send.exe, 25 start pictures, licence, manual" \
    test -f "$dir/bin/blx52.exe" -a -f "$dir/bin/blx52-cli.exe" -a -f "$dir/bin/blx52-send.exe" \
    -a "$(ls "$dir/share/blx52/start-pictures" 2>/dev/null | wc -l)" = 25 -a -f "$dir/LICENSE.txt" \
    -a -f "$dir/THIRD-PARTY.txt" -a -f "$dir/doc/manual.md" -a -f "$dir/doc/pictures/main-window.png"
check "Start-menu entry \"$product\"" test -f "$link"
check "uninstall entry with version $version" grep -q "DisplayVersion.*$version" <<<"$(registry)"
check "uninstall entry with publisher and icon" \
    grep -q 'Publisher.*BLX52 Configurator developers' <<<"$(registry)"
check "uninstall entry's icon is the program" grep -q 'DisplayIcon.*blx52.exe' <<<"$(registry)"
check "no tools on PATH unless asked" \
    test -z "$("$blx52_wine" reg query 'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment' /v Path 2>/dev/null | grep -i 'BLX52')"

# The window program opens no console; the tools are console programs; each carries the icon
# (a group icon resource) and the version resource with the product's version.
check "blx52.exe is a window program" grep -q '(GUI)' <<<"$(file "$dir/bin/blx52.exe")"
for exe in blx52-cli blx52-send; do
    check "$exe.exe is a console program" grep -q '(console)' <<<"$(file "$dir/bin/$exe.exe")"
done
for exe in blx52 blx52-cli blx52-send; do
    resources=$(wrestool -l "$dir/bin/$exe.exe" 2>&1)
    check "$exe.exe has the icon" grep -q 'type=14' <<<"$resources"
    check "$exe.exe has a version resource" grep -q 'type=16' <<<"$resources"
    check "$exe.exe's version is $version" \
        grep -q "ProductVersion.*$version" <<<"$(wrestool -x --raw -t 16 "$dir/bin/$exe.exe" | tr -d '\0')"
done

out=$(run "$dir/bin/blx52.exe" --version)
check "installed blx52.exe --version says 'blx52 $version' (got '$out')" test "$out" = "blx52 $version"
run "$dir/bin/blx52-cli.exe" read COM1 >"$work/profile"
check "installed blx52-cli.exe read COM1 gives a profile of 88 settings" \
    test "$(head -1 "$work/profile")" = "# blx52-profile 1" -a \
    "$(grep -c '^[a-z0-9_]* = ' "$work/profile")" = 88
[ "$failed" -eq 0 ] || cat "$work/profile" | head -5

# The user's pictures are no part of the installation.
mkdir -p "$pictures"
echo mine >"$pictures/In0_Pic0.bmp"

# Installing again replaces what is there: one entry, the files in place.
run "$setup" /S >>"$work/install.log"
check "a second install leaves one working installation" \
    test -f "$dir/bin/blx52.exe" -a "$(registry | grep -c DisplayName)" = 1

run "$dir/uninstall.exe" /S >"$work/uninstall.log"
check "silent uninstall ends" wait_uninstalled
# The uninstaller's copy of itself in the temporary folder goes at the next restart (Windows
# removes it then, as the uninstaller asked); a restart of Wine's "system" does the same.
"$blx52_wine" wineboot -r </dev/null >/dev/null 2>&1
check "the uninstall entry is gone" no_entry
check "the picture folder is kept" test "$(cat "$pictures/In0_Pic0.bmp" 2>/dev/null)" = mine
rm -rf "$pictures"
snapshot >"$work/after"
left=$(comm -13 "$work/before" "$work/after")
check "the uninstall leaves no file behind${left:+: $left}" test -z "$left"
temp_files=$(cd "$drive" && find . -path './users/*/Temp/*' -type f -newer "$work/before")
check "no file of ours in the temporary folder after the restart${temp_files:+: $temp_files}" \
    test -z "$temp_files"
temp_dirs=$(cd "$drive" && find . -path './users/*/Temp/*' -type d -empty -newer "$work/before" |
    tr '\n' ' ')
echo "installer: $(stat -c %s "$setup") bytes; left behind after install and uninstall:" \
    "${left:-no file}${temp_dirs:+; the empty folder(s) $temp_dirs of the uninstaller in the temporary folder}"
echo "installer under Wine: $((checks - failed)) of $checks checks passed in $((SECONDS - started)) s"
[ "$failed" -eq 0 ]
