# What every shell suite shares: the private server's settings, counted
# checks and the last line scripts/test reads ("N passed, N failed"), the
# plug-in's settings key, the server's view of the plug-in's connections,
# and hosts in the background with time-stamped output. Sourced, not run.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
# The private server, or with SCENARIO_SERVER=dbcluster the private cluster.
eval "$(scripts/${SCENARIO_SERVER:-dbserver} env)" || { echo "0 passed, 1 failed"; exit 1; }
source host/wine_lib.sh
ADMIN=server/velmora-admin
HOST=build/linux/velmora-host
CLIENT_ID=${VELMORA_CLIENT_ID:-velmora-ci}
LOG=${SCENARIO_LOG:-.run/logs/scenarios.log}
mkdir -p "$(dirname "$LOG")"

PASS=0
FAIL=0
pass() { PASS=$((PASS + 1)); printf 'ok   %s\n' "$1"; }
fail() {  # description, lines that explain it...
  FAIL=$((FAIL + 1)); printf 'FAIL %s\n' "$1"; shift
  local line
  for line in "$@"; do printf '%s\n' "$line" | head -40 | sed 's/^/       /'; done
}
check() {  # description, expected, actual
  if [ "$2" = "$3" ]; then pass "$1"; else fail "$1" "expected: $2" "actual:   $3"; fi
}
expect() {  # description, text that must appear, output
  if grep -qF -- "$2" <<<"$3"; then pass "$1"; else fail "$1" "wanted '$2' in:"$'\n'"$3"; fi
}
summary() { echo; echo "$PASS passed, $FAIL failed"; [ "$FAIL" -eq 0 ]; }

# The plug-in's settings key (named in wine_lib.sh) as a Linux registry file.
settings_key() {  # registry folder (default $VELMORA_REGISTRY_DIR)
  echo "${1:-$VELMORA_REGISTRY_DIR}/HKEY_CURRENT_USER/${SETTINGS_KEY//\\//}.reg"
}
settings_lines() {  # registry folder, value lines...: the key holds exactly these
  local key
  key=$(settings_key "$1"); shift
  mkdir -p "$(dirname "$key")"
  printf '%s\n' "$@" >"$key"
}
# The private server, AutoConnect 0 or 1.
write_settings() {  # registry folder, auto-connect
  settings_lines "$1" "\"ServerAddress\"=\"$VELMORA_DB_HOST\"" "\"ServerPort\"=\"$VELMORA_DB_PORT\"" \
    "$(printf '"AutoConnect"=dword:%08d' "$2")"
}

# The server's own superuser; sql: the same on the plug-in's database.
superuser() { mariadb --no-defaults --socket="$VELMORA_DB_SOCKET" -u "$(id -un)" -N -B -e "$1"; }
sql() { superuser "USE db_amiplugin; $1"; }
plugin_connections() {
  superuser "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE USER='velmora_plugin'"
}
kill_plugin_connections() {
  superuser "SELECT CONCAT('KILL ',ID,';') FROM information_schema.PROCESSLIST WHERE USER='velmora_plugin'" |
    mariadb --no-defaults --socket="$VELMORA_DB_SOCKET" -u "$(id -un)"
}
# What a session record says of its owner, for before-and-after checks.
session_record() {  # client id
  superuser "SELECT UserName, Email, Permit, SessionStatus FROM db_amiplugin.NVSession WHERE ClientID='$1'"
}
server_pid() { cat "$VELMORA_RUN_DIR/db/mariadbd.pid"; }
# Stops or starts the server, which must not inherit any pipe of a host
# (the host would never see the end of its input, or a reader its output).
dbserver() {  # command...
  ( for fd in /proc/$BASHPID/fd/*; do
      fd=${fd##*/}; [ "$fd" -gt 2 ] && eval "exec $fd>&-"
    done
    exec scripts/${SCENARIO_SERVER:-dbserver} "$@" ) </dev/null >/dev/null 2>&1
}
seconds_between() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", b - a }'; }

# A command in the background (a host running a script); each line it
# prints goes to $WORK/NAME.out as "EPOCH-SECONDS TEXT". Markers in the
# script (echo …) tell the test where the host is.
stamped_host() {  # name, command...
  local name=$1; shift
  : >"$WORK/$name.out"
  ( "$@" 2>&1 | while IFS= read -r line; do
      printf '%s %s\n' "$EPOCHREALTIME" "${line%$'\r'}"
    done >>"$WORK/$name.out" ) &
  eval "PID_$name=$!"
}
# The time of the first line of the host's output that matches after a
# time (0 for any); empty when there is none.
line_time() {  # name, extended regex, after
  awk -v after="${3:-0}" -v re="$2" '$1 > after { t = $1; $1 = ""; if (substr($0, 2) ~ re) { print t; exit } }' \
    "$WORK/$1.out"
}
# Waits up to the given seconds for such a line; prints its time.
await_line() {  # name, regex, seconds, after
  local until=$((SECONDS + $3)) t
  while [ $SECONDS -le $until ]; do
    t=$(line_time "$1" "$2" "${4:-0}")
    [ -n "$t" ] && { echo "$t"; return 0; }
    sleep 0.2
  done
  return 1
}
host_text() { cut -d' ' -f2- "$WORK/$1.out"; }
# The states the status field went through, in order.
host_path() { sed -n 's/^[0-9.]* Status: *\([A-Za-z]*\) .*/\1/p' "$WORK/$1.out" | paste -sd' ' | sed 's/ / -> /g'; }

# The blocking bound, read from what a host printed when it ended.
bound_kept() {  # label, host's output, what to show when it fails (default: the output)
  local longest
  longest=$(sed -n 's/^longest call into the plug-in: \([0-9]*\) ms.*/\1/p' <<<"$2")
  echo "     $1: $(grep '^longest call' <<<"$2")"
  if [ "${longest:-25001}" -le 25000 ]; then pass "$1: no call held the host's thread longer than 25 s"
  else fail "$1: the host ended without the bound kept" "${3:-$2}"; fi
}
# Waits for the host to end, then checks the blocking bound.
host_finished() {  # name, label
  local pid_var="PID_$1"
  wait "${!pid_var}" 2>/dev/null
  cat "$WORK/$1.out" >>"$LOG"
  bound_kept "$2" "$(host_text "$1")" "$(tail -5 "$WORK/$1.out")"
}
no_connection_left() { check "$1: the plug-in left no connection open" 0 "$(plugin_connections)"; }  # label
