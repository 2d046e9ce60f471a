#!/usr/bin/env bash
# Runs the norvane-meter program itself: exit codes and the line-numbered
# findings it prints, on a shipped meter and on a broken copy of it.
set -u
tool="$1"
source_dir="$2"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail=0
expect() { # expected-code description command...
    local want="$1" what="$2"
    shift 2
    "$@" >"$dir/out" 2>"$dir/err"
    local got=$?
    if [ "$got" != "$want" ]; then
        echo "FAIL: $what: exit $got, expected $want"
        cat "$dir/out" "$dir/err"
        fail=1
    fi
}
expect 64 "no arguments" "$tool"
grep -q "usage: norvane-meter" "$dir/err" || { echo "FAIL: usage text missing"; fail=1; }
expect 0 "a shipped meter is clean" "$tool" check "$source_dir/meters/battery-default/meter.ini"
grep -q "no problems found" "$dir/out" || { echo "FAIL: clean report"; cat "$dir/out"; fail=1; }
cp "$source_dir"/meters/battery-default/* "$dir/"
printf '[general]\r\ntype=reveal\r\n[32]\r\nmeter=meter32.tga\r\nbattery=missing.tga\r\n' >"$dir/broken.ini"
expect 1 "a broken meter" "$tool" check "$dir/broken.ini"
grep -q "broken.ini:5: \"missing.tga\" is missing" "$dir/out" || { echo "FAIL: finding"; cat "$dir/out"; fail=1; }
expect 1 "an unreadable file" "$tool" check "$dir/none.ini"
expect 64 "preview needs the Windows build" "$tool" preview "$dir/broken.ini" "$dir/out.png"
exit $fail
