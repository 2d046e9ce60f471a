#!/usr/bin/env bash
# Sets up, builds and runs every test: the native tree (sanitizers) and the Windows
# tree (under Wine, with one Xvfb and one persistent wineserver for the run).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh
status=0
echo "== native tests"
ctest --test-dir build/native --output-on-failure -j "$(nproc)" || status=1
echo "== Windows tests (Wine)"
# A test program that fails is run once more before it counts: on a freshly made
# prefix Wine now and then ends a program before it prints anything. A real
# failure fails twice, and both runs' output is shown.
ctest --test-dir build/win --output-on-failure -j "$(nproc)" -LE system --repeat until-pass:2 || status=1
# The system tests boot simulated devices and drive them with real input and
# timing: one at a time, with the machine to themselves.
echo "== system tests (simulated devices)"
ctest --test-dir build/win --output-on-failure -L system || status=1
exit $status
