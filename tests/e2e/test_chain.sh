#!/usr/bin/env bash
# Pulling the real chain with the real pointer switches the light on and off.
source "$(dirname "$0")/lib.sh"

start_xvfb 1920x1080
install_stub_xdg_open
start_lumorra
area=600x500+0+0  # the lamp, the chain and the wall around them
await_picture "$MEDIA_DIR/lowlight1.jpg" 1920x1080+0+0 10 >/dev/null  # the scene is up

xdotool mousemove 118 270 click 1
shot "$WORK/lit.png"
lit_error=$(crop_error "$WORK/lit.png" "$MEDIA_DIR/chain1.jpg" "$area")
lit2_error=$(crop_error "$WORK/lit.png" "$MEDIA_DIR/chain2.jpg" "$area")
dark_error=$(crop_error "$WORK/lit.png" "$MEDIA_DIR/lowlight1.jpg" "$area")
echo "after the pull: error against lit $lit_error, lit pulled $lit2_error, dark $dark_error"
{ below "$lit_error" 0.03 || below "$lit2_error" 0.03; } || fail "the light did not come on"

# A second click without leaving the chain does nothing; leaving and coming back allows it.
sleep 0.5
xdotool click 1
sleep 0.5
shot "$WORK/still.png"
below "$(crop_error "$WORK/still.png" "$MEDIA_DIR/chain1.jpg" "$area")" 0.03 ||
  fail "a second click without leaving the chain changed the light"

xdotool mousemove 800 600 sleep 0.1 mousemove 118 270 click 1
sleep 0.5
shot "$WORK/off.png"
off_error=$(crop_error "$WORK/off.png" "$MEDIA_DIR/lowlight1.jpg" "$area")
echo "after the switch-off: error against dark $off_error"
below "$off_error" 0.03 || fail "the light did not go off"

kill -0 "$APP_PID" || fail "the program died"
xdotool key ctrl+q
wait_exit "$APP_PID" 2
[ "$STATUS" = 0 ] || fail "status $STATUS"
# The pull and the rain reached the sound device.
[ -s "$WORK/audio.raw" ] || fail "no sound was written"
peak=$(sox -t raw -r 44100 -e signed-integer -b 16 -c 2 -L "$WORK/audio.raw" -n stat 2>&1 |
  awk '/Maximum amplitude/ { print $3 }')
echo "peak amplitude of the sound written: $peak"
below 0.01 "$peak" || fail "the sound written is silent"
echo ok
