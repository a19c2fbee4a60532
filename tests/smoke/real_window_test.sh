#!/bin/bash
# Opens the library's window on a real X server (Xvfb) with the sdl backend, checks its title
# and client size, closes it from outside and checks that the program ended in order.
set -euo pipefail
program=$1
suppressions=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

export KUMO_PLATFORM=sdl
# SDL's desktop libraries keep a few blocks until exit.
export LSAN_OPTIONS="suppressions=$suppressions"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  "$1" &
  pid=$!
  window=""
  geometry=""
  # The first present gives the window its renderer, for which SDL may make the native window
  # anew: a window found before that is gone, and is looked for again.
  for attempt in $(seq 100); do
    window=$(xdotool search --name "^KumoLib$" 2>/dev/null | head -n 1 || true)
    if [ -n "$window" ]; then
      geometry=$(xdotool getwindowgeometry "$window" 2>/dev/null | grep Geometry || true)
      [ -n "$geometry" ] && break
    fi
    sleep 0.1
  done
  if [ -z "$window" ]; then echo "no window titled KumoLib"; kill "$pid"; exit 1; fi
  echo "window $window: $geometry"
  case "$geometry" in *640x480*) ;; *) echo "client area is not 640 x 480"; kill "$pid"; exit 1;; esac
  # A close request from outside, which SDL reports as the user quitting.
  kill -TERM "$pid"
  status=0
  wait "$pid" || status=$?
  echo "exit status $status"
  exit $status
' smoke "$program"

log=$(iconv -f CP932 -t UTF-8 Log.txt)
for line in "ウインドウを閉じようとしています" "ソフトを終了する準備が整いました" "Alloc memory dump"; do
  if ! grep -q "$line" <<<"$log"; then
    echo "Log.txt lacks: $line"
    echo "$log"
    exit 1
  fi
done
echo "Log.txt complete"
