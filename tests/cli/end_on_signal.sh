#!/usr/bin/env bash
# SIGTERM, SIGINT and SIGHUP sent to the real executable, its window driven under Xvfb by X input
# on the buttons (at their fixed places), with the embedded engine and with the loopback server:
# idle after a preview (the database client loaded), during a row-by-row migration of 3,000
# districts and during a batch migration of 300,000 pharmaceutical forms (while its rows go to
# the server). Every time the program
# ends by itself (not killed by the signal) with 128 plus the signal's number within 5 seconds;
# afterwards the database holds whole records only (row by row the first ones of the table, in
# the batch form none), no attachment of the program is left on the server, and the database
# opens again: gfix validates the embedded file, and the program starts once more on it and
# previews the table without an error box.
#   end_on_signal.sh <Migrador> <legacy_writer>
# Without Xvfb, xdotool or the loopback server the test is skipped (exit 77), and fails under CI.
set -u
exe="$1"
writer="$2"
root="$(cd "$(dirname "$0")/../.." && pwd)"
server_db='127.0.0.1:C:\korvelan\dados\korvelan.bd'
server_password=tawnypike
districts=3000
forms=300000

needs="scripts/install-deps, scripts/test-server"
# shellcheck source=session.sh
. "$root/tests/cli/session.sh"
for tool in Xvfb xdotool isql-fb gfix perl; do
  command -v "$tool" >/dev/null || missing "$tool is missing"
done
start_display 120

"$writer" "$drive/Quiltor" "$districts" "$forms" || { echo "FAIL: legacy_writer"; exit 1; }
make_empty_database "$work/empty.fdb"

server_up() { echo "select 1 from rdb\$database;" | isql-fb -q -user SYSDBA -password "$server_password" "$server_db" >/dev/null 2>&1; }
# Runs SQL on the case's database and prints the result without headings.
sql() {
  if [ "$engine" = server ]; then
    printf 'set heading off;\n%s\n' "$1" | isql-fb -q -user SYSDBA -password "$server_password" "$server_db"
  else
    printf 'set heading off;\n%s\n' "$1" | isql-fb -q -user SYSDBA "$db"
  fi
}
count() { sql "select count(*) from $1;" | tr -d ' \n'; }


start() { start_program; }
# A box titled "Migrador" (the progress box, or an error box) is shown.
box_shown() { xdotool search --onlyvisible --name '^Migrador$' >/dev/null 2>&1; }
# The final box of a migration ("Procedimento concluído.") is shown: a "Migrador" window narrower
# than the progress box's 420 pixels.
final_box_shown() {
  local id width
  for id in $(xdotool search --onlyvisible --name '^Migrador$' 2>/dev/null); do
    width=$(xdotool getwindowgeometry --shell "$id" | sed -n 's/^WIDTH=//p')
    [ -n "$width" ] && [ "$width" -lt 420 ] && return 0
  done
  return 1
}
wait_for_box() {
  for _ in $(seq 300); do box_shown && return 0; sleep 0.05; done
  return 1
}

# Sends the signal, waits at most 10 s for the end and checks it: 128 + the signal's number,
# the program's own end, within 5 s.
end_with() {
  local signal="$1" number
  number=$(kill -l "$signal")
  program_pid="$(cat "$work/pid")"
  local start_ns rc elapsed
  start_ns=$(date +%s%N)
  kill -s "$signal" "$program_pid"
  for _ in $(seq 200); do kill -0 "$wrapper_pid" 2>/dev/null || break; sleep 0.05; done
  elapsed=$(( ($(date +%s%N) - start_ns) / 1000000 ))
  if kill -0 "$wrapper_pid" 2>/dev/null; then
    fail "still running 10 s after SIG$signal"
    kill -KILL "$program_pid" 2>/dev/null
  fi
  wait "$wrapper_pid"; rc=$?
  wrapper_pid=""
  echo "[$case_name] SIG$signal: exit code $rc after $elapsed ms"
  if [ "$rc" = 200 ]; then fail "killed by a signal instead of ending by itself"; cat "$work/log"
  elif [ "$rc" != $((128 + number)) ]; then fail "exit code $rc, expected $((128 + number))"; cat "$work/log"
  fi
  [ "$elapsed" -le 5000 ] || fail "ended after $elapsed ms, more than 5 s"
}

