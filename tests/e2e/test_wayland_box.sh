#!/usr/bin/env bash
# On native Wayland (Weston's X11 backend on Xvfb) the credits box is drawn inside the scene: it
# shows centred on the scene, Weston's panel never covers the scene, the box hides by itself, a
# name of the box shown again lights up and takes the click, and Ctrl+Q quits right after.
source "$(dirname "$0")/lib.sh"
start_xvfb 1152x768
start_weston 1152x768
start_on_wayland lumorra
reduced_scene
expect_picture "$WORK/reduced.png" 1152x768+0+0 10 "Weston's output does not show the scene"

box=200x120+476+324  # the middle of the 1152x768 scene
top=900x32+240+0     # the top of the scene right of "Quit" and "About", where Weston's panel goes
# Weston's keyboard follows the X focus.
xdotool windowfocus "$(xwininfo -root -children | awk '/Weston Compositor/ { print $1; exit }')"
weston_pointer 1152x768 && click_about
wait_for 20 box_up "$box" || fail "no credits box with its text in the middle of the scene"
below "$(crop_error "$WORK/box.png" "$WORK/reduced.png" $top)" 0.03 || fail "the panel covers the scene"
# It hides by itself after 5 s; shown again, it stays until a name is clicked.
expect_picture "$WORK/reduced.png" $box 10 "the credits box did not hide by itself"
click_about
wait_for 20 box_up "$box" || fail "the credits box did not come back"
xdotool mousemove 576 357  # "Corvane"
name_blue() {
  shot "$WORK/lit.png"
  blue=$(convert "$WORK/lit.png" -crop 82x12+537+351 +repage -fx 'b > 0.6 && r < 0.3' \
    -format '%[fx:mean]' info:)
  ! below "$blue" 0.02
}
wait_for 20 name_blue || fail "the author's name did not turn blue under the pointer ($blue)"
xdotool click 1
expect_picture "$WORK/reduced.png" $box 5 "the credits box did not hide when its name was clicked"
xdotool key ctrl+q
expect_exit "$APP_PID" 3 "Ctrl+Q right after the box hid"
grep -q "https://" "$WORK/urls.txt" || fail "the name's click opened no address"
below "$(crop_error "$WORK/await.png" "$WORK/reduced.png" $top)" 0.03 || fail "the panel stayed over the scene"
echo ok
