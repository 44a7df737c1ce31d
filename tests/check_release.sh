#!/usr/bin/env bash
# Makes the release zip from the i686 build and checks what is in it: the
# program, the same bytes as the build's, and the maintainer's notes.
# Usage: check_release.sh I686_BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
cmake --build "$build" --target package >/dev/null
zip=$(ls "$build"/release/TavrickSetup-*-i686.zip)
unpacked=$(mktemp -d /tmp/tavrick-release.XXXXXX)
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && cmake -E tar xf "$zip")
contents=$(cd "$unpacked" && find . -type f | sort | tr '\n' ' ')
if [[ $contents != "./MAINTAINER.txt ./TavrickSetup.exe " ]]; then
  echo "FAILED: $zip holds $contents"
  exit 1
fi
cmp "$unpacked/TavrickSetup.exe" "$build/TavrickSetup.exe"
grep -q 'Plugin\\Tavrick.dll' "$unpacked/MAINTAINER.txt"
if grep -q $'[^\r]$' "$unpacked/MAINTAINER.txt"; then
  echo "FAILED: MAINTAINER.txt has lines that do not end in CRLF"
  exit 1
fi
echo "ok: $(basename "$zip") holds the program and the maintainer's notes"
