#!/usr/bin/env bash
# morvick-cli against du on the same warm trees:
#   1. the engine benchmark tree (300,000 entries), plan with the default method;
#   2. a folder of 100,000 top-level files, plan by name (method 0) and first-fit (6).
# Usage: bench/cli/bench-cli.sh [BUILD] [WORK]   (BUILD defaults to build/release)
# Prints the best of five runs of each command and the ratios to du.
set -euo pipefail
build=${1:-build/release}
work=${2:-/tmp/morvick-cli-bench}
cli="$build/cli/morvick-cli"
make_tree="$build/bench/engine/morvick-make-tree"
[[ -x "$cli" && -x "$make_tree" ]] || { echo "build $build first (make bench)" >&2; exit 1; }

tree="$work/tree"
flat="$work/flat"
mkdir -p "$work"
[[ -d "$tree" ]] || "$make_tree" "$tree" 300000 >/dev/null
if [[ ! -d "$flat" ]]; then
  mkdir -p "$flat"
  (cd "$flat" && seq -f "file%06g.dat" 100000 | xargs truncate -s 4096)
fi

# Best wall time of five runs, in seconds.
best() {
  local best_ns=""
  for _ in 1 2 3 4 5; do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    local ns=$((end - start))
    if [[ -z "$best_ns" || $ns -lt $best_ns ]]; then best_ns=$ns; fi
  done
  awk -v ns="$best_ns" 'BEGIN { printf "%.3f", ns / 1e9 }'
}

report() {
  local label=$1 du_s=$2 cli_s=$3 target=$4
  awk -v l="$label" -v d="$du_s" -v c="$cli_s" -v t="$target" \
    'BEGIN { printf "%-34s du %6.3f s  morvick-cli %6.3f s  ratio %.2f (target <= %s)\n", l, d, c, c / d, t }'
}

du -s --apparent-size -B1 "$tree" >/dev/null  # warm the caches
"$cli" plan "$tree" --format json --quiet >/dev/null
du_tree=$(best du -s --apparent-size -B1 "$tree")
cli_tree=$(best "$cli" plan "$tree" --format json --quiet)
report "tree of 300,000 entries" "$du_tree" "$cli_tree" 1.15

du -s --apparent-size -B1 "$flat" >/dev/null
"$cli" plan "$flat" --format json --quiet >/dev/null
du_flat=$(best du -s --apparent-size -B1 "$flat")
cli_name=$(best "$cli" plan "$flat" --format json --quiet --method 0)
cli_first=$(best "$cli" plan "$flat" --format json --quiet --method 6)
report "100,000 top-level files, by name" "$du_flat" "$cli_name" 2.5
report "100,000 top-level files, first-fit" "$du_flat" "$cli_first" 2.5
