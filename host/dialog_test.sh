#!/usr/bin/env bash
# The configuration dialog and the directory import through the stand-in
# host, against the private server: natively on the headless dialog model,
# and under Wine on Xvfb with the real dialog, which the host drives through
# its controls. Both must show the same directory as the server holds (a
# second import's is the directory test's). The 32-bit DLL is built from the
# same resource script, whose version resource scripts/test checks in it.
#
# Needs a running private server (scripts/dbserver start) and the builds.
# Ends with "N passed, N failed".
set -uo pipefail

SCENARIO_LOG=${DIALOG_LOG:-.run/logs/dialog.log}
source "$(dirname "${BASH_SOURCE[0]}")/scenario_lib.sh"
: >"$LOG"
export VELMORA_CLIENT_ID=${VELMORA_CLIENT_ID:-velmora-ci}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# The parts of `import --json` that are the directory.
directory_of() {
  python3 -c 'import json,sys; d=json.load(open(sys.argv[1]))
print(json.dumps({k: d[k] for k in ("markets","groups","sectors","symbols","counts")}, sort_keys=True))' "$1"
}

# What the server holds.
SYMBOLS=$(sql "SELECT COUNT(*) FROM nvquotes_235")
INDICES=$(sql "SELECT COUNT(*) FROM nvquotes_235 WHERE BINARY CodeType IN ('Indices','INDICES','RegIdx')")
FIRST=$(sql "SELECT Ticker FROM nvquotes_235 LIMIT 1")
LAST_N=$((SYMBOLS - 1))
LAST=$(sql "SELECT Ticker FROM nvquotes_235 ORDER BY Ticker DESC LIMIT 1")
echo "server: $SYMBOLS symbols, $INDICES indices, first $FIRST"

export VELMORA_REGISTRY_DIR="$WORK/registry"

check_import() {  # label, text output
  local label=$1 out=$2
  expect "$label: the status line starts at the first symbol" "status: Retrieving symbol 0. - $FIRST" "$out"
  expect "$label: the status line counts every symbol" "status: Retrieving symbol $LAST_N. - $LAST" "$out"
  expect "$label: the status line ends done" "status: Retrieving all symbol done." "$out"
  check "$label: the status line's first step, last step and end, not one a symbol" 3 \
    "$(grep -c '^status:' <<<"$out")"
  expect "$label: the button stays disabled after the import" "Retrieve all symbols: disabled after the import" "$out"
  expect "$label: Configure returned 1" "Configure returned 1" "$out"
  expect "$label: the four markets" "Markets:    0 Undefined, 1 IDX, 2 IDX Derivatif, 3 World Market" "$out"
  expect "$label: every symbol of the server, its indices counted" \
    "Symbols:    $SYMBOLS (securities $((SYMBOLS - INDICES)), indices $INDICES)" "$out"
  local paints
  paints=$(sed -n 's/^status line painted \([0-9]*\) times/\1/p' <<<"$out")
  if [ "${paints:-0}" -ge "$((SYMBOLS + 1))" ]; then pass "$label: the status line was painted once a symbol ($paints)"
  else fail "$label: the status line was painted ${paints:-0} times for $SYMBOLS symbols"; fi
}

check_configure() {  # label, run-command prefix...
  local label=$1; shift
  local out
  out=$("$@" configure --auto-connect off --ok 2>>"$LOG"); printf '%s\n' "$out" >>"$LOG"
  expect "$label: the dialog's caption" 'dialog: "Velmora Configure"' "$out"
  expect "$label: OK is a plain push button" '1 push button "OK" visible enabled' "$out"
  expect "$label: Cancel" '2 push button "Cancel" visible enabled' "$out"
  expect "$label: the import button" '4008 push button "Retrieve all symbols" visible enabled' "$out"
  expect "$label: the sunken, empty status line" '4010 static sunken "" visible enabled' "$out"
  expect "$label: Auto Connect shows the setting" '4011 check box "Auto Connect" visible enabled ticked' "$out"
  expect "$label: the volume box is hidden" '4012 check box "Remove Quotation If Volume=0 (Intraday)" hidden' "$out"
  expect "$label: OK stores Auto Connect off" "settings: AutoConnect=0" "$out"
  expect "$label: Configure returns 1 after OK" "Configure returned 1" "$out"
  out=$("$@" configure --auto-connect on --cancel 2>>"$LOG"); printf '%s\n' "$out" >>"$LOG"
  expect "$label: the dialog opens with the stored value" "Auto Connect: unticked -> ticked" "$out"
  expect "$label: Cancel leaves the setting" "settings: AutoConnect=0" "$out"
  expect "$label: Configure returns 1 after Cancel" "Configure returned 1" "$out"
  out=$("$@" configure --auto-connect on --ok 2>>"$LOG"); printf '%s\n' "$out" >>"$LOG"
  expect "$label: OK stores Auto Connect on" "settings: AutoConnect=1" "$out"
}

