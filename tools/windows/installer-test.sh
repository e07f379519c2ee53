#!/usr/bin/env bash
# Installs the Windows installer (tools/windows/package.sh) under Wine as a user would, silently
# and through its pages, and checks: the files, the Start-menu entry and the entry in the list of
# programs are there; every .exe carries its application manifest; the installed blx52.exe answers
# --version and the installed blx52-cli.exe reads all settings through Wine's COM1 from the Linux
# simulator; the picture folder holds the start pictures, keeps the user's, and the local Users
# group gets modify rights on it (icacls, recorded by a stand-in); .blx52 files are associated
# with the program; setup cancelled at its first page leaves the older version (packed here as
# 1.0.0, with a file this version no longer has) as it was, and installed over it replaces it;
# a second install of the same version leaves one installation; a package signed with a
# certificate made here carries signatures osslsigncode verifies; the silent uninstall leaves no
# file and no registry entry of ours, and keeps the user's picture folder. Fails when a check
# fails.
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

# The rights on the picture folder are set by icacls, which Wine has only as a stub: a stand-in
# records each call's command line.
system32=$drive/windows/system32
calls=$drive/icacls-calls.txt
cp "$system32/icacls.exe" "$work/icacls.exe.wine"
cat >"$work/icacls.c" <<'EOF'
#include <windows.h>
#include <stdio.h>
int main(void) {
    char line[4096];
    int n = WideCharToMultiByte(CP_UTF8, 0, GetCommandLineW(), -1, line, sizeof line, 0, 0);
    FILE* f = fopen("C:\\icacls-calls.txt", "ab");
    if (f == NULL || n == 0)
        return 1;
    fprintf(f, "%s\n", line);
    fclose(f);
    return 0;
}
EOF
x86_64-w64-mingw32-gcc -O2 -o "$work/icacls.exe" "$work/icacls.c" ||
    { echo "cannot build the icacls stand-in"; exit 1; }
restore_icacls() { cp "$work/icacls.exe.wine" "$system32/icacls.exe"; rm -f "$calls"; }
trap 'restore_icacls; sim_stop_all; "$blx52_wineserver" -k 2>/dev/null; rm -rf "$sim_config" "$work"' EXIT
cp "$work/icacls.exe" "$system32/icacls.exe"
# Wine would run its built-in icacls instead of the file.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;icacls.exe=n"

# Starts setup on its first page (on Xvfb; Wine's desktop takes the display of the program that
# starts it), presses Cancel (Escape) and confirms (Return). True when setup ended.
cancel_at_first_page() {
    local display=93 xvfb pid window ended=1
    while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
    Xvfb ":$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
    "$blx52_wineserver" -k 2>/dev/null
    "$blx52_wineserver" -w
    DISPLAY=:$display "$blx52_root/tools/windows/wine-run" "$1" </dev/null >/dev/null 2>&1 &
    pid=$!
    window=
    for _ in $(seq 120); do
        window=$(DISPLAY=:$display xdotool search --onlyvisible --name "$product" 2>/dev/null |
            head -1)
        [ -n "$window" ] && break
        sleep 0.5
    done
    sleep 2
    if [ -n "$window" ]; then
        DISPLAY=:$display xdotool windowfocus "$window" key Escape 2>/dev/null
        sleep 2
        DISPLAY=:$display xdotool key Return 2>/dev/null
    fi
    for _ in $(seq 60); do kill -0 "$pid" 2>/dev/null || break; sleep 0.5; done
    if kill -0 "$pid" 2>/dev/null; then
        ended=0
        kill "$pid" 2>/dev/null
    fi
    wait "$pid" 2>/dev/null
    "$blx52_wineserver" -k 2>/dev/null
    "$blx52_wineserver" -w
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
    [ -n "$window" ] && [ "$ended" = 1 ]
}
# A key's default value; nothing for a key that is not there (reg says so on standard output).
reg_default() {
    local out
    out=$("$blx52_wine" reg query "$1" /ve </dev/null 2>/dev/null) && tr -d '\r' <<<"$out"
}
# The application manifest of a program, as Windows reads it at start.
manifest() { wrestool -x --raw -t 24 -n 1 "$1" 2>/dev/null; }
has_manifest() {
    local m
    m=$(manifest "$1")
    grep -q 'level="asInvoker"' <<<"$m" && grep -q 'PerMonitorV2' <<<"$m" &&
        grep -q '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}' <<<"$m" &&
        grep -q 'Microsoft.Windows.Common-Controls' <<<"$m" && ! grep -q '<activeCodePage' <<<"$m"
}
build_dir=${BLX52_WINDOWS_BUILD:-$blx52_root/build/windows}

