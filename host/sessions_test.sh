#!/usr/bin/env bash
# Sessions owned by their server connection, through real stand-in hosts
# against the private server: copies of the plug-in with the same client id
# started while the first still runs, and a host killed without a chance to
# disconnect. Against a cluster (eval "$(scripts/dbcluster env)"), hosts A, B
# and C each connect straight to a node of their own. Ends with "N passed,
# N failed".
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scenario_lib.sh"
# A client id of this run's own, so that no other record is touched.
ID="vsess-$$"; export VELMORA_CLIENT_ID=$ID

WORK=$(mktemp -d)
export VELMORA_REGISTRY_DIR="$WORK/registry"
write_settings "$VELMORA_REGISTRY_DIR" 1
# Host N's registry: the node of that number in a cluster, else the server.
read -ra NODE_PORTS <<<"${VELMORA_CLUSTER_PORTS:-}"
registry() {  # N
  local port=""
  [ "$1" -eq 0 ] || port=${NODE_PORTS[$(($1 - 1))]:-}
  [ -n "$port" ] || { echo "$VELMORA_REGISTRY_DIR"; return; }
  VELMORA_DB_PORT=$port write_settings "$WORK/node$1" 1
  echo "$WORK/node$1"
}

declare -A PID IN
cleanup() {
  local name
  for name in "${!PID[@]}"; do kill -KILL "${PID[$name]}" 2>/dev/null; done
  "$ADMIN" sql "DELETE FROM NVSession WHERE ClientID='$ID'; DELETE FROM NVCallLog WHERE Args LIKE '''$ID''%'" >/dev/null 2>&1
  rm -rf "$WORK"
}
trap cleanup EXIT

# The session's LastConnID. (Which connection owns it: server/test_server.sh.)
last_conn() { "$ADMIN" sql "SELECT LastConnID FROM NVSession WHERE ClientID='$ID'"; }

# A host that stays in its session until its pipe is closed. Waits until it
# has shown its first status, which it does once connected or refused.
host_start() {  # name, node
  mkfifo "$WORK/$1.in"
  VELMORA_REGISTRY_DIR=$(registry "${2:-0}") "$HOST" run - <"$WORK/$1.in" >"$WORK/$1.out" 2>&1 &
  PID[$1]=$!
  exec {fd}>"$WORK/$1.in"
  IN[$1]=$fd
  timeout 30 bash -c 'until grep -q "^Status:" "$0"; do sleep 0.1; done' "$WORK/$1.out"
}
# Closes the host's script: it disconnects and ends. (Not in a subshell:
# only this shell can wait for the host.)
host_end() {  # name
  eval "exec ${IN[$1]}>&-"
  wait "${PID[$1]}" 2>/dev/null
  unset "PID[$1]"
}
# A host that connects, shows its status and ends at once.
host_once() { printf 'status\n' | VELMORA_REGISTRY_DIR=$(registry "${1:-0}") "$HOST" run - 2>&1; }

"$ADMIN" session "$ID" --user "Session Test" --email sessions@velmora.example --permit 1 \
  --last-conn 0 --curr-conn 1 --status 0 >/dev/null

# How the server logs a call it does not carry out: server/test_server.sh.
echo "== a second and a third copy while the first runs${VELMORA_CLUSTER_PORTS:+ (hosts on nodes 1, 2 and 3)}"
host_start A 1
expect "host A connects" "Status:        Conn" "$(cat "$WORK/A.out")"
check "A holds the session" 1 "$(last_conn)"
for hn in B:2 C:3; do
  h=${hn%:*}
  expect "host $h is refused: the session is held elsewhere" "Status:        Error" "$(host_once "${hn#*:}")"
  check "after $h, A still holds the session" 1 "$(last_conn)"
done
check "both refusals were logged on the server" 2 "$("$ADMIN" calls | grep -c "^Plugin223_Log('$ID'")"
printf '%s\n' "wait 2" status >&"${IN[A]}"
host_end A
expect "A stayed connected throughout" "Status:        Conn" "$(sed -n '/^> status/,$p' "$WORK/A.out")"
check "A's own disconnect frees the session" 0 "$(last_conn)"

echo "== a host killed without disconnecting"
host_start K
expect "host K connects" "Status:        Conn" "$(cat "$WORK/K.out")"
kill -KILL "${PID[K]}"
{ wait "${PID[K]}"; } 2>/dev/null  # (no "Killed" notice from the shell)
host_end K
start=$(date +%s%N)
out=$(host_once)
ms=$(( ($(date +%s%N) - start) / 1000000 ))
expect "the next start after the kill connects at once" "Status:        Conn" "$out"
echo "     the next start took $ms ms"
check "the host that connected after the kill freed the session when it ended" 0 "$(last_conn)"

summary
