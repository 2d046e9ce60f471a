#!/usr/bin/env bash
# Installs what building, testing and running the simulated device need on a fresh
# Debian 12 machine (as root). Quick when everything is already there.
set -euo pipefail
pkgs=(cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth x11-utils
      imagemagick fonts-wine googletest clang libclang-rt-14-dev llvm-14 python3 util-linux xdotool)
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
