#!/usr/bin/env bash
# Runs the libFuzzer targets of the native tree one after another, each from its
# seed corpus (fuzz/corpus/NAME) and its working corpus (build/fuzz-corpus/NAME).
#
#   scripts/fuzz.sh [SECONDS] [NAME...]   fuzz each target (or the named ones) for
#                                         SECONDS (60 by default, as in CI)
#   scripts/fuzz.sh --merge [NAME...]     add to the seed corpora the inputs of the
#                                         working corpora that reach new coverage
#
# Before fuzzing, each target must show at least its floor of coverage counters
# (FLOOR in fuzz/CMakeLists.txt); fewer means the code under test lost its
# instrumentation and the fuzzer would be blind, which fails the run. So does any
# crash, leak, timeout or sanitizer report; the target's log is build/fuzz_NAME.log
# and the input that failed lands in build/fuzz-findings/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
merge=0
seconds=60
if [ "${1:-}" = "--merge" ]; then
    merge=1
    shift
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then
    seconds="$1"
    shift
fi
wanted=("$@")
list=build/native/fuzz/targets.txt
if [ ! -f "$list" ]; then
    echo "fuzz: $list is missing; build first (scripts/build.sh)" >&2
    exit 1
fi

# Counters libFuzzer reports for the target at start-up (0 when it cannot start).
counters() {
    local empty
    empty=$(mktemp -d)
    "$1" -runs=0 "$empty" </dev/null 2>&1 | sed -n 's/.*(\([0-9]*\) inline 8-bit counters).*/\1/p' | head -1
    rmdir "$empty"
}

# Read at once: a rebuild during a long run rewrites the list.
mapfile -t entries <"$list"
status=0
ran=0
for entry in "${entries[@]}"; do
    read -r target floor seeds _ <<<"$entry"
    name=${target#fuzz_}
    if [ ${#wanted[@]} -gt 0 ] && ! printf '%s\n' "${wanted[@]}" | grep -qx -e "$name" -e "$target"; then
        continue
    fi
    ran=$((ran + 1))
    exe="build/native/fuzz/$target"
    if [ ! -x "$exe" ]; then
        echo "== $target: $exe is missing"
        status=1
        continue
    fi
    corpus="build/fuzz-corpus/$name"
    mkdir -p "$corpus"
    if [ $merge = 1 ]; then
        echo "== $target: merging $corpus into $seeds"
        "$exe" -merge=1 -use_counters=0 "$seeds" "$corpus" </dev/null >"build/$target.merge.log" 2>&1 ||
            { status=1; tail -20 "build/$target.merge.log"; }
        grep -E '^MERGE-OUTER: [0-9]+ new files' "build/$target.merge.log" || true
        continue
    fi
    seen=$(counters "$exe")
    echo "== $target: ${seen:-0} coverage counters (floor $floor), ${seconds}s"
    if [ "${seen:-0}" -lt "$floor" ]; then
        echo "$target sees ${seen:-0} coverage counters, fewer than its floor of $floor:" \
            "the code it tests is not instrumented (-fsanitize=fuzzer-no-link), so it would fuzz blind"
        status=1
        continue
    fi
    dict=()
    [ -f "fuzz/$name.dict" ] && dict=(-dict="fuzz/$name.dict")
    mkdir -p build/fuzz-findings
    if ! "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="build/fuzz-findings/$name-" "${dict[@]}" "$corpus" "$seeds" \
        </dev/null >"build/$target.log" 2>&1; then
        status=1
        tail -50 "build/$target.log"
        echo "the input is in build/fuzz-findings/; replay it with $exe FILE"
    fi
    grep -E '^#[0-9]+' "build/$target.log" | tail -1 || true
    grep -E '^stat::number_of_executed_units' "build/$target.log" || true
done
if [ $ran -eq 0 ]; then
    echo "fuzz: no target named ${wanted[*]}" >&2
    exit 1
fi
exit $status
