#!/usr/bin/env bash
# The show with the real pointer: a press held through the blackout leaves it black, then only a
# click below the strip quits; the screensaver comes in the idle dark room and after the blackout;
# a dying X server ends it with one line.
source "$(dirname "$0")/lib.sh"
# expect_screensaver WHEN: with a 2 s timeout, the server's screensaver comes within 4 s of no
# input. It shows the root window's white (no blanking), which neither the scene nor black has.
expect_screensaver() {
  local start=$SECONDS
  xset s 2 2 s noblank
  until shot "$WORK/saver.png" && below 0.9 "$(mean_level "$WORK/saver.png" 1920x1080+0+0)"; do
    [ $((SECONDS - start)) -lt 6 ] || fail "no screensaver $1"
    sleep 0.5
  done
  xset s off
}
start_xvfb 1920x1080
xsetroot -solid white
start_lumorra
expect_picture "$MEDIA_DIR/lowlight1.jpg" 1920x1080+0+0 10 "no scene"
expect_screensaver "in the idle dark room"
xdotool mousemove 118 270 click 1 mousemove 800 600
pulled=$(date +%s.%N)
sleep_until() { sleep "$(awk -v t="$1" -v s="$pulled" -v n="$(date +%s.%N)" 'BEGIN {
  d = s + t - n; print (d > 0 ? d : 0) }')"; }
# The blackout comes 32.7 s after the pull; the press spans the final flash and the blackout.
sleep_until 31.8
xdotool mousemove 118 270 sleep 0.1 mousedown 1
sleep_until 33.3
xdotool mousemove 118 620 mouseup 1
sleep 1
shot "$WORK/after.png"
level=$(mean_level "$WORK/after.png" 1920x1080+0+0)
below "$level" 0.01 || fail "the screen is not black after the blackout (mean level $level)"
expect_screensaver "after the blackout"
xdotool mousemove 12 12 sleep 0.2 click 1  # the strip, left of "Quit"
sleep 0.5
kill -0 "$APP_PID" 2>/dev/null || fail "a click on the strip ended the program"
xdotool mousemove 900 600 sleep 0.2 click 1
expect_exit "$APP_PID" 3 "a click below the strip"

start_lumorra
xdotool mousemove 118 270 click 1 sleep 0.05  # the chain's sound is playing now
kill "$XVFB_PID"
expect_exit "$APP_PID" 5 "the X server's end" 1
expect_one_error 1 'lumorra: lost the connection to the display'
echo ok
