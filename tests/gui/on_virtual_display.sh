# Sourced by the virtual-display tests, off the display: runs the test script again on a
# virtual display, in the folder given, and fails when it fails or when the program's
# stderr.log there holds a sanitizer report.
#   run_on_virtual_display FOLDER SCRIPT ARGS...   (SCRIPT is run with ARGS and --on-display)
run_on_virtual_display() {
  local folder=$1
  shift
  local code=0
  (cd "$folder" && xvfb-run -a -s "-screen 0 1280x900x24" "$@" --on-display) || code=$?
  if [ "$code" -ne 0 ] || grep -q "Sanitizer" "$folder/stderr.log"; then
    echo "the program ended with exit code $code" >&2
    cat "$folder/stderr.log" >&2
    return 1
  fi
}
