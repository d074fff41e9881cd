#!/usr/bin/env bash
# The program covers the screen, shows the dark scene, and every way out ends it cleanly.
source "$(dirname "$0")/lib.sh"

# No display: one clear line and status 1, at once.
set +e
out=$(env -u DISPLAY timeout 5 "$LUMORRA" 2>&1); status=$?
set -e
[ "$status" = 1 ] || fail "no display gave status $status"
[ "$(printf '%s\n' "$out" | wc -l)" = 1 ] || fail "no display printed: $out"
echo "no display: $out"
set +e
out=$(DISPLAY=:7777 timeout 5 "$LUMORRA" 2>&1); status=$?
set -e
[ "$status" = 1 ] || fail "unreachable display gave status $status"

start_xvfb 1920x1080
install_stub_xdg_open

# Ctrl+Q.
start_lumorra
wid=$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | head -n 1)
geometry=$(xdotool getwindowgeometry "$wid" | tr -s ' ')
echo "$geometry" | grep -q "Geometry: 1920x1080" || fail "window does not cover the screen: $geometry"
shot "$WORK/start.png"
level=$(mean_level "$WORK/start.png" 1920x1080+0+0)
below "$level" 0.25 || fail "the start screen is not dark (mean $level)"
xdotool key ctrl+q
wait_exit "$APP_PID" 2
[ "$STATUS" = 0 ] || fail "Ctrl+Q ended the program with status $STATUS"

# SIGTERM and SIGINT.
for signal in TERM INT; do
  start_lumorra
  kill -s "$signal" "$APP_PID"
  wait_exit "$APP_PID" 2
  [ "$STATUS" = 0 ] || fail "SIG$signal ended the program with status $STATUS"
done
echo "ok"
