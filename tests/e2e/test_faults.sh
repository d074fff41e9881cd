#!/usr/bin/env bash
# The real program on a machine that lacks something: no display, no sound device, no usable
# font, no opener for addresses. It still does all it can, and every way of ending it, from
# the session or the window manager, ends it cleanly.
source "$(dirname "$0")/lib.sh"

now_ns() { date +%s%N; }
ms_since() { echo $((($(now_ns) - $1) / 1000000)); }

# quit_with_ctrl_q: Ctrl+Q, then the program must be gone with status 0.
quit_with_ctrl_q() {
  xdotool key ctrl+q
  wait_exit "$APP_PID" 3
  [ "$STATUS" = 0 ] || fail "$1: Ctrl+Q ended the program with status $STATUS: $(said)"
}

box=200x120+860+480
area=600x500+0+0  # the lamp, the chain and the wall around them

# ---- No display ---------------------------------------------------------------------------
# One line on stderr, status 1, and at once: a start that hangs looks like a crash to whoever
# launched it.
no_display() {
  local label=$1 start status elapsed lines
  shift
  start=$(now_ns)
  set +e
  # In a sanitizer build, a system library's one-off allocation on this path would add a leak
  # report of its own; the program's own lines are what is checked here.
  env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$@" \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" timeout 10 "$LUMORRA" \
    >"$WORK/nodisplay.out" 2>"$WORK/nodisplay.err"
  status=$?
  set -e
  elapsed=$(ms_since "$start")
  lines=$(wc -l <"$WORK/nodisplay.err")
  echo "$label: status $status after $elapsed ms: $(cat "$WORK/nodisplay.err")"
  [ "$status" = 1 ] || fail "$label: status $status"
  [ "$lines" = 1 ] || fail "$label: $lines lines on stderr"
  [ ! -s "$WORK/nodisplay.out" ] || fail "$label: wrote to stdout: $(cat "$WORK/nodisplay.out")"
  [ "$elapsed" -lt 3000 ] || fail "$label: took $elapsed ms to give up"
}
no_display "no DISPLAY" -u DISPLAY
nowhere=999
while [ -e "/tmp/.X11-unix/X$nowhere" ]; do nowhere=$((nowhere + 1)); done
no_display "DISPLAY=:$nowhere (no server)" DISPLAY=":$nowhere"

start_xvfb 1920x1080
install_stub_xdg_open

# ---- No sound device ------------------------------------------------------------------------
# This machine has no sound card: the ALSA driver finds nothing and the program runs silently,
# the whole show through to the black screen.
start_lumorra SDL_AUDIODRIVER=alsa
start=$(now_ns)
xdotool mousemove 118 270 click 1
sleep 1
shot "$WORK/silent-lit.png"
lit_error=$(crop_error "$WORK/silent-lit.png" "$MEDIA_DIR/chain1.jpg" "$area")
echo "no sound device: 1 s after the pull the lamp differs from the lit picture by $lit_error"
below "$lit_error" 0.03 || fail "no sound device: the light did not come on"
# The blackout comes 32.7 s after the pull.
sleep "$(awk -v ms="$(ms_since "$start")" 'BEGIN { s = 35 - ms / 1000; print (s > 0 ? s : 0) }')"
kill -0 "$APP_PID" 2>/dev/null || fail "no sound device: the program died during the show"
shot "$WORK/silent-end.png"
level=$(mean_level "$WORK/silent-end.png" 1920x1080+0+0)
echo "no sound device: mean level $level at $(ms_since "$start") ms after the pull"
below "$level" 0.005 || fail "no sound device: the show did not end in black (mean $level)"
quit_with_ctrl_q "no sound device"
if [ -e /proc/asound/cards ] && ! grep -q "no soundcards" /proc/asound/cards; then
  echo "no sound device: this machine has a sound card; not checking the report"
else
  grep -q "no audio device" "$WORK/stderr.txt" ||
    fail "no sound device: nothing said so on stderr: $(cat "$WORK/stderr.txt")"
  echo "no sound device: $(grep "no audio device" "$WORK/stderr.txt")"
fi

