#!/usr/bin/env bash
# With no window manager, once another client has taken the keyboard focus, a click on the
# scene brings it back: Ctrl+Q then quits.
source "$(dirname "$0")/lib.sh"

start_xvfb 1920x1080
start_lumorra
xmessage -geometry +1500+900 "another client" &
PIDS+=($!)
other=""
for _ in $(seq 100); do
  other=$(xdotool search --onlyvisible --name xmessage 2>/dev/null | head -1) && [ -n "$other" ] && break
  sleep 0.05
done
[ -n "$other" ] || fail "the other client did not appear"
xdotool windowfocus --sync "$other"
xdotool key ctrl+q
sleep 0.3
kill -0 "$APP_PID" 2>/dev/null || fail "Ctrl+Q reached the program while another client had the focus"
xdotool mousemove 900 600 sleep 0.1 click 1
sleep 0.2
xdotool key ctrl+q
wait_exit "$APP_PID" 3
[ "$STATUS" = 0 ] || fail "Ctrl+Q after a click on the scene: status $STATUS: $(said)"
echo ok
