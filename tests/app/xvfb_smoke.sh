#!/usr/bin/env bash
# The real program as a person starts it: `mivex --demo` on a virtual X
# display, its window found by its title "Mivex" and a screenshot taken;
# then the Inbox button of the toolbar clicked, Actions > Receive chosen with
# the keyboard, and a second screenshot once mivex-cli finds the demo phone's
# messages in the Inbox of the demo's data folder; then Ctrl+Q. It must end with status 0 and leave nothing behind: no
# process, no lock or socket in the runtime folder, no demo folder.
# Like a desktop session, it has a D-Bus session bus of its own; without one,
# libraries would start one by themselves where dbus-x11 is installed, and
# that bus would outlive the program.
# Usage: xvfb_smoke.sh MIVEX MIVEX-CLI COMPOSE.png INBOX.png
set -euo pipefail
mivex=$1
cli=$2
screenshot=$3
inbox_screenshot=$4

work=$(mktemp -d)
xvfb_pid=
mivex_pid=
bus_pid=
cleanup() {
  [[ -n $mivex_pid ]] && kill -9 "$mivex_pid" 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  [[ -n $bus_pid ]] && kill "$bus_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "xvfb_smoke: $*" >&2; exit 1; }

mkdir -m 700 "$work/run" "$work/tmp" "$work/bus"
# The bus keeps its own files apart from the runtime folder checked below.
bus=$(XDG_RUNTIME_DIR="$work/bus" dbus-daemon --session --fork --print-address=1 --print-pid=1 \
  --address="unix:path=$work/bus/socket") || fail "no session bus"
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 <<<"$bus")
bus_pid=$(sed -n 2p <<<"$bus")
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.05; done
[[ -s $work/display ]] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"

XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp" MIVEX_SILENT=1 QT_QPA_PLATFORM=xcb \
  "$mivex" --demo >"$work/mivex.log" 2>&1 &
mivex_pid=$!

window=
for _ in $(seq 200); do
  window=$(xdotool search --name '^Mivex$' 2>/dev/null | head -n1 || true)
  [[ -n $window ]] && break
  kill -0 "$mivex_pid" 2>/dev/null || fail "mivex ended early: $(cat "$work/mivex.log")"
  sleep 0.05
done
[[ -n $window ]] || fail "no window titled Mivex"
sleep 0.5
import -window root "$screenshot"
[[ -s $screenshot ]] || fail "no screenshot"

# The toolbar sits along the window's bottom: View, Actions, New, Inbox...
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --window "$window" 160 $((HEIGHT - 20)) click 1
sleep 0.5
xdotool windowfocus --sync "$window"
xdotool key --clearmodifiers alt+a Down Down Down Down Return
# The store, not the picture, tells whether the receive ran: a missed click
# would have sent the keys to the compose view instead.
listed=
for _ in $(seq 100); do
  sleep 0.2
  data=$(find "$work/tmp" -mindepth 2 -maxdepth 2 -name data -type d | head -n1)
  [[ -n $data ]] || continue
  if "$cli" --data-dir "$data" list inbox 2>/dev/null | grep -q CityLibrary; then
    listed=yes
    break
  fi
done
[[ -n $listed ]] || fail "the demo phone's messages did not reach the Inbox"
sleep 0.5
import -window "$window" "$inbox_screenshot"
[[ -s $inbox_screenshot ]] || fail "no Inbox screenshot"

# Input is held back while the receive still runs, so ask until it is heard.
status=0
for _ in $(seq 40); do
  xdotool windowfocus --sync "$window" key --clearmodifiers ctrl+q 2>/dev/null || true
  for _ in $(seq 10); do kill -0 "$mivex_pid" 2>/dev/null || break 2; sleep 0.05; done
done
if kill -0 "$mivex_pid" 2>/dev/null; then fail "Ctrl+Q did not end mivex"; fi
wait "$mivex_pid" || status=$?
mivex_pid=
[[ $status -eq 0 ]] || fail "mivex ended with status $status: $(cat "$work/mivex.log")"
left=$(find "$work/run" "$work/tmp" -mindepth 1 | head -n 5)
[[ -z $left ]] || fail "left behind: $left"
echo "xvfb_smoke: window $window, screenshot $screenshot, clean exit"
