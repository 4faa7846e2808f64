#!/usr/bin/env bash
# The real player on a virtual X display and a session bus of its own, driven the
# way the desktop's media keys and player widgets drive it: over MPRIS 2. Two long
# tracks are added through the Add files dialog; PlayPause starts the first, Next
# moves on to the second, the volume lands on a step, Stop ends playback, Raise
# brings the minimised window back and Quit ends the player. Metadata and
# PlaybackStatus follow each step, and the changes are announced.
# Usage: media_keys_test.sh SONVALE APP_ID
set -u
sonvale=$1
app_id=$2
for tool in xvfb-run xdotool openbox dbus-run-session dbus-send dbus-monitor ffmpeg; do
  command -v $tool >/dev/null || { echo "$tool missing"; exit 77; }
done

if [ -z "${SONVALE_MEDIA_INNER:-}" ]; then
  SONVALE_MEDIA_INNER=1 exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=$(mktemp -d)
work=$(mktemp -d)
log=$work/player.log
trap 'kill $player $manager $monitor 2>/dev/null; rm -rf "$XDG_RUNTIME_DIR" "$work"' EXIT

fail() { echo "FAIL: $*"; cat "$log"; exit 1; }
. "$(dirname "$0")/desktop_steps.sh"
start_window_manager || fail "the window manager did not come up"

service=org.mpris.MediaPlayer2.sonvale
path=/org/mpris/MediaPlayer2
player_interface=org.mpris.MediaPlayer2.Player

call() { dbus-send --session --print-reply --dest=$service $path "$@" >/dev/null; }
# A property's value as dbus-send prints it: strings without quotes, numbers as
# they are.
property() {
  dbus-send --session --print-reply --dest=$service $path org.freedesktop.DBus.Properties.Get \
    string:"$1" string:"$2" 2>/dev/null | sed -En '2s/^ *variant *(object path|[a-z0-9]+) *//p' | tr -d '"'
}
# One entry of the Metadata map.
metadata() {
  dbus-send --session --print-reply --dest=$service $path org.freedesktop.DBus.Properties.Get \
    string:$player_interface string:Metadata 2>/dev/null |
    awk -v key="\"$1\"" 'found { sub(/^ *variant *(object path|[a-z0-9]+) */, ""); gsub(/"/, ""); print; exit }
                         $0 ~ "string " key { found = 1 }'
}
# Waits up to thirty seconds for a command's output to become the expected text.
wait_for() {
  local expected=$1
  shift
  for _ in $(seq 300); do
    [ "$("$@")" = "$expected" ] && return 0
    sleep 0.1
  done
  return 1
}
# Types a file's path into the Add files dialog.
# On a loaded machine a first click has been seen to open nothing: click again until
# the dialog shows.
add_file() {
  local dialog=""
  for _ in $(seq 6); do
    xdotool mousemove --window "$main" 80 672 click 1
    dialog=$(wait_window "Open Audio WAV/MP3/OGG/FLAC/M4A/AAC/WMA/WV/CDA files" 10) && break
  done
  [ -n "$dialog" ] || fail "no Add files dialog"
  sleep 0.5
  xdotool type --delay 5 "$1"
  xdotool key Return
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^Open Audio" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "the Add files dialog stays open"
}

# Longer than two blocks of the engine, so that each is still the one heard when
# the next request comes.
album="$work/Night Songs"
mkdir -p "$album"
for name in first second; do
  ffmpeg -v error -f lavfi -i "sine=frequency=440:duration=200" -ac 2 -ar 44100 "$album/$name.flac" ||
    fail "cannot make $name.flac"
done

"$sonvale" >"$log" 2>&1 &
player=$!
dbus-monitor --session "type='signal',interface='org.freedesktop.DBus.Properties',member='PropertiesChanged'" \
  >"$work/signals" 2>&1 &
monitor=$!

device=$(wait_window "Please select audio device\\.  \\( X = Exit \\)") || fail "no device window"
xdotool mousemove --window "$device" 200 22 click 1  # the first row: "Null output" here
main=$(wait_window "Sonvale") || fail "no main window after choosing the device"

wait_for Stopped property $player_interface PlaybackStatus || fail "no media player on the bus"
[ "$(property org.mpris.MediaPlayer2 Identity)" = Sonvale ] || fail "identity"
[ "$(property org.mpris.MediaPlayer2 DesktopEntry)" = "$app_id" ] || fail "desktop entry"
[ "$(property $player_interface CanGoNext)" = false ] || fail "Next offered while idle"

xdotool mousemove --window "$main" 60 41 click 1  # x1: "Red x 1" becomes "Green x 1"
add_file "$album/first.flac"
add_file "$album/second.flac"

call $player_interface.PlayPause
wait_for Playing property $player_interface PlaybackStatus || fail "PlayPause did not start playback"
wait_for first metadata xesam:title || fail "the first track is not the one heard: $(metadata xesam:title)"
[ "$(metadata xesam:album)" = "Night Songs" ] || fail "album: $(metadata xesam:album)"
[ "$(metadata mpris:length)" = 200000000 ] || fail "length: $(metadata mpris:length)"
[ "$(property $player_interface CanGoNext)" = true ] || fail "Next not offered while playing"

call $player_interface.Play  # PLAY while playing does nothing
call $player_interface.Next
wait_for second metadata xesam:title || fail "Next did not move on: $(metadata xesam:title)"
[ "$(property $player_interface PlaybackStatus)" = Playing ] || fail "not playing after Next"

dbus-send --session --print-reply --dest=$service $path org.freedesktop.DBus.Properties.Set \
  string:$player_interface string:Volume variant:double:0.49 >/dev/null || fail "cannot set the volume"
wait_for 0.5 property $player_interface Volume || fail "volume: $(property $player_interface Volume)"

call $player_interface.Stop
wait_for Stopped property $player_interface PlaybackStatus || fail "Stop did not stop"
[ "$(metadata mpris:trackid)" = /org/mpris/MediaPlayer2/TrackList/NoTrack ] || fail "a track after Stop"

grep -A3 'string "PlaybackStatus"' "$work/signals" | grep -q '"Playing"' ||
  fail "playing was not announced: $(cat "$work/signals")"
grep -A3 'string "PlaybackStatus"' "$work/signals" | grep -q '"Stopped"' || fail "stopping was not announced"

xdotool windowminimize --sync "$main" || fail "cannot minimise the main window"
call org.mpris.MediaPlayer2.Raise
wait_window "Sonvale" >/dev/null || fail "Raise did not bring the main window back"

call org.mpris.MediaPlayer2.Quit
expect_clean_exit $player "at Quit"
echo "media keys test passed"
