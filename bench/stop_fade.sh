#!/usr/bin/env bash
# Usage: bench/stop_fade.sh path/to/build. Plays the show with its sound going to a file through
# SDL's disk audio driver (kept as BUILD/stop_fade.raw), cutting it short with a second pull so
# that the rain is stopped early, then measures how the rain goes silent (tools/mediagen's
# mediameasure, built in the build if it is not there yet).
source "$(dirname "$0")/lib.sh"
cmake --build "$BUILD" --target mediameasure >/dev/null
start_xvfb 1920x1080
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/audio.raw" "$LUMORRA" >/dev/null 2>"$WORK/err" &
app=$! && PIDS+=("$app")
sleep 3
# The chain pulled: the light comes on and the rain starts. Pulled again 8 s later, while the
# light is on: the bulb dies and the rain is stopped, the last sound of the show.
xdotool mousemove "${CHAIN[@]}" click 1 mousemove 800 600
sleep 8
xdotool mousemove "${CHAIN[@]}" click 1 mousemove 800 600
sleep 8
stop_pid "$app"
cp "$WORK/audio.raw" "$BUILD/stop_fade.raw"
"$BUILD/tools/mediagen/mediameasure" stop "$BUILD/stop_fade.raw"
