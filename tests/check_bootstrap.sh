#!/usr/bin/env bash
# scripts/bootstrap tries apt-get update again while the mirror is mid-sync,
# and gives up with one plain line, apt's own errors shown, when it stays so.
# Usage: check_bootstrap.sh BOOTSTRAP
set -euo pipefail
work=$(mktemp -d /tmp/tavrick-bootstrap.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
# A stand-in apt-get whose first FAILS updates fail as a mirror mid-sync makes them.
cat >"$work/bin/apt-get" <<'STAND_IN'
#!/bin/sh
[ "$1" = update ] || exit 0
echo x >>"$WORK/updates"
[ "$(wc -l <"$WORK/updates")" -gt "$FAILS" ] && exit 0
echo "E: Failed to fetch Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress?" >&2
exit 100
STAND_IN
chmod +x "$work/bin/apt-get"
bootstrap() {
  rm -f "$work/updates"
  PATH=$work/bin:$PATH WORK=$work FAILS=$1 TAVRICK_APT_RETRY_PAUSE=0 "$BOOTSTRAP" no-such-package 2>&1
}
BOOTSTRAP=$1
bootstrap 1 >/dev/null || { echo "FAILED: one failed update stopped the bootstrap"; exit 1; }
if output=$(bootstrap 99); then
  echo "FAILED: the bootstrap went on after every update failed"
  exit 1
fi
[[ $output == *"Mirror sync in progress?"* && $output == *"mirror is in the middle of an update"* ]] ||
  { echo "FAILED: the bootstrap said: $output"; exit 1; }
echo "ok"
