#!/usr/bin/env bash
# The live quote window through the stand-in host, in real time, against the
# private server and the market simulator: the Linux host (one update as
# JSON), then the Windows host under Wine with real window timers and the
# real posted message: quotes that move while the market trades, silence
# while it is closed, the end-of-day timer and back, and a failing quote
# query that skips updates while the timers carry on.
# Needs a running private server and the builds; takes about three minutes
# (LIVE_LINUX_ONLY=1 leaves the Wine half out). Ends with "N passed, N failed".
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/scenario_lib.sh"
export VELMORA_CLIENT_ID=$CLIENT_ID
LOG=${LIVE_LOG:-.run/logs/live-host.log}
mkdir -p "$(dirname "$LOG")" && : >"$LOG"
WORK=$(mktemp -d)

# The quotes and the market as the demo left them, put back at the end.
QUOTES="Code,LastUpdate,Open,High,Low,Last,AvgPrice,Chg,BLot,BidPrice,OfferPrice,SLot,TVol,TVal,H52W,L52W,EPS,Dividend,DivYield"
"$ADMIN" sql "SELECT ${QUOTES} FROM NVRealtime WHERE Code IN ('BBCA','TLKM')" |
  sed 's/\tNULL/\t/g; s/\t/,/g' | { echo "$QUOTES"; cat; } >"$WORK/quotes.csv"
