#!/usr/bin/env bash
# The capacity figure: the largest number of installations whose tick
# statements (the market-status poll and the real-time select) keep their
# p99 under 50 ms, with the server and the load generator on this machine,
# and the same run's ratio against a `SELECT 1` workload of that number.
#
# Called by scripts/bench once the private server runs with the bench's
# real-time rows. Steps up through CAPACITY_STEPS (installations) until a
# step fails, then tries the middle between the last step that held and the
# first that did not. Each step is one load generator run on a freshly
# started server: the connects over N / CAPACITY_CONNECT_RATE seconds, then
# CAPACITY_STEADY seconds with everybody connected.
#
# --cluster: the same search against the private three-node cluster
# (scripts/dbcluster) through its balancer, restarted for each step; the
# generator's installations spread over the nodes by their addresses. The
# server's CPU and memory are then those of the node the admin account
# lands on, one of the three.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
server=dbserver what="one server"
if [ "${1:-}" = --cluster ]; then
  server=dbcluster what="a cluster of three nodes through HAProxy"
fi
steps=${CAPACITY_STEPS:-"250 500 1000 2000 4000 6000 8000 10000 12000 14000 16000 18000"}
rate=${CAPACITY_CONNECT_RATE:-100}
steady=${CAPACITY_STEADY:-40}
bound=50
out=.run/bench/capacity-$server
mkdir -p "$out"

# One run: N, mode (plugin|baseline); leaves its JSON in $out/N-mode.json.
run() {
  local n=$1 mode=$2 ramp seconds args=()
  ramp=$(( (n + rate - 1) / rate ))
  seconds=$(( ramp + steady + 10 ))
  [ "$mode" = baseline ] && args+=(--baseline)
  restart || { echo "capacity: the server did not start" >&2; exit 1; }
  build/linux/velmora-loadgen --installations "$n" --seconds "$seconds" --ramp "$ramp" --json \
    "${args[@]}" >"$out/$n-$mode.json" 2>"$out/$n-$mode.log"
}

# A fresh server (or cluster) with the bench's real-time rows, trading.
restart() {
  scripts/$server stop >/dev/null 2>&1
  VELMORA_DEMO_SIZE=${VELMORA_DEMO_SIZE:-small} scripts/$server start >/dev/null 2>&1 || return 1
  eval "$(scripts/$server env)"
  server/velmora-admin load-quotes .run/bench/realtime.csv >/dev/null &&
    server/velmora-admin market trading >/dev/null
}

# Fields of a run's JSON, by Python expressions over it (j).
field() {  # file, expression
  python3 -c 'import json, sys; j = json.load(open(sys.argv[1])); print(eval("(" + sys.argv[2] + ")"))' "$1" "$2" 2>/dev/null
}

# "pass" or why the step failed.
verdict() {  # file
  field "$1" '
"no result" if not j else
"not all connected" if j["all_connected_after_s"] is None else
"%d errors" % sum(s["errors"] for s in j["statements"].values()) if any(s["errors"] for s in j["statements"].values()) else
"%d sessions refused" % j["refused"] if j["refused"] else
"market-status p99 %.0f ms" % j["statements"]["market-status"]["p99_ms"] if j["statements"]["market-status"]["p99_ms"] >= '"$bound"' else
"realtime p99 %.0f ms" % j["statements"]["realtime"]["p99_ms"] if j["statements"]["realtime"]["p99_ms"] >= '"$bound"' else
"pass"' || echo "no result"
}

line() {  # N, file
  local f=$2
  printf '  %6s  %9s  %6s / %-6s  %6s / %-6s  %8s  %8s  %8s  %s\n' "$1" \
    "$(field "$f" 'j["all_connected_after_s"]')" \
    "$(field "$f" 'round(j["statements"]["market-status"]["p50_ms"], 1)')" \
    "$(field "$f" 'round(j["statements"]["market-status"]["p99_ms"], 1)')" \
    "$(field "$f" 'round(j["statements"]["realtime"]["p50_ms"], 1)')" \
    "$(field "$f" 'round(j["statements"]["realtime"]["p99_ms"], 1)')" \
    "$(field "$f" 'j["server"]["cpu_percent"]')" \
    "$(field "$f" 'j["server"]["rss_per_connection_kb"]')" \
    "$(field "$f" 'j["generator"]["cpu_percent"]')" "$(verdict "$f")"
}

