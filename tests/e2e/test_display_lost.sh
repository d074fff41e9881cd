#!/usr/bin/env bash
# When the X server goes away while a sound plays, the program says so once and ends with
# status 1.
source "$(dirname "$0")/lib.sh"

start_xvfb 1920x1080
start_lumorra
await_picture "$MEDIA_DIR/lowlight1.jpg" 1920x1080+0+0 10 >/dev/null
xdotool mousemove 118 270 click 1  # the chain's sound is playing now
sleep 0.05
kill "$XVFB_PID"
wait_exit "$APP_PID" 5
expect_one_error 1 'lumorra: lost the connection to the display'
echo ok
