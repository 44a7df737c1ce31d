#!/usr/bin/env bash
# Runs a program that crashes under Wine and checks that it ends at once, with
# Wine's report of the crash on its output. (Its exit status is not checked:
# Wine sometimes gives 0 after a crash; the tests fail on the report instead.)
# Usage: check_crash.sh WINE_LOADER crash_probe.exe
set -uo pipefail
wine=$1 probe=$2
start=$SECONDS
output=$(timeout 60 "$wine" "$probe" 2>&1)
status=$?
if ((status == 124)); then
  echo "FAILED: the crashed program was still running after 60 s"
  exit 1
fi
if ! grep -qi 'unhandled exception' <<<"$output"; then
  echo "FAILED: no report of the crash; the program printed:"
  echo "$output"
  exit 1
fi
echo "ok: the crash ended (status $status) after $((SECONDS - start)) s, reported as:"
grep -i -m 3 -A 2 'unhandled exception' <<<"$output"
