#!/usr/bin/env bash
# Outages while a trader watches tickers: the private server stopped for a
# few seconds and past the four quick retries (one host with AutoConnect,
# one without), and paused with SIGSTOP; the stop and start again under
# Wine. Each host watches two tickers and, as a host's status area does,
# asks for the status about once a second while it waits. (The retries'
# intervals: the lifecycle test.)
#
# For each outage: the path the status field took, the time from the
# server's return to Conn, streaming updates flowing again, the longest call
# into the plug-in (at most 25 s) and no connection of the plug-in's account
# left behind; past the four retries, both session records as they were.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scenario_lib.sh"

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
TRADE=5  # the shortest trade interval the plug-in takes from the server
"$ADMIN" config --trade-interval $TRADE >/dev/null
write_settings "$WORK/registry-on" 1
write_settings "$WORK/registry-off" 1
OFF_CLIENT="$CLIENT_ID-manual"
"$ADMIN" session "$OFF_CLIENT" --user "Manual Trader" --email manual@velmora.example \
  --permit 1 --last-conn 0 --curr-conn 1 --status 0 >/dev/null
write_settings "$WORK/registry-off" 0

# The script of a watching host: two tickers, the status about once a
# second, a marker where the outage may begin, then a long wait (or, with
# AFTER set, that command for as long).
watch_script() {  # file, seconds after the marker, first lines...
  local file=$1 after=$2; shift 2
  printf '%s\n' "$@" "watch BBCA TLKM --once" "wait 4" "updates" "echo outage" "${AFTER:-wait} $after" "updates" >"$file"
}
linux_host() {  # name, seconds after the marker, registry, client id, first lines...
  watch_script "$WORK/$1.script" "$2" "${@:5}"
  stamped_host "$1" env VELMORA_REGISTRY_DIR="$3" VELMORA_CLIENT_ID="$4" \
    "$HOST" run "$WORK/$1.script"
}
updates_seen() {  # name, nth "so far" line
  host_text "$1" | sed -n 's/^streaming updates so far: //p' | sed -n "${2}p"
}

# Checks one host after an outage that ended at $BACK: it went Down, came
# back to Conn within the bound after the server's return, quotes flow.
recovered() {  # name, label, seconds allowed from the return to Conn
  local path down conn before after
  path=$(host_path "$1")
  echo "     $2: path $path"
  down=$(line_time "$1" '^Status: +Down [(]colour #FF0000, code 0x30000000[)]' "$STOPPED")
  if [ -n "$down" ]; then pass "$2: the lost server made the status Down"
  else fail "$2: no Down after the stop" "$(host_text "$1")"; fi
  if grep -q 'Disc' <<<"$path"; then fail "$2: the outage ended in a disconnect ($path)"
  else pass "$2: never Disconnected"; fi
  conn=$(line_time "$1" '^Status: +Conn' "$BACK")
  if [ -n "$conn" ] && [ -z "$(line_time "$1" '^Status: +(Down|Disc)' "$conn")" ]; then
    echo "     $2: Conn $(seconds_between "$BACK" "$conn") s after the server was back"
    if awk -v d="$(seconds_between "$BACK" "$conn")" -v m="$3" 'BEGIN { exit !(d <= m) }'; then
      pass "$2: Conn again within $3 s of the server's return"
    else fail "$2: Conn only $(seconds_between "$BACK" "$conn") s after the server's return"; fi
  else
    fail "$2: not Conn at the end after the server's return" "$(host_text "$1" | tail -12)"
  fi
  before=$(updates_seen "$1" 1); after=$(updates_seen "$1" 2)
  if [ -n "$before" ] && [ -n "$after" ] && [ "$after" -ge $((before + 2)) ]; then
    pass "$2: quotes flow again ($before streaming updates before, $after after)"
  else fail "$2: streaming updates did not resume ($before before, $after after)"; fi
}
# The quote window, open through the outage, follows the status: Down is
# drawn when it comes, with its retry and the quotes marked stale, and Conn
# again after.
window_followed() {  # name, label
  local window
  window=$(host_text "$1" | sed -n '/^velmora-host watch .* status Down/,/^$/p')
  if grep -q '^  not connected: Down: .* reconnect in [0-9]* seconds' <<<"$window" &&
     [ "$(grep -c '  stale$' <<<"$window")" = 2 ] &&
     # grep -c reads to the end: grep -q would end the pipe early, and
     # under pipefail the writer's broken pipe would fail the check.
     [ "$(host_text "$1" | sed -n '/status Down/,$p' | grep -c '^velmora-host watch .* status Conn')" -gt 0 ]; then
    pass "$2: the window shows Down with the retry and stale quotes, then Conn"
  else fail "$2: the window did not follow the status" "$(host_text "$1" | tail -30)"; fi
}
record_kept() {  # label, client id, record before
  if [ "$(session_record "$2")" = "$3" ]; then pass "$1: the session record is intact"
  else fail "$1: the session record changed" "$3 -> $(session_record "$2")"; fi
}

