#!/usr/bin/env bash
# Runs every libFuzzer target of the native tree for a while (60 s each by default)
# from its seed corpus; any crash, leak or sanitizer report fails the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
seconds="${1:-60}"
status=0
for f in build/native/fuzz/fuzz_*; do
    [ -x "$f" ] || continue
    name=$(basename "$f")
    corpus="build/fuzz-corpus/$name"
    mkdir -p "$corpus"
    seeds="fuzz/corpus/${name#fuzz_}"
    echo "== $name for ${seconds}s"
    if [ -d "$seeds" ]; then
        "$f" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
            "$corpus" "$seeds" >"build/$name.log" 2>&1 || { status=1; tail -50 "build/$name.log"; }
    else
        "$f" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
            "$corpus" >"build/$name.log" 2>&1 || { status=1; tail -50 "build/$name.log"; }
    fi
    grep -E '^stat::number_of_executed_units' "build/$name.log" || true
done
exit $status
