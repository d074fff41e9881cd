#!/usr/bin/env bash
# Under sway (headless, drawn in software) at output scales 1, 2 and 1.5: the window is full screen
# and shows the room pixel for pixel at the output's pixels. A window SDL makes again once shown
# comes back as an ordinary tiled window there, with a title bar. Sway will not run as root, so
# sway, the program and grim run as nobody, from a folder of nobody's own.
source "$(dirname "$0")/lib.sh"
chmod 711 "$WORK"
home=$WORK/sway && mkdir -m 700 "$home" && cp "$LUMORRA" "$home/lumorra" && chown -R nobody "$home"
as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups env -i PATH=/usr/bin:/bin
  HOME="$home" XDG_RUNTIME_DIR="$home" WAYLAND_DISPLAY=wayland-1 WLR_BACKENDS=headless
  WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1)
echo "output HEADLESS-1 resolution 1920x1080" >"$home/config"
"${as_nobody[@]}" sway -c "$home/config" >"$WORK/sway.log" 2>&1 &
PIDS+=($!)
wait_for 100 test -S "$home/wayland-1" || fail "sway did not start: $(tail -5 "$WORK/sway.log")"
sway_msg() { "${as_nobody[@]}" env SWAYSOCK="$(echo "$home"/sway-ipc.*.sock)" swaymsg "$@"; }
convert "$MEDIA_DIR/lowlight1.jpg" -crop 1920x1080+0+0 +repage "$WORK/dark.png"
for scale in 1 2 1.5; do
  sway_msg output HEADLESS-1 scale "$scale" >/dev/null
  "${as_nobody[@]}" env SDL_VIDEODRIVER=wayland SDL_AUDIODRIVER=dummy "$NO_LEAK_CHECK" "$home/lumorra" \
    >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" &
  APP_PID=$! && PIDS+=("$APP_PID")
  room() {
    "${as_nobody[@]}" grim "$home/shot.png" && cp "$home/shot.png" "$WORK/shot.png" &&
      below "$(mae "$WORK/shot.png" "$WORK/dark.png")" 0.01
  }
  wait_for 300 room || fail "scale $scale: the room is not shown whole at the output's pixels"
  tree=$(sway_msg -t get_tree)  # whole, not piped: grep -q ending early would fail the pipe
  grep -q '"fullscreen_mode": 1' <<<"$tree" || fail "scale $scale: not full screen"
  kill -TERM "$APP_PID"
  expect_exit "$APP_PID" 3 "SIGTERM"
done
echo ok
