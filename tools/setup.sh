#!/usr/bin/env bash
# Installs what building and testing need, when it is missing. Sourced by ./run and ./test.
blx52_packages="cmake ninja-build g++ qt6-base-dev libgtest-dev fonts-dejavu-core ccache qt6-serialport-dev"
# Installing and packaging: the install check and ./package.
blx52_packages="$blx52_packages desktop-file-utils appstream dpkg-dev file man-db gzip"
# Fuzzing (clang with libFuzzer) and the memory checker over the picture files.
blx52_packages="$blx52_packages clang libclang-rt-14-dev valgrind"
# The Windows build and its tests under Wine; Xvfb for the Windows layout check.
blx52_packages="$blx52_packages g++-mingw-w64-x86-64 wine64 xvfb"
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
