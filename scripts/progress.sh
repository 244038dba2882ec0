# Sourced by scripts/build, scripts/test and scripts/demo: stages that say
# when they start, and long commands whose full output goes to a log while
# the lines that tell how far they got are shown as they come. A command
# that shows nothing for 20 seconds gets a line saying it still runs and
# what its log said last, so no stage stays silent for long.

# stage TEXT: announces a stage with the time of day.
stage() { printf '== %s  %s\n' "$(date +%H:%M:%S)" "$*"; }

# The seconds since a `date +%s` reading, as "1 min 05 s" or "42 s".
elapsed() {
  local s=$(($(date +%s) - $1))
  if [ $s -ge 60 ]; then printf '%d min %02d s' $((s / 60)) $((s % 60)); else printf '%d s' $s; fi
}

# follow LOG FILTER COMMAND...: runs the command with its output (both
# streams) into LOG and shows the new lines of LOG that FILTER (a command
# reading lines on standard input, e.g. `grep -E ...`) lets through, every
# two seconds. FILTER runs once per batch of lines; a filter that must
# remember across batches keeps its state in $FOLLOW_STATE, a file that
# lives as long as the command. Returns the command's exit status.
follow() {
  local log=$1 filter=$2
  shift 2
  mkdir -p "$(dirname "$log")"
  : >"$log"
  FOLLOW_STATE=$(mktemp)
  export FOLLOW_STATE
  "$@" >"$log" 2>&1 &
  local pid=$! shown=0 lines start quiet last
  start=$(date +%s)
  quiet=$start
  while :; do
    local running=1
    kill -0 "$pid" 2>/dev/null || running=0
    lines=$(wc -l <"$log")
    if [ "$lines" -gt "$shown" ]; then
      if sed -n "$((shown + 1)),${lines}p" "$log" | eval "$filter"; then :; fi >"$FOLLOW_STATE.out"
      if [ -s "$FOLLOW_STATE.out" ]; then cat "$FOLLOW_STATE.out"; quiet=$(date +%s); fi
      shown=$lines
    fi
    [ $running -eq 1 ] || break
    if [ $(($(date +%s) - quiet)) -ge 20 ]; then
      last=$(tail -n 1 "$log" | tr -d '\r' | cut -c1-110)
      printf '   ... still running (%s)%s\n' "$(elapsed "$start")" "${last:+; last: $last}"
      quiet=$(date +%s)
    fi
    sleep 2
  done
  wait "$pid"
  local rc=$?
  rm -f "$FOLLOW_STATE" "$FOLLOW_STATE.out"
  return $rc
}
