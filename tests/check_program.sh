#!/usr/bin/env bash
# Static checks of the shipped 32-bit program: PE machine and subsystem, entry
# point, imports and resources.
# Usage: check_program.sh PROGRAM.exe PROGRAM.map (TavrickSetup or PluginSetup)
set -uo pipefail
exe=$1 map=$2
objdump=i686-w64-mingw32-objdump
windres=i686-w64-mingw32-windres
failures=0
check() {  # description, then a command that must succeed
  local description=$1
  shift
  if "$@"; then
    echo "ok: $description"
  else
    echo "FAILED: $description"
    failures=$((failures + 1))
  fi
}

headers=$($objdump -p "$exe") || { echo "FAILED: $exe is no PE file"; exit 1; }
resources=$($windres -i "$exe" -O rc)

check "PE32 for Intel 386" grep -q 'file format pei-i386' <<<"$headers"
check "GUI subsystem" grep -qE 'Subsystem\s+00000002' <<<"$headers"

entry=$(awk '/AddressOfEntryPoint/ {print $2}' <<<"$headers")
base=$(awk '/^ImageBase/ {print $2}' <<<"$headers")
setup_entry=$(awk '$2 == "SetupEntry" || $2 == "_SetupEntry" {print $1; exit}' "$map")
check "entry point is SetupEntry" \
  test -n "$setup_entry" -a $((16#$base + 16#$entry)) -eq $((setup_entry))

dlls=$(grep 'DLL Name:' <<<"$headers" | awk '{print toupper($3)}' | sort | tr '\n' ' ')
check "imports only KERNEL32, USER32, ADVAPI32, SHELL32, OLE32 (got: $dlls)" \
  test "$dlls" = "ADVAPI32.DLL KERNEL32.DLL OLE32.DLL SHELL32.DLL USER32.DLL "

expected_dialog='1002 DIALOG 0, 0, 241, 55
STYLE 0x90c808c4
FONT 8, "MS Sans Serif"
BEGIN
  CONTROL "NSIS:", 65535, "STATIC", 0x50000000, 37, 12, 19, 12
  CONTROL "", 1004, "EDIT", 0x50810000, 59, 10, 152, 12
  CONTROL "...", 1005, "BUTTON", 0x50010300, 215, 10, 15, 12
  CONTROL "&Install", 1, "BUTTON", 0x50010300, 179, 35, 50, 14
  CONTROL "&Cancel", 2, "BUTTON", 0x50010000, 12, 35, 50, 14
  CONTROL 1001, 1003, "STATIC", 0x50000003, 7, 5, 21, 20
END'
dialog=$(awk '/^1002 DIALOG/,/^END/' <<<"$resources")
check "dialog 1002 as laid out" test "$dialog" = "$expected_dialog"
# Screen readers name the field after the static text just before it.
label_precedes_field() {
  grep -A1 -x '  CONTROL "NSIS:".*' <<<"$dialog" | tail -n 1 | grep -q '^  CONTROL "", 1004, "EDIT"'
}
check "the NSIS: label directly precedes the field" label_precedes_field

check "icon group 1001" grep -q '^1001 14 ' <<<"$resources"
check "two icon images" test "$(grep -c '^[0-9]* 3 /\* RT_ICON' <<<"$resources")" -eq 2
check "English (United States) resources" \
  test "$(grep '^LANGUAGE' <<<"$resources" | sort -u)" = "LANGUAGE 9, 1"
check "one manifest, no default one beside it" \
  test "$(grep -c ' 24 /\* RT_MANIFEST' <<<"$resources")" -eq 1
check "manifest runs as the invoker" grep -q 'level="asInvoker"' "$exe"
check "version information" grep -q '^1 VERSIONINFO' <<<"$resources"

((failures == 0))
