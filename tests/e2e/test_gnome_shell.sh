#!/usr/bin/env bash
# Under GNOME Shell nested in Xvfb (a 1920x1080 output at scales 1, 2 and 1.5; a system bus of
# the test's own, without which the shell does not start), as a GNOME user starts the program:
# native Wayland, full screen over the shell's top bar, the room at the output's pixels, a pull
# with Space, Escape, Ctrl+Q; the shell's end: one line, status 1. (Nested, the shell takes no
# pointer events from the X server, so the pointer's pull and the credits box are tested under
# KWin.)
source "$(dirname "$0")/lib.sh"
start_xvfb 1920x1200
for scale in 1 2 1.5; do
  start_desktop gnome-shell "$scale"
  desktop_scenario gnome-shell "$scale"
  if [ "$scale" = 1 ]; then
    start_on_wayland desktop
    expect_picture "$WORK/dark.png" 1920x1080+0+0 20 "gnome-shell: the second start" 0.01
    xdotool windowfocus "$COMPOSITOR_WIN" 2>/dev/null || true
    xdotool key ctrl+q
    expect_exit "$APP_PID" 5 "gnome-shell: Ctrl+Q"
  fi
  if [ "$scale" = 1.5 ]; then
    start_on_wayland desktop
    expect_picture "$WORK/dark.png" 1280x720+0+0 20 "gnome-shell: the last start" 0.01
    kill "$COMPOSITOR_PID"
    expect_exit "$APP_PID" 5 "gnome-shell's end" 1
    expect_one_error 1 'lumorra: lost the connection to the display desktop'
  else
    kill "$COMPOSITOR_PID" && wait "$COMPOSITOR_PID" 2>/dev/null || true
  fi
done
echo ok
