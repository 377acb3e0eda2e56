#!/usr/bin/env bash
# Runs an installed program under a virtual X server of its own as the user running this script:
# plays a letter key, shows the makam list, saves the makam "Benim" and shows the list again.
# Usage: drive_installed.sh <bin folder> <output folder> <makam name box x y> <save x y> <open x y>
#        <first list row x y>   (all points in window coordinates)
# Leaves <output>/audio.raw (mono 16-bit 44100 Hz), <output>/before.png and <output>/after.png
# (the window with the makam list shown before and after saving) and <output>/log.txt.
set -u
bin=$1
out=$2
name_box=("$3" "$4")
save=("$5" "$6")
open=("$7" "$8")
row=("$9" "${10}")
mkdir -p "$out"
. "$(dirname "$0")/x_session.sh"
start_x_server
start_program "$bin/zembera"
click() { x xdotool mousemove --window "$wid" "$1" "$2" click 1 || fail "click at $1 $2 failed"; }
x xdotool keydown s || fail "xdotool keydown failed"
sleep 0.4
x xdotool keyup s
sleep 0.3
click "${open[@]}"
sleep 0.5
x import -window "$wid" "$out/before.png" || fail "import of window $wid failed"
# Loading the first makam hides the list and puts its name into the makam name box.
click "${row[@]}"
sleep 0.3
click "${name_box[@]}"
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
