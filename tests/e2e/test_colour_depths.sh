#!/usr/bin/env bash
# On a 30-bit X screen the scene is drawn (another way than on ordinary screens); on a screen
# too poor to show it the program says so in one line and ends with status 1, rather than
# playing sound over a black screen.
source "$(dirname "$0")/lib.sh"

# Such a screen is drawn through SDL's renderer, whose GL driver is unloaded at the end with
# allocations of its own that a leak checker can no longer name; only there are leaks not looked
# for (sanitizer builds).
NO_LEAK_CHECK="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

XVFB_DEPTH=30 start_xvfb 1152x768
start_lumorra env ASAN_OPTIONS="$NO_LEAK_CHECK"
sleep 0.5
# The screenshot of a 30-bit screen comes out in 8 bits a channel, close enough to compare.
convert "$MEDIA_DIR/lowlight1.jpg" -resize 1152x768 "$WORK/reduced.png"
error=$(await_picture "$WORK/reduced.png" 1152x768+0+0 10)
echo "30-bit screen against the dark picture: $error"
below "$error" 0.05 || fail "the 30-bit screen does not show the scene (error $error): $(said)"
xdotool key ctrl+q
wait_exit "$APP_PID" 3
[ "$STATUS" = 0 ] || fail "status $STATUS"
kill "$XVFB_PID"
wait "$XVFB_PID" 2>/dev/null || true
PIDS=()

XVFB_DEPTH=8 start_xvfb 640x480
env SDL_AUDIODRIVER=dummy "$LUMORRA" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" &
APP_PID=$!
PIDS+=("$APP_PID")
wait_exit "$APP_PID" 10
expect_one_error 1 'lumorra: cannot draw on this screen'
echo ok
