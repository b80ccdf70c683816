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
#   start_program [NAME=value ...]  the program started on the display with drive C: and those
#                       variables, through a wrapper that tells an end of its own (its exit code)
#                       from a death by a signal (200); its window's id in $window
#   click <x> <y>       a left click on a point of the window, in its own coordinates
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

# Under AddressSanitizer (build-asan) the program on X meets two faults of the X libraries, not
# its own, that the offscreen platform of the other tests never loads: the X keyboard library
# hands strndup a counted name without a terminator (which strndup allows and the strict string
# check reports), and the session bus library leaves one buffer at exit.
if [ -n "${ASAN_OPTIONS:-}" ]; then export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"; fi
if [ -n "${LSAN_OPTIONS:-}" ]; then
  supp=""
  IFS=: read -ra lsan_flags <<<"$LSAN_OPTIONS"
  for flag in "${lsan_flags[@]}"; do [[ "$flag" == suppressions=* ]] && supp="${flag#suppressions=}"; done
  { [ -n "$supp" ] && cat "$supp"; echo "leak:libdbus-1.so"; } >"$work/lsan.supp"
  export LSAN_OPTIONS="$LSAN_OPTIONS:suppressions=$work/lsan.supp"
fi

start_program() {
  rm -f "$work/pid"
  (cd "$work" && exec env KORVELAN_DRIVE_C="$drive" QT_QPA_PLATFORM=xcb PIDFILE="$work/pid" "$@" perl -e '
      my $pid = fork();
      if ($pid == 0) { exec @ARGV or exit 127; }
      open(my $f, ">", $ENV{PIDFILE}); print $f "$pid\n"; close $f;
      waitpid($pid, 0);
      if ($? & 127) { printf STDERR "killed by signal %d\n", $? & 127; exit(200); }
      exit($? >> 8);' "$bin/Migrador") >"$work/log" 2>&1 &
  wrapper_pid=$!
  window="$(timeout 30 xdotool search --sync --onlyvisible --name 'Migrar dados do Quiltor' 2>/dev/null | head -1)"
  [ -n "$window" ] || { fail "the window did not show"; cat "$work/log"; return 1; }
  sleep 1
}

click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
