#!/usr/bin/env bash
# Under KDE Plasma's compositor (kwin_wayland nested in Xvfb, a 1920x1080 output at scales 1 and 2), as
# a KDE user starts it: native Wayland, the room at the output's pixels, a pull, the credits box
# centred, Space and Escape while it shows, Ctrl+Q; the compositor's end: one line, status 1.
source "$(dirname "$0")/lib.sh"
start_xvfb 1920x1200
for scale in 1 2; do
  start_desktop kwin "$scale"
  desktop_scenario kwin "$scale"
  if [ "$scale" = 1 ]; then
    start_on_desktop
    expect_picture "$WORK/dark.png" 1920x1080+0+0 20 "kwin: the second start" 0.01
    xdotool windowfocus "$COMPOSITOR_WIN" 2>/dev/null || true
    xdotool key ctrl+q
    expect_exit "$APP_PID" 5 "kwin: Ctrl+Q"
  fi
  if [ "$scale" = 2 ]; then
    start_on_desktop
    expect_picture "$WORK/dark.png" 1920x1080+0+0 20 "kwin: the last start" 0.01
    kill "$COMPOSITOR_PID"
    expect_exit "$APP_PID" 5 "kwin's end" 1
    expect_one_error 1 'lumorra: lost the connection to the display desktop'
  else
    kill "$COMPOSITOR_PID" && wait "$COMPOSITOR_PID" 2>/dev/null || true
  fi
done
echo ok
