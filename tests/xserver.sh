# What the end-to-end tests and the benchmarks share: a private Xvfb server and cleanup of every
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

# start_xvfb WIDTHxHEIGHT: a private X server on a free display, no window manager, with
# XVFB_DEPTH bits a pixel (24 unless set); sets DISPLAY and XVFB_PID.
start_xvfb() {
  local size=$1 n
  for n in $XVFB_DISPLAYS; do
    { [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; } && continue
    Xvfb ":$n" -screen 0 "${size}x${XVFB_DEPTH:-24}" -noreset -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
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
  fail "no free X display"
}

# start_wm COMMAND...: a window manager on the display, waited for until it has announced
# itself on the root window.
start_wm() {
  "$@" >"$WORK/wm.log" 2>&1 &
  PIDS+=($!)
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.05
  done
  fail "the window manager $1 did not start"
}

# start_icewm_taskbar_top: icewm with its taskbar along the top of the screen, where it
# would cover the scene's top strip.
start_icewm_taskbar_top() {
  mkdir -p "$WORK/home/.icewm"
  printf 'TaskBarAtTop=1\nShowTaskBar=1\n' >"$WORK/home/.icewm/preferences"
  start_wm env HOME="$WORK/home" icewm
  sleep 0.5  # the taskbar maps after the check is set
}
