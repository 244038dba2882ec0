#!/usr/bin/env bash
# velmora-host doctor against the private data server: for each fault in the
# settings or on the server, the line that tells it and what the plug-in
# will do about it. Ends with "N passed, N failed".
#   host/doctor_test.sh [PATH-TO-velmora-host]
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scenario_lib.sh"
host=${1:-$HOST}
# A registry and a session record of its own: nothing another test uses.
VELMORA_REGISTRY_DIR=$(mktemp -d)
VELMORA_CLIENT_ID=doctor-test-$$
export VELMORA_REGISTRY_DIR VELMORA_CLIENT_ID
key=$(settings_key)
cleanup() { "$ADMIN" sql "DELETE FROM NVSession WHERE ClientID='$VELMORA_CLIENT_ID';" >/dev/null; rm -rf "$VELMORA_REGISTRY_DIR"; }
trap cleanup EXIT
session() { "$ADMIN" session "$VELMORA_CLIENT_ID" "$@" >/dev/null; }

# label, expected exit code, texts that must each be in doctor's output;
# says: the same on the output already in $out and $rc.
doctor_says() { out=$("$host" doctor 2>&1); rc=$?; says "$@"; }
says() {
  local label=$1 code=$2 text bad=()
  shift 2
  [ "$rc" -eq "$code" ] || bad+=("exit code $rc, not $code")
  for text in "$@"; do grep -qF -- "$text" <<<"$out" || bad+=("missing: $text"); done
  if [ ${#bad[@]} -eq 0 ]; then pass "$label"; else fail "$label" "${bad[@]}" "$out"; fi
}

settings() { settings_lines "$VELMORA_REGISTRY_DIR" "$@"; }
address="\"ServerAddress\"=\"$VELMORA_DB_HOST\""
port="\"ServerPort\"=\"$VELMORA_DB_PORT\""
reached="ok   driver \"MySQL ODBC 3.51 Driver\" and server"

# Settings. No session record yet: the check refuses.
settings "$address" "$port"
doctor_says "no session record" 1 "$reached $VELMORA_DB_HOST:$VELMORA_DB_PORT reached" \
  "FAIL session refused: no record for '$VELMORA_CLIENT_ID', so the plug-in's check refuses"
session --user Tester

settings '"ServerAddress"=""' "$port"
doctor_says "an empty address connects to localhost" 0 \
  "warn server address is empty: the driver connects to localhost instead" \
  "$reached localhost:$VELMORA_DB_PORT reached"

settings "$address" "\"ServerPort\"=\"$((VELMORA_DB_PORT + 65536))\""
doctor_says "a port past 65535 wraps" 0 \
  "warn server port '$((VELMORA_DB_PORT + 65536))' is outside 1 to 65535: the driver keeps its low 16 bits and connects to port $VELMORA_DB_PORT" \
  "$reached $VELMORA_DB_HOST:$VELMORA_DB_PORT reached"

rm -f "$key"
doctor_says "a missing key" 1 "FAIL settings: $key does not exist: the plug-in reads every setting as empty or 0"
mkdir "$key"
doctor_says "a key that cannot be read" 1 "FAIL settings: $key cannot be read (Is a directory)"
rmdir "$key"

# Why a line is skipped is the registry reader's test; doctor names the line,
# its reason and what the plug-in reads instead.
settings "$address" "$port" '"AutoConnect"=dword:1'
doctor_says "a malformed line, by number" 1 \
  "FAIL settings: $key: line 3 is skipped, a dword takes exactly 8 hex digits, as in dword:00000001: '\"AutoConnect\"=dword:1'; the plug-in reads \"AutoConnect\" as 0"
settings "$address" '"ServerPort"=dword:00000cea' '"AutoConnect"="1"'
doctor_says "values of the wrong type" 1 \
  "FAIL settings: $key: \"ServerPort\" (line 2) is stored as a dword where the plug-in reads text; it reads ''" \
  "FAIL settings: $key: \"AutoConnect\" (line 3) is stored as text where the plug-in reads a dword; it reads 0"

# The server. A port where nothing listens stands for a stopped server.
free_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
settings "$address" "\"ServerPort\"=\"$free_port\""
doctor_says "no server" 1 \
  "FAIL server: nothing answers at $VELMORA_DB_HOST:$free_port: the data server is not running there (the private one starts with scripts/dbserver start)"

# The session, with AutoConnect: doctor reads the record, then the host opens
# its database and the plug-in connects, or is refused.
settings "$address" "$port" '"AutoConnect"=dword:00000001'
session --permit 0
doctor_says "a login not permitted" 1 \
  "FAIL session refused: the login of user 'Tester' is not permitted (Permit 0), so the plug-in shows Error" \
  "FAIL plug-in in this host, after the host opened its database: 'Error'"
session --permit 1 --last-conn 7
doctor_says "a session held by another connection" 1 \
  "FAIL session refused: connection 7 holds the session of user 'Tester'" \
  "FAIL plug-in in this host, after the host opened its database: 'Error'"
session --last-conn 0 --status 3
doctor_says "a session the server has ended" 1 \
  "FAIL session of user 'Tester': the server has ended it (SessionStatus 3): the plug-in connects, then at its next market-status poll disconnects"
session --status 0 --last-conn 0
# Connected in a script, the server grants the installation another number:
# the next poll takes it over (the first poll comes seconds after connecting).
(sleep 1; session --curr-conn 9) &
out=$(printf 'wait 2\ndoctor\n' | "$host" run - 2>&1); rc=$?
wait
says "a session taken over" 0 \
  "ok   session of user 'Tester' was taken over: the record says connection 1 holds it while the server grants connection 9"

summary
