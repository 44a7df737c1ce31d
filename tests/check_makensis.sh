#!/usr/bin/env bash
# For each kind of NSIS that users have, the package installed by the setup
# program works with Debian's real makensis set up as that user's would be: a
# script that begins with the line the completion box advises, includes the
# installed header and calls the plug-in compiles, and so does the installed
# example. A script without that line stops at the header. A three-target
# plug-in, installed by PluginSetup.exe from its description, serves a script
# of each target, and so does the same plug-in packed into one file. Once each
# setup has removed its package, makensis no longer finds the plug-in.
# Usage: check_makensis.sh WINE INSTALL_DRIVER SETUP_EXE PLUGIN_DLL PLUGIN_SETUP_EXE PLUGIN64_DLL
set -euo pipefail
wine=$1 driver=$2 setup=$3 plugin=$4 plugin_setup=$5 plugin64=$6
work=$(mktemp -d /tmp/tavrick-makensis.XXXXXX)
trap 'rm -rf "$work"' EXIT
windows() { echo "Z:${1//\//\\}"; }
fail() {
  echo "FAILED ($kind): $*"
  exit 1
}

# An NSIS folder from Debian's data with the given plug-in folders (none for
# the NSIS 2 layout) and a stand-in makensis.exe.
lay_out_nsis() {
  local nsis=$1 folder
  shift
  mkdir -p "$nsis"/{Docs,Examples,Plugins}
  cp -r /usr/share/nsis/{Include,Stubs,Contrib} "$nsis/"
  for folder; do cp -r "/usr/share/nsis/Plugins/$folder" "$nsis/Plugins/"; done
  printf 'MZ stand-in for the NSIS compiler' >"$nsis/makensis.exe"
}

# The README's three-target plug-in, Widget, as its author ships it.
widget=$work/widget
mkdir -p "$widget"/Plugins/{x86-ansi,x86-unicode,amd64-unicode} "$widget/Examples"
cp "$plugin" "$widget/Plugins/x86-ansi/Widget.dll"
cp "$plugin" "$widget/Plugins/x86-unicode/Widget.dll"
cp "$plugin64" "$widget/Plugins/amd64-unicode/Widget.dll"
printf '!macro WidgetHello\r\n  Widget::Hello\r\n!macroend\r\n' >"$widget/Widget.nsh"
printf 'Widget\r\n' >"$widget/Readme.txt"
printf 'OutFile widget.exe\r\n!include Widget.nsh\r\nSection\r\n  !insertmacro WidgetHello\r\nSectionEnd\r\n' \
  >"$widget/Examples/Widget.nsi"
cp "$plugin_setup" "$widget/WidgetSetup.exe"
printf '%s\r\n' '[Package]' 'Name=Widget' 'Title=Widget plug-in for NSIS' '' '[Files]' \
  'Plugins\x86-ansi\Widget.dll=Plugins\x86-ansi\Widget.dll' \
  'Plugins\x86-unicode\Widget.dll=Plugins\x86-unicode\Widget.dll' \
  'Plugins\amd64-unicode\Widget.dll=Plugins\amd64-unicode\Widget.dll' \
  'Include\Widget.nsh=Widget.nsh' 'Docs\Widget\Readme.txt=Readme.txt' \
  'Examples\Widget\Widget.nsi=Examples\Widget.nsi' >"$widget/WidgetSetup.ini"

# The same, packed into one file by /PACK=, alone in a folder of its own.
mkdir "$work/packed"
"$wine" "$(windows "$widget/WidgetSetup.exe")" "/PACK=$(windows "$work/packed/WidgetSetup.exe")" \
  >/dev/null || fail "WidgetSetup.exe /PACK= did not complete"

