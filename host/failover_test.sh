#!/usr/bin/env bash
# Failover: a stand-in host watching tickers through the balancer of a
# private three-node cluster (scripts/dbcluster, in a run folder of its own,
# started and stopped here); the node its connection is on is stopped. The
# status goes Down at the first tick that finds the connection gone and Conn
# again at the retry, through a live node; quotes and bars keep coming; the
# session record stays one row, owned on a live node. Then the node rejoins.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export VELMORA_RUN_DIR="${FAILOVER_RUN_DIR:-$ROOT/.run/failover}" VELMORA_DEMO_SIZE=small
mkdir -p "$VELMORA_RUN_DIR"
t0=$EPOCHREALTIME
"$ROOT/scripts/dbcluster" start >"$VELMORA_RUN_DIR/dbcluster.log" 2>&1 ||
  { tail -20 "$VELMORA_RUN_DIR/dbcluster.log"; echo "0 passed, 1 failed"; exit 1; }
formed=$(awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.0f", b - a }')
export SCENARIO_SERVER=dbcluster
source "$ROOT/host/scenario_lib.sh"
read -ra SOCKS <<<"$VELMORA_CLUSTER_SOCKETS"
read -ra PORTS <<<"$VELMORA_CLUSTER_PORTS"
WORK=$(mktemp -d)
trap 'scripts/dbcluster stop >/dev/null 2>&1; rm -rf "$WORK"' EXIT
TRADE=5
ID="vfail-$$"

on() {  # node, SQL: as the superuser on that node
  mariadb --no-defaults --socket="${SOCKS[$(($1 - 1))]}" -u "$(id -un)" -N -B -e "$2" 2>/dev/null
}
# The node that holds the plug-in's connection (0: none).
plugin_node() {
  local n
  for n in 1 2 3; do
    [ "$(on $n "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE USER='velmora_plugin'")" = 1 ] &&
      { echo $n; return; }
  done
  echo 0
}
sizes() { for n in 1 2 3; do on $n "SHOW STATUS LIKE 'wsrep_cluster_size'" | cut -f2; done | paste -sd' '; }
session_rows() {  # node to ask: rows, LastConnID and owner node of the session
  on "$1" "SELECT COUNT(*), MAX(LastConnID), IFNULL(MAX(OwnerNode), '') FROM db_amiplugin.NVSession
           WHERE ClientID = '$ID'" | tr '\t' ' '
}

echo "== a cluster of three behind the balancer"
echo "     formed in $formed s (from nothing: load, then two full copies; else two catch-ups)"
expect "three nodes, each synced in a cluster of 3" "3 3 3" "$(sizes)"
"$ADMIN" config --trade-interval $TRADE >/dev/null
"$ADMIN" market trading >/dev/null
"$ADMIN" session "$ID" --user "Failover Trader" --email failover@velmora.example --permit 1 \
  --last-conn 0 --curr-conn 1 --status 0 >/dev/null
write_settings "$WORK/registry" 1

echo "== the node of the plug-in's connection stopped"
printf '%s\n' "watch BBCA TLKM --once" "wait 4" "updates" "echo outage" "wait 30" "updates" \
  "bars BBCA --intraday" "status" >"$WORK/host.script"
stamped_host host env VELMORA_REGISTRY_DIR="$WORK/registry" VELMORA_CLIENT_ID="$ID" \
  "$HOST" run "$WORK/host.script"
await_line host '^outage$' 60 >/dev/null || fail "the host never reached its marker"
down=$(plugin_node)
live=$((down % 3 + 1))
echo "     the plug-in is on node $down; stopping it"
before=$(session_rows $live)
STOPPED=$EPOCHREALTIME
dbserver node "$down" stop
# The status shows changes only: none within two ticks means it stayed Conn.
# The plug-in is back once its poll on a live node has claimed its session
# (the connection-id report), and its status is Conn.
left_conn=$(await_line host '^Status: +[A-Z]' $((2 * TRADE + 2)) "$STOPPED")
conn=$STOPPED
[ -z "$left_conn" ] || conn=$(await_line host '^Status: +Conn' $((3 * TRADE)) "$left_conn")
for _ in $(seq 1 $((3 * TRADE))); do
  claimed=$("$ADMIN" sql "SELECT UNIX_TIMESTAMP(MAX(CalledAt)) FROM NVCallLog
                           WHERE ProcName = 'Plugin223_ConnId' AND Args LIKE '''$ID''%'")
  [ "$claimed" != NULL ] && break
  sleep 1
done
path=$(host_path host)
echo "     path: $path"
if [ -n "$conn" ] && [ "$claimed" != NULL ]; then
  back=$(awk -v a="$conn" -v b="$claimed" 'BEGIN { print (a > b ? a : b) }')
  echo "     session claimed on a live node $(seconds_between "$STOPPED" "$claimed") s," \
    "status Conn $(seconds_between "$STOPPED" "$conn") s after the stop (ticks every $TRADE s)"
  # The first tick comes within one interval; should it fail, the retry
  # (the second tick) follows two intervals later.
  awk -v d="$(seconds_between "$STOPPED" "$back")" -v m=$((3 * TRADE + 2)) 'BEGIN { exit !(d <= m) }' &&
    pass "Conn through a live node within two ticks of the stop" ||
    fail "back only $(seconds_between "$STOPPED" "$back") s after the stop"
else fail "not back after the stop (status Conn at ${conn:-never}, claimed ${claimed:-never})" \
  "$(host_text host | tail -12)"; fi
grep -q 'Disc\|Error' <<<"$path" && fail "the failover went through Disc or Error ($path)" ||
  pass "never Disconnected nor refused"
check_session() {  # label, expected "rows LastConnID owner-node" (a pattern)
  local got
  got=$(session_rows $live)
  [[ "$got" =~ ^$2$ ]] && pass "$1" || fail "$1" "before the stop: $before"$'\n'"now: $got"
}
check_session "the session record is kept, one row, held on a live node" \
  "1 1 127\.0\.0\.1:($(printf '%s\n' "${PORTS[@]}" | grep -vx "${PORTS[$((down - 1))]:-x}" | paste -sd'|'))"
now_on=$(plugin_node)
[ "$now_on" != 0 ] && [ "$now_on" != "$down" ] && pass "connected through live node $now_on" ||
  fail "the plug-in's connection is on node '$now_on' after node $down stopped"
host_finished host "failover"
read -r n1 n2 _ < <(host_text host | sed -n 's/^streaming updates so far: //p' | paste -sd' ')
[ -n "$n2" ] && [ "$n2" -ge $((${n1:-0} + 2)) ] && pass "quotes keep coming ($n1 updates before, $n2 after)" ||
  fail "streaming updates did not go on (${n1:-none} before, ${n2:-none} after)"
grep -A1 '^> bars BBCA --intraday' < <(host_text host) | grep -cE '^request: [1-9][0-9]* bars' >/dev/null &&
  pass "bars come through the live node" ||
  fail "no bars after the failover" "$(host_text host | grep -A2 'bars BBCA')"
"$ADMIN" calls | grep -F "'$ID'" | sed -n '/Disconnect/!p' | tail -3 | sed 's/^/     call: /'
check_session "the session record ends freed by the host's own disconnect, one row" "1 0 "

echo "== the stopped node starts again"
t=$EPOCHREALTIME
dbserver node "$down" start
echo "     node $down synced again $(seconds_between "$t" "$EPOCHREALTIME") s after its start"
expect "it rejoins: the cluster is 3 again on every node" "3 3 3" "$(sizes)"
expect "the session record reached it" "1 0 " "$(session_rows "$down")"

echo "== stop"
scripts/dbcluster stop >/dev/null 2>&1
left=$(pgrep -f -- "$VELMORA_CLUSTER_DIR/" | paste -sd' ')
[ -z "$left" ] && pass "the cluster's stop leaves no process" || fail "still running: $left"
summary
