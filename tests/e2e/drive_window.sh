#!/usr/bin/env bash
# Runs the real program under a virtual X server of its own with SDL's disk audio driver and
# plays it as a user would with xdotool. Usage: drive_window.sh <program folder> <output folder> [hold]
# Leaves <output>/audio.raw (mono 16-bit 44100 Hz), <output>/window.png and <output>/log.txt.
# With "hold" it only holds the S key for 3 s while two busy loops keep the processors loaded.
# Every X client call has a time limit, so a window that never shows fails the run with a reason
# on stderr instead of hanging it (an `import` without a window waits for a click forever).
set -u
program=$1
out=$2
scenario=${3:-play}
mkdir -p "$out/tmp" "$out/run"
chmod 700 "$out/run"
# A folder of its own for the single-instance lock, so that runs never block one another.
export TMPDIR="$out/tmp" XDG_RUNTIME_DIR="$out/run"
export SDL_AUDIODRIVER=disk
export SDL_DISKAUDIOFILE="$out/audio.raw"
export QT_QPA_PLATFORM=xcb
pid=""
xvfb=""
busy=()
stop() {
  [ -n "$1" ] || return 0
  kill "$1" 2>/dev/null
  for _ in $(seq 50); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}
finish() {
  [ ${#busy[@]} -gt 0 ] && kill "${busy[@]}" 2>/dev/null
  stop "$pid"
  stop "$xvfb"
}
trap finish EXIT
x() { timeout 20 "$@"; }
fail() {
  echo "drive_window: $*" >&2
  echo "--- program log:" >&2
  cat "$out/log.txt" >&2
  exit 3
}
# A virtual X server of our own. It picks a free display and writes its number once it accepts
# clients (xvfb-run's signal handshake can hang when the server is ready before the script waits).
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$out/display" 2>"$out/xvfb.txt" &
xvfb=$!
for _ in $(seq 200); do
  [ -s "$out/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.1
done
[ -s "$out/display" ] || fail "Xvfb did not start: $(cat "$out/xvfb.txt")"
export DISPLAY=":$(head -n 1 "$out/display")"
"$program/zembera" >"$out/log.txt" 2>&1 &
pid=$!
# The search can fail while the splash window goes away: ask again until the window is found.
wid=""
for _ in $(seq 600); do
  kill -0 "$pid" 2>/dev/null || fail "the program ended before its window showed"
  wid=$(x xdotool search --onlyvisible --name "Z E M B E R A" 2>/dev/null | head -n 1)
  [ -n "$wid" ] && break
  sleep 0.1
done
[ -n "$wid" ] || fail "no window named Z E M B E R A within 60 s"
x xdotool windowactivate --sync "$wid" 2>/dev/null || x xdotool windowfocus --sync "$wid" ||
  fail "the window $wid took no focus"
sleep 0.5
if [ "$scenario" = hold ]; then
  sh -c 'while :; do :; done' &
  busy+=($!)
  sh -c 'while :; do :; done' &
  busy+=($!)
  sleep 0.3
  x xdotool keydown s || fail "xdotool keydown failed"
  sleep 3
  x xdotool keyup s || fail "xdotool keyup failed"
  sleep 0.5
  exit 0
fi
x xdotool keydown s || fail "xdotool keydown failed"
sleep 0.4
x xdotool keyup s
sleep 0.3
x xdotool key Down
sleep 0.3
x xdotool key Right
sleep 0.3
# The instrument picture lies at (11, 63) in the window; string 1 is plucked at (700, 30) of the picture.
x xdotool mousemove --window "$wid" 711 93 click 1 || fail "xdotool click failed"
sleep 0.6
x import -window "$wid" "$out/window.png" || fail "import of window $wid failed"
exit 0