# kind | plug-in folders | makensis options | NSISDIR names it, the registry another
# Kinds named widget-* install Widget with WidgetSetup.exe /S (widget-packed-*
# with the packed one), and their last field is the script's first line.
while IFS='|' read -r kind folders options nsisdir; do
  nsis=$work/$kind/NSIS registered=$nsis
  lay_out_nsis "$nsis" $folders
  if [[ $kind == widget-* ]]; then
    exe=$widget/WidgetSetup.exe
    [[ $kind == widget-packed-* ]] && exe=$work/packed/WidgetSetup.exe
    "$wine" "$(windows "$exe")" /S "/D=$(windows "$nsis")" >/dev/null ||
      fail "WidgetSetup.exe /S did not complete"
    printf '%s\r\n' "$nsisdir" '!include Widget.nsh' 'OutFile test.exe' 'Section' \
      '  !insertmacro WidgetHello' 'SectionEnd' >"$work/$kind/test.nsi"
    (cd "$work/$kind" && NSISDIR=$nsis makensis -V2 ${options:+"$options"} test.nsi) ||
      fail "a script for this target does not compile"
    NSISDIR=$nsis makensis -V2 ${options:+"$options"} "$nsis/Examples/Widget/Widget.nsi" ||
      fail "the installed example does not compile"
    echo "ok: $kind"
    continue
  fi
  if [[ $nsisdir == yes ]]; then
    registered=$work/$kind/Registered
    lay_out_nsis "$registered" x86-ansi x86-unicode
  fi
  output=$(env ${nsisdir:+NSISDIR="$(windows "$nsis")"} "$wine" "$driver" "$(windows "$setup")" \
    "$(windows "$work/$kind/package")" "$(windows "$registered")" "$(windows "$plugin")" | tr -d '\r')
  field=${output%%$'\n'*} completion=${output#*$'\n'}
  [[ $field == "$(windows "$nsis")" ]] || fail "the field showed $field"
  if [[ -z $folders ]]; then
    [[ $completion == "Installation complite" ]] || fail "the completion box said: $completion"
    [[ -f $nsis/Plugins/Tavrick.dll ]] || fail "the plug-in is not in Plugins"
    continue
  fi
  [[ -f $nsis/Plugins/x86-ansi/Tavrick.dll && -z $(find "$nsis/Plugins"/*-unicode -name Tavrick.dll) ]] ||
    fail "the plug-in is not in Plugins/x86-ansi alone"
  [[ $completion == "Installation complite"$'\n\n'* ]] || fail "the completion box said: $completion"
  advised=$(grep -o '"[^"]*"' <<<"$completion" | head -n 1 | tr -d '"')
  printf '%s\r\n' "$advised" '!include Tavrick.nsh' 'OutFile test.exe' 'Section' '  Tavrick::Hello' \
    'SectionEnd' >"$work/$kind/test.nsi"
  (cd "$work/$kind" && NSISDIR=$nsis makensis -V2 ${options:+"$options"} test.nsi) ||
    fail "a script that begins with '$advised' does not compile"
  NSISDIR=$nsis makensis -V2 ${options:+"$options"} "$nsis/Examples/Tavrick/TavrickTest.nsi" ||
    fail "the installed example does not compile"
  echo "ok: $kind"
done <<'KINDS'
nsis3|x86-ansi x86-unicode||
nsis3-64bit-makensis|x86-ansi x86-unicode amd64-unicode|-XTarget amd64-unicode|
nsisdir-elsewhere|x86-ansi x86-unicode||yes
nsis3-without-x86-ansi|x86-unicode||
nsis2|||
widget-x86-ansi|x86-ansi x86-unicode amd64-unicode||Target x86-ansi
widget-x86-unicode|x86-ansi x86-unicode amd64-unicode||Unicode true
widget-amd64-unicode|x86-ansi x86-unicode amd64-unicode|-XTarget amd64-unicode|
widget-packed-x86-unicode|x86-ansi x86-unicode amd64-unicode||Unicode true
KINDS

kind=unicode-script
printf '!include Tavrick.nsh\nOutFile unicode.exe\nSection\nSectionEnd\n' >"$work/unicode.nsi"
if output=$(cd "$work" && NSISDIR=$work/nsis3/NSIS makensis -V2 unicode.nsi 2>&1); then
  fail "a Unicode script that includes the header compiled"
fi
[[ $output == *"!error: Tavrick is an ANSI plug-in: put 'Target x86-ansi'"* ]] ||
  fail "the Unicode script stopped for another reason: $output"
echo "ok: a Unicode script stops at the header"

# Removed again, the plug-ins are gone as makensis sees them.
for kind in nsis3 widget-x86-unicode; do
  nsis=$work/$kind/NSIS exe=$setup plugin_name=Tavrick
  [[ $kind == widget-* ]] && exe=$widget/WidgetSetup.exe plugin_name=Widget
  "$wine" "$(windows "$exe")" /S /REMOVE "/D=$(windows "$nsis")" >/dev/null ||
    fail "/REMOVE did not complete"
  printf '%s\r\n' 'Target x86-ansi' 'OutFile removed.exe' 'Section' "  $plugin_name::Hello" \
    'SectionEnd' >"$work/$kind/removed.nsi"
  if output=$(cd "$work/$kind" && NSISDIR=$nsis makensis -V2 removed.nsi 2>&1); then
    fail "a script that calls the removed plug-in compiled"
  fi
  [[ $output == *"Plugin not found, cannot call $plugin_name::Hello"* ]] ||
    fail "the script stopped for another reason: $output"
  echo "ok: $kind: removed, the plug-in is not found"
done
