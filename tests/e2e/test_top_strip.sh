#!/usr/bin/env bash
# The hidden strip, the credits box on top of the scene, its links, and "Quit".
source "$(dirname "$0")/lib.sh"

start_xvfb 1920x1080
install_stub_xdg_open
start_lumorra
strip=300x24+0+0
box=200x120+860+480
await_picture "$MEDIA_DIR/lowlight1.jpg" 1920x1080+0+0 10 >/dev/null  # the scene is up

shot "$WORK/before.png"
xdotool mousemove 1000 10
sleep 0.3
shot "$WORK/hover.png"
convert "$WORK/before.png" -crop $strip +repage "$WORK/strip-before.png"
convert "$WORK/hover.png" -crop $strip +repage "$WORK/strip-hover.png"
strip_change=$(image_error "$WORK/strip-before.png" "$WORK/strip-hover.png")
echo "hovering changed the strip by $strip_change"
below 0.01 "$strip_change" || fail "Quit and About did not appear"

xdotool mousemove 120 12 click 1
sleep 0.5
shot "$WORK/about.png"
box_error=$(crop_error "$WORK/about.png" "$MEDIA_DIR/lowlight1.jpg" "$box")
box_max=$(convert "$WORK/about.png" -crop $box +repage -colorspace Gray -format '%[fx:maxima]' info:)
echo "the box area differs from the scene by $box_error; its brightest pixel $box_max"
below 0.01 "$box_error" || fail "the credits box is not on top"
below 0.6 "$box_max" || fail "the credits box shows no text"

# The author's name, then the box is gone.
xdotool mousemove 960 513 click 1
sleep 0.5
grep -q "https://" "$WORK/urls.txt" 2>/dev/null || fail "no address was opened"
echo "opened: $(cat "$WORK/urls.txt")"
shot "$WORK/hidden.png"
below "$(crop_error "$WORK/hidden.png" "$MEDIA_DIR/lowlight1.jpg" "$box")" 0.03 ||
  fail "the box did not hide"

xdotool mousemove 1000 10 sleep 0.2 mousemove 30 12 click 1
wait_exit "$APP_PID" 2
[ "$STATUS" = 0 ] || fail "Quit ended the program with status $STATUS"
echo ok
