#!/usr/bin/env bash
# The package, installed by the setup program into an NSIS folder laid out
# from Debian's NSIS data, works with the real makensis: the installed example
# compiles, and a script that leaves out Unicode false stops at the header.
# Usage: check_makensis.sh WINE INSTALL_DRIVER SETUP_EXE PLUGIN_DLL
set -euo pipefail
wine=$1 driver=$2 setup=$3 plugin=$4
work=$(mktemp -d /tmp/tavrick-makensis.XXXXXX)
trap 'rm -rf "$work"' EXIT
windows() { echo "Z:${1//\//\\}"; }

nsis=$work/NSIS
mkdir -p "$nsis"/{Docs,Examples}
cp -r /usr/share/nsis/{Include,Plugins,Stubs,Contrib} "$nsis/"
printf 'MZ stand-in for the NSIS compiler' >"$nsis/makensis.exe"

completion=$("$wine" "$driver" "$(windows "$setup")" "$(windows "$work/package")" \
  "$(windows "$nsis")" "$(windows "$plugin")" | tr -d '\r')
if [[ $completion != "Installation complite"*'"Unicode false"'* ]]; then
  echo "FAILED: the completion box said: $completion"
  exit 1
fi
if [[ ! -f $nsis/Plugins/x86-ansi/Tavrick.dll || -e $nsis/Plugins/x86-unicode/Tavrick.dll ]]; then
  echo "FAILED: the plug-in is not in Plugins/x86-ansi alone"
  exit 1
fi

if ! NSISDIR=$nsis makensis -V2 "$nsis/Examples/Tavrick/TavrickTest.nsi"; then
  echo "FAILED: the installed example does not compile"
  exit 1
fi
printf '!include Tavrick.nsh\nOutFile unicode.exe\nSection\nSectionEnd\n' >"$work/unicode.nsi"
if output=$(cd "$work" && NSISDIR=$nsis makensis -V2 unicode.nsi 2>&1); then
  echo "FAILED: a Unicode script that includes the header compiled"
  exit 1
fi
if [[ $output != *"!error: Tavrick is an ANSI plug-in: put 'Unicode false'"* ]]; then
  echo "FAILED: the Unicode script stopped for another reason: $output"
  exit 1
fi
echo "ok: the installed example compiles, and a Unicode script stops at the header"
