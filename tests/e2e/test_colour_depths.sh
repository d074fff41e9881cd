#!/usr/bin/env bash
# A 30-bit X screen shows the scene and the credits box; on an 8-bit one the program says why in one line, status 1.
source "$(dirname "$0")/lib.sh"
XVFB_DEPTH=30 start_xvfb 1152x768
start_lumorra "$NO_LEAK_CHECK"  # each picture put once in a pixmap of the 30-bit server
reduced_scene  # the 30-bit screenshot comes out in 8 bits a channel: 0.004 off; red and blue swapped, 0.03
expect_picture "$WORK/reduced.png" 1152x768+0+0 10 "the 30-bit screen does not show the scene" 0.015
click_about
wait_for 20 box_up 200x120+476+324 || fail "no credits box in the middle of the 30-bit screen"
xdotool key ctrl+q
expect_exit "$APP_PID" 3 "Ctrl+Q on 30 bits"

XVFB_DEPTH=8 start_xvfb 640x480
STATUS=0
timeout 10 env SDL_AUDIODRIVER=dummy "$LUMORRA" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" || STATUS=$?
expect_one_error 1 'lumorra: cannot draw on this screen'
echo ok
