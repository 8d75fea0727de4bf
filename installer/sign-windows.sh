#!/usr/bin/env bash
# Authenticode-signs Windows programs and installers in place with
# osslsigncode:
#   sign-windows.sh CERT.pfx FILE...
# The certificate's password comes from VANTROK_SIGN_PASSWORD (unset or empty
# for none) and reaches osslsigncode on a pipe, never on a command line. With
# SOURCE_DATE_EPOCH set, that is the signing time, so a release signed twice
# with one certificate comes out the same.
set -euo pipefail
if [ $# -lt 2 ]; then
    echo "usage: $0 CERT.pfx FILE..." >&2
    exit 2
fi
cert=$1
shift
time_option=()
[ -z "${SOURCE_DATE_EPOCH:-}" ] || time_option=(-time "$SOURCE_DATE_EPOCH")

signed=""
trap '[ -z "$signed" ] || rm -f "$signed"' EXIT
for file in "$@"; do
    signed=$file.signing
    rm -f "$signed"
    printf '%s' "${VANTROK_SIGN_PASSWORD:-}" |
        osslsigncode sign -pkcs12 "$cert" -readpass - -h sha256 "${time_option[@]}" \
                     -in "$file" -out "$signed" >/dev/null
    mv -f "$signed" "$file"
done
