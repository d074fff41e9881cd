#!/usr/bin/env bash
# Under a window manager, with a Russian keyboard layout active from the start: the chain
# pulled by dragging switches the light every time, closing the credits box from the window
# manager leaves the program running, Ctrl+Shift+Q does not quit and Ctrl+Q does.
source "$(dirname "$0")/lib.sh"

start_xvfb 1920x1080
setxkbmap ru || fail "cannot set the Russian layout"
start_wm openbox --config-file /dev/null
install_stub_xdg_open
start_lumorra
area=600x500+0+0  # the lamp, the chain and the wall around them
await_picture "$MEDIA_DIR/lowlight1.jpg" 1920x1080+0+0 10 >/dev/null  # the scene is up

# Press on the chain, pull it down past its end, let go there.
states=()
for pull in 1 2 3 4; do
  xdotool mousemove 118 270 sleep 0.1 mousedown 1 sleep 0.1 mousemove 118 400 sleep 0.05 \
    mousemove 118 620 sleep 0.1 mouseup 1
  sleep 0.6
  shot "$WORK/pull$pull.png"
  lit=$(crop_error "$WORK/pull$pull.png" "$MEDIA_DIR/chain1.jpg" "$area")
  dark=$(crop_error "$WORK/pull$pull.png" "$MEDIA_DIR/lowlight1.jpg" "$area")
  if below "$lit" 0.03; then states+=(on); elif below "$dark" 0.03; then states+=(off); else
    states+=("? lit $lit dark $dark"); fi
done
echo "four drag-pulls: ${states[*]}"
[ "${states[*]}" = "on off on off" ] || fail "drag-pulls gave ${states[*]}"

# The credits box, closed by the window manager.
xdotool mousemove 120 12 sleep 0.3 click 1
for _ in $(seq 40); do wmctrl -l | grep -q AboutBox && break; sleep 0.05; done
wmctrl -l | grep -q AboutBox || fail "no credits box: $(wmctrl -l)"
wmctrl -c AboutBox
sleep 0.5
kill -0 "$APP_PID" 2>/dev/null || fail "closing the credits box ended the program: $(said)"
xdotool search --onlyvisible --name AboutBox >/dev/null 2>&1 && fail "the credits box is still shown"

# Ctrl, Shift and the Q key by their key codes (37, 50 and 24), which in this layout type no
# Latin letter.
xdotool mousemove 900 600 click 1
xdotool keydown 37 keydown 50 key 24 keyup 50 keyup 37
sleep 0.3
kill -0 "$APP_PID" 2>/dev/null || fail "Ctrl+Shift+Q quit"
xdotool keydown 37 key 24 keyup 37
wait_exit "$APP_PID" 3
[ "$STATUS" = 0 ] || fail "Ctrl+Q in the Russian layout: status $STATUS: $(said)"
echo ok
