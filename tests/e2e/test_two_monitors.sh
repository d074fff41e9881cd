#!/usr/bin/env bash
# Two monitors, the main one at 1280,0 right of a 1280x1024 one (Xorg's dummy driver): the
# scene covers the main monitor and the credits box opens in its middle.
source "$(dirname "$0")/lib.sh"  # needs Xorg and xserver-xorg-video-dummy
cat >"$WORK/xorg.conf" <<'CONF'
Section "Device" Identifier "dummy" Driver "dummy" VideoRam 256000 EndSection
Section "Monitor" Identifier "monitor" HorizSync 5.0 - 1000.0 VertRefresh 5.0 - 200.0 EndSection
Section "Screen" Identifier "screen" Device "dummy" Monitor "monitor" DefaultDepth 24
  SubSection "Display" Depth 24 Virtual 3200 1080 EndSubSection EndSection
CONF
start_xserver Xorg -config "$WORK/xorg.conf" -noreset -nolisten tcp -logfile "$WORK/xorg.log"
xrandr --addmode DUMMY1 1280x1024
xrandr --fb 3200x1080 --output DUMMY0 --mode 1920x1080 --pos 1280x0 --primary \
  --output DUMMY1 --mode 1280x1024 --pos 0x0
xrandr --listmonitors | grep -q '1920/.*+1280+0' || fail "no offset main monitor: $(xrandr --listmonitors)"

start_lumorra
place() { eval "$(xdotool getwindowgeometry --shell "$1")"; echo "${WIDTH}x$HEIGHT+$X+$Y"; }  # WxH+X+Y
main=$(place "$APP_WIN")
[ "$main" = "1920x1080+1280+0" ] || fail "the scene is at $main, not over the main monitor"

xdotool mousemove 1700 1 sleep 0.3 mousemove 1400 12 click 1  # "About" on the top strip
box_placed() { box=$(xdotool search --onlyvisible --pid "$APP_PID" | while read -r w; do place "$w"; done |
  grep '^200x120'); }
wait_for 40 box_placed && [ "$box" = "200x120+2140+480" ] ||
  fail "the credits box is at '$box', not in the main monitor's middle"
xdotool key ctrl+q
expect_exit "$APP_PID" 3 "Ctrl+Q"
echo ok
