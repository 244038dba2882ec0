#!/usr/bin/env bash
# The installer in the Windows lane's prefix, silent and with no display,
# once for each host word size that runs here: the DLL it leaves, the
# settings (and no other value) it writes, the client id it records, the
# stand-in host of that word size connecting through the installed DLL, and
# nothing of it left after the uninstaller. Then, with the ODBC driver
# registered only in the other word size's registry view, the warning, an
# installation all the same, and an uninstall that keeps the settings.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../host/scenario_lib.sh"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
BUILDS=$(windows_builds)
[ -n "$BUILDS" ] || { echo "no Windows build runs here"; summary; exit; }

SETTINGS='HKCU\Software\ZUZ\Velmora\Velmora'
ODBCINST='HKLM\SOFTWARE\ODBC\ODBCINST.INI'
DRIVER='MySQL ODBC 3.51 Driver'
UNINSTALL='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall'
# The value lines of a key, sorted, without reg's header and carriage returns.
values() { wine reg query "$@" 2>/dev/null | tr -d '\r' | sed -n 's/^    //p' | sort; }
# Several reg commands in one Wine start, from a batch file (a command line
# would lose their quotes on its way into cmd).
regs() {
  printf '%s\r\n' "$@" >"$WORK/reg.bat"
  wine cmd /c "Z:${WORK//\//\\}\\reg.bat" >>"$LOG" 2>&1
}
# The driver as its own installer registers it, in one registry view only,
# and gone from the other.
driver_only_in() {  # 32 or 64
  local other=$((96 - $1))
  regs "reg delete \"$ODBCINST\\$DRIVER\" /f /reg:$other" \
       "reg delete \"$ODBCINST\\ODBC Drivers\" /v \"$DRIVER\" /f /reg:$other" \
       "reg add \"$ODBCINST\\$DRIVER\" /v Driver /d C:\\Windows\\System32\\myodbc3.dll /f /reg:$1" \
       "reg add \"$ODBCINST\\$DRIVER\" /v Setup /d C:\\Windows\\System32\\myodbc3S.dll /f /reg:$1" \
       "reg add \"$ODBCINST\\ODBC Drivers\" /v \"$DRIVER\" /d Installed /f /reg:$1"
}
install() {  # bits, folder, auto-connect
  env -u DISPLAY -u VELMORA_CLIENT_ID wine "$WORK/setup.exe" /S /HOST=$1 "/SERVER=$VELMORA_DB_HOST" \
    "/PORT=$VELMORA_DB_PORT" /AUTOCONNECT=$3 "/D=C:\\velmora-test\\$2" >>"$LOG" 2>&1
  local rc=$?
  wineserver -w
  return $rc
}
# The uninstaller hands over to a copy of itself and ends at once: wait (on
# a busy machine, for up to 30 s) until the copy has removed it, then for
# every Wine process.
uninstall() {  # folder, options...
  env -u DISPLAY wine "C:\\velmora-test\\$1\\velmora-uninstall.exe" /S "${@:2}" >>"$LOG" 2>&1
  for _ in $(seq 60); do [ -e "$WINEPREFIX/drive_c/velmora-test/$1/velmora-uninstall.exe" ] || break; sleep 0.5; done
  wineserver -w
}

target=amd64-unicode; [[ " $BUILDS " != *" win32 "* ]] || target=""
echo "== the installer${target:+, built as a 64-bit program: 32-bit programs do not run here}"
if scripts/release installer "$WORK/setup.exe" $target >>"$LOG" 2>&1; then
  pass "makensis builds the installer"
else fail "makensis builds the installer" "$(tail -5 "$LOG")"; exit 1; fi
wineserver -w
# A settings key with a value of the user's own beside the old settings.
regs "reg delete HKCU\\Software\\ZUZ /f" "reg add $SETTINGS /v ServerPort /d 1 /f" \
     "reg add $SETTINGS /v Theme /d \"left as it was\" /f"
ID=$(env -u VELMORA_CLIENT_ID wine "build/${BUILDS%% *}/velmora-host.exe" client-id 2>>"$LOG" | tr -d '\r')

