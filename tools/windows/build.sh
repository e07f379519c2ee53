#!/usr/bin/env bash
# Cross-builds for 64-bit Windows into build/windows (or BLX52_WINDOWS_BUILD) with Debian's MinGW-w64
# (cmake/mingw-w64-posix.cmake), GoogleTest for MinGW built from Debian's source into
# build/windows-deps. With the static Qt for MinGW (BLX52_WINDOWS_QT, default
# ../shared/windows/qt6-mingw-6.4.2-static.tar.xz, unpacked into build/windows-deps) it builds
# the whole program and every test program that runs on Windows; without it the Qt-free part:
# the serial link, blx52-send, the read benchmark and the link tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
deps=$root/build/windows-deps
toolchain=$root/cmake/mingw-w64-posix.cmake
build=${BLX52_WINDOWS_BUILD:-$root/build/windows}
qt_archive=${BLX52_WINDOWS_QT:-$root/../shared/windows/qt6-mingw-6.4.2-static.tar.xz}
# giflib for the preview's GIF export, static for MinGW, unpacked beside Qt.
gif_archive=${BLX52_WINDOWS_GIFLIB:-$root/../shared/windows/giflib-5.2.1-mingw-static.tar.xz}

mkdir -p "$deps"
if [ ! -f "$deps/gtest/lib/libgtest.a" ]; then
    cmake -S /usr/src/googletest -B "$deps/gtest-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DBUILD_GMOCK=OFF \
        -DCMAKE_INSTALL_PREFIX="$deps/gtest" >/dev/null
    cmake --build "$deps/gtest-build" -j2 >/dev/null
    cmake --install "$deps/gtest-build" >/dev/null
fi

prefixes=$deps/gtest
qt_args=(-DBLX52_LINK_ONLY=ON)
if [ -f "$qt_archive" ]; then
    if [ ! -d "$deps/qt6-mingw/lib/cmake/Qt6" ]; then
        tar xJf "$qt_archive" -C "$deps"
    fi
    prefixes="$deps/qt6-mingw;$prefixes"
    if [ ! -f "$deps/giflib-mingw/lib/libgif.a" ]; then
        tar xJf "$gif_archive" -C "$deps"
    fi
    prefixes="$deps/giflib-mingw;$prefixes"
    # The host's moc, rcc and uic serve the cross build.
    qt_args=(-DBLX52_LINK_ONLY=OFF -DQT_HOST_PATH=/usr
             -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
    echo "Windows build: the whole program (Qt from $qt_archive)"
else
    echo "Windows build: the serial link only; the whole program was skipped (no static Qt for" \
         "MinGW at $qt_archive)"
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" "${qt_args[@]}" -DCMAKE_PREFIX_PATH="$prefixes" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tools/windows/wine-run" >/dev/null
# Programs of the other kind of build (with or without Qt) must not be taken for this one's.
ninja -C "$build" -t cleandead >/dev/null
cmake --build "$build" -j2