# An outage of the given length, begun when the host reaches its marker.
outage() {  # host name, seconds, stop|pause
  await_line "$1" '^outage$' 60 >/dev/null || fail "$1: the host never reached its marker"
  STOPPED=$EPOCHREALTIME
  if [ "$3" = pause ]; then kill -STOP "$(server_pid)"; else dbserver stop; fi
  sleep "$2"
  if [ "$3" = pause ]; then
    # Back is taken before the server resumes: a host may be Conn again
    # within a millisecond of it, before a time taken after could be.
    BACK=$EPOCHREALTIME
    kill -CONT "$(server_pid)"
  else
    # The hosts' settings name this port: nothing else may have answered
    # there while the server was out, and it comes back to the same one.
    if (exec 3<>"/dev/tcp/127.0.0.1/$VELMORA_DB_PORT") 2>/dev/null; then
      fail "$1: port $VELMORA_DB_PORT answers while the server is stopped"
    fi
    # Back is when the server answers, which is before its start script
    # ends: the start of the first query it answered.
    dbserver start &
    local starting=$! until=$((SECONDS + 60))
    until BACK=$EPOCHREALTIME; superuser "SELECT 1" >/dev/null 2>&1 || [ $SECONDS -gt $until ]; do sleep 0.1; done
    wait $starting
    [ "$(cat "$VELMORA_RUN_DIR/db/port")" = "$VELMORA_DB_PORT" ] ||
      fail "$1: the server came back on port $(cat "$VELMORA_RUN_DIR/db/port"), not $VELMORA_DB_PORT"
  fi
}

echo "== server stopped for 5 s, the quote window open"
record=$(session_record "$CLIENT_ID")
AFTER="watch BBCA TLKM --seconds" linux_host short 30 "$WORK/registry-on" "$CLIENT_ID"
outage short 5 stop
host_finished short "stopped 5 s"
recovered short "stopped 5 s" $((2 * TRADE + 2))
window_followed short "stopped 5 s"
no_connection_left "stopped 5 s"

echo "== server stopped past the four quick retries (AutoConnect on and off)"
record_off=$(session_record "$OFF_CLIENT")
linux_host auto 100 "$WORK/registry-on" "$CLIENT_ID"
# Without AutoConnect the user connects through the status-area menu.
linux_host manual 75 "$WORK/registry-off" "$OFF_CLIENT" connect
await_line manual '^outage$' 60 >/dev/null
outage auto 52 stop
host_finished auto "past four retries, AutoConnect on"
host_finished manual "past four retries, AutoConnect off"
recovered auto "past four retries, AutoConnect on" $((6 * TRADE + 2))
no_connection_left "past four retries"
record_kept "past four retries, AutoConnect on" "$CLIENT_ID" "$record"
record_kept "past four retries, AutoConnect off" "$OFF_CLIENT" "$record_off"
check "AutoConnect off: connected by hand, Down, then Disconnected, and still after the server's return" \
  "Wait -> Conn -> Down -> Disc" "$(host_path manual)"

echo "== server paused (SIGSTOP) and resumed"
# Long enough for the status query's refresh and then a tick to wait out
# the driver's read time-out (15 s each), so that the tick goes Down.
linux_host paused 70 "$WORK/registry-on" "$CLIENT_ID"
outage paused 40 pause
host_finished paused "paused"
recovered paused "paused" $((2 * TRADE + 17))
no_connection_left "paused"

for WIN in $(windows_builds); do
  W="Wine, $(word_size $WIN)"
  echo "== under Wine, $(word_size $WIN): server stopped for 5 s, the quote window open"
  AFTER="watch BBCA TLKM --seconds" watch_script "$WORK/wine.script" 30
  wineserver -w
  # The Windows host identifies itself by the prefix's MachineGuid.
  # (Not winepath: it would start Wine's desktop before the display.)
  script="$WORK/wine.script"
  stamped_host $WIN env -u VELMORA_CLIENT_ID SCRIPT="Z:${script//\//\\}" EXE=build/$WIN/velmora-host.exe \
    timeout 180 xvfb-run -a bash -c 'source host/wine_lib.sh; wine_settings 1; wine $EXE run "$SCRIPT"'
  outage $WIN 5 stop
  host_finished $WIN "$W, stopped 5 s"
  wineserver -w
  recovered $WIN "$W, stopped 5 s" $((2 * TRADE + 2))
  window_followed $WIN "$W, stopped 5 s"
  no_connection_left "$W, stopped 5 s"
done

summary
