#!/usr/bin/env bash
# On native Wayland (Weston in a window of its own on Xvfb) the scene is drawn and fills
# Weston's output, its panel included, and the chain can be pulled.
source "$(dirname "$0")/lib.sh"

start_xvfb 1152x768
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
socket="lumorra-$$"
weston --backend=x11-backend.so --width=1152 --height=768 --socket="$socket" --idle-time=0 \
  >"$WORK/weston.log" 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do
  [ -S "$XDG_RUNTIME_DIR/$socket" ] && break
  sleep 0.05
done
[ -S "$XDG_RUNTIME_DIR/$socket" ] || fail "weston did not start: $(tail -5 "$WORK/weston.log")"

# No X window of ours to wait for: the program's window is Weston's business.
# It is drawn through SDL's renderer, whose GL driver is unloaded at the end with allocations of
# its own that a leak checker can no longer name: leaks are not looked for here.
env -u DISPLAY WAYLAND_DISPLAY="$socket" SDL_VIDEODRIVER=wayland SDL_AUDIODRIVER=dummy \
  ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" "$LUMORRA" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" &
APP_PID=$!
PIDS+=("$APP_PID")

convert "$MEDIA_DIR/lowlight1.jpg" -resize 1152x768 "$WORK/reduced.png"
error=$(await_picture "$WORK/reduced.png" 1152x768+0+0 10)
echo "Weston's output against the dark picture: $error"
kill -0 "$APP_PID" 2>/dev/null || fail "the program ended: $(said)"
below "$error" 0.03 || fail "Weston's output does not show the scene (error $error): $(said)"

# A pull on the chain: Wayland never tells a program where the pointer is on the screen, so the
# press and release are routed by their own window coordinates. The reduced scene's chain is at
# 59..85 x 26..305; the light comes on in the 600x500 corner around it.
# Weston's X11 backend moves its pointer by the X pointer's relative motion, and sometimes starts
# it at its output's corner rather than where the X pointer is: the two corners clamp both
# pointers to the same place before the move that matters.
xdotool mousemove 0 0 sleep 0.1 mousemove 1151 767 sleep 0.1 mousemove 72 160 sleep 0.2 \
  mousedown 1 sleep 0.1 mouseup 1
convert "$MEDIA_DIR/chain1.jpg" -resize 1152x768 "$WORK/lit.png"
lit=$(await_picture "$WORK/lit.png" 360x300+0+0 5)
echo "after the pull, against the lit picture: $lit"
below "$lit" 0.03 || fail "the pull on the chain did not switch the light on (error $lit): $(said)"
kill -TERM "$APP_PID"
wait_exit "$APP_PID" 3
[ "$STATUS" = 0 ] || fail "status $STATUS after SIGTERM"
echo ok