[ ! -e "$dir" ] || { echo "$dir exists before the install"; exit 1; }
snapshot >"$work/before"

started=$SECONDS
# The user's own picture, there before any install.
mkdir -p "$pictures"
echo mine >"$pictures/In0_Pic0.bmp"
# An older version first, as a user who updates has it.
echo "a file of version 1.0.0 only" >"$work/gone-in-$version.txt"
old_setup=$(BLX52_PACKAGE_VERSION=1.0.0 BLX52_PACKAGE_OUT=$work/old \
    BLX52_PACKAGE_EXTRA=$work/gone-in-$version.txt "$blx52_root/tools/windows/package.sh" \
    2>"$work/package.err" | tail -1) || { echo "cannot pack the older version"; exit 1; }
check "without --sign the package says it is unsigned" grep -q '^unsigned' "$work/package.err"
check "without --sign the installer carries no signature" \
    test "$(osslsigncode verify "$old_setup" 2>&1 | grep -c 'Signature verification: ok')" = 0
run "$old_setup" /S >"$work/install.log"
check "the older version is installed" \
    test -f "$dir/gone-in-$version.txt" -a -n "$(registry | grep 'DisplayVersion.*1\.0\.0')"

# Setup started and cancelled at its first page changes nothing.
check "setup starts on its Welcome page and ends with Cancel" cancel_at_first_page "$setup"
check "cancelled: the older version's files, Start-menu entry and uninstall entry are there" \
    test -f "$dir/gone-in-$version.txt" -a -f "$dir/bin/blx52.exe" -a -f "$dir/uninstall.exe" \
    -a -f "$link" -a -n "$(registry | grep 'DisplayVersion.*1\.0\.0')"
map_ports COM1 "$sim_config/blx52/ports/COM1" || { echo "cannot map COM1 in Wine"; exit 1; }
out=$(run "$dir/bin/blx52.exe" --version)
check "cancelled: the older version still runs (got '$out')" test "$out" = "blx52 $version"

: >"$calls"
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
homepage=$(sed -n 's/^BLX52_HOMEPAGE:STRING=//p' "$build_dir/CMakeCache.txt")
check "uninstall entry's address is the project's one ($homepage)" \
    grep -q "URLInfoAbout *REG_SZ *$homepage\$" <<<"$(registry)"
check "no tools on PATH unless asked" \
    test -z "$("$blx52_wine" reg query 'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment' /v Path 2>/dev/null | grep -i 'BLX52')"

# The picture folder: the start pictures, the user's own kept, and the Users group's rights.
check "the picture folder holds 25 pictures after the install" \
    test "$(ls "$pictures" 2>/dev/null | grep -c '\.bmp$')" = 25
check "the user's own picture is kept" test "$(cat "$pictures/In0_Pic0.bmp")" = mine
check "the start pictures are the installed ones" \
    cmp -s "$pictures/Sby_Pic2.bmp" "$dir/share/blx52/start-pictures/Sby_Pic2.bmp"
check "icacls gave the Users group modify rights on the folder (recorded: $(tr -d '\r' <"$calls"))" \
    grep -qF '"C:\Users\BLX52_Settings" /grant *S-1-5-32-545:(OI)(CI)M' "$calls"

# .blx52 files open with the program, with its icon.
classes='HKLM\Software\Classes'
check ".blx52 files are BLX52.Settings" \
    grep -q 'REG_SZ *BLX52.Settings' <<<"$(reg_default "$classes\\.blx52")"
check "their Open verb starts the installed blx52.exe with the file" \
    grep -qF 'bin\blx52.exe" "%1"' <<<"$(reg_default "$classes\\BLX52.Settings\\shell\\open\\command")"
check "their icon is the program's" \
    grep -qF 'bin\blx52.exe,0' <<<"$(reg_default "$classes\\BLX52.Settings\\DefaultIcon")"

