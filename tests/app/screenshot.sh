#!/bin/sh
# Starts the calculator on the X server of DISPLAY (see xvfb.sh), waits until its window is mapped
# and painted, and writes the window as a PNG.
set -eu
program=$1
out=$2

cleanup() {
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true
}
trap cleanup EXIT

"$program" &
pid=$!

# The program's top-level window carries its class name "bmi".
id=""
for _ in $(seq 1 300); do
  id=$(xwininfo -root -tree 2>/dev/null | awk '/"Body Mass Index": \("bmi"/ { print $1; exit }')
  [ -n "$id" ] && break
  sleep 0.1
done
[ -n "$id" ] || { echo "screenshot: the window did not appear" >&2; exit 1; }

# The window's icon as the window manager sees it, beside the picture.
xprop -id "$id" _NET_WM_ICON 2>&1 | head -c 400 >"${out%.png}.xprop"

# A mapped window may not be painted yet: take pictures until one is not a single flat colour.
for _ in $(seq 1 300); do
  if import -window "$id" "$out" 2>/dev/null &&
     [ "$(convert "$out" -format '%[fx:standard_deviation > 0]' info:)" = 1 ]; then
    exit 0
  fi
  sleep 0.1
done
echo "screenshot: the window was never painted" >&2
exit 1
