#!/usr/bin/env bash
# The configuration dialog and the directory import through the stand-in
# host, against the private server: natively on the headless dialog model,
# and under Wine on Xvfb with the real dialog, which the host drives through
# its controls. Both must show the same directory as the server holds (a
# second import's is the directory test's).
set -uo pipefail

SCENARIO_LOG=${DIALOG_LOG:-.run/logs/dialog.log}
source "$(dirname "${BASH_SOURCE[0]}")/scenario_lib.sh"
: >"$LOG"
export VELMORA_CLIENT_ID=${VELMORA_CLIENT_ID:-velmora-ci}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export VELMORA_REGISTRY_DIR="$WORK/registry"

# What the server holds.
SYMBOLS=$(sql "SELECT COUNT(*) FROM nvquotes_235")
INDICES=$(sql "SELECT COUNT(*) FROM nvquotes_235 WHERE BINARY CodeType IN ('Indices','INDICES','RegIdx')")
FIRST=$(sql "SELECT Ticker FROM nvquotes_235 LIMIT 1")
LAST=$(sql "SELECT Ticker FROM nvquotes_235 ORDER BY Ticker DESC LIMIT 1")
echo "server: $SYMBOLS symbols, $INDICES indices, first $FIRST"

# What each half runs: $run is the host, `settings N` its AutoConnect, and
# every output lands in $out.
export SEQUENCE='
  settings 1
  $run import >"$out/import.txt" 2>"$out/import.err"
  $run import --json >"$out/import.json" 2>"$out/import-json.err"
  $run configure --auto-connect off --ok >"$out/configure1.txt" 2>>"$out/configure.err"
  $run configure --auto-connect on --cancel >"$out/configure2.txt" 2>>"$out/configure.err"
  $run configure --auto-connect on --ok >"$out/configure3.txt" 2>>"$out/configure.err"
  settings 0
  $run import >"$out/offline.txt" 2>"$out/offline.err"
  settings 1'

# Each of the lines is in the output (as a whole line or a part of one).
has() {  # description, output, lines...
  local what=$1 text=$2 line missing=""; shift 2
  for line; do grep -qF -- "$line" <<<"$text" || missing+="$line"$'\n'; done
  if [ -z "$missing" ]; then pass "$what"; else fail "$what" "missing:"$'\n'"$missing" "in:"$'\n'"$text"; fi
}

check_half() {  # label, folder of the outputs
  local W=$1 d=$2 paints
  for f in "$d"/*; do { echo "--- $f"; cat "$f"; } >>"$LOG"; done
  check "$W: the status line's first step, last step and end, not one a symbol" \
    "status: Retrieving symbol 0. - $FIRST"$'\n'"status: Retrieving symbol $((SYMBOLS - 1)). - $LAST
status: Retrieving all symbol done." "$(grep '^status:' "$d/import.txt")"
  has "$W: the button disabled after the import, Configure returned 1, the four markets, every symbol" \
    "$(cat "$d/import.txt")" "Retrieve all symbols: disabled after the import" "Configure returned 1" \
    "Markets:    0 Undefined, 1 IDX, 2 IDX Derivatif, 3 World Market" \
    "Symbols:    $SYMBOLS (securities $((SYMBOLS - INDICES)), indices $INDICES)"
  paints=$(sed -n 's/^status line painted \([0-9]*\) times/\1/p' "$d/import.txt")
  if [ "${paints:-0}" -gt "$SYMBOLS" ]; then pass "$W: the status line was painted once a symbol ($paints)"
  else fail "$W: the status line was painted ${paints:-0} times for $SYMBOLS symbols"; fi
  check "$W: import --json prints its result and nothing else" "" "$(cat "$d/import-json.err")"
  check "$W: --json holds every symbol" "$SYMBOLS" \
    "$(python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))["symbols"]))' "$d/import.json" 2>&1)"
  has "$W: the dialog, its controls, Auto Connect as stored; OK stores it off and returns 1" \
    "$(cat "$d/configure1.txt")" 'dialog: "Velmora Configure"' '1 push button "OK" visible enabled' \
    '2 push button "Cancel" visible enabled' '4008 push button "Retrieve all symbols" visible enabled' \
    '4010 static sunken "" visible enabled' '4011 check box "Auto Connect" visible enabled ticked' \
    '4012 check box "Remove Quotation If Volume=0 (Intraday)" hidden' "settings: AutoConnect=0" "Configure returned 1"
  has "$W: the dialog opens with the stored value; Cancel leaves the setting and returns 1" \
    "$(cat "$d/configure2.txt")" "Auto Connect: unticked -> ticked" "settings: AutoConnect=0" "Configure returned 1"
  expect "$W: OK stores Auto Connect on" "settings: AutoConnect=1" "$(cat "$d/configure3.txt")"
  check "$W: without a connection, two message boxes in turn" "[message box] You need to specify database.
[message box] You need to specify database, table and symbol field first" "$(grep '^\[message box\]' "$d/offline.err")"
  expect "$W: the status line still ends done" "status: Retrieving all symbol done." "$(cat "$d/offline.txt")"
  # The parts of `import --json` that are the directory, for the halves to compare.
  python3 -c 'import json,sys; d=json.load(open(sys.argv[1]))
print(json.dumps({k: d[k] for k in ("markets","groups","sectors","symbols","counts")}, sort_keys=True))' "$d/import.json" \
    >"$d.dir" 2>>"$LOG"
}

echo "== natively, on the headless dialog"
settings() { write_settings "$VELMORA_REGISTRY_DIR" "$1"; }
run=$HOST out=$WORK/native
mkdir "$out" && eval "$SEQUENCE"
check_half native "$out"

for WIN in $(windows_builds); do
  W="Wine, $(word_size $WIN)"
  echo "== under $W on Xvfb, the real dialog"
  # One Wine session on one virtual display: a Wine desktop started without
  # a display shows no dialog.
  wineserver -w
  export run="wine build/$WIN/velmora-host.exe" out=$WORK/$WIN
  mkdir "$out"
  timeout 600 xvfb-run -a bash -c 'source host/wine_lib.sh; settings() { wine_settings "$1"; }; eval "$SEQUENCE"' \
    >>"$LOG" 2>&1
  wineserver -w
  sed -i 's/\r$//' "$out"/*
  check_half "$W" "$out"
  if [ -s "$out.dir" ] && cmp -s "$out.dir" "$WORK/native.dir"; then pass "$W: the same directory as the native host"
  else fail "$W: the directory differs from the native one" "$(diff <(tr ',' '\n' <"$WORK/native.dir") <(tr ',' '\n' <"$out.dir") | head)"; fi
done

summary
