#!/bin/sh
# Runs a command on an X server of its own: Xvfb picks a free display and writes its number once
# it accepts connections, so concurrent runs never race for a display. The server listens on an
# abstract socket only, which vanishes with it: a socket file could be unlinked by a server on its
# way out after a new one has taken the same display. Exits with the command's status.
set -eu
work=$(mktemp -d)
fifo=$work/display
mkfifo "$fifo"
cleanup() {
  if [ -n "${xpid:-}" ]; then
    kill "$xpid" 2>/dev/null || true
    wait "$xpid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -nolisten unix 3>"$fifo" 2>"$work/xvfb.log" &
xpid=$!
read -r display <"$fifo" || { cat "$work/xvfb.log" >&2; exit 1; }
DISPLAY=:$display
export DISPLAY

status=0
"$@" || status=$?
exit "$status"
