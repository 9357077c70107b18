#!/usr/bin/env bash
# Runs the hardening tests at full size (100,000 top-level entries, 2,000,000
# entries in all, 30 killed moves, ...) and prints one line per case: what was
# injected and whether the manifest matched. Usage: run-hardening.sh BUILD_DIR
set -euo pipefail

build_dir=${1:?usage: run-hardening.sh BUILD_DIR}
tests="$build_dir/tests/hardening/hardening_tests"
if [[ ! -x $tests ]]; then
  echo "run-hardening: $tests is not built" >&2
  exit 1
fi
if [[ $(id -u) -ne 0 ]]; then
  echo "run-hardening: not root: the permission cases run as this user and the full" \
    "file system is injected instead of mounted" >&2
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
MORVICK_HARDENING_SCALE=full "$tests" --gtest_brief=1 >"$log" 2>&1 || status=$?

grep '^\[hardening\]' "$log" | grep -v 'random seed' | sed 's/^\[hardening\] /  /' || true
if [[ $status -ne 0 ]]; then
  echo
  echo "hardening: FAILED; the failures:"
  grep -v '^\[hardening\]' "$log" | grep -v '^Running main' || true
  exit "$status"
fi
cases=$(grep -c '^\[hardening\]' "$log" | tr -d ' ')
seeds=$(grep -c 'random seed' "$log" | tr -d ' ')
echo "hardening: all $((cases - seeds)) cases passed"
