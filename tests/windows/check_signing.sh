#!/usr/bin/env bash
# Signed packages from a throwaway key: alike in two clean builds, verified, run; refused for a bad key or TSA.
# PKCS#12, then PEM; the programs are the linked ones plus a signature.  Args: WIN32_BUILD WIN32_BUILD_AGAIN WINE32
set -euo pipefail
a=$1 b=$2 k=$(mktemp -d) here=$(dirname "$0")
export SOURCE_DATE_EPOCH=1000000000 # signing time 2001-09-09 01:46:40 UTC
pack() { env -u SIGN_PKCS12 -u SIGN_PASSWORD -u SIGN_CERT -u SIGN_KEY -u SIGN_TIMESTAMP_URL "${@:2}" cmake --build "$1" --target package_zip; }
trap 'rm -rf "$k"; for d in "$a" "$b"; do rm -rf "$d/signed"; SOURCE_DATE_EPOCH= pack "$d" > /dev/null; done' EXIT # unsigned again
openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=throwaway -addext extendedKeyUsage=codeSigning -keyout "$k/key.pem" -out "$k/cert.pem" 2> /dev/null
openssl pkcs12 -export -in "$k/cert.pem" -inkey "$k/key.pem" -passout pass:pw -out "$k/key.p12"
for bad in SIGN_PASSWORD=wrong SIGN_TIMESTAMP_URL=http://127.0.0.1:9/tsa; do # each after a package, which must go
    pack "$a" > /dev/null; out=$(pack "$a" SIGN_PKCS12="$k/key.p12" SIGN_PASSWORD=pw "$bad" 2>&1) || true
    [ "$(grep -c '^signing: .*\(wrong password\|127.0.0.1:9/tsa\)' <<< "$out")" = 1 ] &&
        ! ls "$a"/*.zip "$a/SHA256SUMS" 2> /dev/null || { echo "FAIL: with $bad: $out"; exit 1; }
done
pack "$a" SIGN_PKCS12="$k/key.p12" SIGN_PASSWORD=pw > /dev/null
pack "$b" SIGN_CERT="$k/cert.pem" SIGN_KEY="$k/key.pem" > /dev/null
zip=$(cut -d' ' -f3 "$a/SHA256SUMS"); cmp "$a/SHA256SUMS" "$b/SHA256SUMS"; cmp "$a/$zip" "$b/$zip"
for d in "$a" "$b"; do
    unzip -q -o -j "$d/$(cut -d' ' -f3 "$d/SHA256SUMS")" '*.exe' -d "$d/signed"
    for p in velmorix tessaran; do
        v=$(osslsigncode verify -CAfile "$k/cert.pem" -in "$d/signed/$p.exe") && grep -q 'digest algorithm *: SHA256' <<< "$v" &&
            grep -q 'Signing time: Sep  9 01:46:40 2001' <<< "$v" || { echo "FAIL: $d/signed/$p.exe: $v"; exit 1; }
        rm -f "$k/u"; osslsigncode remove-signature -in "$d/signed/$p.exe" -out "$k/u" > /dev/null; cmp "$k/u" "$d/bin/$p.exe"
    done
done
echo "signed twice alike, both programs verify: $zip sha256 $(sha256sum < "$a/$zip" | cut -d' ' -f1)"
cp "$a/bin/ondrel.dll" "$a/signed/"
"$here/../e2e/run_cases.sh" --bin "$a/signed" --platform win32 --launcher "$3" --exe-suffix .exe \
    "$here"/../e2e/cases/velmorix/{one-card-port-300,two-cards-only-last-moved} "$here"/../e2e/cases/tessaran/{success,older-copy-replaced}
