#!/usr/bin/env bash
# A minute of random pointer and key input on a real X server: the program stays up, and what
# it holds in memory afterwards is what it held once everything had been used once.
source "$(dirname "$0")/lib.sh"

SECONDS_OF_INPUT=${LUMORRA_SOAK_SECONDS:-60}
RSS_SLACK_KB=5120
RANDOM=${LUMORRA_SOAK_SEED:-4242}  # fixed, so that a failing run can be replayed

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# Random numbers without subshells, so that the seed fixes the whole run.
r() { R=$((RANDOM % ($2 - $1 + 1) + $1)); }
LETTERS=(a b c d e f g h i j k l m n o p q r s t u v w x y z)

start_xvfb 1920x1080
install_stub_xdg_open

# Everything is used once before the first measurement: the lit pictures and the rain, the
# strip's labels with their font, the credits box and its link.
start_and_warm_up() {
  start_lumorra
  xdotool mousemove 118 270 click 1 sleep 1.5 mousemove 800 600 sleep 0.2 \
    mousemove 118 270 click 1 sleep 0.6
  xdotool mousemove 1000 10 sleep 0.3 mousemove 120 12 click 1 sleep 0.5 \
    mousemove 960 513 click 1 sleep 0.3 mousemove 800 600
  sleep 2  # the sound device closes when idle
  kill -0 "$APP_PID" 2>/dev/null || fail "the program died while warming up"
  BASE_RSS=$(rss_kb "$APP_PID")
  echo "pid $APP_PID: RSS after the first switch-on and switch-off: $BASE_RSS kB"
}

# add FORMAT ARGS...: appends xdotool commands to CMDS.
add() {
  local format=$1
  shift
  # shellcheck disable=SC2059
  CMDS+=$(printf "$format " "$@")" "
}
anywhere() { r 0 1919; X=$R; r 24 1079; Y=$R; }  # the strip along the top is left out
on_chain() { r 98 137; X=$R; r 26 515; Y=$R; }

# A pull on the chain: off it first, since one visit allows one pull.
pull() {
  r 300 1900; local x=$R
  r 600 1000; local y=$R
  on_chain
  add 'mousemove %d %d mousemove %d %d click 1' "$x" "$y" "$X" "$Y"
}

# One burst of random input, as xdotool commands in CMDS. Above y = 24 only "About" is
# clicked: a click elsewhere there would be "Quit". Ctrl+Q is never typed.
burst() {
  local n i
  CMDS=""
  r 3 8; n=$R
  for ((i = 0; i < n; i++)); do
    r 0 13
    case $R in
      0 | 1 | 2) anywhere; add 'mousemove %d %d' "$X" "$Y" ;;
      3 | 4) on_chain; add 'mousemove %d %d' "$X" "$Y" ;;
      5) anywhere; add 'mousemove %d %d click 1' "$X" "$Y" ;;
      6) pull ;;
      7) # a pull let go far away
        on_chain; add 'mousemove %d %d mousedown 1' "$X" "$Y"
        anywhere; add 'mousemove %d %d mouseup 1' "$X" "$Y" ;;
      8) anywhere; add 'mousemove %d %d mousedown 1' "$X" "$Y"
        anywhere; add 'mousemove %d %d mouseup 1' "$X" "$Y" ;;
      9) add 'mousemove 120 12 click 1' ;;  # "About"
      10) r 920 1000; X=$R; r 507 518; add 'mousemove %d %d click 1' "$X" "$R" ;;  # a name
      11) r 0 1919; X=$R; r 0 23; add 'mousemove %d %d' "$X" "$R" ;;  # over the strip
      12)
        r 0 25; local key=${LETTERS[$R]}
        r 0 1
        if [ "$key" = q ] || [ "$R" = 0 ]; then add 'key %s' "$key"; else add 'key ctrl+%s' "$key"; fi
        ;;
      13) r 1 3; add 'sleep 0.%d' "$R" ;;
    esac
  done
}

start_and_warm_up
programs=1
bursts=0
actions=0
last_pull=$(now_ms)
start=$(now_ms)
while (($(now_ms) - start < SECONDS_OF_INPUT * 1000)); do
  burst
  # A pull at least every 8 s: a light left on for half a minute burns out, and once the screen
  # is black any click quits.
  if (($(now_ms) - last_pull > 8000)); then
    pull
    last_pull=$(now_ms)
  fi
  # shellcheck disable=SC2086
  xdotool $CMDS 2>/dev/null || true
  bursts=$((bursts + 1))
  for word in $CMDS; do
    case $word in mousemove | click | mousedown | mouseup | key) actions=$((actions + 1)) ;; esac
  done
  r 1 9
  sleep "0.0$R"
  if ! kill -0 "$APP_PID" 2>/dev/null; then
    wait_exit "$APP_PID" 1
    [ "$STATUS" = 0 ] || fail "the program died under random input with status $STATUS (after $bursts bursts): $(said)"
    echo "the program ended with status 0 after $bursts bursts; starting it again"
    programs=$((programs + 1))
    start_and_warm_up
  fi
done

kill -0 "$APP_PID" 2>/dev/null || fail "the program is gone after the random input: $(said)"
# Back to the state of the first measurement: the light off, the sound device closed.
sleep 1
for _ in 1 2 3; do
  shot "$WORK/end.png"
  below "$(crop_error "$WORK/end.png" "$MEDIA_DIR/lowlight1.jpg" 600x500+0+0)" 0.03 && break
  CMDS=""
  pull
  # shellcheck disable=SC2086
  xdotool $CMDS
  sleep 1
done
xdotool mousemove 800 600
sleep 2.5
end_rss=$(rss_kb "$APP_PID")
growth=$((end_rss - BASE_RSS))
echo "$actions pointer and key actions in $bursts bursts over ${SECONDS_OF_INPUT} s, $programs program(s)"
echo "RSS: $BASE_RSS kB after warming up, $end_rss kB after the random input (growth $growth kB)"
if ldd "$LUMORRA" 2>/dev/null | grep -q libasan; then
  echo "sanitizer build: memory is held back on purpose; the growth is not checked"
else
  [ "$growth" -le "$RSS_SLACK_KB" ] || fail "RSS grew by $growth kB under random input"
fi

xdotool mousemove 1000 10 sleep 0.2 mousemove 30 12 click 1
wait_exit "$APP_PID" 3
[ "$STATUS" = 0 ] || fail "Quit after the random input ended the program with status $STATUS: $(said)"
echo ok
