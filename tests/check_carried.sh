#!/usr/bin/env bash
# PluginSetup.exe followed by a stored ZIP of its package installs from a
# folder with nothing beside it: packed by the setup itself (/PACK=), also
# from a signed program and signed again, or appended as a tool made it
# (offsets from the archive's start), after zip -A (offsets from the file's),
# and signed. An archive that is damaged or cannot be trusted is refused in one
# line that names the entry, with exit 2 and nothing written; a /PACK that
# cannot be done leaves the file it was to write as it was.
# Usage: check_carried.sh WINE PLUGIN_SETUP_EXE
set -euo pipefail
wine=$1 program=$2
work=$(mktemp -d /tmp/tavrick-carried.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() {
  echo "FAILED ($how $change): $*"
  exit 1
}
mkdir -p package/Plugins/x86-ansi
printf 'an ANSI plug-in' >package/Plugins/x86-ansi/Widget.dll
printf '!macro Widget\r\n!macroend\r\n' >package/Widget.nsh
printf 'not named' >package/extra.txt
files='Plugins\x86-ansi\Widget.dll=Plugins\x86-ansi\Widget.dll'
printf '%s\r\n' '[Package]' 'Name=Widget' '[Files]' "$files" 'Include\Widget.nsh=Widget.nsh' \
  >package/setup.ini
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Widget test signer" \
  -keyout signer.key -out signer.pem 2>/dev/null
sign() {
  osslsigncode sign -certs signer.pem -key signer.key -in "$1" -out "$1.signed" >/dev/null
  mv "$1.signed" "$1"
}
windows() { echo "Z:${1//\//\\}"; }
# The author's folder: the program, renamed, with its description beside it;
# and one whose description is refused.
cp "$program" package/WidgetSetup.exe
cp package/setup.ini package/WidgetSetup.ini
cp "$program" package/BadSetup.exe
sed 's/Widget.nsh=/..\\Widget.nsh=/' package/setup.ini >package/BadSetup.ini
cp "$program" signed.exe
sign signed.exe

# Writes $1: the program, then the package's stored archive with change made.
cat >pack.py <<'PY'
import io, sys, zipfile
out, program, change = sys.argv[1:4]
names = ["setup.ini", "Plugins/x86-ansi/Widget.dll", "Widget.nsh"]
names += {"extra": ["extra.txt"], "too-many": ["extra.txt"] * 33}.get(change, [])
method = zipfile.ZIP_DEFLATED if change == "compressed" else zipfile.ZIP_STORED
def make(comment):
    archive = io.BytesIO()
    with zipfile.ZipFile(archive, "w", method) as z:
        z.comment = comment
        for i, name in enumerate(names):
            data = open("package/" + name, "rb").read()
            if name == "setup.ini" and change == "bad-line":
                data = data.replace(b"Widget.nsh=", b"..\\Widget.nsh=")
            if name == "setup.ini" and change == "no-description":
                name = "Widget.ini"
            if name == "Widget.nsh" and change in ("climbs", "absolute", "missing", "dos-name"):
                name = {"climbs": "../Widget.nsh", "absolute": "/Widget.nsh",
                        "missing": "Widget.txt"}.get(change, "W\xefdget.nsh")
            z.writestr(name if i < 4 else "extra%d.txt" % i, data)
        if change == "folders":
            z.writestr("Plugins/", b"")
    return archive.getvalue()
# An archive whose end a signature pads to its 8 bytes.
first = make(b"")
data = bytearray(make(b"x" * ((3 - len(first)) % 8)))
if change == "flipped":
    data[data.index(b"an ANSI plug-in") + 3] ^= 1
if change == "oversize":  # both headers of the first entry claim far more data
    for at in (data.index(b"PK\x03\x04") + 18, data.index(b"PK\x01\x02") + 20):
        data[at:at + 8] = (0x00FFFFFF).to_bytes(4, "little") * 2
if change == "dos-name":  # a name in a DOS code page, without the UTF-8 flag
    for at in (data.index(b"PK\x03\x04\x14\x00\x00\x08") + 7, data.index(b"PK\x01\x02\x14\x03\x14\x00\x00\x08") + 9):
        data[at] = 0
if change == "local-name":
    data[data.index(b"PK\x03\x04") + 30] ^= 0x20
if change == "header":
    data[data.index(b"PK\x03\x04", 1) + 18] ^= 1
if change == "outside":
    directory = data.index(b"PK\x01\x02")
    data[directory + 42:directory + 46] = (0x7FFFFFF0).to_bytes(4, "little")
data = open(program, "rb").read() + data
open(out, "wb").write(data[:-30] if change == "cut" else data)
PY

# how the archive is joined | what is changed | exit | the line that says why
while IFS='|' read -r how change code says; do
  row=$work/$how-$change
  mkdir -p "$row/setup" "$row/NSIS/Plugins/x86-ansi"
  printf 'MZ' >"$row/NSIS/makensis.exe"
  exe=$row/setup/WidgetSetup.exe
  # What lies beside a setup that carries its package is not its package.
  [[ $change == decoy ]] && printf '[Package]\r\nName=Decoy\r\n[Files]\r\nInclude\\Decoy.nsh=x\r\n' \
    >"$row/setup/WidgetSetup.ini"
  status=0
  case $how in
  pack*)
    # The setup packs itself; a /PACK that fails leaves what was there.
    packer=package/WidgetSetup.exe
    [[ $how == pack-*signed ]] && cp signed.exe package/SignedSetup.exe && cp package/setup.ini \
      package/SignedSetup.ini && packer=package/SignedSetup.exe
    [[ $change == carried ]] && packer=pack-none/setup/WidgetSetup.exe
    [[ $change == refused ]] && packer=package/BadSetup.exe
    printf 'before' >"$exe"
    [[ $change == onto-folder ]] && rm "$exe" && mkdir "$exe" && printf 'before' >"$exe/x"
    "$wine" "$(windows "$work/$packer")" "/PACK=$(windows "$exe")" >"$row/out" 2>&1 || status=$?
    if [[ $change != none ]]; then
      said=$(tr -d '\r' <"$row/out")
      [[ $status == 2 && $said == *"$says"* && $(cat "$exe" 2>/dev/null || cat "$exe/x") == before ]] ||
        fail "exit $status, and said: $said"
      [[ $(ls "$row/setup") == WidgetSetup.exe ]] || fail "it left $(ls "$row/setup")"
      echo "ok: $how $change"
      continue
    fi
    ((status == 0)) || fail "/PACK: exit $status: $(cat "$row/out")"
    [[ $how == pack-signed ]] && sign "$exe"
    ;;
  *) python3 pack.py "$exe" "$program" "$change" ;;&
  zip-A) zip -qA "$exe" ;;
  signed) sign "$exe" ;;
  esac
  "$wine" "Z:${exe//\//\\}" /S "/D=Z:${row//\//\\}\\NSIS" >"$row/out" 2>&1 || status=$?
  said=$(tr -d '\r' <"$row/out")
  [[ $status == "$code" ]] || fail "exit $status: $said"
  installed=$(cd "$row/NSIS" && find . -type f ! -name makensis.exe ! -name setup-receipt.txt | LC_ALL=C sort | tr '\n' ' ')
  if ((code == 0)); then
    [[ $installed == "./Include/Widget.nsh ./Plugins/x86-ansi/Widget.dll " ]] &&
      cmp -s "$row/NSIS/Include/Widget.nsh" package/Widget.nsh ||
      fail "installed $installed"
  else
    [[ -z $installed && $said == *"$says"* && $said == *"Installation aborted" ]] ||
      fail "installed '$installed' and said: $said"
  fi
  [[ $(ls "$row/setup" | grep -v WidgetSetup.ini) == WidgetSetup.exe ]] ||
    fail "it left $(ls "$row/setup")"
  echo "ok: $how $change"
