#!/usr/bin/env bash
# Installs what building and testing need, when it is missing. Sourced by ./run, ./test and
# ./package; a caller that needs less sets blx52_groups first (./package: "build package").
# Building: compiler, Qt, GoogleTest, and rsvg-convert, which renders the icon from its SVG;
# giflib and Qt Multimedia for the preview's GIF export and sound; fontconfig's headers for
# loading the font configuration early at start.
blx52_group_build="cmake ninja-build g++ qt6-base-dev libgtest-dev fonts-dejavu-core ccache
    qt6-serialport-dev librsvg2-bin libgif-dev qt6-multimedia-dev libfontconfig-dev"
# The Debian package: dpkg-shlibdeps and dpkg-buildflags, and what CPack uses to find programs.
blx52_group_package="dpkg-dev file gzip"
# The install check: desktop entry, AppStream data, the settings files' MIME type, man pages,
# the package's policy check and the clean Debian 12 system it is installed into.
blx52_group_check="desktop-file-utils appstream man-db lintian debootstrap shared-mime-info
    libxml2-utils"
# Fuzzing (clang with libFuzzer) and the memory checker over the picture files.
blx52_group_fuzz="clang libclang-rt-14-dev valgrind"
# The Windows build and its tests under Wine; Xvfb for the Windows layout check and the
# installer's pages (xdotool presses their buttons); icotool for the programs' .ico, wrestool
# for their resources; makensis for the installer; osslsigncode signs and checks signatures.
blx52_group_windows="g++-mingw-w64-x86-64 wine64 xvfb xdotool icoutils nsis osslsigncode
    openssl"
blx52_packages=""
for g in ${blx52_groups:-build package check fuzz windows}; do
    v=blx52_group_$g
    blx52_packages="$blx52_packages ${!v}"
done
blx52_missing=""
for p in $blx52_packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        blx52_missing="$blx52_missing $p"
done
if [ -n "$blx52_missing" ]; then
    if [ "$(id -u)" = 0 ]; then
        echo "Installing:$blx52_missing"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $blx52_missing >/dev/null
    else
        echo "Missing packages. Run as root:"
        echo "  apt-get install -y$blx52_missing"
        exit 1
    fi
fi
