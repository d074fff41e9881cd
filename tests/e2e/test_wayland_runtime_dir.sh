#!/usr/bin/env bash
# Ten runs on native Wayland (Weston's X11 backend on Xvfb), each with the hand shown over the
# chain and each ended in one of the ways a person ends it: nothing is left in XDG_RUNTIME_DIR
# but the compositor's own files. (Nested mutter takes no pointer from the X server, so the
# hover is made under Weston only.)
source "$(dirname "$0")/lib.sh"
start_xvfb 1152x768
start_weston 1152x768
reduced_scene
own=$(cd "$XDG_RUNTIME_DIR" && ls -A)  # Weston's socket and its lock
# Weston's keyboard follows the X focus.
xdotool windowfocus "$(xwininfo -root -children | awk '/Weston Compositor/ { print $1; exit }')"
weston_pointer 1152x768
# The hand's pixels reach the compositor in a buffer it maps: seen there, the hand was made (the
# program's own, or one made by SDL from a file in XDG_RUNTIME_DIR).
hand_made() { grep -qE 'memfd:lumorra-cursor|/sdl-shared-' "/proc/$WESTON_PID/maps"; }
for run in $(seq 10); do
  start_on_wayland lumorra
  expect_picture "$WORK/reduced.png" 360x300+0+0 10 "run $run: no scene"
  xdotool mousemove 700 500 sleep 0.1 mousemove 72 160  # onto the chain: 59..85 x 26..305
  wait_for 60 hand_made || fail "run $run: no hand over the chain"
  xdotool mousemove 700 500
  case $((run % 4)) in
    0) xdotool key ctrl+q ;;
    1) xdotool key Escape ;;
    2) kill -TERM "$APP_PID" ;;
    3) xdotool mousemove 1000 10 sleep 0.3 mousemove 30 12 sleep 0.1 click 1 ;;  # "Quit"
  esac
  expect_exit "$APP_PID" 5 "run $run"
  # The next run's hand is told from this one's only once the compositor has let go of it.
  wait_for 40 eval '! hand_made' || fail "run $run: the compositor kept the hand's buffer"
  left=$(cd "$XDG_RUNTIME_DIR" && ls -A | grep -vxF "$own" || true)
  [ -z "$left" ] || fail "run $run left files in XDG_RUNTIME_DIR: $left"
done
echo ok
