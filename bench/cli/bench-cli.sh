#!/usr/bin/env bash
# morvick-cli against du on the same warm trees:
#   1. the engine benchmark tree (300,000 entries), plan with the default method;
#   2. a folder of 100,000 top-level files, plan by name (method 0) and first-fit (6);
#   3. a folder of 1,000,000 empty top-level files, plan by name, and its peak memory.
# Usage: bench/cli/bench-cli.sh [BUILD] [WORK]   (BUILD defaults to build/release)
# Prints the best wall and CPU times of seven runs of each command and the ratios to du
# (three runs for the million).
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

# Runs the reference and the candidate in turns, seven times each, so that both
# meet the same load on a shared machine; prints the best wall time and the
# best CPU time (user + system) of each: "ref_wall ref_cpu cand_wall cand_cpu".
compare() {
  local ref=$1 cand=$2 runs=${3:-7} timing
  timing=$(mktemp)
  for ((run = 0; run < runs; ++run)); do
    /usr/bin/time -f "ref %e %U %S" -a -o "$timing" bash -c "$ref" >/dev/null 2>&1
    /usr/bin/time -f "cand %e %U %S" -a -o "$timing" bash -c "$cand" >/dev/null 2>&1
  done
  awk '{ cpu = $3 + $4
         if (!($1 in wall) || $2 < wall[$1]) wall[$1] = $2
         if (!($1 in best_cpu) || cpu < best_cpu[$1]) best_cpu[$1] = cpu }
       END { printf "%s %s %s %s\n", wall["ref"], best_cpu["ref"], wall["cand"], best_cpu["cand"] }' \
    "$timing"
  rm -f "$timing"
}

report() {
  local label=$1 target=$2
  read -r du_wall du_cpu cli_wall cli_cpu
  awk -v l="$label" -v dw="$du_wall" -v dc="$du_cpu" -v cw="$cli_wall" -v cc="$cli_cpu" -v t="$target" \
    'BEGIN { printf "%-34s wall: du %.2f s, morvick-cli %.2f s, ratio %.2f   cpu: du %.2f s, morvick-cli %.2f s, ratio %.2f   (target <= %s)\n",
             l, dw, cw, cw / dw, dc, cc, cc / dc, t }'
}

million="$work/flat-1m"
[[ -d "$million" ]] || "$make_tree" --flat "$million" 1000000 >/dev/null

q() { printf "%q" "$1"; }
du -s --apparent-size -B1 "$tree" >/dev/null  # warm the caches
du -s --apparent-size -B1 "$flat" >/dev/null
du -s --apparent-size -B1 "$million" >/dev/null
du_tree="du -s --apparent-size -B1 $(q "$tree")"
du_flat="du -s --apparent-size -B1 $(q "$flat")"
compare "$du_tree" "$(q "$cli") plan $(q "$tree") --format json --quiet" |
  report "tree of 300,000 entries" 1.15
compare "$du_flat" "$(q "$cli") plan $(q "$flat") --format json --quiet --method 0" |
  report "100,000 top-level files, by name" 2.5
compare "$du_flat" "$(q "$cli") plan $(q "$flat") --format json --quiet --method 6" |
  report "100,000 top-level files, first-fit" 2.5
du_million="du -s --apparent-size -B1 $(q "$million")"
plan_million="$(q "$cli") plan $(q "$million") --format json --quiet --method 0"
compare "$du_million" "$plan_million" 3 | report "1,000,000 top-level files, by name" 2.0
peak_kb=$(/usr/bin/time -f "%M" bash -c "$plan_million" 2>&1 >/dev/null | tail -n 1)
awk -v kb="$peak_kb" 'BEGIN { printf "%-34s peak memory %.0f MB, %.0f bytes per entry (target < 200)\n",
                               "1,000,000 top-level files", kb / 1024, kb * 1024 / 1000000 }'
