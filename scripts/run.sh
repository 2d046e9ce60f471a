#!/usr/bin/env bash
# The main job: set up, build, create a fresh simulated Pocket PC with Norvane
# installed and boot it (headless: screenshots of the Today screen).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh
echo "run: the simulated device comes with the next capability; the build is in build/win."