MARKET=$("$ADMIN" sql "SELECT StatusMessage,isMarketClosed,EOD FROM NVMarket WHERE id=1")
SIM_PID=""
cleanup() {
  [ -z "$SIM_PID" ] || { kill "$SIM_PID" 2>/dev/null; wait "$SIM_PID" 2>/dev/null; }
  "$ADMIN" sql "RENAME TABLE NVRealtime_away TO NVRealtime" >/dev/null 2>&1
  "$ADMIN" load-quotes "$WORK/quotes.csv" >/dev/null
  IFS=$'\t' read -r message closed eod <<<"$MARKET"
  "$ADMIN" sql "UPDATE NVMarket SET StatusMessage='$message', isMarketClosed=$closed, EOD=$eod WHERE id=1" >/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

simulate() { "$ADMIN" simulate "$@" >>"$LOG" 2>&1 & SIM_PID=$!; }  # in the background, its lines in the log
simulate_end() { wait "$SIM_PID"; SIM_PID=""; }

# json_check PYTHON-EXPRESSION NAME: evaluates the expression with `lines`,
# the JSON objects of $WORK/NAME.json (one a line, anything else is an
# error), the `updates` among them, their `end` and the `gaps` in timer ticks
# between updates; prints what the expression returns.
json_check() {
  python3 -c '
import json, sys
lines = [json.loads(l) for l in open(sys.argv[2]) if l.strip()]
updates = [l for l in lines if not l.get("end")]
end = ([l for l in lines if l.get("end")] or [None])[-1]
gaps = [b["timerTicks"] - a["timerTicks"] for a, b in zip(updates, updates[1:])]
print(eval(sys.argv[1]))' "$1" "$WORK/$2.json" 2>&1
}

echo "== the Linux host: one update (its usage errors: host/readme_test.sh)"
export VELMORA_REGISTRY_DIR="$ROOT/.run/live-registry"
write_settings "$VELMORA_REGISTRY_DIR" 1
"$ADMIN" market trading >/dev/null

simulate --seconds 15 --tickers BBCA TLKM
# Beside BBCA a ticker that JSON must escape (a quote, a backslash, a tab)
# with a byte that is no UTF-8: still one valid object a line, the byte
# replaced.
"$HOST" watch BBCA $'Q"T\\\tX\xe9' --once --json --seconds 12 >"$WORK/once.json" 2>>"$LOG"; rc=$?
simulate_end
cat "$WORK/once.json" >>"$LOG"
r=$(json_check 'len(lines), updates[0]["timer"], updates[0]["status"]["short"], updates[0]["quotes"][0]["ticker"], updates[0]["quotes"][0]["status"], updates[0]["quotes"][0]["last"] > 0, updates[0]["quotes"][1]["ticker"] == "Q\"T\\\tX\ufffd"' once)
check "watch --once ends (exit 0) after one JSON object: the first tick's update, connected, BBCA filled, the odd ticker escaped" \
  "0 (1, 5678, 'Conn', 'BBCA', 15, True, True)" "$rc $r"

# A user name from the server with a quote, a tab and a letter beyond ASCII:
# the status field as JSON stays valid and keeps what it can.
user=$(superuser "SELECT UserName FROM db_amiplugin.NVSession WHERE ClientID='$CLIENT_ID'")
"$ADMIN" session "$CLIENT_ID" --user $'Ani "Q"\tR\xc3\xa9' >/dev/null
"$HOST" --json status >"$WORK/status.json" 2>>"$LOG"
"$ADMIN" session "$CLIENT_ID" --user "$user" >/dev/null
r=$(json_check '"User = Ani \"Q\"\tR" in updates[0]["long"]' status)
expect "a user name with a quote, a tab and a letter beyond ASCII gives valid JSON" "True" "$r"

# Under Wine: one display for each Wine session (without one the Wine
# desktop runs no timer), the settings in the prefix's registry.
builds=$(windows_builds)
[ -z "${LIVE_LINUX_ONLY:-}" ] || builds=""
[ -n "$builds" ] || echo "(the Wine half is left out: LIVE_LINUX_ONLY, or no Windows build runs here)"
for WIN in $builds; do
  W="Wine, $(word_size $WIN)"
  export EXE=build/$WIN/velmora-host.exe
  wineserver -w
  # BBCA and TLKM watched, the JSON lines in $WORK/NAME.json and the log; the
  # lines as they come (tr would hold them back in a buffer).
  wine_watch() {  # name, seconds
    timeout 300 xvfb-run -a bash -c 'source host/wine_lib.sh; wine_settings 1; wine $EXE watch BBCA TLKM --seconds $0 --json' \
      "$2" 2>>"$LOG" | stdbuf -oL tr -d '\r' >"$WORK/$1.json"
    wineserver -w
    cat "$WORK/$1.json" >>"$LOG"
  }
  echo "== under $W: the market closed"
  "$ADMIN" market closed >/dev/null
  before=$("$ADMIN" sql "SELECT DATE_FORMAT(LastUpdate,'%H%i%s')+0 FROM NVRealtime WHERE Code='BBCA'")
  simulate --seconds 40 --tickers BBCA TLKM
  wine_watch closed 14
  simulate_end
  r=$(json_check 'len(updates), end["timerTicks"] >= 2, end["status"]["short"], end["quotes"][0]["status"], end["quotes"][0]["stampTime"] > '"$before" closed)
  expect "$W, closed: timers ticked, no update message; the records still moved on" "(0, True, 'Conn', 15, True)" "$r"

  echo "== under $W: a market cycle (trading, closed, end of day, trading)"
  "$ADMIN" market trading >/dev/null
  simulate --seconds 125 --step-market --phase 30 --tickers BBCA TLKM
  wine_watch cycle 110
  simulate_end
  # The timers in turn, the stretches of three ticks or more without an
  # update (the closed phase) and the gaps outside them.
  r=$(json_check '("-".join(str(t) for i, t in enumerate(u["timer"] for u in updates) if i == 0 or t != updates[i - 1]["timer"]),
    sum(g >= 3 for g in gaps), sorted(set(g for g in gaps if g < 3)),
    len(set(u["quotes"][0]["stampTime"] for u in updates if u["timer"] == 199)) >= 6 and len(set(u["quotes"][0]["last"] for u in updates)) >= 2)' cycle)
  check "$W: timers 5678, 199, 1620 at end of day, 199 again; one silent stretch, the closed one; else every tick an update; the quotes moved" \
    "('5678-199-1620-199', 1, [1], True)" "$r"

  echo "== under $W: the quote query fails for a while"
  "$ADMIN" market trading >/dev/null
  wine_watch error 32 &
  watcher=$!
  for _ in $(seq 60); do [ -s "$WORK/error.json" ] && break; sleep 0.5; done
  "$ADMIN" sql "RENAME TABLE NVRealtime TO NVRealtime_away" >/dev/null
  sleep 11
  "$ADMIN" sql "RENAME TABLE NVRealtime_away TO NVRealtime" >/dev/null
  wait $watcher
  r=$(json_check 'sum(g >= 3 for g in gaps), len(updates) >= 4, all(u["status"]["short"] == "Conn" for u in lines), all(u["timer"] == 199 for u in updates[1:])' error)
  expect "$W: failed refreshes sent no update, the timers went on, still connected, updates came back" "(1, True, True, True)" "$r"
done

summary
