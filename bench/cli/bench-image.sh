#!/usr/bin/env bash
# morvick-cli image against cp -r of the same tree to the same disk, in the
# same run, and each image's planned size against its real one.
# Usage: bench/cli/bench-image.sh [BUILD] [WORK] [MBYTES]
#   BUILD defaults to build/release, WORK to /tmp/morvick-image-bench, MBYTES
#   (the size of the generated tree) to 256.
# The tree is bench-copy.sh's: 32 top-level folders of files from 4 KiB to
# 2 MiB of random bytes, nested two deep, and 200 small top-level files. Each
# command runs five times in turns with its reference (the destination removed
# before each run); the best wall times are printed with the speed of image
# as a share of cp's (cp's time over image's). An image is flushed to disk
# before it gets its name, so it is also set against cp -r followed by sync.
set -euo pipefail
build=${1:-build/release}
work=${2:-/tmp/morvick-image-bench}
mbytes=${3:-256}
cli="$build/cli/morvick-cli"
[[ -x "$cli" ]] || { echo "build $build first (make bench)" >&2; exit 1; }

tree="$work/tree"
if [[ ! -f "$work/tree.done" ]]; then
  rm -rf "$tree"
  mkdir -p "$tree"
  budget=$((mbytes * 1024 * 1024))
  RANDOM=7
  n=0
  while ((budget > 0)); do
    folder="$tree/folder$((n % 32))/sub$((n % 5))"
    mkdir -p "$folder"
    size=$(((RANDOM * 64 + RANDOM % 64) % (2 * 1024 * 1024) + 4096))
    head -c "$size" /dev/urandom >"$folder/file$n.bin"
    budget=$((budget - size))
    n=$((n + 1))
  done
  for ((i = 0; i < 200; ++i)); do head -c $((i * 97 + 1)) /dev/urandom >"$tree/small$i.txt"; done
  touch "$work/tree.done"
fi
files=$(find "$tree" -type f | wc -l)
bytes=$(du -s --apparent-size -B1 "$tree" | cut -f1)

timing=$(mktemp)
plan=$(mktemp)
trap 'rm -f "$timing" "$plan"' EXIT
run() {
  local label=$1 prepare=$2 command=$3 start end
  bash -c "$prepare"
  sync
  start=$(date +%s.%N)
  bash -c "$command" >/dev/null 2>&1
  end=$(date +%s.%N)
  echo "$label $(echo "$end - $start" | bc)" >>"$timing"
}
best() { awk -v l="$1" '$1 == l && (!(l in b) || $2 < b[l]) { b[l] = $2 } END { print b[l] }' "$timing"; }

q() { printf "%q" "$1"; }
cat "$tree"/*/*/* "$tree"/*.txt >/dev/null  # warm the caches: both read from memory
out_cp="$work/out-cp"
out_image="$work/out-image"
clean="rm -rf $(q "$out_cp") $(q "$out_image")"
image="$(q "$cli") image $(q "$tree") $(q "$out_image") --size 64 --yes --quiet"
for ((i = 0; i < 5; ++i)); do
  run cp "$clean" "cp -r $(q "$tree") $(q "$out_cp")"
  run cp_sync "$clean" "cp -r $(q "$tree") $(q "$out_cp") && sync"
  run image "$clean" "$image"
done
bash -c "$clean"
bash -c "$image --format json" >"$plan"
for iso in "$out_image"/*.iso; do
  "$cli" verify --quiet "$iso" || { echo "verify found differences in $iso" >&2; exit 1; }
done

fs=$(stat -f -c %T "$work")
printf 'tree: %s files, %s bytes on %s; images of 64 MB (67,108,864 bytes)\n' "$files" "$bytes" "$fs"
awk -v a="$(best cp)" -v s="$(best cp_sync)" -v b="$(best image)" 'BEGIN {
  printf "image: cp -r %.2f s, morvick-cli image %.2f s (index and SHA-256 included), speed %.2f of cp'"'"'s\n", a, b, a / b
  printf "       cp -r && sync %.2f s, speed %.2f of it\n", s, s / b }'
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
