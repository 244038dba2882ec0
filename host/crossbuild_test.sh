#!/usr/bin/env bash
# The same requests through every build of the plug-in that runs here: the
# Linux library and, under Wine, each Windows DLL. The host's bar arrays must
# be equal byte for byte (daily and one-minute bars across corporate actions,
# asked again, merged into held bars, and in the older record layout), and
# the real-time records field for field.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scenario_lib.sh"
WORK=$(mktemp -d)
T=ZZCROSS$$
cleanup() {
  rm -rf "$WORK"
  "$ADMIN" sql "DELETE FROM NVEod WHERE Ticker='$T'; DELETE FROM NVIntraday WHERE Ticker='$T'" >/dev/null
}
trap cleanup EXIT
mkdir -p "$WORK/registry"
write_settings "$WORK/registry" 1

echo "== the rows: prices no float holds exactly, two corporate actions, an end-of-day minute"
# Daily: the adjusted close differs from the close on days 20 and 30, so
# that every earlier bar is rescaled; one-minute: the same on the 15th
# minute, and a last row at 23:59:59 that closes the day.
python3 - "$T" "$WORK" <<'EOF'
import sys
t, work = sys.argv[1:]
def row(date, time, i, factor):
    c = 1000 / 3 + i * 7.1
    return f"{t},{date},{time},{c - 0.3:.6f},{c + 1.7:.6f},{c - 2.9:.6f},{c:.6f},{i * 1234567},{c * factor:.6f}\n"
rows = {"daily": [row(f"2025-{8 + i // 29:02d}-{i % 29 + 1:02d}", "", i, {20: 0.5, 30: 0.8}.get(i, 1))
                  for i in range(1, 41)],
        "intraday": [row("2025-10-20", f"10:{i:02d}:00", i, 0.25 if i == 15 else 1) for i in range(1, 31)]
                    + [row("2025-10-20", "23:59:59", 31, 1)]}
for kind, lines in rows.items():
    open(f"{work}/{kind}.csv", "w").write("Ticker,Date,Time,Open,High,Low,Close,Volume,AdjClose\n" + "".join(lines))
EOF
# Charts that already hold bars: a fresh request's first bars, their closes
# moved, so that kept bars differ from fetched ones.
for kind in daily intraday; do
  "$ADMIN" load-bars --$kind "$WORK/$kind.csv" >>"$LOG" 2>&1 || fail "loading the $kind rows" "$(tail -3 "$LOG")"
  VELMORA_REGISTRY_DIR="$WORK/registry" "$HOST" bars $T --$kind --csv "$WORK/$kind-fresh.csv" >>"$LOG" 2>&1
  awk -F, -v OFS=, 'NR <= 16 { if (NR > 1) $6 += 1000; print }' "$WORK/$kind-fresh.csv" >"$WORK/$kind-held.csv"
done

# Each request of one build, its array into $WORK/BUILD/NAME.raw.
requests() {  # build, host command...
  local build=$1; shift
  local out="$WORK/$build" kind
  mkdir -p "$out"
  for kind in daily intraday; do
    "$@" bars $T --$kind --again --raw "$out/$kind-again.raw"
    "$@" bars $T --$kind --hold "$WORK/$kind-held.csv" --raw "$out/$kind-held.raw"
    "$@" bars $T --$kind --old-layout --again --raw "$out/$kind-old.raw"
  done >>"$LOG" 2>&1
  "$@" watch BBCA TLKM --once --json 2>>"$LOG" | tr -d '\r' |
    python3 -c 'import json, sys; print(json.dumps(json.loads(sys.stdin.read())["quotes"], sort_keys=True))' \
      >"$out/quotes.json" 2>>"$LOG"
}

echo "== the Linux library"
linux_host() { VELMORA_REGISTRY_DIR="$WORK/registry" "$HOST" "$@"; }
requests linux linux_host
n=$(find "$WORK/linux" -name '*.raw' -size +0 | wc -l)
[ "$n" = 6 ] && [ -s "$WORK/linux/quotes.json" ] && pass "Linux: six bar arrays and the real-time records" ||
  fail "Linux: $n of 6 bar arrays, or no real-time records" "$(tail -5 "$LOG")"

for WIN in $(windows_builds); do
  W="Wine, $(word_size $WIN)"
  echo "== $W"
  # The settings once, and each host in a Wine session of its own on a
  # virtual display (without one Wine runs no timer). Unix paths as they
  # are: the Windows host's current drive, Z:, is this machine's root.
  wine_settings 1
  wineserver -w
  windows_host() { timeout 120 xvfb-run -a wine build/$WIN/velmora-host.exe "$@"; wineserver -w; }
  requests $WIN windows_host
  for f in "$WORK"/linux/*.raw "$WORK/linux/quotes.json"; do
    name=$(basename "$f"); mine="$WORK/$WIN/$name"
    if [ -s "$mine" ] && cmp -s "$f" "$mine"; then
      pass "$W: $name equals the Linux library's byte for byte ($(wc -c <"$f") bytes)"
    else fail "$W: $name differs from the Linux library's" \
      "$({ cmp "$f" "$mine"; diff <(tr '{' '\n' <"$f") <(tr '{' '\n' <"$mine"); } 2>&1 | head -6)"; fi
  done
done

summary
