#!/usr/bin/env bash
# Two monitors, the main one at 1280,0 right of a 1280x1024 one: the scene covers the main
# monitor and the credits box opens in its middle. First as two outputs (Xorg's dummy driver),
# then as one 3200x1080 display split into two RandR monitors that have no outputs of their own.
source "$(dirname "$0")/lib.sh"  # needs Xorg and xserver-xorg-video-dummy

# check_main_monitor WHAT: the scene and the box are placed on the main monitor; Ctrl+Q quits.
check_main_monitor() {
  grep -q '1920/.*+1280+0' <<<"$(xrandr --listmonitors)" || fail "$1: no offset main monitor: $(xrandr --listmonitors)"
  start_lumorra
  expect_geometry 1920x1080+1280+0 "$1: the scene is not over the main monitor"
  click_about 1280 0
  wait_for 20 box_up 200x120+2140+480 || fail "$1: no credits box in the main monitor's middle"
  xdotool key ctrl+q
  expect_exit "$APP_PID" 3 "$1: Ctrl+Q"
}

start_xorg_dummy 3200x1080
xrandr --addmode DUMMY1 1280x1024
xrandr --fb 3200x1080 --output DUMMY0 --mode 1920x1080 --pos 1280x0 --primary \
  --output DUMMY1 --mode 1280x1024 --pos 0x0
check_main_monitor "two outputs"
kill "$XVFB_PID" && wait "$XVFB_PID" 2>/dev/null || true

# RandR still lists the whole display's own monitor beside its parts.
start_xvfb 3200x1080
xrandr --setmonitor left 1280/338x1024/270+0+0 none && xrandr --setmonitor '*main' 1920/508x1080/286+1280+0 none
check_main_monitor "a split display"
echo ok
