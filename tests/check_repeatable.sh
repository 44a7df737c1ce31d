#!/usr/bin/env bash
# Builds the shipped program a second time, in another folder, and compares it
# byte for byte with the first build.
# Usage: check_repeatable.sh SOURCE_DIR FIRST_BUILD_EXE
set -euo pipefail
source_dir=$1 first=$2
second_dir=$(mktemp -d /tmp/tavrick-repeat.XXXXXX)
trap 'rm -rf "$second_dir"' EXIT
cd "$source_dir"
cmake --preset i686 -B "$second_dir" >/dev/null
cmake --build "$second_dir" --target TavrickSetup >/dev/null
if cmp "$first" "$second_dir/TavrickSetup.exe"; then
  echo "ok: two builds are byte-identical ($(stat -c %s "$first") bytes)"
else
  echo "FAILED: a second build differs from the first"
  exit 1
fi
