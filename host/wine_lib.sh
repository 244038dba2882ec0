# What the suites' Windows halves share: which Windows builds run, their
# labels, and the plug-in's settings in the Wine prefix's registry. Sourced,
# also inside each virtual display's `bash -c` (xvfb-run, a POSIX shell
# script, passes no exported function on).

export WINEPREFIX=${WINEPREFIX:-$PWD/.run/wine} WINEDEBUG=${WINEDEBUG:--all}
# The plug-in's settings key, under the current user.
SETTINGS_KEY='Software\ZUZ\Velmora\Velmora'

# The Windows builds to run (scripts/test says which): "win32 win64", "win64" or nothing.
windows_builds() {
  if [ -n "${VELMORA_WINDOWS_BUILDS+set}" ]; then echo "$VELMORA_WINDOWS_BUILDS"; return; fi
  command -v wine >/dev/null && [ -x build/win64/velmora-host.exe ] && echo win64
}
word_size() { case "$1" in win32) echo 32-bit;; *) echo 64-bit;; esac; }

# The private server and AutoConnect (default 1) for the plug-in of either
# word size: the key is the current user's, which Windows does not split
# between 32- and 64-bit programs.
wine_settings() {
  local key="HKCU\\$SETTINGS_KEY"
  { wine reg add "$key" /v ServerAddress /t REG_SZ /d "$VELMORA_DB_HOST" /f &&
    wine reg add "$key" /v ServerPort /t REG_SZ /d "$VELMORA_DB_PORT" /f &&
    wine reg add "$key" /v AutoConnect /t REG_DWORD /d "${1:-1}" /f; } >/dev/null 2>&1
}
