#!/usr/bin/env bash
# Line coverage of the portable code: builds it with clang's source-based coverage
# in build/coverage (no sanitizers), runs the native tests, which replay the fuzz
# corpora too (fuzz/corpus), and prints the lines covered per source file and in
# total. The parsers the fuzz targets name (PARSES in fuzz/CMakeLists.txt) must
# reach 90 % of their lines; the script fails when one falls short.
#   scripts/coverage.sh [--html DIR]   (--html also writes the annotated sources)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
html=""
if [ "${1:-}" = "--html" ]; then
    html="${2:?--html needs a folder}"
fi
jobs="${NORVANE_JOBS:-$(nproc)}"
# Without ccache: the coverage mapping must name the sources by their full paths.
tree=build/coverage
llvm=/usr/lib/llvm-14/bin
for tool in llvm-cov llvm-profdata; do
    if [ ! -x "$llvm/$tool" ]; then
        echo "coverage: $llvm/$tool is missing (scripts/setup.sh installs llvm-14)" >&2
        exit 1
    fi
done
if [ ! -f "$tree/build.ninja" ]; then
    flags="-fprofile-instr-generate -fcoverage-mapping"
    CC=clang CXX=clang++ cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DNORVANE_SANITIZE=OFF -DNORVANE_FUZZ=ON -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_EXE_LINKER_FLAGS="-fprofile-instr-generate" >/dev/null
fi
cmake --build "$tree" -j "$jobs"

profiles="$tree/profiles"
rm -rf "$profiles"
mkdir -p "$profiles"
status=0
LLVM_PROFILE_FILE="$root/$profiles/%p.profraw" ctest --test-dir "$tree" -j "$jobs" --output-on-failure \
    >"$tree/ctest.log" 2>&1 || { status=1; tail -30 "$tree/ctest.log"; echo "coverage: a test failed"; }
grep -E 'tests passed' "$tree/ctest.log" || true
"$llvm/llvm-profdata" merge -sparse "$profiles"/*.profraw -o "$tree/coverage.profdata"

# Every program of the tree that carries coverage mapping (tests, tools and fuzz
# targets; the benchmarks do not run here).
objects=()
while IFS= read -r exe; do
    grep -qa __llvm_covmap "$exe" && objects+=(-object "$exe")
done < <(find "$tree" -type f -perm -u+x -not -path '*/CMakeFiles/*' -not -path '*/googletest/*' \
    -not -path "$tree/bench/*" -not -name '*.sh' | sort)
ignore="^($root/(fuzz|bench|build)/|.*/tests/|/usr/)"
# Each program has its own main (and each fuzz target its own LLVMFuzzerTestOneInput),
# which llvm-cov reports as mismatched data; those are outside the files reported.
"$llvm/llvm-cov" export -summary-only -instr-profile "$tree/coverage.profdata" \
    -ignore-filename-regex="$ignore" "${objects[@]:1}" 2>"$tree/llvm-cov.log" >"$tree/coverage.json"
grep -v 'functions have mismatched data' "$tree/llvm-cov.log" >&2 || true
if [ -n "$html" ]; then
    "$llvm/llvm-cov" show -format=html -output-dir="$html" -instr-profile "$tree/coverage.profdata" \
        -ignore-filename-regex="$ignore" "${objects[@]:1}"
fi

python3 - "$root" "$tree/coverage.json" "$tree/fuzz/targets.txt" <<'EOF' || status=1
import json, sys
root, report, targets = sys.argv[1] + "/", sys.argv[2], sys.argv[3]
parsers = set()
with open(targets) as f:
    for line in f:
        parsers.update(line.split()[3:])
files = {}
for entry in json.load(open(report))["data"][0]["files"]:
    name = entry["filename"]
    if name.startswith(root):
        files[name[len(root):]] = entry["summary"]["lines"]
width = max(len(n) for n in files) + 2
print(f"{'file':<{width}}{'lines':>7}{'missed':>8}{'cover':>8}")
total = missed = 0
short = []
for name in sorted(files):
    lines = files[name]
    count, miss = lines["count"], lines["count"] - lines["covered"]
    total += count
    missed += miss
    percent = 100.0 * (count - miss) / count if count else 100.0
    mark = ""
    if name in parsers:
        mark = "  parser"
        if percent < 90.0:
            mark += ", below 90 %"
            short.append(name)
    print(f"{name:<{width}}{count:>7}{miss:>8}{percent:>7.1f}%{mark}")
print(f"{'total':<{width}}{total:>7}{missed:>8}{100.0 * (total - missed) / max(total, 1):>7.1f}%")
absent = sorted(p for p in parsers if p not in files)
for name in absent:
    print(f"{name}: a parser the tests never reach")
if short or absent:
    sys.exit(1)
EOF
exit $status
