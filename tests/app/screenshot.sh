#!/bin/sh
# Starts an X server of its own on a free display, starts the calculator there, waits until its
# window is mapped and painted, and writes the window as a PNG.
set -eu
program=$1
out=$2

work=$(mktemp -d)
fifo=$work/display
mkfifo "$fifo"
cleanup() {
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true
  [ -n "${xpid:-}" ] && kill "$xpid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The server writes its display number once it accepts connections.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -nolisten local 3>"$fifo" 2>"$work/xvfb.log" &
xpid=$!
read -r display <"$fifo" || { cat "$work/xvfb.log" >&2; exit 1; }
DISPLAY=:$display
export DISPLAY

"$program" &
pid=$!

# The program's top-level window carries its class name "bmi".
id=""
for _ in $(seq 1 100); do
  id=$(xwininfo -root -tree 2>/dev/null | awk '/"Body Mass Index": \("bmi"/ { print $1; exit }')
  [ -n "$id" ] && break
  sleep 0.1
done
[ -n "$id" ] || { echo "screenshot: the window did not appear" >&2; exit 1; }

# The window's icon as the window manager sees it, beside the picture.
xprop -id "$id" _NET_WM_ICON 2>&1 | head -c 400 >"${out%.png}.xprop"

# A mapped window may not be painted yet: take pictures until one is not a single flat colour.
for _ in $(seq 1 100); do
  if import -window "$id" "$out" 2>/dev/null &&
     [ "$(convert "$out" -format '%[fx:standard_deviation > 0]' info:)" = 1 ]; then
    exit 0
  fi
  sleep 0.1
done
echo "screenshot: the window was never painted" >&2
exit 1
