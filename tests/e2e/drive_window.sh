#!/usr/bin/env bash
# Runs the real program under a virtual X server of its own with SDL's disk audio driver and
# plays it as a user would with xdotool.
# Usage: drive_window.sh <program folder> <output folder> [hold]
# Leaves <output>/audio.raw (mono 16-bit 44100 Hz), <output>/window.png and <output>/log.txt.
# With "hold" it only holds the S key for 3 s while two busy loops keep the processors loaded.
# With "scale" it starts with "Büyüt" 2× remembered and leaves the window's size in
# <output>/geometry.txt.
set -u
program=$1
out=$2
scenario=${3:-play}
mkdir -p "$out"
. "$(dirname "$0")/x_session.sh"
start_x_server
if [ "$scenario" = scale ]; then
  export XDG_CONFIG_HOME="$out/config"
  mkdir -p "$XDG_CONFIG_HOME/ZEMBERA"
  printf '[pencere]\nbuyut=2\n' >"$XDG_CONFIG_HOME/ZEMBERA/ZEMBERA.ini"
fi
start_program "$program/zembera"
if [ "$scenario" = scale ]; then
  x xdotool getwindowgeometry "$wid" >"$out/geometry.txt" || fail "no geometry of window $wid"
  exit 0
fi
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
# The instrument picture lies at (11, 63) in the window; string 1 is plucked at (700, 30) of
# the picture.
x xdotool mousemove --window "$wid" 711 93 click 1 || fail "xdotool click failed"
sleep 0.6
x import -window "$wid" "$out/window.png" || fail "import of window $wid failed"
exit 0
