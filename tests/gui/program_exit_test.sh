#!/usr/bin/env bash
# The program built with AddressSanitizer, started on a virtual display in an empty data
# folder and closed through the window system as a user closes it, ends with exit code 0:
# no memory error and no leak but those the suppression file names.
#   program_exit_test.sh PROGRAM X_CLOSE SUPPRESSIONS
set -euo pipefail
program=$1 closer=$2 suppressions=$3

if [ "${4:-}" != "--on-display" ]; then
  data=$(mktemp -d)
  trap 'rm -rf "$data"' EXIT
  . "$(dirname "$0")/on_virtual_display.sh"
  run_on_virtual_display "$data" "$0" "$@"
  exit 0
fi

# On the display, in the data folder.
. "$(dirname "$0")/display_environment.sh"
"$program" 2>stderr.log &
pid=$!
if ! ASAN_OPTIONS=detect_leaks=0 "$closer" 60; then
  kill "$pid" 2>/dev/null || true
  exit 1
fi
wait "$pid"
