#!/bin/bash
# Runs every fuzz target of a clang build tree for a given time each, starting from the
# committed seeds, and prints the executions and findings of each.
#
#   tools/fuzz.sh BUILD_DIR SECONDS [TARGET...]
#
# BUILD_DIR is a tree configured with clang (the fuzz targets exist only there); an
# optimised sanitizer tree runs many times faster than the Debug one:
#   cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
#     "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g" -DKELVANE_SANITIZE=ON \
#     -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
# The corpus each run grows is kept in BUILD_DIR/fuzz/TARGET, so a second run goes on
# from where the first stopped; inputs that fail are kept in BUILD_DIR/fuzz/TARGET-findings.
# With FUZZ_RUNS=N in the environment a target also stops after N executions.
# The exit status is 1 when any target found something.
set -u

here=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 2 ]; then
    sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
fi
build=$(cd "$1" && pwd) || exit 2
seconds=$2
shift 2

# target, where it is built, its committed seeds, extra options.
all="config_fuzz tests/config tests/config/fuzz_seeds -dict=$here/tests/config/settings.dict
solver_fuzz_engine tests/solver tests/solver/engine_seeds -
solver_fuzz_board_text tests/solver tests/solver/board_text_seeds -"

wanted=" $* "
status=0
printf '%-24s %12s %10s %8s %s\n' target executions per-second findings corpus
while read -r name folder seeds options; do
    if [ $# -gt 0 ] && [[ $wanted != *" $name "* ]]; then continue; fi
    exe=$build/$folder/$name
    if [ ! -x "$exe" ]; then
        cmake --build "$build" --target "$name" >/dev/null || { status=1; continue; }
    fi
    corpus=$build/fuzz/$name
    findings=$build/fuzz/$name-findings
    mkdir -p "$corpus" "$findings"
    [ "$options" = - ] && options=""
    log=$build/fuzz/$name.log
    # shellcheck disable=SC2086 # options is a word list
    # Shorter allocation stacks, no fill of new blocks and a small quarantine: the settings
    # target allocates for every line it reads, and these settings nearly double its speed
    # while every fault is still caught.
    [ -n "${FUZZ_RUNS:-}" ] && options="$options -runs=$FUZZ_RUNS"
    ASAN_OPTIONS=detect_leaks=1:malloc_context_size=4:max_malloc_fill_size=0:quarantine_size_mb=8 \
        UBSAN_OPTIONS=print_stacktrace=1 \
        "$exe" -max_total_time="$seconds" -print_final_stats=1 -timeout=20 \
        -artifact_prefix="$findings/" $options "$corpus" "$here/$seeds" >"$log" 2>&1
    code=$?
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    found=$(find "$findings" -type f | wc -l)
    if [ "$code" -ne 0 ] || [ "$found" -ne 0 ]; then
        status=1
        grep -m1 -E 'ERROR|==[0-9]+==|runtime error|deadly signal' "$log" >&2
    fi
    printf '%-24s %12s %10s %8s %s\n' "$name" "${execs:-?}" "${rate:-?}" "$found" \
        "$(find "$corpus" -type f | wc -l) files"
done <<<"$all"
exit $status
