#!/usr/bin/env bash
# Close requests while a migration walks its table, on the real executable under Xvfb, its
# controls reached by X input at their fixed places and the close requests sent as a window
# manager sends them (WM_DELETE_WINDOW): Esc and a close request on the progress box cancel the
# walk (the box stays until it has stopped, the final box follows, the window stays usable); a
# close request of the main window asks whether to cancel, Não lets the walk go on, Sim cancels
# it, and once its final box is answered the window closes and the program ends with 0. What
# each case stored is whole: the first districts of the table, each once.
#   close_requests.sh <Migrador> <legacy_writer> <wm_close>
# Without Xvfb or xdotool the test is skipped (exit 77), and fails under CI.
set -u
exe="$1"
writer="$2"
wm_close="$3"
root="$(cd "$(dirname "$0")/../.." && pwd)"
districts=3000

needs="scripts/install-deps"
# shellcheck source=session.sh
. "$root/tests/cli/session.sh"
for tool in Xvfb xdotool isql-fb perl; do
  command -v "$tool" >/dev/null || missing "$tool is missing"
done
start_display 140

printf '%-48s %s\r\n' 'IP DO SERVIDOR CENTRAL.........................:' '' >"$bin/KORVELAN.INI"
"$writer" "$drive/Quiltor" "$districts" 1 || { echo "FAIL: legacy_writer"; exit 1; }
make_empty_database "$work/empty.fdb"


# The program on a copy of the empty database.
start() {
  cp "$work/empty.fdb" "$db"
  start_program
}
# The boxes titled "Migrador" that are up: the progress box (the first one of the walk, its id
# kept in $progress) and the others (a question, the final box).
boxes() { xdotool search --onlyvisible --name '^Migrador$' 2>/dev/null; }
any_box() { boxes | head -1 | grep .; }
progress_up() { boxes | grep -qx "$progress"; }
other_box() { boxes | grep -vx "$progress" | head -1 | grep .; }
# Waits up to 10 s for a condition; prints what it printed.
wait_for() { local i; for i in $(seq 200); do "$@" && return 0; sleep 0.05; done; return 1; }
gone() { ! "$@" >/dev/null; }
# A key pressed on a window, the window given the keyboard first.
key() { xdotool windowfocus --sync "$1" 2>/dev/null; xdotool key --clearmodifiers "${@:2}"; }

begin_walk() {
  click 190 435  # "Bairros - QTR42A" (BitBtn6 at 19, 416)
  sleep 1.5
  click 440 435  # its "=> Migrar" (BitBtn16 at 369, 416)
  progress="$(wait_for any_box)" || { fail "no progress box"; return 1; }
  sleep 0.5
}

# Waits for the program's end (exit code 0) and sets $stored to the number of districts stored,
# checking they are the first ones of the table.
end_and_count() {
  local rc
  for _ in $(seq 200); do kill -0 "$wrapper_pid" 2>/dev/null || break; sleep 0.05; done
  kill -0 "$wrapper_pid" 2>/dev/null && { fail "the program did not end"; kill -KILL "$(cat "$work/pid")"; }
  wait "$wrapper_pid"; rc=$?
  wrapper_pid=""
  [ "$rc" = 0 ] || { fail "exit code $rc, expected 0"; cat "$work/log"; }
  local got expected n
  got="$(printf 'set heading off;\nselect trim(BAIRRO) from TAXABAIRRO order by BAIRRO;\n' |
         isql-fb -q -user SYSDBA "$db" | sed '/^[[:space:]]*$/d; s/[[:space:]]*$//')"
  n=$(printf '%s' "$got" | grep -c .)
  expected="$(for ((i = 0; i < n; i++)); do echo "BAIRRO $((1000000 + i))"; done)"
  [ "$got" = "$expected" ] || fail "the $n districts stored are not the first $n records, whole and once each"
  stored="$n"
}

# Esc or a close request on the progress box: the walk stops, the final box shows, the window
# stays usable (a preview works afterwards).
cancel_case() {
  case_name="$1"
  start || return
  begin_walk || return
  case "$2" in
    esc) key "$progress" Escape ;;
    close) "$wm_close" "$progress" ;;
  esac
  local final
  final="$(wait_for other_box)" || { fail "no final box after the cancel"; return; }
  progress_up && fail "the progress box is still up beside the final box"
  key "$final" Return
  wait_for gone other_box || fail "the final box did not close"
  click 190 35   # "Formas Farmacêuticas - QTR05": the window takes input again
  sleep 1.5
  other_box >/dev/null && fail "an error box after the cancel"
  "$wm_close" "$window"
  end_and_count
  echo "[$case_name] $stored of $districts districts stored"
  { [ "$stored" -gt 0 ] && [ "$stored" -lt "$districts" ]; } || fail "$stored districts stored: the walk was not cancelled part way"
}

# A close request of the main window during the walk: the question; Não (Return, the default)
# lets the walk go on; asked again, Sim (Shift+Tab to it, Space) cancels it; the final box, then
# the window closes and the program ends.
main_window_case() {
  case_name="main window closed during a walk"
  start || return
  begin_walk || return
  "$wm_close" "$window"
  local question
  question="$(wait_for other_box)" || { fail "no question after the close request"; return; }
  progress_up || { fail "no question while the walk went on (the box that came is the final one)"; return; }
  key "$question" Return
  wait_for gone other_box || { fail "the question did not close on Return"; return; }
  sleep 1
  progress_up || { fail "the walk did not go on after Não"; return; }
  "$wm_close" "$window"
  question="$(wait_for other_box)" || { fail "no question after the second close request"; return; }
  key "$question" shift+Tab space
  local final
  wait_for gone progress_up || { fail "the walk did not stop after Sim"; return; }
  final="$(wait_for other_box)" || { fail "no final box after Sim"; return; }
  key "$final" Return
  end_and_count
  echo "[$case_name] $stored of $districts districts stored"
  { [ "$stored" -gt 0 ] && [ "$stored" -lt "$districts" ]; } || fail "$stored districts stored: the walk was not cancelled part way"
}

cancel_case "Esc on the progress box" esc
cancel_case "close request on the progress box" close
main_window_case

if [ "$failures" -gt 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "every close request was answered as the operator expects"
