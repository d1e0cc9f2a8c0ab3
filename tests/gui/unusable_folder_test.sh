#!/usr/bin/env bash
# On a display, a data folder the program cannot work in is named in a message box; closing
# the box as a user does ends the program with exit code 1, and nothing was made anywhere.
#   unusable_folder_test.sh PROGRAM X_CLOSE SUPPRESSIONS
set -euo pipefail
program=$1 closer=$2 suppressions=$3

if [ "${4:-}" != "--on-display" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  mkdir "$work/home"
  echo "a regular file" >"$work/notes.txt"
  code=0
  (cd "$work" && xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@" --on-display) || code=$?
  if [ "$code" -ne 0 ]; then
    cat "$work/stderr.log" >&2 || true
    exit 1
  fi
  left=$(find "$work" -name '*.db' -o -name '.phonedir-check*')
  [ -z "$left" ] || { echo "files made: $left" >&2; exit 1; }
  exit 0
fi

# On the display, in the work folder.
export HOME=$PWD/home
. "$(dirname "$0")/display_environment.sh"
"$program" "$PWD/notes.txt/town" 2>stderr.log &
pid=$!
if ! ASAN_OPTIONS=detect_leaks=0 "$closer" 60; then
  echo "no message box came" >&2
  kill "$pid" 2>/dev/null || true
  exit 1
fi
code=0
wait "$pid" || code=$?
[ "$code" -eq 1 ] || { echo "the program ended with exit code $code" >&2; exit 1; }
grep -q "^«$PWD/notes.txt/town»:$" stderr.log ||
  { echo "no message on stderr" >&2; exit 1; }
