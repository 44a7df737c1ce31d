#!/usr/bin/env bash
# Runs a Windows program where no display is to be had: in a copy of the
# suites' Wine prefix, with a wineserver of its own and no DISPLAY, where Wine
# says so whenever a program tries to make a window.
# Usage: no_display.sh WINE PROGRAM [ARGUMENTS...]
set -euo pipefail
wine=$1
shift
copy=$(mktemp -d /tmp/tavrick-nodisplay.XXXXXX)
trap 'WINEPREFIX=$copy /usr/lib/wine/wineserver -k 2>/dev/null; rm -rf "$copy"' EXIT
cp -al "$WINEPREFIX/." "$copy/"  # linked, not copied: the registry alone is written in place
for hive in "$copy"/*.reg; do
  cp --remove-destination "$WINEPREFIX/${hive##*/}" "$hive"
done
export WINEPREFIX=$copy
unset DISPLAY
# The server's own services try for a desktop as they start; only what the
# program does afterwards is to be told.
/usr/lib/wine/wineserver -p
"$wine" cmd.exe /c exit >/dev/null 2>&1
WINEDEBUG=-all,err+winediag TAVRICK_NO_DISPLAY=1 "$wine" "$@"
