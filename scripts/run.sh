#!/usr/bin/env bash
# The main job: set up, build, create a fresh simulated Pocket PC with Norvane
# installed and boot it. With a display it opens in a window; headless it saves
# screenshots of the Today screen in all four device profiles.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh
ctl=device/devicectl
if [ -n "${DISPLAY:-}" ]; then
    "$ctl" boot --fresh --profile qvga-portrait
    echo "run: the device is up in a window on $DISPLAY."
    echo "     Drive it with $ctl (tap X Y, key app1, screenshot FILE.png, ...); stop it with: $ctl shutdown"
    exit 0
fi
shots=build/device/screenshots
mkdir -p "$shots"
first=1
for profile in qvga-portrait qvga-landscape vga-portrait vga-landscape; do
    if [ $first = 1 ]; then
        "$ctl" boot --fresh --headless --profile "$profile"
        first=0
    else
        "$ctl" boot --headless --profile "$profile"
    fi
    "$ctl" screenshot "$shots/today-$profile.png"
done
"$ctl" shutdown
echo "run: Today screen screenshots of the four profiles are in $root/$shots"
