#!/usr/bin/env bash
# ./vantrok release in a tree with uncommitted changes ends at once, non-zero,
# saying why, and makes no dist/:
#   refuses_uncommitted_test.sh VANTROK_SCRIPT WORKDIR
set -euo pipefail
script=$1 work=$2
command -v git >/dev/null || { echo "SKIP: no git"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }

refused() {
    local output status=0
    output=$(timeout 20 ./vantrok release 2>&1) || status=$?
    [ "$status" -ne 0 ] || fail "$1: release went ahead"
    [ "$status" -ne 124 ] || fail "$1: release did not end at once"
    grep -q "uncommitted" <<<"$output" || fail "$1: release did not say why: $output"
    [ ! -e dist ] || fail "$1: release made dist/"
}

rm -rf "$work"
mkdir -p "$work"
cd "$work"
git init -q .
cp "$script" vantrok
printf '/build*/\n/dist/\n' >.gitignore
git add vantrok .gitignore
git -c user.name=test -c user.email=test@localhost commit -q -m "a release's tree"

echo "new" >notes.txt
refused "an untracked file"
rm notes.txt

echo "# changed" >>.gitignore
refused "a changed tracked file"
git checkout -q .gitignore

echo "changed" >staged.txt
git add staged.txt
refused "a staged file"
echo "refusals checked"
