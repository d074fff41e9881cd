#!/usr/bin/env bash
# On a bare X server: the command line answered without a window; the scene covering the screen;
# the arrow and the hand; the icon, the credits box's text and link; focus back with a click, then
# Ctrl+Q quits with 0.
source "$(dirname "$0")/lib.sh"
start_xvfb 1920x1080
# ask STATUS ARGS...: answered within a second with STATUS, in OUT and ERR, and under strace
# (where LeakSanitizer cannot run) never connecting to the display.
ask() {
  local status=0
  timeout 1 "$LUMORRA" "${@:2}" >"$WORK/out.txt" 2>"$WORK/err.txt" || status=$?
  OUT=$(cat "$WORK/out.txt") ERR=$(cat "$WORK/err.txt")
  [ "$status" = "$1" ] || fail "lumorra ${*:2}: status $status (124: no answer in a second): $ERR"
  rm -f "$WORK/connects.txt"
  env "$NO_LEAK_CHECK" timeout 5 strace -f -qq -e trace=connect -o "$WORK/connects.txt" \
    "$LUMORRA" "${@:2}" >/dev/null 2>&1 || true
  [ -e "$WORK/connects.txt" ] || fail "strace did not run"
  ! grep 'X11-unix\|sun_path' "$WORK/connects.txt" || fail "lumorra ${*:2} connected to the display"
}
ask 0 --help  # the texts themselves are checked by the unit tests; here, where they go
grep -q '^Usage: lumorra' <<<"$OUT" && [ -z "$ERR" ] || fail "--help printed: $OUT; on stderr: $ERR"
ask 0 --version
grep -Eqx 'lumorra [0-9]+\.[0-9]+\.[0-9]+' <<<"$OUT" || fail "--version printed: $OUT"
ask 2 --bogus
[ -z "$OUT" ] && grep -q "'--bogus'" <<<"$ERR" || fail "a bad option belongs on stderr: $OUT; $ERR"

# The cursor: the program's own arrow off the chain, not the one under its window (an X window
# that names no cursor shows its parent's, which under KWin is the last one set: the hand).
CURSOR_SHAPE=${CURSOR_SHAPE:-$(dirname "$LUMORRA")/tests/lumorra_cursor_shape}
# The program changes it when it handles the motion, which a machine busy with other work can
# delay by more than a fixed wait: the shape is asked again until it changes, for up to 5 s.
shape_is() { shape=$("$CURSOR_SHAPE") && [ "$shape" = "$1" ]; }
shape_is_not() { shape=$("$CURSOR_SHAPE") && [ "$shape" != "$1" ]; }
xdotool mousemove 700 700 sleep 0.2
desktop=$("$CURSOR_SHAPE")
start_lumorra
wait_for 100 shape_is_not "$desktop" ||
  fail "off the chain the cursor is the desktop's ($desktop), not an arrow"
arrow=$shape
xdotool mousemove "${CHAIN[@]}"
wait_for 100 shape_is_not "$arrow" || fail "the cursor over the chain is no hand ($shape)"
xdotool mousemove 700 700
wait_for 100 shape_is "$arrow" || fail "the hand stayed after the pointer left the chain"
expect_geometry 1920x1080+0+0 "the window does not cover the screen"
expect_picture "$MEDIA_DIR/lowlight1.jpg" 1920x1080+0+0 10 "the screen does not show the dark picture"
icon_of() { xprop -id "$1" _NET_WM_ICON | sed -n 's/.*Icon (\([0-9]* x [0-9]*\)).*/\1/p' | head -n 1; }
[ "$(icon_of "$APP_WIN")" = "64 x 64" ] || fail "the main window has no 64x64 icon"
click_about
wait_for 20 box_up || fail "the credits box did not open with its text in the middle of the screen"
# Drawn in the scene: no window of its own for a window manager to stack or focus.
[ "$(xdotool search --onlyvisible --pid "$APP_PID" | wc -l)" = 1 ] || fail "the credits box is a window"
# The box hides 5 s after it was made, which a slow machine's screenshots can take; shown again
# after that, it stays until a name is clicked.
expect_picture "$MEDIA_DIR/lowlight1.jpg" 200x120+860+480 10 "the credits box did not hide"
click_about
wait_for 20 box_up || fail "the credits box did not come back"
xdotool mousemove 960 513 click 1  # the author's name
opened() { grep -q "https://" "$WORK/urls.txt" 2>/dev/null; }
wait_for 40 opened || fail "no address was opened"
xmessage -geometry +1500+900 "another client" &
PIDS+=($!)
other_shown() { other=$(xdotool search --onlyvisible --name xmessage 2>/dev/null | head -1); }
wait_for 100 other_shown || fail "the other client did not appear"
xdotool windowfocus --sync "$other" key ctrl+q
sleep 0.3
kill -0 "$APP_PID" 2>/dev/null || fail "Ctrl+Q reached the program while another client had the focus"
xdotool mousemove 900 600 sleep 0.1 click 1 sleep 0.2 key ctrl+q
expect_exit "$APP_PID" 2 "Ctrl+Q after a click on the scene (no window manager gives focus back)"
echo ok