# The window program opens no console; the tools are console programs; each carries the icon
# (a group icon resource), the version resource with the product's version and the manifest.
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
manifests=0
for exe in "$dir"/bin/*.exe $(find "$build_dir" -name '*.exe' -not -path '*/CMakeFiles/*'); do
    check "$(basename "$exe") carries the application manifest" has_manifest "$exe"
    manifests=$((manifests + 1))
done
for exe in "$setup" "$dir/uninstall.exe"; do
    check "$(basename "$exe") asks for administrator rights in its manifest" \
        grep -q 'level="requireAdministrator"' <<<"$(manifest "$exe")"
done

out=$(run "$dir/bin/blx52.exe" --version)
check "installed blx52.exe --version says 'blx52 $version' (got '$out')" test "$out" = "blx52 $version"
run "$dir/bin/blx52-cli.exe" read COM1 >"$work/profile"
check "installed blx52-cli.exe read COM1 gives a profile of 88 settings" \
    test "$(head -1 "$work/profile")" = "# blx52-profile 1" -a \
    "$(grep -c '^[a-z0-9_]* = ' "$work/profile")" = 88
[ "$failed" -eq 0 ] || cat "$work/profile" | head -5

# The tools' console code page (UTF-8 while they run, the one before afterwards), in a console
# as Wine makes one for a program on a terminal. (Wine's terminal shows the bytes the same way
# whatever the code page, so what a user would see cannot be checked here.)
console_test=$build_dir/tests/link/link_tests.exe
if [ -e "$console_test" ]; then
    console=$(timeout 120 script -qec "'$blx52_root/tools/windows/wine-run' '$console_test' \
        --gtest_filter='Utf8ConsoleOutput.*'" /dev/null </dev/null 2>/dev/null |
        sed 's/\x1b\[[0-9;?]*[A-Za-z]//g')
    check "in a console the tools' output code page is UTF-8 and comes back (link_tests)" \
        test -n "$(grep PASSED <<<"$console")" -a -z "$(grep -E 'SKIPPED|FAILED' <<<"$console")"
fi

# Signed with a certificate made here: every program, the installer and the uninstaller it
# writes carry a signature that verifies against it.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" \
    -days 2 -subj "/CN=BLX52 installer test" -addext extendedKeyUsage=codeSigning 2>/dev/null &&
    openssl pkcs12 -export -out "$work/cert.pfx" -inkey "$work/key.pem" -in "$work/cert.pem" \
        -passout pass:test-only
signed_setup=$(BLX52_SIGN_PASSWORD=test-only BLX52_PACKAGE_OUT=$work/signed \
    "$blx52_root/tools/windows/package.sh" --sign "$work/cert.pfx" 2>"$work/package.err" | tail -1)
verified() {
    osslsigncode verify -CAfile "$work/cert.pem" "$1" 2>&1 | grep -q 'Signature verification: ok'
}
check "--sign: the package is built" test -f "$signed_setup"
check "--sign: it does not say it is unsigned" test "$(grep -c '^unsigned' "$work/package.err")" = 0
for exe in "$signed_setup" "$work/signed/package-windows/blx52-windows-$version/bin/"*.exe; do
    check "--sign: $(basename "$exe")'s signature verifies" verified "$exe"
done

# Installing again (the signed one) replaces what is there: one entry, the files in place.
run "$signed_setup" /S >>"$work/install.log"
check "a second install leaves one working installation" \
    test -f "$dir/bin/blx52.exe" -a "$(registry | grep -c DisplayName)" = 1
for exe in "$dir/bin/blx52.exe" "$dir/uninstall.exe"; do
    check "--sign: the installed $(basename "$exe")'s signature verifies" verified "$exe"
done

run "$dir/uninstall.exe" /S >"$work/uninstall.log"
check "silent uninstall ends" wait_uninstalled
# The uninstaller's copy of itself in the temporary folder goes at the next restart (Windows
# removes it then, as the uninstaller asked); a restart of Wine's "system" does the same.
"$blx52_wine" wineboot -r </dev/null >/dev/null 2>&1
check "the uninstall entry is gone" no_entry
check "the association is gone" \
    test -z "$(reg_default "$classes\\.blx52")$(reg_default "$classes\\BLX52.Settings")"
check "the picture folder is kept" test "$(cat "$pictures/In0_Pic0.bmp" 2>/dev/null)" = mine
rm -rf "$pictures"
restore_icacls
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
echo "installer under Wine: $((checks - failed)) of $checks checks passed ($manifests programs" \
    "with a manifest) in $((SECONDS - started)) s"
[ "$failed" -eq 0 ]
