#!/usr/bin/env bash
# bench-window on the three folders of its targets, each in its own process so
# that each peak memory is its own:
#   1. a tree of 200,000 files in folders;
#   2. 100,000 empty files directly in the input folder;
#   3. 1,000,000 empty files directly in the input folder.
# Usage: bench/ui/bench-window.sh [BUILD] [WORK] [RUNS]   (BUILD defaults to build/release)
# The folders are made once below WORK (default /tmp/morvick-window-bench) and reused.
set -euo pipefail
build=${1:-build/release}
work=${2:-/tmp/morvick-window-bench}
runs=${3:-3}
bench="$build/bench/ui/bench-window"
make_tree="$build/bench/engine/morvick-make-tree"
[[ -x "$bench" && -x "$make_tree" ]] || { echo "build $build first (make bench)" >&2; exit 1; }

mkdir -p "$work"
[[ -d "$work/tree-200k" ]] || "$make_tree" "$work/tree-200k" 200000
[[ -d "$work/flat-100k" ]] || "$make_tree" --flat "$work/flat-100k" 100000
[[ -d "$work/flat-1m" ]] || "$make_tree" --flat "$work/flat-1m" 1000000

echo "== 200k files in folders"
"$bench" "$work/tree-200k" "$runs" 1.1 100 60
echo "== 100,000 top-level files"
"$bench" "$work/flat-100k" "$runs" 1.2 100 200
echo "== 1,000,000 top-level files"
"$bench" "$work/flat-1m" "$runs" 1.3 250 200
