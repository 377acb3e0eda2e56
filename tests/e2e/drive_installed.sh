#!/usr/bin/env bash
# Runs an installed program under a virtual X server as the user running this script: plays a
# letter key, shows the makam list, saves the makam "Benim" and shows the list again.
# Usage: drive_installed.sh <bin folder> <output folder> <Text1 x y> <save x y> <open x y>
#        <first list row x y>   (all points in window coordinates)
# Leaves <output>/audio.raw (mono 16-bit 44100 Hz), <output>/before.png and <output>/after.png
# (the window with the makam list shown before and after saving) and <output>/log.txt.
set -u
bin=$1
out=$2
text1=("$3" "$4")
save=("$5" "$6")
open=("$7" "$8")
row=("$9" "${10}")
mkdir -p "$out/tmp" "$out/run"
chmod 700 "$out/run"
export TMPDIR="$out/tmp" XDG_RUNTIME_DIR="$out/run"
export SDL_AUDIODRIVER=disk
export SDL_DISKAUDIOFILE="$out/audio.raw"
export QT_QPA_PLATFORM=xcb
"$bin/zembera" >"$out/log.txt" 2>&1 &
pid=$!
finish() {
  kill "$pid" 2>/dev/null
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}
trap finish EXIT
x() { timeout 20 "$@"; }
fail() {
  echo "drive_installed: $*" >&2
  echo "--- program log:" >&2
  cat "$out/log.txt" >&2
  exit 3
}
click() { x xdotool mousemove --window "$wid" "$1" "$2" click 1 || fail "click at $1 $2 failed"; }
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
x xdotool keydown s || fail "xdotool keydown failed"
sleep 0.4
x xdotool keyup s
sleep 0.3
click "${open[@]}"
sleep 0.5
x import -window "$wid" "$out/before.png" || fail "import of window $wid failed"
# Loading the first makam hides the list and puts its name into Text1.
click "${row[@]}"
sleep 0.3
click "${text1[@]}"
sleep 0.2
x xdotool key ctrl+a BackSpace
x xdotool type --delay 50 Benim
sleep 0.2
click "${save[@]}"
sleep 0.5
click "${open[@]}"
sleep 0.5
x import -window "$wid" "$out/after.png" || fail "import of window $wid failed"
exit 0
