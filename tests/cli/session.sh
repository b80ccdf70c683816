# What the tests of the real executable under Xvfb share, sourced by each after it has set
# `root` (the source tree), `exe` (the executable) and `needs` (what a skip tells to run):
#   missing <why>       skips the test (exit 77), or fails it under CI
#   work                the test's own folder, removed at exit with the X server and any program
#                       still running (started through a wrapper whose pid is $wrapper_pid and
#                       that writes the program's pid to $work/pid)
#   fail <what>         counts a failure of the current case ($case_name)
#   start_display <n>   an X server of the test's own on the first free display from n
#   bin, drive, db      the program's folder (the executable copied there), drive C: and the
#                       target database's place in it
#   make_empty_database <file>  an empty target database (the schema, WIN1252) made by isql-fb
missing() {
  if [ "${CI:-}" = true ]; then echo "FAIL: $* (required under CI; $needs)"; exit 1; fi
  echo "SKIP: $* ($needs)"; exit 77
}

work="$(mktemp -d)"
xvfb_pid=""
wrapper_pid=""
failures=0
cleanup() {
  if [ -n "$wrapper_pid" ] && kill -0 "$wrapper_pid" 2>/dev/null; then
    kill -KILL "$(cat "$work/pid" 2>/dev/null)" 2>/dev/null; wait "$wrapper_pid" 2>/dev/null
  fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL [$case_name]: $*"; failures=$((failures + 1)); }

start_display() {
  local display="$1"
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1400x800x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
  [ -e "/tmp/.X11-unix/X$display" ] || missing "Xvfb did not start"
  export DISPLAY=":$display"
}

bin="$work/bin"
drive="$work/drive_c"
db="$drive/korvelan/dados/korvelan.bd"
mkdir -p "$bin" "$drive/korvelan/dados"
cp "$exe" "$bin/Migrador"

make_empty_database() {
  { echo "create database '$1' user 'SYSDBA' default character set WIN1252;"
    cat "$root/sql/schema.sql"
    echo "commit;"; } | isql-fb -q >/dev/null || { echo "FAIL: could not create the database"; exit 1; }
}
