# Steps the desktop tests share, sourced by them; fail() is the test's own.

# Starts the window manager (its process in $manager) and waits up to a minute
# until it manages the display. On a loaded machine it can try the display before
# the X server takes connections and leave at once; it is then started again.
start_window_manager() {
  local deadline=$((SECONDS + 60))
  manager=""
  while [ $SECONDS -lt $deadline ]; do
    if [ -z "$manager" ] || ! kill -0 "$manager" 2>/dev/null; then
      openbox >/dev/null 2>&1 &
      manager=$!
    fi
    xdotool get_num_desktops >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  return 1
}

# Waits up to a minute (or $2 seconds) for a visible window with exactly this title;
# prints its id.
# Only a hung player takes that long, but a loaded machine can take more than a few
# seconds to start one. A window made topmost after it was shown is replaced by a new
# one under the same title, so the id counts once it has stayed the same for half a
# second: on a slow build a click could otherwise go to the window being replaced.
wait_window() {
  local deadline=$((SECONDS + ${2:-60})) id seen=""
  while [ $SECONDS -lt $deadline ]; do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    if [ -n "$id" ] && [ "$id" = "$seen" ]; then
      echo "$id"
      return 0
    fi
    seen=$id
    sleep 0.5
  done
  return 1
}

# Waits up to a minute for the player (process $1) to end, which it must do
# with exit code 0; $2 says at what.
expect_clean_exit() {
  local deadline=$((SECONDS + 60))
  while [ $SECONDS -lt $deadline ]; do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$1" 2>/dev/null && fail "the player did not end $2"
  wait "$1"
  local code=$?
  [ $code = 0 ] || fail "exit code $code"
}
