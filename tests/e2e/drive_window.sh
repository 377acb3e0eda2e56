#!/usr/bin/env bash
# Runs the real program under a virtual X server with SDL's disk audio driver and plays it as a
# user would with xdotool. Usage: drive_window.sh <program folder> <output folder> [hold]
# Leaves <output>/audio.raw (mono 16-bit 44100 Hz), <output>/window.png and <output>/log.txt.
# With "hold" it only holds the S key for 3 s while two busy loops keep the processors loaded.
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
"$program/zembera" >"$out/log.txt" 2>&1 &
pid=$!
# The search can fail while the splash window goes away: ask again until the window is found.
wid=""
for _ in $(seq 100); do
  wid=$(xdotool search --onlyvisible --name "Z E M B E R A" 2>/dev/null | head -n 1)
  [ -n "$wid" ] && break
  sleep 0.1
done
xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
sleep 0.5
if [ "$scenario" = hold ]; then
  sh -c 'while :; do :; done' &
  busy1=$!
  sh -c 'while :; do :; done' &
  busy2=$!
  trap 'kill "$busy1" "$busy2" 2>/dev/null' EXIT
  sleep 0.3
  xdotool keydown s
  sleep 3
  xdotool keyup s
  sleep 0.5
  kill "$busy1" "$busy2" "$pid"
  wait "$pid" 2>/dev/null
  exit 0
fi
xdotool keydown s
sleep 0.4
xdotool keyup s
sleep 0.3
xdotool key Down
sleep 0.3
xdotool key Right
sleep 0.3
# Picture2 lies at (11, 63) in the window; string 1 is plucked at (700, 30) of the picture.
xdotool mousemove --window "$wid" 711 93 click 1
sleep 0.6
import -window "$wid" "$out/window.png"
kill "$pid"
wait "$pid" 2>/dev/null
exit 0
