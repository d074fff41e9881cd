#!/usr/bin/env bash
# When the screen grows under the running program the scene keeps covering it (the picture chosen
# at the start, black beyond), the chain still pulls and the top strip spans the new width: with
# no window manager (after the credits box was shown), under icewm with its taskbar along the
# top, where the scene is full screen and covers the taskbar, and under openbox on a real
# driver's mode changes.
source "$(dirname "$0")/lib.sh"
start_xvfb 1600x900  # Xvfb can grow the screen only up to the size it started with
xrandr --newmode 1024x768 60 1024 1100 1200 1300 768 800 820 840 >/dev/null 2>&1
xrandr --addmode screen 1024x768
xrandr --output screen --mode 1024x768 --fb 1024x768
reduced_scene  # a screen this small shows the reduced pictures' top-left part
chain_at 0.6

# grow_and_check WHAT: 1024x768 to 1600x900 under the running program, a pull, then "Quit" far
# right on the strip, where it reaches only if it followed the window.
grow_and_check() {
  local error level
  xrandr --fb 1600x900 --output screen --mode 1600x900
  expect_geometry 1600x900+0+0 "$1: on a 1600x900 screen" 3
  sleep 0.3
  shot "$WORK/grown.png"
  level=$(mean_level "$WORK/grown.png" 500x100+1100+800)
  error=$(crop_error "$WORK/grown.png" "$WORK/reduced.png" 1024x768+0+0)
  below "$level" 0.02 || fail "$1: the new part of the screen is not black ($level)"
  below "$error" 0.03 || fail "$1: the picture is gone after the screen grew (error $error)"
  xdotool mousemove "${CHAIN[@]}" click 1
  expect_picture "$WORK/reduced_lit.png" 360x300+0+0 5 "$1: a pull did not light the room"
  click_strip 1300
  expect_exit "$APP_PID" 3 "$1: a click at x 1300 on the grown strip's \"Quit\""
  xrandr --output screen --mode 1024x768 --fb 1024x768
}

start_lumorra
# The credits box first: showing it must not stop the program hearing of the screen's size.
click_about
wait_for 20 box_up 200x120+412+324 || fail "no credits box"
xdotool mousemove 512 357 click 1  # the author's name hides the box
grow_and_check "no window manager"
mkdir -p "$WORK/home/.icewm"
printf 'TaskBarAtTop=1\nShowTaskBar=1\n' >"$WORK/home/.icewm/preferences"
start_wm env HOME="$WORK/home" icewm
ICEWM_PID=${PIDS[-1]}
sleep 0.5  # the taskbar maps after the check is set
start_lumorra
full_screen() { grep -q _NET_WM_STATE_FULLSCREEN <<<"$(xprop -id "$APP_WIN" _NET_WM_STATE)"; }
wait_for 40 full_screen || fail "not full screen to icewm: $(xprop -id "$APP_WIN" _NET_WM_STATE)"
expect_picture "$WORK/reduced.png" 1024x40+0+0 5 "something covers the top of the scene"
grow_and_check icewm
kill "$ICEWM_PID" && wait "$ICEWM_PID" 2>/dev/null || true
kill "$XVFB_PID" && wait "$XVFB_PID" 2>/dev/null || true

# openbox keeps a window within the size limits it was given, so they must follow the screen. On
# Xorg's dummy driver, as a real monitor changes mode: 1920x1080 shrunk to 1600x900, then grown
# to 2048x1536, where "Quit", widened with the window, must quit right of where it ended before.
start_xorg_dummy 2048x1536
for mode in 1920x1080 1600x900 2048x1536; do
  xrandr --newmode "$mode" 60 "${mode%x*}" 1 2 "$((${mode%x*} + 3))" "${mode#*x}" 1 2 "$((${mode#*x} + 3))" 2>/dev/null || true
  xrandr --addmode DUMMY0 "$mode"
done
xrandr --fb 1920x1080 --output DUMMY0 --mode 1920x1080
start_wm openbox
start_lumorra
# resize_to SIZE: the screen changes mode; the window must take the new size.
resize_to() {
  xrandr --fb "$1" --output DUMMY0 --mode "$1"
  expect_geometry "$1+0+0" "openbox: on a $1 screen" 3
}
resize_to 1600x900
resize_to 2048x1536
sleep 0.3
click_strip 1800  # "Quit" ends at 1697 on 1920
expect_exit "$APP_PID" 3 "openbox: a click at x 1800 on the grown strip's \"Quit\""
echo ok
