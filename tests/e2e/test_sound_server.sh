#!/usr/bin/env bash
# A PulseAudio server gets the chain's sound; without it the program runs on, and once it is back
# the next pull is heard again.
source "$(dirname "$0")/lib.sh"
start_pulse() {
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --load=module-null-sink \
    --load=module-native-protocol-unix >"$WORK/pulse.log" 2>&1 &
  PULSE_PID=$! && PIDS+=("$PULSE_PID")
  wait_for 100 pactl info >/dev/null 2>&1 || fail "pulseaudio did not start: $(tail -3 "$WORK/pulse.log")"
}
streams() { pactl list short sink-inputs | grep -c . || true; }

start_xvfb 1920x1080
start_pulse
start_lumorra env -u SDL_AUDIODRIVER  # the sound server, not a file
pull && [ "$(streams)" -ge 1 ] || fail "no stream on the sound server after a pull"
{ kill "$PULSE_PID"; wait "$PULSE_PID"; } 2>/dev/null || true
pull
kill -0 "$APP_PID" || fail "the program ended without its sound server: $(said)"
start_pulse
pull && [ "$(streams)" -ge 1 ] || fail "no stream once the sound server was back: $(said)"
xdotool key ctrl+q
expect_exit "$APP_PID" 3 "Ctrl+Q"
echo ok
