#!/usr/bin/env bash
# morvick-cli copy against cp -r of the same tree to the same disk, and
# morvick-cli verify against sha256sum of the same files, in the same run.
# Usage: bench/cli/bench-copy.sh [BUILD] [WORK] [MBYTES] [OTHER]
#   BUILD defaults to build/release, WORK to /tmp/morvick-copy-bench, MBYTES
#   (the size of the generated tree) to 256. OTHER, another morvick-cli (an
#   older build, say), runs in the same turns and is set against the same
#   references.
# The tree is bench-common.sh's. Each command runs RUNS (default five) times
# in turns with its reference (the destination removed before each run); the
# best wall times and their ratio are printed. Copy has every file on the disk
# (flushed in batches) before it gives it its name, so it is also set against
# cp -r followed by sync.
set -euo pipefail
build=${1:-build/release}
work=${2:-/tmp/morvick-copy-bench}
mbytes=${3:-256}
other=${4:-}
cli="$build/cli/morvick-cli"
[[ -x "$cli" ]] || { echo "build $build first (make bench)" >&2; exit 1; }
[[ -z "$other" || -x "$other" ]] || { echo "$other is not a program" >&2; exit 1; }

source "$(dirname "$0")/bench-common.sh"
trap 'rm -f "$timing"' EXIT
cat "$tree"/*/*/* "$tree"/*.txt >/dev/null  # warm the caches: both read from memory
out_cp="$work/out-cp"
out_copy="$work/out-copy"
clean="rm -rf $(q "$out_cp") $(q "$out_copy")"
for ((i = 0; i < runs; ++i)); do
  run cp "$clean" "cp -r $(q "$tree") $(q "$out_cp")"
  run cp_sync "$clean" "cp -r $(q "$tree") $(q "$out_cp") && sync"
  run copy "$clean" "$(q "$cli") copy $(q "$tree") $(q "$out_copy") --size "$volume_mb" --yes --quiet"
  if [[ -n "$other" ]]; then
    run other "$clean" "$(q "$other") copy $(q "$tree") $(q "$out_copy") --size "$volume_mb" --yes --quiet"
  fi
done
if [[ -n "$other" ]]; then  # the volumes verified below are this build's
  bash -c "$clean"
  bash -c "$(q "$cli") copy $(q "$tree") $(q "$out_copy") --size "$volume_mb" --yes --quiet" >/dev/null
fi
volumes=("$out_copy"/folder*)
verify_all=""
for volume in "${volumes[@]}"; do verify_all+="$(q "$cli") verify --quiet $(q "$volume"); "; done
sums="find $(q "$out_copy") -type f ! -name 'morvick-*' -print0 | xargs -0 sha256sum"
bash -c "$sums" >/dev/null
for ((i = 0; i < runs; ++i)); do
  run sha256sum true "$sums"
  run verify true "$verify_all"
done
bash -c "$verify_all" || { echo "verify found differences" >&2; exit 1; }

fs=$(stat -f -c %T "$work")
cp_s=$(best cp)
cp_sync_s=$(best cp_sync)
copy_s=$(best copy)
sum_s=$(best sha256sum)
verify_s=$(best verify)
printf 'tree: %s files, %s bytes on %s; %s volumes of %s MB\n' "$files" "$bytes" "$fs" "${#volumes[@]}" "$volume_mb"
awk -v a="$cp_s" -v s="$cp_sync_s" -v b="$copy_s" -v c="$sum_s" -v d="$verify_s" 'BEGIN {
  printf "copy:   cp -r %.2f s, morvick-cli copy %.2f s (index and SHA-256 included), ratio %.2f\n", a, b, b / a
  printf "        cp -r && sync %.2f s, ratio %.2f\n", s, b / s
  printf "verify: sha256sum %.2f s, morvick-cli verify %.2f s, ratio %.2f\n", c, d, d / c }'
if [[ -n "$other" ]]; then
  awk -v a="$cp_s" -v s="$cp_sync_s" -v b="$(best other)" -v o="$other" 'BEGIN {
    printf "other:  %s copy %.2f s, ratio %.2f of cp -r, %.2f of cp -r && sync\n", o, b, b / a, b / s }'
fi
rm -rf "$out_cp" "$out_copy"
