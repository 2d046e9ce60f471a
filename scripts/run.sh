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
    # The default thumb tabs carry their icons in a panel: a tap on the first
    # tab (Home) opens it, a second tap closes it again.
    item="$("$ctl" windows | awk -F'|' '$1 == "item" && $2 == "NorvaneWindowClass" { print $4, $5, $6, $7 }')"
    if [ -n "$item" ]; then
        read -r x y w h <<<"$item"
        tab="$((x + w / 10)) $((y + h / 2))"
        "$ctl" tap $tab
        "$ctl" refresh
        "$ctl" screenshot "$shots/home-$profile.png"
        "$ctl" tap $tab
    fi
done
"$ctl" shutdown
echo "run: Today screen screenshots of the four profiles (today-*.png, and home-*.png with the Home tab open) are in $root/$shots"
