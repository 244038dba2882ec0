#!/usr/bin/env bash
# The README's pictures, taken from a virtual display where Wine runs the
# installer and the plug-in's configuration dialog:
#   installer/pictures.sh SETUP.EXE OUTDIR
# writes installer-settings.png, installer-folder.png, installer-finish.png
# and configure-dialog.png. Called by scripts/release with wine (the Windows
# lane's) first on PATH; a fresh Wine prefix of its own holds the settings a
# trader's machine would, and the ODBC driver registered.
set -euo pipefail
setup=$(realpath "$1") out=$(realpath -m "$2")
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mkdir -p "$out"
export WINEPREFIX WINEDEBUG=-all
WINEPREFIX=$(mktemp -d)/wine
trap 'wineserver -k 2>/dev/null || true; rm -rf "$(dirname "$WINEPREFIX")"' EXIT
{ wine wineboot -i && wineserver -w; } >/dev/null 2>&1
cat >"$WINEPREFIX/drive_c/setup.bat" <<'BAT'
reg add HKCU\Software\ZUZ\Velmora\Velmora /v ServerAddress /d data.example.com /f
reg add HKCU\Software\ZUZ\Velmora\Velmora /v ServerPort /d 3306 /f
reg add "HKLM\SOFTWARE\ODBC\ODBCINST.INI\MySQL ODBC 3.51 Driver" /v Driver /d C:\Windows\System32\myodbc3.dll /f /reg:32
reg add "HKLM\SOFTWARE\ODBC\ODBCINST.INI\MySQL ODBC 3.51 Driver" /v Driver /d C:\Windows\System32\myodbc3.dll /f /reg:64
BAT
sed -i 's/$/\r/' "$WINEPREFIX/drive_c/setup.bat"
wine cmd /c 'C:\setup.bat' >/dev/null 2>&1

export SETUP=$setup OUT=$out
timeout 300 xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
  [ -z "${PICTURES_TRACE:-}" ] || set -x
  set -e
  shot() { xwd -silent -id "$1" | xwdtopnm 2>/dev/null | pnmtopng >"$OUT/$2.png"; }
  painted() { [ "$(pngtopnm "$OUT/$1.png" | ppmhist -noheader | wc -l)" -gt 2 ]; }
  # The installer, page by page: Enter presses the default button.
  wine "$SETUP" "/D=C:\\Charting\\Plugins" &
  w=$(xdotool search --sync --name "Setup$" | head -1)
  sleep 3
  xdotool key --window "$w" Return 2>/dev/null; sleep 2; shot "$w" installer-settings
  xdotool key --window "$w" Return 2>/dev/null; sleep 2; shot "$w" installer-folder
  xdotool key --window "$w" Return 2>/dev/null; sleep 8; shot "$w" installer-finish
  xdotool key --window "$w" Return 2>/dev/null
  wineserver -w
  # The dialog is closed again within a few tens of milliseconds: the host
  # is stopped as soon as the window is there, photographed, and let go.
  # AutoConnect off: the example server does not exist.
  wine reg add "HKCU\\Software\\ZUZ\\Velmora\\Velmora" /v AutoConnect /t REG_DWORD /d 0 /f >/dev/null 2>&1
  for try in 1 2 3; do
    wine build/win64/velmora-host.exe --plugin build/win64/velmora64.dll configure >/dev/null 2>&1 &
    host=$!
    w=""
    until=$((SECONDS + 30))
    while kill -0 $host 2>/dev/null && [ -z "$w" ] && [ $SECONDS -lt $until ]; do
      w=$(xdotool search --onlyvisible --name "^Velmora Configure$" 2>/dev/null | head -1) || true
    done
    if [ -n "$w" ] && pid=$(xdotool getwindowpid "$w") && kill -STOP "$pid"; then
      # A window not painted yet is one colour:
      # the host gets a few milliseconds more, in which it paints before its
      # timer fires (a window paints before its timers run).
      taken=0
      for slice in 0 0.01 0.02 0.04 0.08; do
        [ $slice = 0 ] || { kill -CONT "$pid"; sleep $slice; kill -STOP "$pid"; }
        if shot "$w" configure-dialog 2>/dev/null && painted configure-dialog; then
          taken=1; break
        fi
      done
      kill -CONT "$pid"; wait $host || true
      [ $taken = 0 ] || break
    fi
    kill $host 2>/dev/null || true
    wait $host || true
  done
  wineserver -w'
# The pages were gone through as a trader would: the installation is there.
plugins=$WINEPREFIX/drive_c/Charting/Plugins
if [ -f "$plugins/velmora.dll" ] && grep -q '^Velmora client id: [0-9a-f-]\{36\}' "$plugins/velmora-client-id.txt"; then
  echo "   interactive installation: velmora.dll and the client id file in C:\Charting\Plugins"
else
  echo "pictures: the interactive installation left no velmora.dll or client id in C:\Charting\Plugins" >&2
  exit 1
fi
for f in installer-settings installer-folder installer-finish configure-dialog; do
  [ "$(pngtopnm "$out/$f.png" 2>/dev/null | ppmhist -noheader | wc -l)" -gt 2 ] ||
    { echo "pictures: $f.png was not taken" >&2; exit 1; }
done
