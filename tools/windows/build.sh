#!/usr/bin/env bash
# Cross-builds the Qt-free part (the serial link, blx52-send, the read benchmark and the link
# tests) for 64-bit Windows into build/windows, with GoogleTest for MinGW built from Debian's
# source into build/windows-deps. Needs g++-mingw-w64-x86-64 and libgtest-dev.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
deps=$root/build/windows-deps
toolchain=$root/cmake/mingw-w64-posix.cmake

if [ ! -f "$deps/gtest/lib/libgtest.a" ]; then
    cmake -S /usr/src/googletest -B "$deps/gtest-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DBUILD_GMOCK=OFF \
        -DCMAKE_INSTALL_PREFIX="$deps/gtest" >/dev/null
    cmake --build "$deps/gtest-build" -j2 >/dev/null
    cmake --install "$deps/gtest-build" >/dev/null
fi

cmake -S "$root" -B "$root/build/windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DBLX52_LINK_ONLY=ON \
    -DCMAKE_PREFIX_PATH="$deps/gtest" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tools/windows/wine-run" >/dev/null
cmake --build "$root/build/windows" -j2
