#!/usr/bin/env bash
# The real executable on a machine without the database client library, under Xvfb, its window
# driven by X input on the buttons (at their fixed places): the executable does not depend on
# the client library, starts and shows its window; the first preview brings up an error box
# (the client library cannot be loaded: MIGRADOR_CLIENT_LIBRARY names a file that is not there),
# Return closes it and the window stays usable, the next preview tries again and fails the same
# way; once the file is there (the system's client library) the next preview opens the table
# without a box; a close request then ends the program with 0. The box's text is the window
# tests' (tests/qt/ClientMissing_test.cpp).
#   no_client.sh <Migrador> <legacy_writer> <wm_close>
# Without Xvfb, xdotool or the client library the test is skipped (exit 77), and fails under CI.
set -u
exe="$1"
writer="$2"
wm_close="$3"
root="$(cd "$(dirname "$0")/../.." && pwd)"

needs="scripts/install-deps"
# shellcheck source=session.sh
. "$root/tests/cli/session.sh"
for tool in Xvfb xdotool isql-fb perl ldd; do
  command -v "$tool" >/dev/null || missing "$tool is missing"
done
client="$(/sbin/ldconfig -p 2>/dev/null | awk '$1 == "libfbclient.so.2" { print $NF; exit }')"
[ -n "$client" ] && [ -e "$client" ] || missing "libfbclient.so.2 is not installed"
case_name="no client library"

# Nothing in the executable's own list of libraries names the client.
if ldd "$exe" | grep -i fbclient; then fail "the executable is linked to the client library"; fi

start_display 160
mkdir -p "$work/client"
printf '%-48s %s\r\n' 'IP DO SERVIDOR CENTRAL.........................:' '' >"$bin/KORVELAN.INI"
"$writer" "$drive/Quiltor" 10 1 || { echo "FAIL: legacy_writer"; exit 1; }
make_empty_database "$db"

library="$work/client/libfbclient.so.2"
start_program MIGRADOR_CLIENT_LIBRARY="$library" || exit 1
echo "the window shows without the client library"

# The boxes titled "Migrador" that are up (the error box).
box() { xdotool search --onlyvisible --name '^Migrador$' 2>/dev/null | head -1 | grep .; }
wait_for() { local i; for i in $(seq 200); do "$@" && return 0; sleep 0.05; done; return 1; }
gone() { ! "$@" >/dev/null; }
key() { xdotool windowfocus --sync "$1" 2>/dev/null; xdotool key --clearmodifiers "${@:2}"; }

# A preview of "Posologias - QTR49" (BitBtn9 at 19, 456) that must bring up the error box, which
# Return then closes.
preview_fails() {
  local id
  click 190 475
  id="$(wait_for box)" || { fail "$1: no error box"; return; }
  key "$id" Return
  wait_for gone box || fail "$1: the error box did not close"
}
preview_fails "first preview"
preview_fails "second preview"
echo "two previews without the client library: an error box each, closed with Return"

ln -s "$client" "$library"
click 190 475
sleep 2
if box >/dev/null; then fail "an error box after the client library was put in place"; fi

"$wm_close" "$window"
for _ in $(seq 200); do kill -0 "$wrapper_pid" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$wrapper_pid" 2>/dev/null; then fail "the program did not end"; kill -KILL "$(cat "$work/pid")"; fi
wait "$wrapper_pid"; rc=$?
wrapper_pid=""
[ "$rc" = 0 ] || { fail "exit code $rc, expected 0"; cat "$work/log"; }

if [ "$failures" -gt 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "the window stayed usable and the next preview loaded the client library once it was there"
