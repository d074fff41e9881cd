#!/usr/bin/env bash
# Both windows carry the bulb icon (_NET_WM_ICON), so task bars and switchers show it.
source "$(dirname "$0")/lib.sh"

start_xvfb 1024x768
start_lumorra

# icon_of WINDOW: the icon's size as xprop reports it, e.g. "64 x 64", or nothing.
icon_of() {
  xprop -id "$1" _NET_WM_ICON 2>/dev/null | sed -n 's/.*Icon (\([0-9]* x [0-9]*\)).*/\1/p' | head -n 1
}

main=$(xdotool search --onlyvisible --pid "$APP_PID" | head -n 1)
size=$(icon_of "$main")
[ "$size" = "64 x 64" ] || fail "the main window's icon is '${size}': $(xprop -id "$main" _NET_WM_ICON | head -c 200)"

# The credits box, from the strip at the top edge.
xdotool mousemove 500 10 sleep 0.3 mousemove 120 12 click 1
for _ in $(seq 40); do
  [ "$(xdotool search --onlyvisible --pid "$APP_PID" | wc -l)" -ge 2 ] && break
  sleep 0.05
done
about=$(xdotool search --onlyvisible --pid "$APP_PID" | grep -vx "$main" | head -n 1)
[ -n "$about" ] || fail "the credits box did not open"
size=$(icon_of "$about")
[ "$size" = "64 x 64" ] || fail "the credits box's icon is '${size}'"

xdotool key ctrl+q
wait_exit "$APP_PID" 2
[ "$STATUS" = 0 ] || fail "Ctrl+Q ended the program with status $STATUS"
echo "ok"
