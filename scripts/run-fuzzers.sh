#!/usr/bin/env bash
# Runs every fuzz_* program of a fuzz build for a fixed time each, starting from
# its seed corpus in tests/fuzz/corpus/NAME; new inputs go to BUILD/corpus/NAME.
# Prints the executions of each and fails when one of them finds a fault.
set -uo pipefail
build=$(cd "${1:?usage: run-fuzzers.sh BUILD_DIR SECONDS}" && pwd)
seconds=${2:-60}
here=$(cd "$(dirname "$0")/.." && pwd)
status=0
for fuzzer in "$build"/tests/fuzz/fuzz_*; do
  [[ -x "$fuzzer" ]] || continue
  name=$(basename "$fuzzer"); name=${name#fuzz_}
  seeds="$here/tests/fuzz/corpus/$name"
  found="$build/corpus/$name"
  mkdir -p "$seeds" "$found"
  log="$build/fuzz-$name.log"
  if (cd "$build" && "$fuzzer" "$found" "$seeds" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1) >"$log" 2>&1; then
    runs=$(grep -o 'Done [0-9]* runs' "$log" | tail -1)
    echo "fuzz_$name: ${runs:-done} in ${seconds}s, no fault"
  else
    echo "fuzz_$name: FAULT (see $log; the input is saved beside it as crash-*)"
    tail -30 "$log"
    status=1
  fi
done
exit $status
