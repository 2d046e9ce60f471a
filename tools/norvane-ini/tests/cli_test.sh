#!/usr/bin/env bash
# Runs the norvane-ini program itself on files in a temporary folder: exit codes,
# messages and the bytes it writes.
set -u
tool="$1"
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
printf '[General]\r\nFontSize=14\r\n[Tab1]\r\nName=Main\r\nShortcut1=a.lnk\r\n' >"$dir/ansi.ini"
expect 64 "no arguments" "$tool"
grep -q "usage: norvane-ini" "$dir/err" || { echo "FAIL: usage text missing"; fail=1; }
expect 64 "unknown command" "$tool" explode "$dir/ansi.ini"
expect 1 "unreadable file" "$tool" get "$dir/none.ini" General FontSize
expect 1 "check finds the missing mark" "$tool" check "$dir/ansi.ini"
grep -q "ansi.ini:1: no byte-order mark" "$dir/out" || { echo "FAIL: check output"; cat "$dir/out"; fail=1; }
expect 0 "get" "$tool" get "$dir/ansi.ini" General FontSize --int
[ "$(cat "$dir/out")" = "14" ] || { echo "FAIL: get printed $(cat "$dir/out")"; fail=1; }
expect 2 "missing key" "$tool" get "$dir/ansi.ini" General Nope
expect 0 "normalize" "$tool" normalize "$dir/ansi.ini" -o "$dir/norm.ini"
[ "$(head -c 2 "$dir/norm.ini" | od -An -tx1 | tr -d ' ')" = "fffe" ] || { echo "FAIL: no mark written"; fail=1; }
expect 0 "normalized file is clean" "$tool" check "$dir/norm.ini"
expect 0 "set" "$tool" set "$dir/norm.ini" Tab1 Name "Main tab"
expect 0 "get after set" "$tool" get "$dir/norm.ini" Tab1 Name
[ "$(cat "$dir/out")" = "Main tab" ] || { echo "FAIL: set did not stick"; fail=1; }
exit $fail
