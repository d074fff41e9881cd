#!/usr/bin/env bash
# A minute of random pointer and key input on a real X server: the program stays up, and what
# it holds in memory afterwards is what it held once everything had been used once.
source "$(dirname "$0")/lib.sh"

SECONDS_OF_INPUT=${LUMORRA_SOAK_SECONDS:-60}
RANDOM=${LUMORRA_SOAK_SEED:-4242}  # fixed, so that a failing run can be replayed
rss_kb() { awk '/^VmRSS:/ { print $2; f = 1 } END { exit !f }' "/proc/$APP_PID/status"; }
r() { R=$((RANDOM % ($2 - $1 + 1) + $1)); }  # no subshell, so that the seed fixes the whole run
# shellcheck disable=SC2059
add() { CMDS+=" $(printf "$1" "${@:2}")"; }  # FORMAT ARGS...: more xdotool commands
# shellcheck disable=SC2086
send() { xdotool $CMDS "$@" 2>/dev/null || true; CMDS=""; }
anywhere() { r 0 1919; X=$R; r 24 1079; Y=$R; }  # below the strip, where a click is not "Quit"
on_chain() { r 98 137; X=$R; r 26 515; Y=$R; }
pull() { anywhere; add 'mousemove %d %d' "$X" "$Y"; on_chain; add 'mousemove %d %d click 1' "$X" "$Y"; }

start_xvfb 1920x1080
# Everything is used once before the first measurement: lit pictures, rain, labels, box, link.
start_and_warm_up() {
  start_lumorra
  xdotool mousemove "${CHAIN[@]}" click 1 sleep 1.5 mousemove 800 600 sleep 0.2 \
    mousemove "${CHAIN[@]}" click 1 sleep 0.6
  click_about
  xdotool sleep 0.5 mousemove 960 513 click 1 sleep 0.3 mousemove 800 600 sleep 2  # sound device idles
  BASE_RSS=$(rss_kb) || fail "the program died while warming up: $(said)"
}

start_and_warm_up
start=$SECONDS last_pull=$SECONDS CMDS=""
while ((SECONDS - start < SECONDS_OF_INPUT)); do
  r 3 8
  for ((i = R; i > 0; i--)); do
    r 0 9
    case $R in
      0 | 1) anywhere; add 'mousemove %d %d' "$X" "$Y" ;;
      2) anywhere; add 'mousemove %d %d click 1' "$X" "$Y" ;;
      3) pull ;;
      4) on_chain; add 'mousemove %d %d mousedown 1' "$X" "$Y"  # a pull let go far away
        anywhere; add 'mousemove %d %d mouseup 1' "$X" "$Y" ;;
      5) add 'mousemove 120 12 click 1' ;;  # "About"
      6) r 920 1000; X=$R; r 507 518; add 'mousemove %d %d click 1' "$X" "$R" ;;  # a name
      7) r 0 1919; add 'mousemove %d %d' "$R" 10 ;;  # over the strip
      8) r 0 51; k=abcdefghijklmnopqrstuvwxyz k=${k:R%26:1}  # a letter, with Ctrl unless Q
        ((R < 26)) && [ "$k" != q ] && k=ctrl+$k
        add 'key %s' "$k" ;;
      9) r 1 3; add 'sleep 0.%d' "$R" ;;
    esac
  done
  # A pull at least every 8 s: a light left on burns out, and after the blackout a click quits.
  ((SECONDS - last_pull > 8)) && pull && last_pull=$SECONDS
  send
  if ! kill -0 "$APP_PID" 2>/dev/null; then
    expect_exit "$APP_PID" 1 "the program under random input"
    echo "the program ended with status 0 (a click after the blackout); starting it again"
    start_and_warm_up
  fi
done

sleep 1  # back to the state of the first measurement: the light off, the sound device closed
for _ in 1 2 3; do
  shot "$WORK/end.png"
  below "$(crop_error "$WORK/end.png" "$MEDIA_DIR/lowlight1.jpg" 600x500+0+0)" 0.03 && break
  pull && send sleep 1
done
xdotool mousemove 800 600 sleep 2.5
end_rss=$(rss_kb) || fail "the program is gone after the random input: $(said)"
echo "RSS: $BASE_RSS kB after warming up, $end_rss kB after ${SECONDS_OF_INPUT} s of random input"
{ sanitized && echo "sanitizer build: the growth is not checked"; } ||
  [ $((end_rss - BASE_RSS)) -le 5120 ] || fail "RSS grew by $((end_rss - BASE_RSS)) kB under random input"
click_strip 30  # "Quit"
expect_exit "$APP_PID" 3 "Quit after the random input"
echo ok