echo "velmora capacity, $what: installations whose tick statements keep p99 under $bound ms"
echo "  machine: $(python3 -c '
import os
model = next((l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo") if l.startswith("model name")), "?")
mem = int(next(l.split()[1] for l in open("/proc/meminfo") if l.startswith("MemTotal"))) / 1048576
print("%d cores, %s, %.0f GB; load average %.1f before the runs (other work on the machine counts)" % (os.cpu_count(), model, mem, os.getloadavg()[0]))')"
echo "  connects at $rate a second, then ${steady} s with all connected; the server restarted for each step"
printf '  %6s  %9s  %15s  %15s  %8s  %8s  %8s  %s\n' N "all in, s" "poll p50/p99" "select p50/p99" \
  "srv CPU%" "KB/conn" "gen CPU%" verdict
best=0 first_fail=""
for n in $steps; do
  run "$n" plugin
  line "$n" "$out/$n-plugin.json"
  if [ "$(verdict "$out/$n-plugin.json")" = pass ]; then best=$n; else first_fail=$n; break; fi
done
mid=$(( (best + ${first_fail:-0}) / 2 / 250 * 250 ))
if [ -n "$first_fail" ] && [ "$mid" -gt "$best" ]; then
  run "$mid" plugin
  line "$mid" "$out/$mid-plugin.json"
  [ "$(verdict "$out/$mid-plugin.json")" = pass ] && best=$mid || first_fail=$mid
fi
restart
# What the server's and the generator's CPU per installation say about a
# machine that does nothing else, from the run that went furthest.
project() {  # file
  python3 - "$1" <<'EOF'
import json, os, sys
j = json.load(open(sys.argv[1]))
n, srv, gen = j["installations"], j["server"]["cpu_percent"], j["generator"]["cpu_percent"]
if not srv:
    sys.exit(0)
cores = 100 * os.cpu_count()
print("  CPU per 1,000 installations at %d: server %.1f %%, generator %.1f %% of one core: the server"
      % (n, 1000 * srv / n, 1000 * gen / n))
print("    alone would fill this machine's %d cores at about %d installations, server and generator"
      % (os.cpu_count(), cores * n / srv))
print("    together at about %d (a projection from CPU time, not a latency measurement)"
      % (cores * n / (srv + gen)))
EOF
}
if [ "$best" -eq 0 ]; then
  echo "  capacity: not even the first step held (see $out)"
  project "$out/$first_fail-plugin.json"
  echo "  load average after the runs: $(cut -d' ' -f1 /proc/loadavg)"
  exit 1
fi
run "$best" baseline
p="$out/$best-plugin.json" b="$out/$best-baseline.json"
echo "  capacity: $best installations${first_fail:+ ($first_fail: $(verdict "$out/$first_fail-plugin.json"))}"
python3 - "$p" "$b" "$best" <<'EOF'
import json, sys
p, b, n = json.load(open(sys.argv[1])), json.load(open(sys.argv[2])), sys.argv[3]
s, one = p["statements"], b["statements"].get("select-1")
print("  at %s: market-status p50 %.1f ms, p99 %.1f ms; realtime p50 %.1f ms, p99 %.1f ms;"
      % (n, s["market-status"]["p50_ms"], s["market-status"]["p99_ms"], s["realtime"]["p50_ms"],
         s["realtime"]["p99_ms"]))
print("    server CPU %s %% of one core, RSS %s MB, %s KB per connection; generator CPU %s %%"
      % (p["server"]["cpu_percent"], p["server"]["rss_mb"], p["server"]["rss_per_connection_kb"],
         p["generator"]["cpu_percent"]))
if not one or not one["p99_ms"]:
    print("  SELECT 1 at %s: no result" % n)
    sys.exit(1)
tick99 = max(s["market-status"]["p99_ms"], s["realtime"]["p99_ms"])
tick50 = max(s["market-status"]["p50_ms"], s["realtime"]["p50_ms"])
cpu = (p["server"]["cpu_percent"] or 0) / max(b["server"]["cpu_percent"] or 0.1, 0.1)
print("  against SELECT 1 from the same %s connections at the same pace: tick p99 %.2fx (%.1f ms), "
      "p50 %.2fx (%.1f ms), server CPU %.2fx (%s %%)"
      % (n, tick99 / one["p99_ms"], one["p99_ms"], tick50 / max(one["p50_ms"], 0.001), one["p50_ms"],
         cpu, b["server"]["cpu_percent"]))
EOF
project "$p"
echo "  load average after the runs: $(cut -d' ' -f1 /proc/loadavg)"