# ---- No usable font ---------------------------------------------------------------------------
# A font configuration that knows no fonts: the labels cannot be drawn, but they still work.
cat >"$WORK/nofonts.conf" <<'CONF'
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig></fontconfig>
CONF
start_lumorra FONTCONFIG_FILE="$WORK/nofonts.conf"
shot "$WORK/nofont-before.png"
xdotool mousemove 1000 10
sleep 0.3
shot "$WORK/nofont-hover.png"
strip_change=$(crop_error "$WORK/nofont-hover.png" "$WORK/nofont-before.png" 300x24+0+0)
echo "no font: hovering changed the strip by $strip_change"
below "$strip_change" 0.001 || fail "no font: something was drawn on the strip"
grep -q "no usable font" "$WORK/stderr.txt" ||
  fail "no font: nothing said so on stderr: $(cat "$WORK/stderr.txt")"
xdotool mousemove 120 12 click 1
sleep 0.5
xdotool search --onlyvisible --name '^AboutBox$' >/dev/null 2>&1 || fail "no font: About did not open the box"
shot "$WORK/nofont-about.png"
box_error=$(crop_error "$WORK/nofont-about.png" "$MEDIA_DIR/lowlight1.jpg" "$box")
echo "no font: the box area differs from the scene by $box_error"
below 0.01 "$box_error" || fail "no font: the box is not on screen"
xdotool mousemove 1000 10 sleep 0.2 mousemove 30 12 click 1
wait_exit "$APP_PID" 3
[ "$STATUS" = 0 ] || fail "no font: Quit ended the program with status $STATUS: $(said)"
echo "no font: Quit ended it with status 0"

# ---- No opener for addresses --------------------------------------------------------------
mkdir -p "$WORK/empty-path"
start_lumorra PATH="$WORK/empty-path"
xdotool mousemove 1000 10 sleep 0.2 mousemove 120 12 click 1
sleep 0.5
xdotool search --onlyvisible --name '^AboutBox$' >/dev/null 2>&1 || fail "no opener: the box did not open"
xdotool mousemove 960 513 click 1
sleep 0.5
shot "$WORK/noopener.png"
hidden_error=$(crop_error "$WORK/noopener.png" "$MEDIA_DIR/lowlight1.jpg" "$box")
echo "no opener: after the click on a name the box area differs from the scene by $hidden_error"
below "$hidden_error" 0.03 || fail "no opener: the box did not hide"
[ ! -s "$WORK/urls.txt" ] || fail "no opener: an opener ran anyway: $(cat "$WORK/urls.txt")"
kill -0 "$APP_PID" 2>/dev/null || fail "no opener: the program died"
quit_with_ctrl_q "no opener"
echo "no opener: the box hid and Ctrl+Q ended it with status 0"

# ---- Ended from outside -----------------------------------------------------------------------
# SIGTERM in the middle of the show, with timers running and the rain playing.
start_lumorra
xdotool mousemove 118 270 click 1
sleep 2
kill -s TERM "$APP_PID"
wait_exit "$APP_PID" 3
[ "$STATUS" = 0 ] || fail "SIGTERM during the show ended the program with status $STATUS: $(said)"
echo "SIGTERM during the show: status 0"

# SIGINT while the credits box is up.
start_lumorra
xdotool mousemove 1000 10 sleep 0.2 mousemove 120 12 click 1
sleep 0.5
xdotool search --onlyvisible --name '^AboutBox$' >/dev/null 2>&1 || fail "SIGINT: the box did not open"
kill -s INT "$APP_PID"
wait_exit "$APP_PID" 3
[ "$STATUS" = 0 ] || fail "SIGINT with the box up ended the program with status $STATUS: $(said)"
echo "SIGINT with the credits box up: status 0"

# The window manager's close (Alt+F4 under a real window manager).
if ! command -v openbox >/dev/null 2>&1; then
  echo "SKIP: no window manager (openbox) installed; window manager's close not checked"
else
  openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
  PIDS+=($!)
  sleep 1
  start_lumorra
  wid=$(xdotool search --onlyvisible --pid "$APP_PID" --name '^Untitled$' | head -1)
  [ -n "$wid" ] || fail "window manager: the scene's window was not found"
  xdotool windowactivate --sync "$wid" 2>/dev/null || true
  xdotool key --clearmodifiers alt+F4
  wait_exit "$APP_PID" 5
  [ "$STATUS" = 0 ] || fail "the window manager's close ended the program with status $STATUS: $(said)"
  echo "window manager's close: status 0"
fi
echo ok
