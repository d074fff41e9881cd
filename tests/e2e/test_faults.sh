#!/usr/bin/env bash
# The real program lacking a display, sound device, font or opener still does all it can, and
# signals and the window manager's close end it with status 0.
source "$(dirname "$0")/lib.sh"

open_about() {  # LABEL: the box shows in the middle, black (with no text where there is no font)
  click_about
  box_black() { shot "$WORK/box.png" && below "$(mean_level "$WORK/box.png" 200x120+860+480)" 0.1; }
  wait_for 20 box_black || fail "$1: no credits box"
}
# looks_like PICTURE GEOMETRY WHY [SECONDS]: that part of the screen looks as in the photograph
# now, or within SECONDS (5: a busy machine can draw late).
looks_like() { expect_picture "$MEDIA_DIR/$1" "$2" "${4:-5}" "$3"; }

# No display: one line on stderr, nothing on stdout, status 1, within a second by the program's
# own account; the wall clock, 3 s, only catches a hang (no leak check: a system library's
# one-off allocation would add a line).
nowhere=999
while [ -e "/tmp/.X11-unix/X$nowhere" ]; do nowhere=$((nowhere + 1)); done
for how in "-u DISPLAY" "DISPLAY=:$nowhere"; do
  start=$(date +%s%N) STATUS=0
  # shellcheck disable=SC2086 # "-u DISPLAY" is two words
  env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER $how "$NO_LEAK_CHECK" timeout 10 "$LUMORRA" \
    >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" || STATUS=$?
  ms=$((($(date +%s%N) - start) / 1000000))
  expect_one_error 1 ""
  [ ! -s "$WORK/stdout.txt" ] || fail "no display: wrote to stdout: $(cat "$WORK/stdout.txt")"
  took=$(reported "start to giving up")
  [ -n "$took" ] && below "$took" 1000 || fail "no display: gave up ${took:-with no report} ms after the start"
  [ "$ms" -lt 3000 ] || fail "no display: took $ms ms to end"
done

start_xvfb 1920x1080
# No sound device (this machine has none): the light still switches on and off, and it says so.
start_lumorra SDL_AUDIODRIVER=alsa
xdotool mousemove "${CHAIN[@]}" click 1 sleep 1
looks_like chain1.jpg 600x500+0+0 "no sound device: the light did not come on"
xdotool mousemove 800 600 sleep 0.2 mousemove "${CHAIN[@]}" click 1 sleep 0.6
looks_like lowlight1.jpg 600x500+0+0 "no sound device: the light did not go off"
{ [ -e /proc/asound/cards ] && ! grep -q "no soundcards" /proc/asound/cards; } || # a real card
  grep -q "no audio device" "$WORK/stderr.txt" || fail "no sound device: nothing said so: $(said)"
xdotool key ctrl+q
expect_exit "$APP_PID" 3 "no sound device, Ctrl+Q"

# No font and no opener: "About", a name and "Quit" still work.
printf '<?xml version="1.0"?>\n<fontconfig></fontconfig>\n' >"$WORK/nofonts.conf"
mkdir -p "$WORK/empty-path"
start_lumorra FONTCONFIG_FILE="$WORK/nofonts.conf" PATH="$WORK/empty-path"
open_about "no font"
grep -q "no usable font" "$WORK/stderr.txt" || fail "no font: nothing said so: $(said)"
xdotool mousemove 960 513 click 1 sleep 0.5
# At once: the box hides by itself 5 s after it was made.
looks_like lowlight1.jpg 200x120+860+480 "no opener: the box did not hide" 0
[ ! -s "$WORK/urls.txt" ] || fail "no opener: an opener ran anyway: $(cat "$WORK/urls.txt")"
click_strip 30  # "Quit"
expect_exit "$APP_PID" 3 "no font and no opener, Quit"

# Ended from outside: SIGTERM mid-show, SIGINT with the box up, the window manager's Alt+F4.
start_lumorra
xdotool mousemove "${CHAIN[@]}" click 1 sleep 2
kill -s TERM "$APP_PID"
expect_exit "$APP_PID" 3 "SIGTERM during the show"
start_lumorra
open_about SIGINT
kill -s INT "$APP_PID"
expect_exit "$APP_PID" 3 "SIGINT with the credits box up"
start_wm openbox --sm-disable
start_lumorra
xdotool windowactivate --sync "$APP_WIN" 2>/dev/null || true
xdotool key --clearmodifiers alt+F4
expect_exit "$APP_PID" 5 "the window manager's close"
echo ok
