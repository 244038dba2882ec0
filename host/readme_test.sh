#!/usr/bin/env bash
# The README's examples, run as written against a running private server
# (the one of $VELMORA_RUN_DIR; scripts/test gives its own).
#
# Every command line of the README's indented blocks is run, after the
# `eval "$(scripts/dbserver env)"` that the README puts first, in a scratch
# folder that sees the repository's build/, scripts/ and server/: it must
# end with code 0. A line "$ COMMAND" followed by lines of output is an
# example: each of those lines must appear in what the command printed,
# numbers aside (any number matches any number: data sets differ). A
# command line this test cannot run fails, so that no new example goes
# untested; those that build or test everything are left to their own runs.
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/scenario_lib.sh"
README="$ROOT/README.md"
scripts/dbserver status >/dev/null || { echo "FAIL no data server runs in $VELMORA_RUN_DIR"; echo "0 passed, 1 failed"; exit 1; }

# The settings scripts/demo writes: the private server, AutoConnect.
write_settings "$VELMORA_REGISTRY_DIR" 1

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
ln -s "$ROOT/build" "$ROOT/scripts" "$ROOT/server" "$WORK/"

# Runs one line as written, from the scratch folder, after the README's
# eval; prints its output (both streams), returns its code.
run_line() {
  (cd "$WORK" && timeout 120 bash -c 'eval "$(scripts/dbserver env)"; '"$1" 2>&1)
}

# A line with its numbers (signed, with decimals or grouped thousands) made
# one placeholder and its runs of blanks one blank.
normalise() { sed -E 's/-?[0-9][0-9,.]*/#/g; s/[[:space:]]+/ /g; s/^ //; s/ $//'; }

check_example() {  # command, expected lines
  local command=$1 expected=$2 out norm line missing=""
  out=$(run_line "$command"); norm=$(normalise <<<"$out")
  while IFS= read -r line; do
    [ -z "$line" ] || grep -qF -- "$(normalise <<<"$line")" <<<"$norm" || missing+="$line"$'\n'
  done <<<"$expected"
  if [ -z "$missing" ]; then pass "example: $command"
  else fail "example: $command: its output lacks" "$missing"$'(it printed)\n'"$(head -20 <<<"$out")"; fi
}

run_command() {  # command
  local out rc
  out=$(run_line "$1"); rc=$?
  if [ $rc -eq 0 ]; then pass "runs: $1"; else fail "runs: $1: ended with code $rc" "$(tail -15 <<<"$out")"; fi
}

# The indented lines of the README, in order (read first: the commands
# would read what is left of a loop's input); a blank or unindented line
# ends a block (and the example in it).
mapfile -t lines < <(awk '{ print substr($0, 1, 4) == "    " ? substr($0, 5) : "" }' "$README")
ran=0 example="" expected=""
flush_example() {
  [ -z "$example" ] || check_example "$example" "$expected"
  example="" expected=""
}
for l in "${lines[@]}" ""; do
  if [ -z "$l" ]; then flush_example
  elif [ "${l:0:2}" = '$ ' ]; then flush_example; example=${l:2}; ran=$((ran + 1))
  elif [ -n "$example" ]; then expected+="$l"$'\n'
  else case "$l" in
    '"'*) ;;  # a registry value, as the settings file holds it
    'eval "$(scripts/dbserver env)"'*)
      if out=$(run_line "$l"$'\n'"printf '%s\n' \"\$VELMORA_DB_PORT\"") && [ "$out" = "$VELMORA_DB_PORT" ]; then
        pass "runs: $l (the server's port, $VELMORA_DB_PORT)"
      else fail "runs: $l: wanted the port $VELMORA_DB_PORT, got" "$out"; fi
      ran=$((ran + 1)) ;;
    build/linux/velmora-host*|printf*velmora-host*|server/velmora-admin*) run_command "$l"; ran=$((ran + 1)) ;;
    scripts/demo*|scripts/test*|scripts/build*|scripts/bench*|scripts/fuzz*|scripts/soak*|scripts/release*|cmake*)
      printf 'skip %s (builds or tests everything; run on its own)\n' "$l" ;;
    *) fail "the README shows a command this test cannot run: $l" ;;
  esac; fi
