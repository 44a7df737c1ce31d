#!/usr/bin/env bash
# scripts/release, as a maintainer runs it: without a key or a package, an
# unsigned release with its sums and no winget manifest; with a throwaway RSA
# key, as a PKCS#12 file and in a software token, and a timestamp authority
# that answers at a local address, signed programs that verify, give back the
# build without their signature, and come again from a build and the detached
# signature, the secret never on a command line; a timestamp that fails, a PIN
# in the key's URI and a manifest that does not validate leave no release; the
# package's zip installs as winget installs it, with the manifest's switches.
# Usage: check_release.sh WINE SOURCE_DIR
set -euo pipefail
wine=$1 source_dir=$(realpath "$2")
work=$(mktemp -d /tmp/tavrick-release.XXXXXX)
server=
trap '[[ -n $server ]] && kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
fail() {
  echo "FAILED: $*"
  exit 1
}
# Runs the release with the given NAME=VALUE settings; prints its last line.
release() {
  (cd "$source_dir" && env WINGET_SCHEMA_DIR="$source_dir/packaging/winget/schema" "$@" \
    scripts/release) 2>&1 | tee "$work/said" | tail -n 1
}
build=$source_dir/build/i686

folder=$(release) || true
[[ -d $folder ]] || fail "an unsigned release was not made: $(cat "$work/said")"
grep -q "programs are unsigned" "$work/said" || fail "the unsigned release did not say so"
files=$(cd "$folder" && find . -type f | LC_ALL=C sort | tr '\n' ' ')
[[ $files == "./PluginSetup-1.0.0-i686.zip ./SHA256SUMS ./TavrickSetup-1.0.0-i686.zip " ]] ||
  fail "the unsigned release holds $files"
