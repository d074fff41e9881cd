# Shared by the end-to-end tests and benchmarks: a private X server and cleanup of every process
# started, by pid. Needs WORK set first; XVFB_DISPLAYS="N M ...", when set, keeps the servers to
# those display numbers.
PIDS=()
cleanup() {
  local pid
  kill "${PIDS[@]}" 2>/dev/null || true
  for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT
# E2E_SHOTS=DIR keeps what a failing test last looked at: failed.png, the program's stderr, the
# desktop's log.
fail() {
  echo "FAIL: $*" >&2
  [ -z "${E2E_SHOTS:-}" ] || cp "$WORK/await.png" "$E2E_SHOTS/failed.png" 2>/dev/null || true
  [ -z "${E2E_SHOTS:-}" ] || cp "$WORK/stderr.txt" "$E2E_SHOTS/failed-stderr.txt" 2>/dev/null || true
  [ -z "${E2E_SHOTS:-}" ] || cp "$WORK/desktop.log" "$E2E_SHOTS/failed-desktop.log" 2>/dev/null || true
  exit 1
}

# wait_for TRIES COMMAND...: runs COMMAND every 50 ms until it succeeds, at most TRIES times.
wait_for() {
  local i
  for ((i = 0; i < $1; i++)); do "${@:2}" && return 0; sleep 0.05; done
  return 1
}

# start_xserver SERVER ARGS...: SERVER ARGS on a free display; sets DISPLAY and XVFB_PID. The
# server takes the first display number that is free on this machine and says which once it
# accepts connections (-displayfd), so that runs side by side never meet; with XVFB_DISPLAYS set,
# the first of those that comes up.
start_xserver() {
  local n
  if [ -z "${XVFB_DISPLAYS:-}" ]; then
    # Emptied here: the server's own redirection happens only once it runs, and the number of
    # the server before it must not be taken for this one's.
    : >"$WORK/xserver.display"
    "$1" -displayfd 3 "${@:2}" 3>>"$WORK/xserver.display" >"$WORK/xserver.log" 2>&1 &
    XVFB_PID=$! && PIDS+=("$XVFB_PID")
    announced() { grep -q '^[0-9]' "$WORK/xserver.display" || ! kill -0 "$XVFB_PID" 2>/dev/null; }
    wait_for 400 announced && n=$(head -n 1 "$WORK/xserver.display") && [ -n "$n" ] ||
      fail "$1 did not start: $(tail -5 "$WORK/xserver.log")"
    export DISPLAY=":$n"
    return 0
  fi
  for n in $XVFB_DISPLAYS; do
    { [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; } && continue
    "$1" ":$n" "${@:2}" >"$WORK/xserver.log" 2>&1 &
    XVFB_PID=$! && PIDS+=("$XVFB_PID") && export DISPLAY=":$n"
    # Another server may hold the display number without a lock file (its abstract socket):
    # then ours fails to start while that one answers. The lock file names the server that won.
    ours() { [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = "$XVFB_PID" ] && xdpyinfo >/dev/null 2>&1; }
    up_or_gone() { ours || ! kill -0 "$XVFB_PID" 2>/dev/null; }
    wait_for 100 up_or_gone && ours && return 0
    { kill "$XVFB_PID"; wait "$XVFB_PID"; } 2>/dev/null || true
    unset 'PIDS[-1]'
  done
  fail "no free X display for $1: $(tail -5 "$WORK/xserver.log")"
}

# CHAIN=(X Y): a point halfway down the chain where a 1920x1080 screen shows the scene (the chain
# hangs at 98..138 x 26..516); chain_at SCALE puts it on the scene drawn SCALE times that size (0.6
# below 1920x1080; a larger screen's width over 1920).
chain_at() { read -r -a CHAIN <<<"$(awk -v s="$1" 'BEGIN { printf "%d %d", 118 * s + 0.5, 270 * s + 0.5 }')"; }
chain_at 1

# start_xvfb WIDTHxHEIGHT: Xvfb with no window manager, XVFB_DEPTH bits a pixel (24 unless set).
start_xvfb() { start_xserver Xvfb -screen 0 "$1x${XVFB_DEPTH:-24}" -noreset -nolisten tcp; }

# start_wm COMMAND...: a window manager, waited for until it has announced itself.
start_wm() {
  "$@" >"$WORK/wm.log" 2>&1 &
  PIDS+=($!)
  wm_up() { grep -q 'window id' <<<"$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null)"; }
  wait_for 100 wm_up || fail "the window manager $1 did not start"
}
