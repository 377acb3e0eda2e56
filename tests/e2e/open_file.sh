#!/usr/bin/env bash
# Starts the real program under a virtual X server of its own with the arguments given, lets it
# end as soon as its window shows (ZEMBERA_QUIT_WHEN_SHOWN) and prints its exit code. Its settings
# go to <output>/config, where the next run finds them.
# Usage: open_file.sh <program folder> <output folder> [arguments...]
set -u
program=$1
out=$2
shift 2
mkdir -p "$out"
. "$(dirname "$0")/x_session.sh"
start_x_server
mkdir -p "$out/tmp" "$out/run" "$out/config" "$out/home"
chmod 700 "$out/run"
TMPDIR="$out/tmp" XDG_RUNTIME_DIR="$out/run" XDG_CONFIG_HOME="$out/config" HOME="$out/home" \
  XDG_DATA_HOME="$out/home/.local/share" SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb \
  ZEMBERA_QUIT_WHEN_SHOWN=1 timeout 60 "$program/zembera" "$@" >"$out/log.txt" 2>&1
echo "çıkış $?"
