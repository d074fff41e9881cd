# What the end-to-end tests and the benchmarks share: a private X server and cleanup of every
# process started, by pid. Sourced after WORK (a scratch directory) and XVFB_DISPLAYS (the
# display numbers to try, kept apart so that tests and benchmarks can run side by side) are set.

PIDS=()

cleanup() {
  local pid
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# wait_for TRIES COMMAND...: runs COMMAND every 50 ms until it succeeds, at most TRIES times.
wait_for() {
  local i
  for ((i = 0; i < $1; i++)); do "${@:2}" && return 0; sleep 0.05; done
  return 1
}

# start_xserver SERVER ARGS...: SERVER :N ARGS on the first free display that comes up; sets
# DISPLAY and XVFB_PID.
start_xserver() {
  local n
  for n in $XVFB_DISPLAYS; do
    { [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; } && continue
    "$1" ":$n" "${@:2}" >"$WORK/xserver.log" 2>&1 &
    XVFB_PID=$!
    PIDS+=("$XVFB_PID")
    export DISPLAY=":$n"
    for _ in $(seq 100); do
      xdpyinfo >/dev/null 2>&1 && return 0
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    unset 'PIDS[-1]'
  done
  fail "no free X display for $1: $(tail -5 "$WORK/xserver.log")"
}

# start_xvfb WIDTHxHEIGHT: Xvfb with no window manager, XVFB_DEPTH bits a pixel (24 unless set).
start_xvfb() { start_xserver Xvfb -screen 0 "$1x${XVFB_DEPTH:-24}" -noreset -nolisten tcp; }

# start_wm COMMAND...: a window manager, waited for until it has announced itself.
start_wm() {
  "$@" >"$WORK/wm.log" 2>&1 &
  PIDS+=($!)
  wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
  wait_for 100 wm_up || fail "the window manager $1 did not start"
}

# start_icewm_taskbar_top: icewm with its taskbar along the top, over the scene's top strip.
start_icewm_taskbar_top() {
  mkdir -p "$WORK/home/.icewm"
  printf 'TaskBarAtTop=1\nShowTaskBar=1\n' >"$WORK/home/.icewm/preferences"
  start_wm env HOME="$WORK/home" icewm
  sleep 0.5  # the taskbar maps after the check is set
}