done
if [ "$ran" -ge 10 ]; then pass "found $ran commands and examples in the README"
else fail "found only $ran commands and examples in the README"; fi

# The files of the examples: plain numbers, never one that is not a number.
for f in bbca.csv bbca.svg; do
  if [ -s "$WORK/$f" ] && ! grep -qiE 'nan|inf|e\+[0-9]' "$WORK/$f"; then pass "$f: written, plain numbers only"
  else fail "$f: missing, or it holds NaN, infinity or an exponent" "$(grep -iE 'nan|inf|e\+[0-9]' "$WORK/$f" 2>&1 | head -3)"; fi
done
# A held file with values that are not numbers (as a damaged store may
# give): the bar without prices is left out, the rest cleaned.
{ head -1 "$WORK/bbca.csv"; printf '%s\n' "2014-12-30,,nan,1,1,1,5,0" "2014-12-31,,1,2,1,2,nan,inf"; } >"$WORK/damaged.csv"
out=$(run_line "build/linux/velmora-host bars BBCA --daily --hold damaged.csv --csv out.csv --svg out.svg")
if ! grep -qiE 'nan|inf' "$WORK/out.csv" "$WORK/out.svg" && grep -q '^2014-12-31,,1,2,1,2,0,0$' "$WORK/out.csv" &&
   ! grep -q '^2014-12-30' "$WORK/out.csv" && grep -q "a price is not a number" <<<"$out"; then
  pass "a held bar without prices is left out, a volume that is not a number becomes 0"
else fail "held values that are not numbers reached the files" "$out"$'\n'"$(head -3 "$WORK/out.csv")"; fi

# The command line as a user meets it: a mistake is refused with exit 2 before
# the plug-in is loaded (the README's examples show the usage); a command's
# help tells its exit codes; --json prints one JSON value, or is refused where
# a command prints none.
host_case() {  # expected exit code, text the output must hold, arguments...
  local code=$1 text=$2 out rc; shift 2
  out=$(cd "$WORK" && timeout 60 build/linux/velmora-host "$@" 2>&1); rc=$?
  if [ $rc -eq "$code" ] && grep -qF -- "$text" <<<"$out"; then pass "velmora-host $*: exit $code"
  else fail "velmora-host $*: wanted exit $code and '$text'; got exit $rc" "$(head -8 <<<"$out")"; fi
}
host_case 2 "Exactly 1 option from [--daily,--intraday] is required and 2 were given" bars BBCA --daily --intraday
host_case 2 "--auto-connect: maybe not in {on,off}" configure --auto-connect maybe
host_case 2 "--capacity: Value 0 not in range 1 to 10000000" bars BBCA --daily --capacity 0
host_case 2 "--seconds: 1 required N" watch BBCA --seconds
host_case 2 "--seconds: Value x not in range" watch BBCA --seconds x
host_case 2 "tickers is required" watch
host_case 2 "21 tickers given; the plug-in's real-time table takes 20" watch $(seq -f 'T%02g' 1 21)
host_case 1 "the name is 64 characters long; a ticker name has at most 63" watch "$(printf 'L%.0s' $(seq 64))" --seconds 1
host_case 2 "--json: demo prints no JSON" --json demo
host_case 2 "unknown command 'frob'" frob
host_case 2 "bbca.csv holds more bars than the capacity 1" bars BBCA --daily --hold bbca.csv --capacity 1
host_case 0 "Exit codes: 0 bars came" bars --help
host_case 0 "Exit codes: 0 done, 1 failed, 2 usage error, 3 the plug-in is not connected" --help
for command in "client-id" "menu" "doctor" "bars BBCA --daily --again" "info" "updates"; do
  out=$(cd "$WORK" && timeout 60 build/linux/velmora-host $command --json 2>/dev/null); rc=$?
  if [ $rc -eq 0 ] && python3 -c 'import json, sys; json.loads(sys.stdin.read())' <<<"$out" 2>/dev/null; then
    pass "velmora-host $command --json: one JSON value"
  else fail "velmora-host $command --json: exit $rc, not one JSON value" "$(head -c 600 <<<"$out")"; fi
done

summary
