# Sourced by the scripts that run Windows programs: a private Xvfb display,
# a throwaway Wine prefix and a persistent wineserver, all stopped on exit.
# A prefix runs 64-bit programs with $WINE64 and 32-bit ones with $WINE32.

WINE64=/usr/lib/wine/wine64
WINE32=/usr/lib/wine/wine
WINE=$WINE64
WINESERVER=/usr/lib/wine/wineserver

wine_session_stop() {
  if [[ -n "${WINEPREFIX:-}" && -d "$WINEPREFIX" ]]; then
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
  if [[ -n "${TAVRICK_ROOT_DIR:-}" ]]; then
    rm -rf "$TAVRICK_ROOT_DIR"
  fi
  if [[ -n "${XVFB_PID:-}" ]]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
}

# Starts Xvfb on a display that it picks itself and exports DISPLAY.
wine_session_display() {
  local number line
  number=$(mktemp /tmp/tavrick-display.XXXXXX)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
  XVFB_PID=$!
  local deadline=$((SECONDS + 20))
  # The number is complete once its line is.
  until read -r line <"$number" && [[ -n $line ]]; do
    if ((SECONDS > deadline)) || ! kill -0 "$XVFB_PID" 2>/dev/null; then
      echo "wine-session: Xvfb did not start" >&2
      rm -f "$number"
      return 1
    fi
    sleep 0.05
  done
  export DISPLAY=":$line"
  rm -f "$number"
}

# Makes a fresh prefix and keeps its wineserver up until wine_session_stop. A
# program that crashes there prints Wine's report and ends, instead of waiting
# for ever behind a crash dialog that nobody can answer.
wine_session_prefix() {
  export WINEPREFIX
  WINEPREFIX=$(mktemp -d /tmp/tavrick-wine.XXXXXX)
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko install prompts
  "$WINESERVER" -p
  "$WINE" wineboot -i >/dev/null 2>&1
  "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >/dev/null 2>&1
  # The server writes the registry to the prefix's files as it stops; a copy
  # of the prefix (tests/no_display.sh) needs them.
  "$WINESERVER" -k
  "$WINESERVER" -w
  "$WINESERVER" -p
}

# On a display without a window manager, Wine waits two seconds for every
# managed window that closes; windows it does not hand to a manager close at once.
wine_session_unmanaged() {
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

# Maps drive R: to an empty folder, for running a program from a drive's root.
wine_session_root_drive() {
  TAVRICK_ROOT_DIR=$(mktemp -d /tmp/tavrick-drive.XXXXXX)
  ln -sfn "$TAVRICK_ROOT_DIR" "$WINEPREFIX/dosdevices/r:"
  export TAVRICK_ROOT_DRIVE=R:
}

# The Windows path of a Linux path, through the Z: drive that Wine maps to /.
winepath_of() {
  local absolute
  absolute=$(realpath "$1")
  echo "Z:${absolute//\//\\}"
}
