#!/usr/bin/env bash
# A press on the chain held through the blackout leaves the screen black; after it, a click on
# the blank top strip leaves the program running and a click below the strip ends it.
source "$(dirname "$0")/lib.sh"

start_xvfb 1920x1080
install_stub_xdg_open
start_lumorra
await_picture "$MEDIA_DIR/lowlight1.jpg" 1920x1080+0+0 10 >/dev/null  # the scene is up

# sleep_until SECONDS: sleeps until that long after the pull.
sleep_until() { sleep "$(awk -v t="$1" -v s="$pulled" -v n="$(date +%s.%N)" 'BEGIN {
  d = s + t - n; print (d > 0 ? d : 0) }')"; }

xdotool mousemove 118 270 click 1
pulled=$(date +%s.%N)
xdotool mousemove 800 600
# The blackout comes 32.7 s after the pull; the press starts before the final flash and ends
# after the screen went black.
sleep_until 31.8
xdotool mousemove 118 270 sleep 0.1 mousedown 1
sleep_until 33.3
xdotool mousemove 118 620 mouseup 1
sleep 1
shot "$WORK/after.png"
level=$(mean_level "$WORK/after.png" 1920x1080+0+0)
echo "mean level after the release: $level"
below "$level" 0.01 || fail "the screen is not black after the blackout"

xdotool mousemove 12 12 sleep 0.2 click 1  # the strip, left of "Quit"
sleep 0.5
kill -0 "$APP_PID" 2>/dev/null || fail "a click on the strip ended the program"
xdotool mousemove 900 600 sleep 0.2 click 1
wait_exit "$APP_PID" 3
[ "$STATUS" = 0 ] || fail "a click below the strip: status $STATUS: $(said)"
echo ok
