#!/usr/bin/env bash
# Packs the Windows build (build/windows, made by tools/windows/build.sh with Qt) for users, in
# two forms made from the same files:
#   build/blx52-windows-<version>-setup.exe   the installer (NSIS, packaging/windows/installer.nsi)
#   build/blx52-windows-<version>.zip         the portable form
# Both hold bin\blx52.exe, bin\blx52-cli.exe and bin\blx52-send.exe, the 25 start pictures as
# the bitmap files the program writes (made by the Linux build, build/release) in
# share\blx52\start-pictures\, where `blx52 --init-pictures` finds them, a README for Windows
# users, the licence (LICENSE.txt), the third-party notes (THIRD-PARTY.txt) and the manual
# (doc\manual.md with its screenshots in doc\pictures\, made by the Linux build).
# --sign CERT.pfx signs every .exe, the uninstaller and the installer with osslsigncode (the
# password, if any, in BLX52_SIGN_PASSWORD), with a time stamp from the RFC 3161 server given
# with --timestamp URL; without --sign both forms are built unsigned, and it says so.
# For the installer test's upgrade: BLX52_PACKAGE_VERSION packs as another version,
# BLX52_PACKAGE_OUT puts everything below another folder than build/, and BLX52_PACKAGE_EXTRA
# names a file to pack as well (one that the real version no longer has).
set -euo pipefail
certificate= timestamp=
while [ $# -gt 0 ]; do
    case $1 in
        --sign) certificate=${2:?--sign needs a .pfx file}; shift 2 ;;
        --timestamp) timestamp=${2:?--timestamp needs a server address}; shift 2 ;;
        *) echo "usage: $0 [--sign CERT.pfx [--timestamp URL]]" >&2; exit 2 ;;
    esac
done
[ -z "$certificate" ] || [ -f "$certificate" ] || { echo "no certificate $certificate" >&2; exit 1; }
[ -z "$certificate" ] || command -v osslsigncode >/dev/null ||
    { echo "osslsigncode is missing: apt-get install osslsigncode" >&2; exit 1; }
