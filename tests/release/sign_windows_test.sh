#!/usr/bin/env bash
# installer/sign-windows.sh with a throwaway self-signed certificate:
#   sign_windows_test.sh SIGN_SCRIPT PROGRAM.exe WORKDIR
# A signed copy verifies; the unsigned program, a tampered signed copy and a
# signing with the wrong password do not; one signing time gives one result.
set -euo pipefail
script=$1 program=$2 work=$3
for tool in openssl osslsigncode; do
    command -v "$tool" >/dev/null || { echo "SKIP: no $tool"; exit 77; }
done
[ -f "$program" ] || { echo "SKIP: no Windows program built ($program)"; exit 77; }
rm -rf "$work"
mkdir -p "$work"
cd "$work"

fail() { echo "FAIL: $*"; exit 1; }
verifies() { osslsigncode verify -CAfile cert.pem -in "$1" >"$1.verify" 2>&1; }

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=VANTROK signing test" \
        -keyout key.pem -out cert.pem 2>/dev/null
openssl pkcs12 -export -inkey key.pem -in cert.pem -out cert.pfx -passout pass:test-password

cp "$program" unsigned.exe
! verifies unsigned.exe || fail "the unsigned program verifies"

cp unsigned.exe signed.exe
VANTROK_SIGN_PASSWORD=test-password SOURCE_DATE_EPOCH=1700000000 "$script" cert.pfx signed.exe
verifies signed.exe || { cat signed.exe.verify; fail "the signed program does not verify"; }
[ ! -e signed.exe.signing ] || fail "a half-signed file is left behind"

cp unsigned.exe again.exe
VANTROK_SIGN_PASSWORD=test-password SOURCE_DATE_EPOCH=1700000000 "$script" cert.pfx again.exe
cmp -s signed.exe again.exe || fail "two signings at one SOURCE_DATE_EPOCH differ"

# One byte of the program's code changed after signing.
cp signed.exe tampered.exe
offset=$(( $(stat -c %s tampered.exe) / 3 ))
byte=$(od -An -tu1 -j "$offset" -N1 tampered.exe | tr -d ' ')
printf "$(printf '\\%03o' $(( (byte + 1) % 256 )))" |
    dd of=tampered.exe bs=1 seek="$offset" conv=notrunc status=none
! verifies tampered.exe || fail "a tampered program verifies"

cp unsigned.exe wrong.exe
! VANTROK_SIGN_PASSWORD=not-the-password "$script" cert.pfx wrong.exe 2>/dev/null ||
    fail "signing with the wrong password succeeded"
cmp -s wrong.exe unsigned.exe || fail "a failed signing changed the program"
echo "signing checked"
