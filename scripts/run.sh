#!/usr/bin/env bash
# Starts Morvick from a build folder: the window when there is a display,
# otherwise the command-line front end on a small generated sample folder.
set -euo pipefail
build=${1:-build/dev}

if [[ -x "$build/app/morvick" ]]; then
  if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
    exec "$build/app/morvick"
  fi
  echo "No display found (DISPLAY and WAYLAND_DISPLAY are empty), so the window cannot open."
  echo "Run it under a display, for example: xvfb-run $build/app/morvick"
  echo "or use the command-line front end: $build/cli/morvick-cli plan FOLDER"
  echo
fi

if [[ -x "$build/cli/morvick-cli" ]]; then
  sample=$(mktemp -d "${TMPDIR:-/tmp}/morvick-sample-XXXXXX")
  bash "$(dirname "$0")/make-sample.sh" "$sample"
  echo "Plan of the sample folder $sample (split size 1 Mbyte):"
  "$build/cli/morvick-cli" plan "$sample" --size 1
  exit 0
fi

echo "Neither the window nor morvick-cli has been built in $build yet." >&2
exit 1