done <<'ROWS'
pack|none|0|
pack-from-signed|none|0|
pack-signed|none|0|
pack|carried|2|This setup carries its package already.
pack|onto-folder|2|WidgetSetup.exe: Access denied.
pack|refused|2|BadSetup.ini: line 5: Include\..\Widget.nsh=Widget.nsh: goes nowhere
cat|none|0|
cat|folders|0|
cat|decoy|0|
zip-A|none|0|
signed|none|0|
cat|cut|2|WidgetSetup.exe: its archive is cut off.
signed|cut|2|WidgetSetup.exe: its archive is cut off.
cat|flipped|2|Plugins\x86-ansi\Widget.dll: does not match its CRC-32.
zip-A|compressed|2|setup.ini: is not stored as the setup reads it
cat|local-name|2|setup.ini: is not stored as the setup reads it
cat|header|2|Plugins\x86-ansi\Widget.dll: is not stored as the setup reads it
cat|extra|2|extra.txt: is not named by setup.ini.
cat|missing|2|Widget.nsh: is named by setup.ini, but missing.
cat|climbs|2|WidgetSetup.exe: its archive holds a name that is not plain.
cat|absolute|2|WidgetSetup.exe: its archive holds a name that is not plain.
cat|no-description|2|WidgetSetup.exe: its archive holds no setup.ini.
cat|too-many|2|WidgetSetup.exe: its archive holds more than 33 entries.
cat|outside|2|setup.ini: lies outside the archive.
cat|oversize|2|setup.ini: lies outside the archive.
cat|dos-name|2|WidgetSetup.exe: its archive holds a name that is not plain.
cat|bad-line|2|WidgetSetup.exe\setup.ini: line 5: Include\..\Widget.nsh=Widget.nsh: goes nowhere
ROWS
