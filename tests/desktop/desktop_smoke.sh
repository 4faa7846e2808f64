#!/usr/bin/env bash
# The real player on a virtual X display with a window manager: the device window
# offers "Null output", a click on it opens the main window "Sonvale", a second start
# with a file brings the minimised first one back and leaves, and a close request
# ends the player with exit code 0. No session bus is reachable: the player runs
# without the desktop's media controls.
# Usage: desktop_smoke.sh SONVALE SEND_CLOSE_REQUEST
set -u
sonvale=$1
send_close_request=$2
for tool in xvfb-run xdotool openbox; do
  command -v $tool >/dev/null || { echo "$tool missing"; exit 77; }
done

if [ -z "${SONVALE_SMOKE_INNER:-}" ]; then
  SONVALE_SMOKE_INNER=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
unset QT_QPA_PLATFORM
# A Wayland session whose compositor offers an X server as well: the player takes
# the X server, where its windows can be moved and the pointer read.
export XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-sonvale-smoke
export XDG_RUNTIME_DIR=$(mktemp -d)
export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/no-bus
log=$(mktemp)
trap 'kill $player $manager 2>/dev/null; rm -rf "$XDG_RUNTIME_DIR" "$log"' EXIT

fail() { echo "FAIL: $*"; cat "$log"; exit 1; }
. "$(dirname "$0")/desktop_steps.sh"
start_window_manager || fail "the window manager did not come up"

"$sonvale" >"$log" 2>&1 &
player=$!

device=$(wait_window "Please select audio device\\.  \\( X = Exit \\)") || fail "no device window"
# The first row's button, 550 x 25 at (90, 10) of the window: "Null output" here.
xdotool mousemove --window "$device" 200 22 click 1

main=$(wait_window "Sonvale") || fail "no main window after choosing the device"
eval "$(xdotool getwindowgeometry --shell "$main")"
[ "$WIDTH" = 700 ] && [ "$HEIGHT" = 700 ] || fail "main window is ${WIDTH}x${HEIGHT}"

xdotool windowminimize --sync "$main" || fail "cannot minimise the main window"
timeout 20 "$sonvale" "/tmp/some song.flac" >>"$log" 2>&1 || fail "second start did not hand over and leave"
kill -0 $player 2>/dev/null || fail "the first player ended at the hand-off"
wait_window "Sonvale" >/dev/null || fail "the hand-off did not bring the main window back"
active=""
for _ in $(seq 200); do  # up to 20 s: only a hung window manager takes that long
  active=$(xdotool getactivewindow 2>/dev/null)
  [ "$active" = "$main" ] && break
  sleep 0.1
done
[ "$active" = "$main" ] || fail "the main window is not the active one after the hand-off"

"$send_close_request" "Sonvale" || fail "cannot send a close request"
expect_clean_exit $player "at the close request"
grep -q "run on Wayland" "$log" && fail "the player ran on Wayland beside an X server"
echo "desktop smoke test passed"
