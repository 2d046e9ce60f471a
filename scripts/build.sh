#!/usr/bin/env bash
# Configures and builds both trees: build/win (mingw-w64, run under Wine) and
# build/native (host clang with AddressSanitizer and UndefinedBehaviorSanitizer).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="${NORVANE_JOBS:-$(nproc)}"
# ccache, where the machine has it, lets several checkouts share their compiles.
launch=()
if command -v ccache >/dev/null 2>&1; then
    launch=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if [ ! -f build/win/build.ninja ]; then
    cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launch[@]}" >/dev/null
fi
if [ ! -f build/native/build.ninja ]; then
    CC=clang CXX=clang++ cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DNORVANE_FUZZ=ON "${launch[@]}" >/dev/null
fi
cmake --build build/native -j "$jobs"
cmake --build build/win -j "$jobs"
