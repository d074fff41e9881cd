#!/usr/bin/env bash
# When the X server goes away while a sound plays, the program says so once and ends with
# status 1.
source "$(dirname "$0")/lib.sh"

start_xvfb 1920x1080
start_lumorra
await_picture "$MEDIA_DIR/lowlight1.jpg" 1920x1080+0+0 10 >/dev/null
xdotool mousemove 118 270 click 1  # the chain's sound is playing now
sleep 0.05
kill "$XVFB_PID"
wait_exit "$APP_PID" 5
echo "status $STATUS, said: $(grep -v '^CRITICAL' "$WORK/stderr.txt")"
[ "$STATUS" = 1 ] || fail "status $STATUS"
[ "$(grep -vc '^CRITICAL' "$WORK/stderr.txt")" = 1 ] || fail "not one line: $(said)"
grep -q '^lumorra: lost the connection to the display' "$WORK/stderr.txt" || fail "said: $(said)"
echo ok
