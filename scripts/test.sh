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
ctest --test-dir build/win --output-on-failure -j "$(nproc)" -LE system || status=1
# The system tests boot simulated devices and drive them with real input and
# timing: one at a time, with the machine to themselves.
echo "== system tests (simulated devices)"
ctest --test-dir build/win --output-on-failure -L system || status=1
exit $status
