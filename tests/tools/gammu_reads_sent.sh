#!/bin/sh
# What mivex-cli sends, another program reads as it was written: messages in
# UCS2 and in GSM 7-bit with escape pairs go to the simulated phone's own
# number, come back into its store, and gammu lists each with its exact text,
# long ones joined from their segments. Usage: gammu_reads_sent.sh MIVEX_CLI PHONESIM
# The time limits only keep a hung exchange from hanging the test run.

set -u
cli=$1 phonesim=$2 own_number=+447700900123

command -v gammu >/dev/null || { echo "FAIL: gammu is not installed (Debian package gammu)"; exit 1; }

work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill -TERM "$pid" && wait "$pid"; rm -rf "$work"' EXIT
export HOME="$work" LC_ALL=C.UTF-8

# Says what failed, then shows every output so far, each under its file name.
fail() {
    echo "FAIL: $*"
    tail -n +1 "$work"/*.txt
    exit 1
}

mixed="Привет 你好 😀 € [x] {y}"
texts_file=$work/texts.txt
{
    echo "$mixed"
    echo "$mixed $mixed $mixed $mixed"
    # An emoji across the 67-unit boundary of UCS2 segments.
    echo "$(printf 'ж%.0s' $(seq 66))😀 ends the first segment's room"
    # An escape pair at septets 153 and 154 of GSM 7-bit segments.
    echo "$(printf 'a%.0s' $(seq 152))€ and {more} [text] ~ after the boundary"
    echo '[{x}] ~ € ^|\'
} >"$texts_file"

"$phonesim" --link "$work/phone" --own-number "$own_number" --sent-log "$work/sent.txt" \
    >"$work/path.txt" 2>"$work/err.txt" &
pid=$!
for _ in $(seq 200); do [ -s "$work/path.txt" ] && break; sleep 0.1; done
[ -s "$work/path.txt" ] || fail "mivex-phonesim printed no device path"

mivex() {
    timeout 120 "$cli" --data-dir "$work/data" "$@" >"$work/out.txt" 2>&1 ||
        fail "mivex-cli $* exited with status $?"
}
mivex options set UsePhoneServiceCentre 1
while IFS= read -r text; do
    mivex queue --to "$own_number" "$text"
done <"$texts_file"
mivex --port "$work/phone" send
grep -q '^5 Messages sent OK!$' "$work/out.txt" || fail "mivex-cli did not send all five"

printf '[gammu]\ndevice = %s\nconnection = at115200\n' "$work/phone" >"$work/gammurc"
timeout 120 gammu --config "$work/gammurc" geteachsms >"$work/out.txt" 2>&1 ||
    fail "gammu geteachsms exited with status $?"
while IFS= read -r text; do
    grep -qxF "$text" "$work/out.txt" || fail "gammu did not read \"$text\""
done <"$texts_file"
echo "PASS"