for WIN in $BUILDS; do
  bits=${WIN#win}
  dll=velmora.dll; [ "$bits" = 32 ] || dll=velmora64.dll
  dir="$WINEPREFIX/drive_c/velmora-test/Plugins$bits"
  W="$(word_size $WIN) host"
  echo "== $W: installed, connected, uninstalled"
  driver_only_in "$bits"
  install "$bits" "Plugins$bits" 1
  check "$W: the silent installer's exit code, with no display" 0 $?

  files=$(ls "$dir" 2>/dev/null | sort | tr '\n' ' ')
  location=$(values "$UNINSTALL\\Velmora ($bits-bit host)" /v InstallLocation)
  if [ "$files" = "$(printf '%s\n' $dll velmora-client-id.txt velmora-uninstall.exe | sort | tr '\n' ' ')" ] &&
     [ "$(objdump -h "$dir/$dll" 2>&1 | grep -oE '\.(gnu_debuglink|debug_info)' | sort -u)" = .gnu_debuglink ] &&
     [[ $location == *"C:\\velmora-test\\Plugins$bits" ]]; then
    pass "$W: $dll (stripped, naming its symbols), the client id file and the uninstaller, registered for the folder"
  else fail "$W: the folder holds '$files'; uninstall entry '$location'"; fi

  check "$W: the three settings written, the user's own value kept" "$(printf '%s\n' "AutoConnect    REG_DWORD    0x1" \
    "ServerAddress    REG_SZ    $VELMORA_DB_HOST" "ServerPort    REG_SZ    $VELMORA_DB_PORT" "Theme    REG_SZ    left as it was" | sort)" \
    "$(values "$SETTINGS")"

  record=$(tr -d '\r' <"$dir/velmora-client-id.txt" 2>/dev/null)
  if [ -n "$ID" ] && grep -qxF "Velmora client id: $ID" <<<"$record" && ! grep -q Warning <<<"$record"; then
    pass "$W: the client id file holds the host's id ($ID), and no driver warning"
  else fail "$W: the client id file, the host's id being '$ID'" "$record"; fi

  status=$(env -u VELMORA_CLIENT_ID timeout 120 xvfb-run -a \
    wine "build/$WIN/velmora-host.exe" --plugin "C:\\velmora-test\\Plugins$bits\\$dll" status 2>>"$LOG" | tr -d '\r')
  wineserver -w
  expect "$W: the host connects through the installed $dll" "Status:        Conn (colour #00FF00" "$status"

  uninstall "Plugins$bits" /REMOVESETTINGS
  left=$(ls -A "$dir" 2>/dev/null)
  entry=$(values "$UNINSTALL\\Velmora ($bits-bit host)")
  if [ -z "$left" ] && [ -z "$entry" ] && ! wine reg query 'HKCU\Software\ZUZ' >/dev/null 2>&1; then
    pass "$W: after the uninstaller (settings too) no file, entry or key remains"
  else fail "$W: after the uninstaller" "files: $left"$'\n'"entry: $entry"$'\n'"$(values "$SETTINGS")"; fi
done

# The last word size again, its driver registered only in the other view.
echo "== $W: no driver for $bits-bit programs"
driver_only_in $((96 - bits))
install "$bits" Missing 0; rc=$?
record=$(tr -d '\r' <"$WINEPREFIX/drive_c/velmora-test/Missing/velmora-client-id.txt" 2>/dev/null)
if [ $rc = 0 ] && [ -f "$WINEPREFIX/drive_c/velmora-test/Missing/$dll" ] &&
   grep -q "Warning: the ODBC driver \"$DRIVER\" is not installed for $bits-bit programs" <<<"$record" &&
   [ "$(values "$SETTINGS" /v AutoConnect)" = "AutoConnect    REG_DWORD    0x0" ]; then
  pass "$W: the warning names the driver and the word size, and $dll is installed all the same"
else fail "$W: with no driver (exit $rc)" "$record"; fi
uninstall Missing
if [ -z "$(ls -A "$WINEPREFIX/drive_c/velmora-test/Missing" 2>/dev/null)" ] &&
   [ "$(values "$SETTINGS" /v ServerPort)" = "ServerPort    REG_SZ    $VELMORA_DB_PORT" ]; then
  pass "$W: the uninstaller not asked to remove the settings keeps them"
else fail "$W: the uninstall that keeps the settings" "$(values "$SETTINGS")"; fi
regs "reg delete HKCU\\Software\\ZUZ /f" "reg delete $ODBCINST /f /reg:32" "reg delete $ODBCINST /f /reg:64"
rm -rf "$WINEPREFIX/drive_c/velmora-test"

summary
