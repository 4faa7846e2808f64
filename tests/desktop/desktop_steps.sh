# Steps the desktop tests share, sourced by them; fail() is the test's own.

# Waits up to ten seconds for a visible window with exactly this title; prints its id.
wait_window() {
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Waits up to ten seconds for the player (process $1) to end, which it must do
# with exit code 0; $2 says at what.
expect_clean_exit() {
  for _ in $(seq 100); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$1" 2>/dev/null && fail "the player did not end $2"
  wait "$1"
  local code=$?
  [ $code = 0 ] || fail "exit code $code"
}