grep -q "no winget manifest" "$work/said" || fail "a release without its package did not say so"
(cd "$folder" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not check"
[[ $(cut -d' ' -f3 "$folder/SHA256SUMS" | sed 's|^|./|' | tr '\n' ' ') == "${files/.\/SHA256SUMS /}" ]] ||
  fail "SHA256SUMS does not cover every file: $(cat "$folder/SHA256SUMS")"
for pair in "TavrickSetup MAINTAINER.txt" "PluginSetup PLUGIN-AUTHORS.txt"; do
  read -r program note <<<"$pair"
  mkdir "$work/$program"
  (cd "$work/$program" && cmake -E tar xf "$folder/$program-1.0.0-i686.zip")
  [[ $(cd "$work/$program" && ls | tr '\n' ' ') == "$note $program.exe " ]] ||
    fail "$program's zip holds $(ls "$work/$program")"
  cmp -s "$work/$program/$program.exe" "$build/$program.exe" || fail "the zip's $program.exe is not the build"
  ! grep -q $'[^\r]$' "$work/$program/$note" || fail "$note has lines without CRLF"
done
echo "ok: without a key or a package, an unsigned release with its sums"

# A throwaway signer, and a timestamp authority behind a few lines of HTTP.
cd "$work"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tavrick test signer" \
  -addext keyUsage=critical,digitalSignature -addext extendedKeyUsage=codeSigning \
  -keyout signer.key -out signer.pem 2>/dev/null
echo "throwaway password" >password
openssl pkcs12 -export -inkey signer.key -in signer.pem -passout file:password -out signer.p12
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tavrick test TSA" \
  -addext keyUsage=critical,digitalSignature -addext extendedKeyUsage=critical,timeStamping \
  -keyout tsa.key -out tsa.pem 2>/dev/null
cat >tsa.cnf <<'CNF'
[ tsa ]
default_tsa = tsa_config
[ tsa_config ]
serial = ./tsa.serial
signer_cert = ./tsa.pem
signer_key = ./tsa.key
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256, sha384, sha512
ess_cert_id_alg = sha256
CNF
echo 01 >tsa.serial
cat >tsa.py <<'PY'
import http.server, subprocess, sys
class Authority(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        if sys.argv[1] == "fail":
            self.send_response(500); self.end_headers(); return
        reply = subprocess.run(["openssl", "ts", "-reply", "-config", "tsa.cnf", "-queryfile",
                                "/dev/stdin", "-out", "/dev/stdout"], input=query,
                               capture_output=True, check=True).stdout
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(("127.0.0.1", 0), Authority)
print(server.server_address[1], flush=True)
server.serve_forever()
PY
start_authority() {
  [[ -n $server ]] && kill "$server"
  rm -f port
  python3 tsa.py "$1" >port &
  server=$!
  for ((tries = 0; tries < 200; tries++)); do
    [[ -s port ]] && break
    sleep 0.05
  done
  read -r port <port || fail "the timestamp authority did not start"
}
export SIGN_PKCS12=$work/signer.p12 SIGN_PASSWORD_FILE=$work/password
export SIGN_CAFILE=$work/signer.pem SIGN_TSA_CAFILE=$work/tsa.pem

start_authority fail
export SIGN_TIMESTAMP_URL=http://127.0.0.1:$port/
if release >/dev/null; then
  fail "a release was made although the timestamp failed"
fi
[[ ! -e $folder && -z $(find "$source_dir/build" -maxdepth 1 -name 'release.*') ]] ||
  fail "a failed timestamp left files behind"
echo "ok: a timestamp that fails leaves no release"

# The same key in a software token, its PIN in the password file.
export SOFTHSM2_CONF=$work/softhsm2.conf
mkdir tokens
printf 'directories.tokendir = %s/tokens\nobjectstore.backend = file\n' "$work" >"$SOFTHSM2_CONF"
module=/usr/lib/softhsm/libsofthsm2.so
softhsm2-util --init-token --free --label tavrick --pin 4711 --so-pin 4712 >/dev/null
openssl pkcs8 -topk8 -nocrypt -in signer.key -outform DER -out signer.der
pkcs11-tool --module "$module" --login --pin 4711 --token-label tavrick --write-object signer.der \
  --type privkey --id 01 --label signer >/dev/null 2>&1 || fail "the token did not take the key"
echo 4711 >pin
token=(SIGN_PKCS12= SIGN_PKCS11_MODULE=$module SIGN_PKCS11_KEY="pkcs11:token=tavrick;object=signer"
  SIGN_CERTS=$work/signer.pem SIGN_PASSWORD_FILE=$work/pin)
if release "${token[@]}" SIGN_PKCS11_KEY="${token[2]#*=};pin-value=4711" >/dev/null; then
  fail "a key URI that holds its PIN was taken"
fi
grep -q "pin-value=), which would show in the process list" "$work/said" ||
  fail "a PIN in the key's URI was refused without saying why: $(cat "$work/said")"
echo "ok: a PIN in the key's URI is refused"

# osslsigncode as the release calls it, its arguments kept.
mkdir bin
printf '#!/bin/sh\necho "$*" >>%s/arguments\nexec /usr/bin/osslsigncode "$@"\n' "$work" >bin/osslsigncode
chmod +x bin/osslsigncode
package=$work/package nsis=$work/NSIS
mkdir -p "$package"/{Example,Include,Plugin} "$nsis"/{Docs,Examples,Include,Plugins}
for file in Readme.txt Example/TavrickTest.nsi Include/Tavrick.nsh Plugin/Tavrick.dll; do
  echo "$file" >"$package/$file"
done
printf 'MZ' >"$nsis/makensis.exe"
start_authority serve
export SIGN_TIMESTAMP_URL=http://127.0.0.1:$port/ RELEASE_PACKAGE=$package
for signer in pkcs12 token; do
  extra=()
  [[ $signer == token ]] && extra=("${token[@]}")
  : >arguments
  folder=$(release PATH="$work/bin:$PATH" "${extra[@]}") || true
  [[ -f $folder/TavrickSetup.exe.p7 && -f $folder/PluginSetup.exe.p7 ]] ||
    fail "a release signed by $signer was not made: $(cat "$work/said")"
  (cd "$folder" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not check"
  ! grep -q -e "throwaway password" -e 4711 arguments && grep -q -- "-readpass" arguments ||
    fail "the $signer secret reached a command line: $(cat arguments)"
  rm -rf signed removed.exe attached.exe && mkdir signed
  (cd signed && cmake -E tar xf "$folder/TavrickSetup-1.0.0-i686.zip")
  exe=signed/TavrickSetup.exe
  osslsigncode verify -CAfile signer.pem -TSA-CAfile tsa.pem -in "$exe" >/dev/null ||
    fail "the program signed by $signer does not verify"
  osslsigncode remove-signature -in "$exe" -out removed.exe >/dev/null
  cmp -s removed.exe "$build/TavrickSetup.exe" || fail "without its signature, it is not the build"
  osslsigncode attach-signature -sigin "$folder/TavrickSetup.exe.p7" -CAfile signer.pem \
    -TSA-CAfile tsa.pem -in "$build/TavrickSetup.exe" -out attached.exe >/dev/null
  cmp -s attached.exe "$exe" || fail "the .p7 on a build does not give the signed program"
  echo "ok: signed by $signer, verified, and the same as the build with its detached signature"
done
cp "$exe" changed.exe
printf 'X' | dd of=changed.exe bs=1 seek=1024 conv=notrunc 2>/dev/null
if osslsigncode verify -CAfile signer.pem -TSA-CAfile tsa.pem -in changed.exe >/dev/null 2>&1; then
  fail "a changed byte still verifies"
fi

# As winget installs it: the zip extracted whole, and the program in it run
# with the manifest's own switches.
manifest=$folder/winget/Tavrick.TavrickSetup.installer.yaml
schemas=$source_dir/packaging/winget/schema
/usr/bin/python3 "$source_dir/packaging/winget/validate.py" "$schemas" "$folder"/winget/*.yaml >/dev/null ||
  fail "the winget manifest does not validate"
read -r type nested silent location sha < <(/usr/bin/python3 -c '
import sys, yaml
m = yaml.safe_load(open(sys.argv[1]))
print(m["InstallerType"], m["NestedInstallerFiles"][0]["RelativeFilePath"],
      m["InstallerSwitches"]["Silent"], m["InstallerSwitches"]["InstallLocation"],
      m["Installers"][0]["InstallerSha256"])' "$manifest")
[[ $type == zip && ${sha,,} == $(sha256sum "$folder/Tavrick-1.0.0.zip" | cut -d' ' -f1) ]] ||
  fail "the manifest does not describe the zip: $type, $sha"
mkdir downloaded
(cd downloaded && cmake -E tar xf "$folder/Tavrick-1.0.0.zip")
"$wine" "downloaded/$nested" "$silent" "${location/<INSTALLPATH>/Z:${nsis//\//\\}}" >/dev/null 2>&1 ||
  fail "the downloaded program did not install"
cmp -s "$nsis/Include/Tavrick.nsh" "$package/Include/Tavrick.nsh" || fail "nothing was installed"
echo "ok: the package's zip installs with the winget manifest's switches"

sed 's|^  Silent: /S|  Silent: [/S]|' "$manifest" >wrong.yaml
if /usr/bin/python3 "$source_dir/packaging/winget/validate.py" "$schemas" wrong.yaml >/dev/null; then
  fail "a manifest with a wrong switch type validates"
fi
mkdir no-schemas
if release WINGET_SCHEMA_DIR="$work/no-schemas" >/dev/null; then
  fail "a release was made although its winget manifest could not be validated"
fi
echo "ok: a manifest that does not validate fails, and so does the release"

/usr/bin/python3 "$source_dir/packaging/winget/validate.py" "$schemas" \
  "$source_dir"/packaging/winget/plugin-example/*.yaml >/dev/null ||
  fail "the plug-in author's example manifest does not validate"
echo "ok: the plug-in author's example manifest validates"
