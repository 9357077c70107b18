#!/usr/bin/env bash
# morvick-cli image against cp -r of the same tree to the same disk, in the
# same run, and each image's planned size against its real one.
# Usage: bench/cli/bench-image.sh [BUILD] [WORK] [MBYTES] [OTHER]
#   BUILD defaults to build/release, WORK to /tmp/morvick-image-bench, MBYTES
#   (the size of the generated tree) to 256. OTHER, another morvick-cli (an
#   older build, say), runs in the same turns and is set against the same
#   references.
# The tree is bench-copy.sh's (bench-common.sh). Each
# command runs RUNS (default five) times in turns with its reference (the destination removed
# before each run); the best wall times are printed with the speed of image
# as a share of cp's (cp's time over image's). An image is flushed to disk
# before it gets its name, so it is also set against cp -r followed by sync.
set -euo pipefail
build=${1:-build/release}
work=${2:-/tmp/morvick-image-bench}
mbytes=${3:-256}
other=${4:-}
cli="$build/cli/morvick-cli"
[[ -x "$cli" ]] || { echo "build $build first (make bench)" >&2; exit 1; }
[[ -z "$other" || -x "$other" ]] || { echo "$other is not a program" >&2; exit 1; }

source "$(dirname "$0")/bench-common.sh"
plan=$(mktemp)
trap 'rm -f "$timing" "$plan"' EXIT
cat "$tree"/*/*/* "$tree"/*.txt >/dev/null  # warm the caches: both read from memory
out_cp="$work/out-cp"
out_image="$work/out-image"
clean="rm -rf $(q "$out_cp") $(q "$out_image")"
image="$(q "$cli") image $(q "$tree") $(q "$out_image") --size "$volume_mb" --yes --quiet"
for ((i = 0; i < runs; ++i)); do
  run cp "$clean" "cp -r $(q "$tree") $(q "$out_cp")"
  run cp_sync "$clean" "cp -r $(q "$tree") $(q "$out_cp") && sync"
  run image "$clean" "$image"
  if [[ -n "$other" ]]; then
    run other "$clean" "$(q "$other") image $(q "$tree") $(q "$out_image") --size "$volume_mb" --yes --quiet"
  fi
done
bash -c "$clean"
bash -c "$image --format json" >"$plan"
for iso in "$out_image"/*.iso; do
  "$cli" verify --quiet "$iso" || { echo "verify found differences in $iso" >&2; exit 1; }
done

fs=$(stat -f -c %T "$work")
printf 'tree: %s files, %s bytes on %s; images of %s MB\n' "$files" "$bytes" "$fs" "$volume_mb"
awk -v a="$(best cp)" -v s="$(best cp_sync)" -v b="$(best image)" 'BEGIN {
  printf "image: cp -r %.2f s, morvick-cli image %.2f s (index and SHA-256 included), speed %.2f of cp'"'"'s\n", a, b, a / b
  printf "       cp -r && sync %.2f s, speed %.2f of it\n", s, s / b }'
if [[ -n "$other" ]]; then
  awk -v a="$(best cp)" -v s="$(best cp_sync)" -v b="$(best other)" -v o="$other" 'BEGIN {
    printf "other: %s image %.2f s, speed %.2f of cp'"'"'s, %.2f of cp -r && sync\n", o, b, a / b, s / b }'
fi
python3 - "$plan" "$out_image" <<'PY'
import json, os, sys
plan = json.load(open(sys.argv[1]))
print("image          planned      written   capacity")
for volume in plan["volumes"]:
    real = os.path.getsize(os.path.join(sys.argv[2], volume["image"]))
    assert real == volume["imageSize"] and real <= plan["capacity"]
    print(f'{volume["image"]:<12} {volume["size"]:>10,} {real:>12,} {plan["capacity"]:>10,}')
PY
rm -rf "$out_cp" "$out_image"