certificate=${certificate:+$(realpath "$certificate")}
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
manual_pictures=$root/build/release/packaging/manual/pictures
[ -f "$manual_pictures/main-window.png" ] || {
    echo "no manual screenshots in $manual_pictures: build the Linux release first" >&2
    exit 1
}
command -v makensis >/dev/null || { echo "makensis is missing: apt-get install nsis" >&2; exit 1; }
version=${BLX52_PACKAGE_VERSION:-$(sed -n 's/^project(blx52 VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")}
homepage=$(sed -n 's/^BLX52_HOMEPAGE:STRING=//p' "$build/CMakeCache.txt")
out=${BLX52_PACKAGE_OUT:-$root/build}
name=blx52-windows-$version
stage=$out/package-windows/$name
lists=$out/package-windows/nsis
rm -rf "$stage" "$lists"
mkdir -p "$stage/bin" "$stage/share/blx52/start-pictures" "$stage/doc/pictures" "$lists"
x86_64-w64-mingw32-strip -o "$stage/bin/blx52.exe" "$build/app/blx52.exe"
x86_64-w64-mingw32-strip -o "$stage/bin/blx52-cli.exe" "$build/tools/blx52-cli.exe"
x86_64-w64-mingw32-strip -o "$stage/bin/blx52-send.exe" "$build/tools/blx52-send.exe"
# The signing command, for the programs here and for makensis (uninstaller and installer).
sign_args=()
if [ -n "$certificate" ]; then
    signer=$lists/sign
    sign_args=(-DSIGN="$signer")
    {
        echo '#!/bin/sh'
        echo 'set -e'
        printf 'osslsigncode sign -pkcs12 %q -pass "${BLX52_SIGN_PASSWORD:-}" -h sha256 ' "$certificate"
        printf -- '-n %q -i %q ' "BLX52 Glowpanel Configurator" "$homepage"
        [ -z "$timestamp" ] || printf -- '-ts %q ' "$timestamp"
        echo '-in "$1" -out "$1.signed" >/dev/null'
        echo 'mv "$1.signed" "$1"'
    } >"$signer"
    chmod +x "$signer"
    for exe in "$stage"/bin/*.exe; do "$signer" "$exe"; done
fi
cp "$pictures"/*.bmp "$stage/share/blx52/start-pictures/"
[ -z "${BLX52_PACKAGE_EXTRA:-}" ] || cp "$BLX52_PACKAGE_EXTRA" "$stage/"
# Windows' own editor expects CR LF.
crlf() { sed 's/$/\r/' "$1" >"$2"; }
crlf "$root/tools/windows/README-Windows.txt" "$stage/README.txt"
crlf "$root/LICENSE" "$stage/LICENSE.txt"
crlf "$root/THIRD-PARTY.md" "$stage/THIRD-PARTY.txt"
crlf "$root/docs/manual.md" "$stage/doc/manual.md"
cp "$manual_pictures"/*.png "$stage/doc/pictures/"
count=$(find "$stage/share/blx52/start-pictures" -name '*.bmp' | wc -l)
[ "$count" -eq 25 ] || { echo "expected 25 start pictures, found $count" >&2; exit 1; }
# The same time on every file, so that the same build gives the same zip and installer.
stamp=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 0)
find "$stage" -exec touch -h -d "@$stamp" {} +

rm -f "$out/$name.zip"
(cd "$stage/.." && find "$name" -print | LC_ALL=C sort >"$lists/zip-files" &&
    cmake -E tar cf "$out/$name.zip" --format=zip \
        --mtime="$(date -u -d "@$stamp" '+%Y-%m-%d %H:%M:%S UTC')" --files-from="$lists/zip-files")

# The installer's lines for exactly the staged files: installed folder by folder, removed file
# by file, then each folder if nothing else is left in it (deepest first).
win() { printf '%s' "$1" | tr / '\\'; }
(cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) >"$lists/files"
: >"$lists/files.nsh"
: >"$lists/unfiles.nsh"
last=
while IFS= read -r f; do
    dir=$(dirname "$f")
    if [ "$dir" != "$last" ]; then
        if [ "$dir" = . ]; then echo "SetOutPath \"\$INSTDIR\"" >>"$lists/files.nsh"
        else echo "SetOutPath \"\$INSTDIR\\$(win "$dir")\"" >>"$lists/files.nsh"; fi
        last=$dir
    fi
    echo "File \"$stage/$f\"" >>"$lists/files.nsh"
    echo "Delete \"\$INSTDIR\\$(win "$f")\"" >>"$lists/unfiles.nsh"
done <"$lists/files"
(cd "$stage" && find . -mindepth 1 -type d | sed 's|^\./||' | awk '{ print gsub("/", "/"), $0 }' |
    sort -rn | cut -d' ' -f2-) | while IFS= read -r d; do
    echo "RMDir \"\$INSTDIR\\$(win "$d")\"" >>"$lists/unfiles.nsh"
done
# For the next version's installer, which removes what this one had and it no longer has.
tr / '\\' <"$lists/files" | sed 's/$/\r/' >"$lists/installed-files.txt"
# Whether a file is one of this version's (case-insensitively, as Windows names are).
{
    echo 'Function IsCurrentFile'
    echo '    StrCpy $R1 1'
    tr / '\\' <"$lists/files" | sed 's/.*/    StrCmp $R0 "&" current/'
    echo '    StrCpy $R1 0'
    echo '    current:'
    echo 'FunctionEnd'
} >"$lists/current.nsh"
size_kb=$(du -sk "$stage" | cut -f1)
setup=$out/$name-setup.exe
makensis -V2 -NOCD -INPUTCHARSET UTF8 "${sign_args[@]}" -DVERSION="$version" -DSTAGE="$stage" -DLISTS="$lists" -DOUTFILE="$setup" \
    -DICON="$build/icons/blx52.ico" -DHOMEPAGE="$homepage" -DSIZE_KB="$size_kb" \
    "$root/packaging/windows/installer.nsi" >"$lists/makensis.log" ||
    { cat "$lists/makensis.log" >&2; exit 1; }
[ -n "$certificate" ] || echo "unsigned: the programs and the installer carry no signature (--sign CERT.pfx signs them)" >&2
echo "$out/$name.zip"
echo "$setup"
