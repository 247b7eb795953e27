#!/bin/sh
# Another AT client against the simulated phone: gammu identifies it, lists
# every stored message, and sends one through it to the phone's own number,
# which then comes back into its store's lowest free slot, as the dump shows.
# Usage: gammu_interop.sh PHONESIM DATA_DIR. The time limits only keep a hung
# exchange from hanging the test run.

set -u
phonesim=$1 data=$2 own_number=+447700900123
command -v gammu >/dev/null 2>&1 || { echo "FAIL: gammu is not installed (Debian package gammu)"; exit 1; }

work=$(mktemp -d) pid=
trap '[ -n "$pid" ] && { kill -TERM "$pid"; wait "$pid"; } 2>/dev/null; rm -rf "$work"' EXIT
export HOME="$work" LC_ALL=C.UTF-8

fail() {
    echo "FAIL: $*"
    for file in out.txt err.txt sent.txt dump.txt; do
        [ -f "$work/$file" ] && { echo "--- $file"; cat "$work/$file"; }
    done
    [ -f "$work/gammu.log" ] && { echo "--- end of gammu's log"; tail -n 60 "$work/gammu.log"; }
    exit 1
}

"$phonesim" --link "$work/phone" --me "$data/gammu_me.txt" --sm "$data/gammu_sm.txt" \
    --own-number "$own_number" --sent-log "$work/sent.txt" --dump "$work/dump.txt" \
    >"$work/path.txt" 2>"$work/err.txt" &
pid=$!
tries=0
until [ -s "$work/path.txt" ]; do
    tries=$((tries + 1)) && [ "$tries" -gt 200 ] && fail "mivex-phonesim printed no device path"
    sleep 0.1
done
[ "$(readlink "$work/phone")" = "$(cat "$work/path.txt")" ] || fail "the link is not the device"
grep -q '^SM 3 ' "$work/dump.txt" || fail "the dump does not show the stores read in"

cat >"$work/gammurc" <<GAMMURC
[gammu]
device = $work/phone
connection = at115200
logformat = textall
logfile = $work/gammu.log
GAMMURC

run_gammu() {
    echo "\$ gammu $*"
    timeout 120 gammu --config "$work/gammurc" "$@" >"$work/out.txt" 2>&1
    status=$?
    cat "$work/out.txt"
    [ "$status" -eq 0 ] || fail "gammu $1 exited with status $status"
}

run_gammu identify
grep -q '^Manufacturer *: Mivex$' "$work/out.txt" || fail "identify did not show the manufacturer"

run_gammu getallsms
for text in "Meeting moved to Thursday" "Call me back please" "SIM store says hello"; do
    grep -qF "$text" "$work/out.txt" || fail "getallsms did not list \"$text\""
done

run_gammu sendsms TEXT "$own_number" -text "Hello from gammu"
# "Hello from gammu" in septets from bit 0, as the user data must end.
line=$(grep -E '^[0-9]+ [0-9A-F]+C8329BFD0699E5EF36E81C6EB7EB$' "$work/sent.txt")
[ -n "$line" ] || fail "the sent log holds no PDU with the text"
length=${line%% *} hex=${line#* }
octets=$((${#hex} / 2)) service_centre=$((0x$(echo "$hex" | cut -c1-2)))
[ "$length" -eq $((octets - 1 - service_centre)) ] ||
    fail "AT+CMGS length $length does not match the PDU's $octets octets"

run_gammu getallsms
grep -qF "Hello from gammu" "$work/out.txt" || fail "the message to the own number did not come back"
grep -q '^ME 2 ' "$work/dump.txt" || fail "the message back is not in slot 2, the lowest free one"

kill -TERM "$pid" && wait "$pid"
status=$? pid=
[ "$status" -eq 0 ] || fail "mivex-phonesim exited with status $status"
[ -e "$work/phone" ] && fail "the device link was left behind"
echo "PASS"
