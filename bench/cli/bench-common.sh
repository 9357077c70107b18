# Shared by bench-copy.sh and bench-image.sh (sourced, with $work, $mbytes set):
# the tree both copy, made once in $work and reused, and the timing of runs.
# The tree: 32 top-level folders of files from 4 KiB to 2 MiB of random bytes,
# nested two deep, and 200 small top-level files.
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
# Volumes of a quarter of the tree (at least 64 MB) hold several of its folders.
volume_mb=$((mbytes / 4 > 64 ? mbytes / 4 : 64))
bytes=$(du -s --apparent-size -B1 "$tree" | cut -f1)

# Best wall time of `command` over the runs, with `prepare` run untimed before each.
# RUNS (default 5) says how many turns each command gets.
runs=${RUNS:-5}
timing=$(mktemp)
run() {
  local label=$1 prepare=$2 command=$3 start end
  bash -c "$prepare"
  sync
  start=$(date +%s.%N)
  bash -c "$command" >/dev/null 2>&1 || { echo "$label failed: $command" >&2; exit 1; }
  end=$(date +%s.%N)
  echo "$label $(echo "$end - $start" | bc)" >>"$timing"
}
best() { awk -v l="$1" '$1 == l && (!(l in b) || $2 < b[l]) { b[l] = $2 } END { print b[l] }' "$timing"; }

q() { printf "%q" "$1"; }
