#!/usr/bin/env bash
# scripts/bootstrap goes on when apt-get update cannot fetch every index,
# installs from the release's own suite when the plain install fails then, and
# stops with one plain line, apt's own errors shown, when that fails too; a
# lock that another apt keeps, and a user who is not root, get lines of their own.
# Usage: check_bootstrap.sh BOOTSTRAP
set -euo pipefail
work=$(mktemp -d /tmp/tavrick-bootstrap.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
# A stand-in apt-get: its first UPDATE_FAILS updates and INSTALL_FAILS installs
# fail, the installs with INSTALL_ERROR; and an id that reports the user ID_U.
cat >"$work/bin/apt-get" <<'STAND_IN'
#!/bin/sh
echo "$*" >>"$WORK/calls"
# Another apt holds the lock for a moment: without a timeout, apt gives up at once.
case "$*" in *"-o DPkg::Lock::Timeout="*) ;; *) echo "E: Could not get lock /var/lib/dpkg/lock" >&2; exit 100 ;; esac
case $1 in
update) [ "$(grep -c ^update "$WORK/calls")" -gt "$UPDATE_FAILS" ] && exit 0
  echo "E: Failed to fetch Packages.xz  File has unexpected size (1 != 2)." >&2 ;;
install) [ "$(grep -c ^install "$WORK/calls")" -gt "$INSTALL_FAILS" ] && exit 0
  echo "E: $INSTALL_ERROR" >&2 ;;
*) exit 0 ;;
esac
exit 100
STAND_IN
printf '#!/bin/sh\necho "$ID_U"\n' >"$work/bin/id"
chmod +x "$work/bin/apt-get" "$work/bin/id"
broken="Unable to correct problems, you have held broken packages."
locked="Could not get lock /var/lib/dpkg/lock-frontend. It is held by process 42 (apt-get)"
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
# update fails | install fails | why | user | exit | installs made | the last install | last line holds
rows=(
  "0|0|$broken|0|0|1|no-such-package|"
  "1|1|$broken|0|1|1|no-such-package|apt-get install failed"
  "99|1|$broken|0|0|2|-t $codename no-such-package|"
  "99|2|$broken|0|1|2|-t $codename no-such-package|apt-get install failed"
  "0|1|$locked|0|1|1|no-such-package|lock /var/lib/dpkg/lock-frontend: another apt"
  "0|0|$broken|1000|1|0||needs root: run sudo scripts/bootstrap"
)
for row in "${rows[@]}"; do
  IFS='|' read -r update_fails install_fails why user want_exit want_installs want_last want_output \
    <<<"$row"
  : >"$work/calls"
  status=0
  output=$(PATH=$work/bin:$PATH WORK=$work UPDATE_FAILS=$update_fails INSTALL_FAILS=$install_fails \
    INSTALL_ERROR=$why ID_U=$user TAVRICK_APT_RETRY_PAUSE=0 "$1" no-such-package 2>&1) || status=$?
  installs=$(grep ^install "$work/calls" || true)
  if ((status != want_exit)) || [[ $(grep -c . <<<"$installs") != "$want_installs" ||
    $(tail -n 1 <<<"$installs") != *"${want_last:+--no-install-recommends }$want_last" || $(tail -n 1 <<<"$output") != *"$want_output"* ]]; then
    echo "FAILED: row $row: exit $status, installs:"$'\n'"$installs"$'\n'"said: $output"
    exit 1
  fi
done
echo "ok"
