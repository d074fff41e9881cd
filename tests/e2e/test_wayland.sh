#!/usr/bin/env bash
# On native Wayland (Weston's X11 backend on Xvfb) the scene fills the output and the chain pulls;
# the compositor's end ends the program with one line, as an X server's does.
source "$(dirname "$0")/lib.sh"
start_xvfb 1152x768
start_weston 1152x768
shown_on_weston() {
  start_on_weston
  expect_picture "$WORK/reduced.png" 1152x768+0+0 10 "Weston's output does not show the scene"
}
reduced_scene
shown_on_weston
# A borderless window needs no decorations: no decoration plugin, and no toolkit behind one.
! grep -E 'libdecor/plugins|libgtk|libgdk' "/proc/$APP_PID/maps" ||
  fail "a decoration plugin or toolkit was loaded for a window without decorations"
weston_pointer 1152x768
xdotool mousemove 72 160 sleep 0.2 mousedown 1 sleep 0.1 mouseup 1  # the chain: 59..85 x 26..305
expect_picture "$WORK/reduced_lit.png" 360x300+0+0 5 "the pull on the chain did not switch the light on"
kill -TERM "$APP_PID"
expect_exit "$APP_PID" 3 "SIGTERM"
shown_on_weston
kill "$WESTON_PID"
expect_exit "$APP_PID" 5 "Weston's end" 1
expect_one_error 1 'lumorra: lost the connection to the display lumorra'
echo ok
