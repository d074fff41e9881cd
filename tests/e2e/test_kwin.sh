#!/usr/bin/env bash
# Under KDE Plasma's compositor (kwin_wayland nested in Xvfb, a 1920x1080 output at scales 1 and 2), as
# a KDE user starts it: native Wayland, the room at the output's pixels, a pull, the credits box
# centred, Space and Escape while it shows, Ctrl+Q; the compositor's end: one line, status 1.
source "$(dirname "$0")/lib.sh"
start_xvfb 1920x1200
start_session_bus

# start_kwin SCALE: KWin nested at the X screen's top left, its output 1920x1080 pixels at SCALE,
# with the Wayland socket "desktop"; sets KWIN_PID and KWIN_WIN. Its window is the output's size
# in pixels, so a point of the output takes SCALE X pixels, in screenshots and for the pointer.
start_kwin() {
  local scale=$1
  rm -f "$XDG_RUNTIME_DIR/desktop"
  # The packaged binary carries a file capability that keeps it from starting in a container; a
  # copy has none.
  [ -x "$WORK/kwin_wayland" ] || cp "$(command -v kwin_wayland)" "$WORK/kwin_wayland"
  # KWin 5 gives its nested output the scale of --scale; KWin 6 only makes the window that much
  # larger and keeps the output at scale 1 unless its saved output settings say otherwise.
  mkdir -p "$WORK/home/.config"
  cat >"$WORK/home/.config/kwinoutputconfig.json" <<CONF
[{"name": "outputs", "data": [{"connectorName": "X11-0", "scale": $scale,
   "mode": {"width": 1920, "height": 1080, "refreshRate": 60000}}]},
 {"name": "setups", "data": [{"lidClosed": false, "outputs": [{"enabled": true,
   "outputIndex": 0, "position": {"x": 0, "y": 0}, "priority": 0}]}]}]
CONF
  HOME=$WORK/home "$WORK/kwin_wayland" --x11-display "$DISPLAY" --socket desktop \
    --width $((1920 / scale)) --height $((1080 / scale)) --scale "$scale" \
    --no-lockscreen --no-global-shortcuts --no-kactivities >"$WORK/desktop.log" 2>&1 &
  KWIN_PID=$! && PIDS+=("$KWIN_PID")
  wait_for 200 test -S "$XDG_RUNTIME_DIR/desktop" || fail "kwin did not start: $(tail -5 "$WORK/desktop.log")"
  mapped() { KWIN_WIN=$(xdotool search --onlyvisible --pid "$KWIN_PID" 2>/dev/null | head -n1) && [ -n "$KWIN_WIN" ]; }
  wait_for 200 mapped || fail "kwin showed no window: $(tail -5 "$WORK/desktop.log")"
  # The pointer enters KWin's window from the X screen's rows below it (the screen is taller
  # than the output).
  xdotool mousemove 10 1190 sleep 0.2 mousemove 100 100 sleep 0.2
}

# Each scale with KWin started afresh, in the default environment: the program shows the room at
# the output's pixels (the photograph's top-left 1920x1080), full screen, through Wayland; a
# pull lights it; "About" shows the credits box centred; Space pulls and Escape quits while it
# shows. After the first scale, the program started again quits with Ctrl+Q; after the last, it
# is started again and KWin's end ends it with one line, status 1.
convert "$MEDIA_DIR/lowlight1.jpg" -crop 1920x1080+0+0 +repage "$WORK/dark.png"
convert "$MEDIA_DIR/chain1.jpg" -crop 1920x1080+0+0 +repage "$WORK/lit.png"
for scale in 1 2; do
  start_kwin "$scale"
  points_w=$((1920 / scale)) points_h=$((1080 / scale))
  box=$((200 * scale))x$((120 * scale))+$(((points_w - 200) / 2 * scale))+$(((points_h - 120) / 2 * scale))
  start_on_wayland desktop
  expect_picture "$WORK/dark.png" 1920x1080+0+0 20 "at $scale: the room is not the output whole at its pixels" 0.01
  [ -z "${E2E_SHOTS:-}" ] || cp "$WORK/await.png" "$E2E_SHOTS/dark-kwin-$scale.png"
  expect_native_wayland
  # The chain is drawn at the output's pixels, where a 1920x1080 screen shows it: the pointer
  # comes onto it from off it, then moves on it.
  xdotool mousemove 700 700 sleep 0.3 \
    mousemove $((CHAIN[0] - 8)) $((CHAIN[1] - 10)) sleep 0.3 mousemove "${CHAIN[@]}" sleep 0.5 click 1
  expect_picture "$WORK/lit.png" 1920x1080+0+0 10 "at $scale: the pull did not light the room" 0.01
  # The box hides 5 s after it came, so the keys go at once and the screenshot that shows their
  # effect is looked at afterwards: Space switches the light off under the box, Escape quits.
  click_about 0 0 "$scale"
  sleep 0.5
  xdotool windowfocus "$KWIN_WIN" 2>/dev/null || true
  xdotool key space sleep 0.5
  shot "$WORK/box.png"
  xdotool key Escape
  # E2E_SHOTS=DIR keeps the screenshots of the room and of the box for a person to look at.
  [ -z "${E2E_SHOTS:-}" ] || cp "$WORK/await.png" "$E2E_SHOTS/lit-kwin-$scale.png"
  [ -z "${E2E_SHOTS:-}" ] || cp "$WORK/box.png" "$E2E_SHOTS/box-kwin-$scale.png"
  box_shown "$WORK/box.png" "$box" || fail "at $scale: no credits box in the middle ($box)"
  below "$(crop_error "$WORK/box.png" "$WORK/dark.png" $((300 * scale))x$((300 * scale))+0+0)" 0.03 ||
    fail "at $scale: Space did not switch the light off while the box showed"
  expect_exit "$APP_PID" 5 "at $scale: Escape while the box showed"
  if [ "$scale" = 1 ]; then
    start_on_wayland desktop
    expect_picture "$WORK/dark.png" 1920x1080+0+0 20 "the second start" 0.01
    xdotool windowfocus "$KWIN_WIN" 2>/dev/null || true
    xdotool key ctrl+q
    expect_exit "$APP_PID" 5 "Ctrl+Q"
    kill "$KWIN_PID" && wait "$KWIN_PID" 2>/dev/null || true
  fi
done
start_on_wayland desktop
expect_picture "$WORK/dark.png" 1920x1080+0+0 20 "the last start" 0.01
kill "$KWIN_PID"
expect_exit "$APP_PID" 5 "kwin's end" 1
expect_one_error 1 'lumorra: lost the connection to the display desktop'
echo ok
