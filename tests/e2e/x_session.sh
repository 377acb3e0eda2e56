# Shared by the drive scripts: a virtual X server of the run's own, the program under it, and
# time limits on every X client call, so that a window that never shows fails the run with a
# reason on stderr instead of hanging it (an `import` without a window waits for a click forever).
# Expects $out (output folder); sets $DISPLAY, $pid (the program) and $wid (its window).
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
  echo "$(basename "$0"): $*" >&2
  echo "--- program log:" >&2
  cat "$out/log.txt" >&2
  exit 3
}
# The server picks a free display and writes its number once it accepts clients (xvfb-run's
# signal handshake can hang when the server is ready before the script waits). A server of
# another run that ends just then can take the new one's socket with it (the display was free by
# its lock file, the socket file of the same name is removed after): a display that takes no
# client is left for a new server. The server never resets: by default it resets when its last
# client leaves, and a client that connects meanwhile (the program, just after the check below
# disconnected) is dropped before its setup is answered.
start_x_server() {
  for _ in 1 2 3; do
    : >"$out/display"
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$out/display" 2>"$out/xvfb.txt" &
    xvfb=$!
    for _ in $(seq 200); do
      [ -s "$out/display" ] && break
      kill -0 "$xvfb" 2>/dev/null || break
      sleep 0.1
    done
    [ -s "$out/display" ] || fail "Xvfb did not start: $(cat "$out/xvfb.txt")"
    export DISPLAY=":$(head -n 1 "$out/display")"
    sleep 0.2
    x xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
    stop "$xvfb"
  done
  fail "no client reached the virtual display $DISPLAY"
}
# Starts the program $1 with SDL's disk audio driver and waits until its window has the focus.
start_program() {
  mkdir -p "$out/tmp" "$out/run" "$out/home"
  chmod 700 "$out/run"
  # Folders of its own for the per-user lock (in the data folder) and the settings, so that runs
  # never block one another, nor meet a program the user runs, nor read the user's settings.
  export TMPDIR="$out/tmp" XDG_RUNTIME_DIR="$out/run" HOME="$out/home"
  export XDG_DATA_HOME="$out/home/.local/share" XDG_CONFIG_HOME="${XDG_CONFIG_HOME:-$out/config}"
  export SDL_AUDIODRIVER=disk
  export SDL_DISKAUDIOFILE="$out/audio.raw"
  export QT_QPA_PLATFORM=xcb
  "$1" >"$out/log.txt" 2>&1 &
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
}
