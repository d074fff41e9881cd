#!/usr/bin/env bash
# Under a window manager whose taskbar sits along the top, the scene is full screen to the
# window manager: it covers the taskbar, so the top strip's Quit and About can be reached.
source "$(dirname "$0")/lib.sh"

start_xvfb 1024x768
start_icewm_taskbar_top

start_lumorra
win=$(xdotool search --onlyvisible --pid "$APP_PID" | head -n1)
for _ in $(seq 40); do
  xprop -id "$win" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN && break
  sleep 0.05
done
xprop -id "$win" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN ||
  fail "not full screen to the window manager: $(xprop -id "$win" _NET_WM_STATE)"

# The dark photograph over the whole top rows, where the taskbar would be.
# The scene picks its reduced pictures for a screen this small and shows their top-left part.
convert "$MEDIA_DIR/lowlight1.jpg" -resize 1152x768 "$WORK/reduced.png"
error=$(await_picture "$WORK/reduced.png" 1024x40+0+0 5)
echo "top rows against the dark picture: $error"
below "$error" 0.03 || fail "something covers the top of the scene (error $error)"

# Ctrl+Q still reaches the scene after a click on the top strip.
xdotool mousemove 500 1 click 1
sleep 0.2
kill -0 "$APP_PID" || fail "a click on the top strip ended the program"

xdotool key ctrl+q
wait_exit "$APP_PID" 3
[ "$STATUS" = 0 ] || fail "status $STATUS"
echo ok
