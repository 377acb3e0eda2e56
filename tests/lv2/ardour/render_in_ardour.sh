#!/usr/bin/env bash
# Plays an LV2 instrument in Ardour, headless (ardour7-lua on the dummy backend), and exports
# the session to a 32-bit float WAV file at the session rate.
#
#   render_in_ardour.sh --bundle DIR --uri URI --out FILE.wav --notes FRAME:NOTE:VELOCITY:FRAMES,...
#       [--rate HZ] [--frames N] [--automate URI PORT_INDEX FRAME:VALUE,...] [--tries N]
#
# The bundle's folder goes first in LV2_PATH, which is where Ardour looks for LV2 plugins. The
# export format is Ardour's own 32-bit float WAV with the id the preset (export/) names, no
# broadcast chunk, and Ardour analysing the sound: without that, one run in three died at the end
# of the export (a double free in ExportGraphBuilder::reset). Ardour 7.3 headless still dies
# now and then, mostly after the export, as the session closes: a run whose export did not finish
# (or, dead after it, left a file without every frame, as soxi counts them) is tried again, up to
# --tries times (3), unless the session script itself reported an error (no such plugin, no such
# port). Each run gets a fresh HOME, so that the user's Ardour
# settings never take part. Prints one line per run, and exits 0 once a WAV is exported.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
rate=48000 frames=$((4 * 48000)) tries=3 automate=() bundle="" uri="" out="" notes=""
while [ $# -gt 0 ]; do
  case "$1" in
    --bundle) bundle=$2; shift 2 ;;
    --uri) uri=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --notes) notes=$2; shift 2 ;;
    --rate) rate=$2; shift 2 ;;
    --frames) frames=$2; shift 2 ;;
    --automate) automate=("$2" "$3" "$4"); shift 4 ;;
    --tries) tries=$2; shift 2 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done
if [ -z "$bundle" ] || [ -z "$uri" ] || [ -z "$out" ] || [ -z "$notes" ]; then
  echo "usage: $0 --bundle DIR --uri URI --out FILE.wav --notes FRAME:NOTE:VELOCITY:FRAMES,..." >&2
  exit 2
fi
command -v ardour7-lua >/dev/null || { echo "ardour7-lua is not installed" >&2; exit 3; }
float_wav="/usr/share/ardour7/export/BWAV 32float Export.format"
[ -f "$float_wav" ] || { echo "Ardour's export format $float_wav is missing" >&2; exit 3; }

# The notes as the note source's events: note on and note off, in frame order.
events=$(tr ',' '\n' <<<"$notes" | awk -F: 'NF == 4 {
  printf "%d 144 %d %d\n%d 128 %d 0\n", $1, $2, $3, $1 + $4, $2 }' | sort -n -s -k1,1 |
  awk '{ printf "{ %d, %d, %d, %d }, ", $1, $2, $3, $4 }')

# A folder named twice in LV2_PATH makes Ardour load each of its plugins twice.
bundle=$(cd "$bundle" && pwd)
LV2_PATH=$(tr ':' '\n' <<<"$(dirname "$bundle"):${LV2_PATH:-/usr/local/lib/lv2:/usr/lib/lv2}" |
  awk 'NF && !seen[$0]++' | paste -sd:)
export LV2_PATH
preset=0e7b2d4c-8a61-4f3e-b5d9-1c2a3b4c5d6e
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out_folder=$(cd "$(dirname "$out")" && pwd) name=$(basename "$out" .wav)

for try in $(seq 1 "$tries"); do
  home="$work/home$try"
  mkdir -p "$home/.config/ardour7/scripts" "$home/.config/ardour7/export"
  sed "s|--\[\[EVENTS\]\]|$events|" "$here/note_source.lua" >"$home/.config/ardour7/scripts/zembera_test_notes.lua"
  cp "$here/export/"* "$home/.config/ardour7/export/"
  sed -e '/<ExportFormat/s/ id="[^"]*"/ id="7a3c1f2e-5b64-4d8e-9f10-2b3c4d5e6f70"/' \
    -e 's/ name="BWAV 32float Export"/ name="ZEMBERA test: 32-bit float WAV at the session rate"/' \
    -e 's/analyse="false"/analyse="true"/' -e 's/ name="BWF"/ name="WAV"/' \
    -e 's/<SampleRate rate="1"/<SampleRate rate="SR_Session"/' \
    -e 's/"broadcast-info" value="true"/"broadcast-info" value="false"/' \
    "$float_wav" >"$home/.config/ardour7/export/float_wav.format"
  rm -f "$out"
  start=$(date +%s%N)
  set +e
  HOME="$home" XDG_CONFIG_HOME="$home/.config" timeout -k 10 90 ardour7-lua "$here/session.lua" \
    "$work/session$try" "$rate" "$frames" "$out_folder" "$name" "$preset" "$uri" "${automate[@]}" \
    >"$work/log$try" 2>&1
  status=$?
  set -e
  seconds=$(awk -v from="$start" -v to="$(date +%s%N)" 'BEGIN { printf "%.1f", (to - from) / 1e9 }')
  if grep -q '^EXPORTED ' "$work/log$try" && [ -s "$out" ]; then
    # A run that died after its export may have died before the file was closed: only a file of
    # every frame counts then.
    held=$(soxi -s "$out" 2>/dev/null || echo 0)
    if [ "$status" -eq 0 ] || [ "$held" = "$frames" ]; then
      echo "ardour run $try: exported in ${seconds}s (exit status $status)"
      exit 0
    fi
    echo "ardour run $try: exported, exit status $status, but the file holds $held of $frames frames"
    continue
  fi
  stage=$(grep -q '^EXPORTING' "$work/log$try" && echo "during the export" || echo "before the export")
  echo "ardour run $try: no export, exit status $status $stage, after ${seconds}s; its last lines:"
  grep -v 'encoder is not available' "$work/log$try" | tail -n 5 | sed 's/^/    /'
  if grep -q '^Error: ' "$work/log$try"; then exit 1; fi
done
exit 1
