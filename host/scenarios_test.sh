#!/usr/bin/env bash
# The connection's life through the stand-in host, in real time, against the
# private server: a connection the server ends (KILL), sessions the server
# refuses, and the same connect, tick and disconnect under Wine with real
# window timers and the real popup menu. Outages: host/outages_test.sh.
# The host runs a script fed a line at a time and echoes a mark after each
# step, so every check reads exactly what that step printed.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scenario_lib.sh"
: >"$LOG"

# A registry of our own for the Linux host: the private server, AutoConnect.
export VELMORA_REGISTRY_DIR="$VELMORA_RUN_DIR/scenarios-registry"
key=$(settings_key)
write_settings "$VELMORA_REGISTRY_DIR" 1
session() { "$ADMIN" session "$CLIENT_ID" "$@" >/dev/null; }

# The host in the background, its script and its output through two pipes.
MARK=0
PIPES=$(mktemp -d)
trap 'rm -rf "$PIPES"' EXIT
mkfifo "$PIPES/in" "$PIPES/out"
host_start() {
  "$HOST" run - <"$PIPES/in" >"$PIPES/out" 2>&1 &
  HOST_PID=$!
  exec {HIN}>"$PIPES/in" {HOUT}<"$PIPES/out"
}
# What the host prints up to the line "mark-N" (or to its end), into $STEP.
host_read() {  # N
  STEP=""
  local line
  while IFS= read -r -t 90 line <&"$HOUT"; do
    printf '%s\n' "$line" >>"$LOG"
    [ "$line" = "mark-$1" ] && return 0
    STEP+="$line"$'\n'
  done
  return 1
}
# Sends the lines and waits (up to 90 s) until the host has done them.
host_do() {
  MARK=$((MARK + 1))
  printf '%s\n' "$@" "echo mark-$MARK" >&"$HIN"
  host_read $MARK || STEP+="(the host stopped answering)"$'\n'
}
# Ends the script, then checks the blocking bound and that the plug-in left
# no connection open.
host_end() {  # scenario name
  exec {HIN}>&-
  host_read end
  wait "$HOST_PID" 2>/dev/null
  bound_kept "$1" "$STEP" "code $?"$'\n'"$STEP"
  exec {HOUT}<&-
  no_connection_left "$1"
}

echo "== the server ends the plug-in's connection (KILL)"
host_start
host_do "status"
kill_plugin_connections
host_do "wait 7" "status"
if grep -q "Down\|Disc" <<<"$STEP"; then fail "a killed connection should come back at the next tick" "$STEP"
else expect "the driver reconnects at the next tick: still connected" "Status:        Conn" "$STEP"; fi
kill_plugin_connections
host_do "disconnect"
expect "Disconnect right after a kill sends its call and ends Disconnected" "Status:        Disc" "$STEP"
host_do "bars BBCA --daily"
expect "disconnected, bars says so with the status" \
  "not connected (status Disc: Disconnected. Will not retry until you re-connect manually.)" "$STEP"
host_end "killed"
expect "the server's user name was written back to the settings" '"UserName"="Demo Trader"' "$(cat "$key")"
expect "the server's e-mail was written back to the settings" '"UserEmail"="demo@velmora.example"' "$(cat "$key")"

echo "== sessions the server refuses"
session --permit 0
host_start
host_do "status"
expect "a session without permission: Error" "Status:        Error (colour #800080" "$STEP"
host_do "menu"
expect "Error offers neither command" "menu: Connect grayed, Disconnect grayed" "$STEP"
# Error leaves the status code as the host gave it, Conn's: only the text
# tells that nothing will come, and why.
host_do "status" "bars BBCA --daily" "watch BBCA --seconds 2"
expect "refused: bars names the refusal" \
  "not connected (status Error: Unable connect to server, connection is already in use.)" "$STEP"
expect "refused: watch promises no quote" \
  "BBCA        (no quote: no refresh comes while not connected)" "$STEP"
for line in status "bars BBCA --daily" "watch BBCA --seconds 2"; do
  expect "refused: $line exits 3" "'$line' ended with code 3" "$STEP"
done
host_end "refused"
session --permit 1 --last-conn 0 --curr-conn 1 --status 0

for WIN in $(windows_builds); do
  W="Wine, $(word_size $WIN)"
  echo "== under Wine, $(word_size $WIN): real window timers and the real popup menu"
  export EXE=build/$WIN/velmora-host.exe
  printf '%s\n' menu "wait 7" disconnect menu connect "wait 6" >"$PIPES/script"
  # One Wine session on one virtual display: a Wine desktop started without
  # one (by any earlier wine command, winepath too) shows no menu, runs no timer.
  wineserver -w
  # The Windows host identifies itself by the prefix's MachineGuid.
  out=$(env -u VELMORA_CLIENT_ID SCRIPT="Z:${PIPES//\//\\}\\script" timeout 180 xvfb-run -a bash -c '
    source host/wine_lib.sh
    wine_settings 1
    echo "guid=$(wine $EXE client-id)"
    wine $EXE run "$SCRIPT"' 2>>"$LOG" | tr -d '\r')
  wineserver -w
  guid=$(sed -n 's/^guid=//p' <<<"$out")
  out=$(sed '0,/^guid=/d' <<<"$out")
  printf '%s\n' "$out" >>"$LOG"
  # Each menu line twice: the "menu" command's, then the one chosen from.
  conn="Status:        Conn (colour #00FF00, code 0x00000000)"
  on="menu: Connect grayed, Disconnect enabled" off="menu: Connect enabled, Disconnect grayed"
  check "$W: connected as the prefix's MachineGuid; the real menu offers Disconnect only, then Connect only" \
    "$(printf '%s\n' "$conn" "$on" "$on" "Status:        Disc (colour #C000C0, code 0x20000000)" "$off" "$off" "$conn")" \
    "$(grep -E '^(Status|menu):' <<<"$out")"
  updates=$(sed -n 's/^streaming updates: //p' <<<"$out")
  [ "${updates:-0}" -ge 2 ] && pass "$W: real timers ticked: $updates streaming updates" ||
    fail "$W: expected at least 2 streaming updates, got '${updates}'" "$out"
  "$ADMIN" calls | grep -cF "Plugin223_Register('$guid'" >/dev/null &&
    pass "$W: registered with the MachineGuid $guid" || fail "$W: no registration for the MachineGuid '$guid'"
  # The command line on Windows: refused with the usage and exit 2.
  out=$(wine $EXE configure --ok --cancel 2>&1 | tr -d '\r'); rc=${PIPESTATUS[0]}
  [ "$rc" = 2 ] && grep -qF "usage: velmora-host [--plugin PATH] [--json] configure" <<<"$out" &&
    pass "$W: conflicting flags are refused with the usage and exit 2" || fail "$W: conflicting flags: exit $rc" "$out"
done

summary
