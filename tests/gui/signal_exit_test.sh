#!/usr/bin/env bash
# The program built with AddressSanitizer, started on a virtual display on a data folder whose
# phone file is not one of its own, stops with a message box and waits for OK. A SIGTERM then
# (the session ends) closes it with exit code 0 all the same, and without a memory error.
#   signal_exit_test.sh PROGRAM SQLITE3 SUPPRESSIONS
set -euo pipefail
program=$1 sqlite=$2 suppressions=$3

if [ "${4:-}" != "--on-display" ]; then
  data=$(mktemp -d)
  trap 'rm -rf "$data"' EXIT
  "$sqlite" "$data/PHONE.db" "CREATE TABLE other(a, b)"
  . "$(dirname "$0")/on_virtual_display.sh"
  run_on_virtual_display "$data" "$0" "$@"
  exit 0
fi

# On the display, in the data folder.
. "$(dirname "$0")/display_environment.sh"
"$program" "$PWD" 2>stderr.log &
pid=$!
sleep 8  # its message box is up by now
kill -TERM "$pid"
for _ in $(seq 1 300); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "still running 30 s after SIGTERM" >> stderr.log
  kill -KILL "$pid"
  exit 1
fi
wait "$pid"
