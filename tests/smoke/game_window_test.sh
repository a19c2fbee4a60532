#!/bin/bash
# Runs the game on a real X server (Xvfb) with the sdl backend and checks that its window shows
# the title picture: a screenshot of the display, compared with media/opening.png at a grid of
# points. Then closes the window from outside and checks that the game ended in order.
#   game_window_test.sh GAME PICTURE_MATCH MEDIA_DIR LSAN_SUPPRESSIONS
set -euo pipefail
game=$1
match=$2
media=$3
suppressions=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# The game finds its files under media\ in the working directory.
ln -s "$media" media

export KUMO_PLATFORM=sdl
# SDL's desktop libraries keep a few blocks until exit.
export LSAN_OPTIONS="suppressions=$suppressions"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  game=$1
  match=$2
  "$game" &
  pid=$!
  fail() { echo "$1"; kill "$pid" 2>/dev/null || true; exit 1; }
  # The window may be made anew for its renderer at the first present, so it is looked for
  # until it has a position, and the picture is looked at until it shows: the title comes
  # within a few frames once the media are loaded.
  shown=""
  for attempt in $(seq 100); do
    window=$(xdotool search --name "^KumoLib$" 2>/dev/null | head -n 1 || true)
    position=""
    if [ -n "$window" ]; then
      position=$(xdotool getwindowgeometry --shell "$window" 2>/dev/null || true)
    fi
    if [ -n "$position" ]; then
      eval "$position"
      if import -window root shot.png 2>/dev/null &&
         "$match" shot.png media/opening.png "$X" "$Y" >match.txt; then
        shown=yes
        break
      fi
    fi
    kill -0 "$pid" 2>/dev/null || fail "the game ended before it showed its title"
    sleep 0.2
  done
  if [ -z "$shown" ]; then
    cat match.txt 2>/dev/null || true
    fail "the window does not show the title picture"
  fi
  echo "window $window at $X,$Y shows the title picture"
  kill -TERM "$pid"
  status=0
  wait "$pid" || status=$?
  echo "exit status $status"
  exit $status
' smoke "$game" "$match"

log=$(iconv -f CP932 -t UTF-8 Log.txt)
for line in "ソフトを終了する準備が整いました" "Alloc memory dump"; do
  if ! grep -q "$line" <<<"$log"; then
    echo "Log.txt lacks: $line"
    echo "$log"
    exit 1
  fi
done
echo "Log.txt complete"