echo "== natively, on the headless dialog"
write_settings "$VELMORA_REGISTRY_DIR" 1
out=$("$HOST" import 2>>"$LOG"); printf '%s\n' "$out" >>"$LOG"
check_import "native" "$out"
"$HOST" import --json >"$WORK/native1.json" 2>"$WORK/native1.err"
check "native: import --json prints its result and nothing else" "" "$(cat "$WORK/native1.err")"
directory_of "$WORK/native1.json" >"$WORK/native1.dir" 2>>"$LOG"
check "native: --json holds every symbol" "$SYMBOLS" \
  "$(python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))["symbols"]))' "$WORK/native1.json" 2>&1)"
check_configure "native" "$HOST"
write_settings "$VELMORA_REGISTRY_DIR" 0
err=$("$HOST" import 2>&1 >/dev/null)
check "native: without a connection, two messages in turn" \
  "[message box] You need to specify database.
[message box] You need to specify database, table and symbol field first" "$(grep '^\[message box\]' <<<"$err")"

for WIN in $(windows_builds); do
  W="Wine, $(word_size $WIN)"
  echo "== under $W on Xvfb, the real dialog"
  export EXE=build/$WIN/velmora-host.exe
  # One Wine session on one virtual display: a Wine desktop started without
  # a display shows no dialog.
  wineserver -w
  WOUT="$WORK/$WIN"
  mkdir -p "$WOUT"
  timeout 600 xvfb-run -a bash -c '
    source host/wine_lib.sh
    exe=$EXE
    wine_settings 1
    wine $exe import >"$0/import.txt" 2>"$0/import.err"
    wine $exe import --json >"$0/import1.json" 2>"$0/import1.err"
    wine $exe configure --auto-connect off --ok >"$0/configure1.txt" 2>>"$0/configure.err"
    wine $exe configure --auto-connect on --cancel >"$0/configure2.txt" 2>>"$0/configure.err"
    wine $exe configure --auto-connect on --ok >"$0/configure3.txt" 2>>"$0/configure.err"
    wine_settings 0
    wine $exe import >"$0/offline.txt" 2>"$0/offline.err"
    wine_settings 1' "$WOUT" >>"$LOG" 2>&1
  wineserver -w
  for f in "$WOUT"/*; do sed -i 's/\r$//' "$f"; { echo "--- $f"; cat "$f"; } >>"$LOG"; done
  check_import "$W" "$(cat "$WOUT/import.txt")"
  check "$W: import --json prints its result and nothing else" "" "$(cat "$WOUT/import1.err")"
  directory_of "$WOUT/import1.json" >"$WORK/$WIN-1.dir" 2>>"$LOG"
  if [ -s "$WORK/$WIN-1.dir" ] && cmp -s "$WORK/$WIN-1.dir" "$WORK/native1.dir"; then
    pass "$W: the same directory as the native host"
  else fail "$W: the directory differs from the native one" "$(diff <(tr ',' '\n' <"$WORK/native1.dir") <(tr ',' '\n' <"$WORK/$WIN-1.dir") | head)"; fi
  # The same checks of configure, on the outputs already made.
  replay() { case "$*" in
      *"off --ok") cat "$WOUT/configure1.txt";; *"on --cancel") cat "$WOUT/configure2.txt";;
      *"on --ok") cat "$WOUT/configure3.txt";; esac; }
  check_configure "$W" replay
  check "$W: without a connection, two real message boxes in turn" \
    "[message box] You need to specify database.
[message box] You need to specify database, table and symbol field first" \
    "$(grep '^\[message box\]' "$WOUT/offline.err")"
  expect "$W: the status line still ends done" "status: Retrieving all symbol done." "$(cat "$WOUT/offline.txt")"
done

summary
