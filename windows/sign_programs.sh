#!/usr/bin/env bash
# Signs Windows programs in place with Authenticode (SHA-256) when a key is given.
# Without one it says so in one line and leaves them as they are.
#
#   sign_programs.sh EPOCH FILE...
#
# SIGN_PKCS12, a PKCS#12 file, or SIGN_CERT and SIGN_KEY, a certificate and a
# key in PEM; SIGN_PASSWORD unlocks either (unset: no password).
# SIGN_TIMESTAMP_URL: an RFC 3161 server that countersigns; unset: no
# timestamp. The signing time is EPOCH, so that one key gives the same bytes
# in every build (a timestamp, being the server's, does not).
# A key that cannot be used ends the script with one line on standard error,
# status 1, and the files as they were.
set -euo pipefail
epoch=$1
shift
pkcs12=${SIGN_PKCS12:-} cert=${SIGN_CERT:-} key=${SIGN_KEY:-}
url=${SIGN_TIMESTAMP_URL:-}
fail() {
    echo "signing: $*" >&2
    exit 1
}

if [ -z "$pkcs12$cert$key" ]; then
    echo "signing: no key given (SIGN_PKCS12, or SIGN_CERT and SIGN_KEY): the programs are not signed"
    exit 0
fi
if [ -n "$pkcs12" ]; then
    [ -z "$cert$key" ] || fail "give SIGN_PKCS12, or SIGN_CERT and SIGN_KEY, not both"
    files=("$pkcs12") use=(-pkcs12 "$pkcs12")
else
    [ -n "$cert" ] && [ -n "$key" ] || fail "SIGN_CERT and SIGN_KEY go together; only one is set"
    files=("$cert" "$key") use=(-certs "$cert" -key "$key")
fi
for f in "${files[@]}"; do
    [ -f "$f" ] && [ -r "$f" ] || fail "key file $f is missing or unreadable"
done

# openssl reads the key first: its errors name the problem, where the
# signing tool's several lines of decoder errors do not. The password goes
# through the environment, never on a command line that ps would show.
export VT_SIGN_PASSWORD=${SIGN_PASSWORD:-}
read_or_fail() { # what file openssl-command...: the command's output, or one line why not
    local what=$1 file=$2 out
    shift 2
    out=$("$@" -passin env:VT_SIGN_PASSWORD 2>&1 > /dev/null) || {
        grep -qi 'mac verify\|bad decrypt' <<< "$out" && fail "wrong password for $file"
        grep -qi 'unable to load provider legacy' <<< "$out" &&
            fail "$file needs OpenSSL's legacy provider, which cannot be loaded here"
        fail "$file is not $what"
    }
    "$@" -passin env:VT_SIGN_PASSWORD 2> /dev/null
}
if [ -n "$pkcs12" ]; then
    # A file OpenSSL 3 writes reads as it is; an older one (RC2) needs the
    # legacy provider, which not every OpenSSL 3 can load and OpenSSL 1.1
    # has no option for: asked for only when the plain read fails, and not
    # for a wrong password, which the plain read already names.
    p12=(openssl pkcs12 -in "$pkcs12" -nokeys -clcerts)
    out=$("${p12[@]}" -passin env:VT_SIGN_PASSWORD 2>&1 > /dev/null) ||
        grep -qi 'mac verify' <<< "$out" || p12+=(-legacy)
    leaf=$(read_or_fail "a PKCS#12 file" "$pkcs12" "${p12[@]}")
else
    leaf=$(openssl x509 -in "$cert" 2> /dev/null) || fail "$cert is not a PEM certificate"
    key_pub=$(read_or_fail "a PEM private key" "$key" openssl pkey -in "$key" -pubout)
    [ "$(openssl x509 -noout -pubkey <<< "$leaf")" = "$key_pub" ] ||
        fail "certificate $cert does not match key $key"
fi
# A signature Windows would refuse is no better than none.
openssl x509 -noout -checkend 0 <<< "$leaf" > /dev/null || fail "the certificate in ${pkcs12:-$cert} has expired"
eku=$(openssl x509 -noout -ext extendedKeyUsage <<< "$leaf" 2> /dev/null)
[ -z "$eku" ] || grep -q 'Code Signing' <<< "$eku" ||
    fail "the certificate in ${pkcs12:-$cert} is not for code signing"
# The password is read from standard input, which the signing below fills
# (-readpass - is newer than Debian 12's osslsigncode; /dev/stdin is not).
[ -z "${SIGN_PASSWORD:-}" ] || use+=(-readpass /dev/stdin)
[ -z "$url" ] || use+=(-ts "$url")

# Each signed beside its original; the originals are replaced only once
# all are signed. The signing tool never writes over a file.
rm -f "${@/%/.signed}"
for f in "$@"; do
    # The tool says why it failed on standard output or standard error,
    # depending on its version, after or before OpenSSL's own error lines.
    if ! out=$(osslsigncode sign "${use[@]}" -h sha256 -time "$epoch" -in "$f" -out "$f.signed" \
                   2>&1 < <(printf %s "${SIGN_PASSWORD:-}")); then
        rm -f "${@/%/.signed}"
        fail "osslsigncode could not sign ${f##*/}: $(grep -v -m 1 -e '^$' -e '^[0-9A-F]*:error:' <<< "$out")"
    fi
done
for f in "$@"; do
    chmod --reference="$f" "$f.signed"
    mv "$f.signed" "$f"
done
echo "signing: signed ${*##*/} with ${pkcs12:-$cert}${url:+, timestamp from $url}"
