#!/usr/bin/env bash
# The show with the real pointer: a first click lights the room, sound is written, a press held
# through the blackout leaves it black, then only a click below the strip quits; a dying X server.
source "$(dirname "$0")/lib.sh"
start_xvfb 1920x1080
install_stub_xdg_open
start_lumorra
await_picture "$MEDIA_DIR/lowlight1.jpg" 1920x1080+0+0 10 >/dev/null  # the scene is up

xdotool mousemove 118 270 click 1
pulled=$(date +%s.%N)
shot "$WORK/lit.png"
xdotool mousemove 800 600
lit=$(crop_error "$WORK/lit.png" "$MEDIA_DIR/chain1.jpg" 600x500+0+0)  # lamp and chain
lit2=$(crop_error "$WORK/lit.png" "$MEDIA_DIR/chain2.jpg" 600x500+0+0)  # ... being pulled
echo "after the pull: error against lit $lit, lit and pulled $lit2"
below "$lit" 0.03 || below "$lit2" 0.03 || fail "the light did not come on"

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
xdotool mousemove 12 12 sleep 0.2 click 1  # the strip, left of "Quit"
sleep 0.5
kill -0 "$APP_PID" 2>/dev/null || fail "a click on the strip ended the program"
xdotool mousemove 900 600 sleep 0.2 click 1
expect_exit "$APP_PID" 3 "a click below the strip"
[ -s "$WORK/audio.raw" ] || fail "no sound was written"
peak=$(sox -t raw -r 44100 -e signed-integer -b 16 -c 2 -L "$WORK/audio.raw" -n stat 2>&1 |
  awk '/Maximum amplitude/ { print $3 }')
below 0.01 "$peak" || fail "the sound written is silent (peak $peak)"

start_lumorra
await_picture "$MEDIA_DIR/lowlight1.jpg" 1920x1080+0+0 10 >/dev/null
xdotool mousemove 118 270 click 1  # the chain's sound is playing now
sleep 0.05
kill "$XVFB_PID"
wait_exit "$APP_PID" 5
expect_one_error 1 'lumorra: lost the connection to the display'
echo ok
