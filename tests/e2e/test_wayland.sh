#!/usr/bin/env bash
# On native Wayland (Weston's X11 backend on Xvfb) the scene fills the output and the chain pulls;
# the compositor's end ends the program with one line, as an X server's does.
source "$(dirname "$0")/lib.sh"
start_xvfb 1152x768
weston --backend=x11-backend.so --width=1152 --height=768 --socket=lumorra --idle-time=0 \
  >"$WORK/weston.log" 2>&1 &
WESTON_PID=$! && PIDS+=("$WESTON_PID")
wait_for 100 test -S "$XDG_RUNTIME_DIR/lumorra" || fail "weston did not start: $(tail -5 "$WORK/weston.log")"
start_on_weston() {
  env -u DISPLAY WAYLAND_DISPLAY=lumorra SDL_VIDEODRIVER=wayland SDL_AUDIODRIVER=dummy \
    "$NO_LEAK_CHECK" "$LUMORRA" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" &
  APP_PID=$! && PIDS+=("$APP_PID")
  expect_picture "$WORK/reduced.png" 1152x768+0+0 10 "Weston's output does not show the scene"
}
reduced_scene
start_on_weston
# Weston moves its pointer by the X pointer's relative motion, sometimes from its output's corner:
# the two corners clamp both pointers to one place first. The chain is at 59..85 x 26..305.
xdotool mousemove 0 0 sleep 0.1 mousemove 1151 767 sleep 0.1 mousemove 72 160 sleep 0.2 \
  mousedown 1 sleep 0.1 mouseup 1
expect_picture "$WORK/reduced_lit.png" 360x300+0+0 5 "the pull on the chain did not switch the light on"
kill -TERM "$APP_PID"
expect_exit "$APP_PID" 3 "SIGTERM"
start_on_weston
kill "$WESTON_PID"
expect_exit "$APP_PID" 5 "Weston's end" 1
expect_one_error 1 'lumorra: lost the connection to the display lumorra'
echo ok
