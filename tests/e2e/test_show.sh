#!/usr/bin/env bash
# Two gentle shows side by side on two X servers, their screens watched throughout: one gentle
# because the desktop asks for reduced animation (xsettingsd), started with Space and ended with a
# key, a press held through its blackout; the other gentle by --gentle, started and ended with the
# pointer. The screensaver comes in the idle dark room and after the blackout. Then Escape quits,
# and a dying X server ends the program with one line.
source "$(dirname "$0")/lib.sh"
started=$SECONDS
# expect_screensaver WHEN: with a 2 s timeout, the server's screensaver comes within 4 s of no
# input. It shows the root window's white (no blanking), which neither the scene nor black has.
expect_screensaver() {
  local start=$SECONDS
  xset s 2 2 s noblank
  until shot "$WORK/saver.png" && below 0.9 "$(mean_level "$WORK/saver.png" 1920x1080+0+0)"; do
    [ $((SECONDS - start)) -lt 6 ] || fail "no screensaver $1"
    sleep 0.5
  done
  xset s off
}
WATCH=${SCREEN_WATCH:-$(dirname "$LUMORRA")/tests/lumorra_screen_watch}
[ -x "$WATCH" ] || fail "no screen watcher at $WATCH"

start_xvfb 1920x1080
SECOND_DISPLAY=$DISPLAY
start_xvfb 1920x1080
xsetroot -solid white
echo 'Gtk/EnableAnimations 0' >"$WORK/xsettings.conf"
xsettingsd -c "$WORK/xsettings.conf" 2>"$WORK/xsettingsd.log" &
PIDS+=($!)
published() { grep -q 'Took ownership' "$WORK/xsettingsd.log"; }
wait_for 100 published || fail "xsettingsd did not start: $(cat "$WORK/xsettingsd.log")"

start_lumorra
expect_picture "$MEDIA_DIR/lowlight1.jpg" 1920x1080+0+0 10 "no scene"
expect_screensaver "in the idle dark room"
DISPLAY=$SECOND_DISPLAY SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/audio2.raw" \
  "$LUMORRA" --gentle 2>"$WORK/stderr2.txt" &
OTHER_PID=$! && PIDS+=("$OTHER_PID")
sleep 1
# Each watch starts as its show does. The centre of the screen is the lit wall around the bulb:
# the dark, lit and flash pictures differ there by 45 levels or more.
centre=896,476,128x128
DISPLAY=$SECOND_DISPLAY xdotool mousemove "${CHAIN[@]}" click 1 mousemove 800 600
DISPLAY=$SECOND_DISPLAY "$WATCH" 34.5 $centre >"$WORK/watch2.txt" &
WATCHERS=($!)
xdotool key space  # no window manager: the key goes to the window under the pointer
pulled=$(date +%s.%N)
"$WATCH" 34.5 $centre >"$WORK/watch.txt" &
WATCHERS+=($!) && PIDS+=("${WATCHERS[@]}")

sleep_until() { sleep "$(awk -v t="$1" -v s="$pulled" -v n="$(date +%s.%N)" 'BEGIN {
  d = s + t - n; print (d > 0 ? d : 0) }')"; }
# The blackout comes 32.7 s after the pull; the press spans the fade and the blackout.
sleep_until 31.8
xdotool mousemove "${CHAIN[@]}" sleep 0.1 mousedown 1
sleep_until 33.3
xdotool mousemove "${CHAIN[0]}" 620 mouseup 1
sleep 1
shot "$WORK/after.png"
level=$(mean_level "$WORK/after.png" 1920x1080+0+0)
below "$level" 0.01 || fail "the screen is not black after the blackout (mean level $level)"
click_strip 12  # the strip, left of "Quit"
sleep 0.5
kill -0 "$APP_PID" 2>/dev/null || fail "a click on the strip ended the program"
for pid in "${WATCHERS[@]}"; do wait "$pid" || fail "the screen watcher failed"; done
expect_screensaver "after the blackout"

# gentle WATCH: on the watched timeline, the light came on, no picture was brighter than the lit
# room, at most three sudden changes (20 levels or more) came in any second, and the lit room
# faded to black over at least a second, black coming when the show's blackout is due. The watch
# starts a little after the pull, so times are taken from the dying flicker's first step.
gentle() {
  awk '{ t[NR] = $1; v[NR] = $2 }
    END {
      for (i = 1; i <= NR; i++) if (t[i] < 15000 && v[i] > lit) lit = v[i]
      if (lit < 80) { print "the light never came on"; exit 1 }
      for (i = 1; i <= NR; i++) if (v[i] > lit + 2) { print "level " v[i] " at " t[i] " ms"; exit 1 }
      for (i = 2; i <= NR; i++) if (v[i] - v[i - 1] >= 20 || v[i - 1] - v[i] >= 20) jump[++n] = t[i]
      for (i = 4; i <= n; i++)
        if (jump[i] - jump[i - 3] <= 1000) { print "4 changes from " jump[i - 3] " ms"; exit 1 }
      for (i = 1; i <= NR; i++) if (t[i] > 30000 && v[i] < 2) { black = t[i]; break }
      for (i = 1; i <= NR; i++) if (t[i] > 30000 && t[i] < black && v[i] >= lit - 3) lastLit = t[i]
      for (i = 1; i <= n; i++) if (jump[i] > 25000) { dying = jump[i]; break }
      # The normal show goes black 3.4 s after its first dying step.
      if (black - dying < 3250 || black - dying > 3550) {
        print "black " black - dying " ms after the dying began"; exit 1 }
      if (black - lastLit < 1000) { print "a fade of " black - lastLit " ms"; exit 1 }
    }' "$1"
}
why=$(gentle "$WORK/watch.txt") || fail "not gentle with the desktop asking for it: $why"
why=$(gentle "$WORK/watch2.txt") || fail "not gentle with --gentle: $why"
xdotool key x
expect_exit "$APP_PID" 3 "a key after the blackout"
DISPLAY=$SECOND_DISPLAY xdotool mousemove 900 600 sleep 0.2 click 1
expect_exit "$OTHER_PID" 3 "a click below the strip after the blackout"

start_lumorra
xdotool key Escape
expect_exit "$APP_PID" 3 "Escape"

start_lumorra
xdotool mousemove "${CHAIN[@]}" click 1 sleep 0.05  # the chain's sound is playing now
kill "$XVFB_PID"
expect_exit "$APP_PID" 5 "the X server's end" 1
expect_one_error 1 'lumorra: lost the connection to the display'
echo "ok in $((SECONDS - started)) s"