# The stored districts are the first $1 of the table, each once.
check_first_districts() {
  local n="$1" got expected
  got="$(sql "select trim(BAIRRO) from TAXABAIRRO order by BAIRRO;" | sed '/^[[:space:]]*$/d; s/[[:space:]]*$//')"
  expected="$(for ((i = 0; i < n; i++)); do echo "BAIRRO $((1000000 + i))"; done)"
  [ "$got" = "$expected" ] || fail "the $n districts stored are not the first $n records, whole and once each"
}

# What the case leaves: no attachment of the program on the server; the database valid and
# opening again in the program.
check_database_opens() {
  if [ "$engine" = server ]; then
    local left
    left="$(count "mon\$attachments where mon\$remote_pid = $program_pid")"
    [ "$left" = 0 ] || fail "$left attachments of the program left on the server"
  else
    local report
    report="$(gfix -v -full -user SYSDBA "$db" 2>&1)" || fail "gfix -v failed: $report"
    [ -z "$report" ] || fail "gfix -v found: $report"
  fi
  start || return
  click 190 435  # "Bairros - QTR42A" (BitBtn6 at 19, 416)
  sleep 1.5
  box_shown && fail "the next start shows an error box when it opens the database"
  end_with TERM
}

prepare() {
  case_name="$1"; engine="$2"
  if [ "$engine" = server ]; then
    printf '%-48s %s\r\n' 'IP DO SERVIDOR CENTRAL.........................:' 127.0.0.1 >"$bin/KORVELAN.INI"
    sql "delete from TAXABAIRRO; delete from FORMAFAR; commit;" >/dev/null
  else
    printf '%-48s %s\r\n' 'IP DO SERVIDOR CENTRAL.........................:' '' >"$bin/KORVELAN.INI"
    cp "$work/empty.fdb" "$db"
  fi
}

run_case() {
  local name="$1" engine_of_case="$2" what="$3" signal="$4"
  prepare "$name" "$engine_of_case"
  start || return
  case "$what" in
    idle)
      click 190 435  # "Bairros - QTR42A": the database client loads and opens the database
      sleep 1.5
      end_with "$signal"
      [ "$(count TAXABAIRRO)" = 0 ] || fail "rows stored by a preview"
      ;;
    rows)
      click 190 435  # "Bairros - QTR42A"
      sleep 1.5
      click 440 435  # its "=> Migrar" (BitBtn16 at 369, 416)
      wait_for_box || { fail "no progress box"; return; }
      sleep 1
      end_with "$signal"
      local n
      n="$(count TAXABAIRRO)"
      echo "[$case_name] $n of $districts districts stored"
      { [ "$n" -gt 0 ] && [ "$n" -lt "$districts" ]; } || fail "$n districts stored: the walk did not stop part way"
      check_first_districts "$n"
      ;;
    batch)
      click 190 35   # "Formas Farmacêuticas - QTR05" (BitBtn1 at 19, 16)
      sleep 2
      click 440 35   # its "=> Migrar" (BitBtn11 at 369, 16)
      # The walk lasts a few tenths of a second and shows no box; the apply lasts seconds.
      sleep 0.8
      final_box_shown && fail "the batch had ended (its final box shows) before the signal: more forms needed"
      end_with "$signal"
      local n
      n="$(count FORMAFAR)"
      [ "$n" = 0 ] || fail "$n forms stored by a batch that was stopped"
      ;;
  esac
  check_database_opens
}

run_case "idle, SIGTERM" embedded idle TERM
run_case "idle, SIGINT" embedded idle INT
run_case "idle, SIGHUP" embedded idle HUP
run_case "row by row, SIGTERM" embedded rows TERM
run_case "batch, SIGTERM" embedded batch TERM
if server_up; then
  run_case "server, row by row, SIGTERM" server rows TERM
  run_case "server, batch, SIGTERM" server batch TERM
  engine=server; sql "delete from TAXABAIRRO; delete from FORMAFAR; commit;" >/dev/null
else
  [ "$failures" -gt 0 ] && { echo "$failures failure(s)"; exit 1; }
  missing "the loopback Firebird server is not running"
fi

if [ "$failures" -gt 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "every case ended in order"
