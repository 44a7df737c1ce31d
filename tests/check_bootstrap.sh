#!/usr/bin/env bash
# scripts/bootstrap goes on when apt-get update cannot fetch every index,
# installs from the release's own suite when the plain install fails then, and
# stops with one plain line, apt's own errors shown, when that fails too.
# Usage: check_bootstrap.sh BOOTSTRAP
set -euo pipefail
work=$(mktemp -d /tmp/tavrick-bootstrap.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
# A stand-in apt-get: its first UPDATE_FAILS updates and INSTALL_FAILS installs fail.
cat >"$work/bin/apt-get" <<'STAND_IN'
#!/bin/sh
echo "$*" >>"$WORK/calls"
case $1 in
update) [ "$(grep -c ^update "$WORK/calls")" -gt "$UPDATE_FAILS" ] && exit 0
  echo "E: Failed to fetch Packages.xz  File has unexpected size (1 != 2)." >&2 ;;
install) [ "$(grep -c ^install "$WORK/calls")" -gt "$INSTALL_FAILS" ] && exit 0
  echo "E: Unable to correct problems, you have held broken packages." >&2 ;;
*) exit 0 ;;
esac
exit 100
STAND_IN
chmod +x "$work/bin/apt-get"
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
# update fails | install fails | exit | installs made | the last install | output holds
rows=(
  "0|0|0|1|no-such-package|"
  "1|1|1|1|no-such-package|apt-get install failed"
  "99|1|0|2|-t $codename no-such-package|"
  "99|2|1|2|-t $codename no-such-package|apt-get install failed"
)
for row in "${rows[@]}"; do
  IFS='|' read -r update_fails install_fails want_exit want_installs want_last want_output <<<"$row"
  rm -f "$work/calls"
  status=0
  output=$(PATH=$work/bin:$PATH WORK=$work UPDATE_FAILS=$update_fails INSTALL_FAILS=$install_fails \
    TAVRICK_APT_RETRY_PAUSE=0 "$1" no-such-package 2>&1) || status=$?
  installs=$(grep ^install "$work/calls")
  if ((status != want_exit)) || [[ $(wc -l <<<"$installs") != "$want_installs" ||
    $(tail -n 1 <<<"$installs") != *"--no-install-recommends $want_last" || $output != *"$want_output"* ||
    $output == *"middle of an update"* ]]; then
    echo "FAILED: row $row: exit $status, installs:"$'\n'"$installs"$'\n'"said: $output"
    exit 1
  fi
done
echo "ok"
