#!/usr/bin/env bash
# Under openbox with a Russian layout: four drag-pulls give on, off, on, off; Ctrl+Q by key code
# quits, Ctrl+Shift+Q does not, nor does Ctrl+' on the same key with a Dvorak layout.
source "$(dirname "$0")/lib.sh"
start_xvfb 1920x1080
setxkbmap ru || fail "cannot set the Russian layout"
start_wm openbox --config-file /dev/null

start_lumorra
expect_picture "$MEDIA_DIR/lowlight1.jpg" 1920x1080+0+0 10 "no scene"
pulls=0
for light in chain1 lowlight1 chain1 lowlight1; do  # on, off, on, off
  # press on the chain, pull it down past its end, let go there
  xdotool mousemove "${CHAIN[@]}" sleep 0.1 mousedown 1 sleep 0.1 mousemove "${CHAIN[0]}" 400 sleep 0.05 \
    mousemove "${CHAIN[0]}" 620 sleep 0.1 mouseup 1
  sleep 0.6
  pulls=$((pulls + 1))
  expect_picture "$MEDIA_DIR/$light.jpg" 600x500+0+0 5 "drag-pull $pulls did not show $light.jpg"
done
xdotool mousemove 900 600 click 1 keydown 37 keydown 50 key 24 keyup 50 keyup 37  # Ctrl+Shift+Q
sleep 0.3
kill -0 "$APP_PID" 2>/dev/null || fail "Ctrl+Shift+Q quit"
setxkbmap us -variant dvorak && sleep 0.2 && xdotool keydown 37 key 24 keyup 37 && sleep 0.3
kill -0 "$APP_PID" 2>/dev/null || fail "Ctrl+' quit in the Dvorak layout"
setxkbmap ru && sleep 0.2 && xdotool keydown 37 key 24 keyup 37
expect_exit "$APP_PID" 3 "Ctrl+Q in the Russian layout"
echo ok
