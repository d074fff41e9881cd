#!/usr/bin/env bash
# Under a headless GNOME Shell (a virtual 1920x1080 monitor at scales 1, 2 and 1.5; the pointer
# and keys through mutter's remote desktop, the screen through the shell's screenshots, as a
# remote-desktop user has them): native Wayland, the room at the output's pixels, a pull on the
# chain lights it, "About" shows the credits box in the middle at the output's scale, Space
# switches the light off under the box, Escape quits with 0 while it shows; then Ctrl+Q quits,
# and the shell's end ends the program with one line, status 1. Nested in an X server the shell
# takes no pointer events, so this is where the box is seen under GNOME.
source "$(dirname "$0")/lib.sh"
GNOME=(/usr/bin/python3 "$(dirname "$0")/gnome_remote.py")
start_session_bus
start_system_bus
mkdir -p "$WORK/home/.config/glib-2.0/settings"
printf '[org/gnome/mutter]\nexperimental-features=["scale-monitor-framebuffer"]\n' \
  >"$WORK/home/.config/glib-2.0/settings/keyfile"
HOME=$WORK/home GSETTINGS_BACKEND=keyfile gnome-shell --headless --wayland --no-x11 \
  --wayland-display=desktop --virtual-monitor 1920x1080 >"$WORK/desktop.log" 2>&1 &
SHELL_PID=$! && PIDS+=("$SHELL_PID")
started() { grep -q 'GNOME Shell started' "$WORK/desktop.log"; }
wait_for 600 started || fail "gnome-shell did not start: $(tail -5 "$WORK/desktop.log")"
coproc HANDS { "${GNOME[@]}" serve; }
PIDS+=("$HANDS_PID")
# gnome ACTION ARGS...: an action of gnome_remote.py's, in its one session, waited for.
gnome() {
  local answer
  echo "$*" >&"${HANDS[1]}"
  read -r -t 30 answer <&"${HANDS[0]}" && [ "$answer" = "done" ] || fail "gnome_remote.py: $* failed"
}
gnome key 0xffeb  # Super: out of the overview the shell starts in
convert "$MEDIA_DIR/lowlight1.jpg" -crop 1920x1080+0+0 +repage "$WORK/dark.png"
convert "$MEDIA_DIR/chain1.jpg" -crop 1920x1080+0+0 +repage "$WORK/lit.png"

# gnome_shot FILE: the shell's screenshot, without the alpha channel it may carry, which some
# ImageMagick versions would count in a crop's mean level.
gnome_shot() { gnome shot "$1" && convert "$1" -alpha off "$1"; }

# gnome_picture REFERENCE TRIES WHAT: the shell's screenshot matches REFERENCE within 0.01.
gnome_picture() {
  local i error=1
  for ((i = 0; i < $2; i++)); do
    gnome_shot "$WORK/await.png"
    error=$(crop_error "$WORK/await.png" "$1" 1920x1080+0+0)
    below "$error" 0.01 && return 0
    sleep 0.2
  done
  fail "$3 (error $error)"
}

for scale in 1 2 1.5; do
  gnome scale "$scale"
  sleep 1
  start_on_wayland desktop
  gnome_picture "$WORK/dark.png" 40 "at $scale: the room is not the output whole at its pixels"
  # The chain and the strip in the output's logical pixels, which the pointer moves in.
  read -r -a chain <<<"$(awk -v s="$scale" 'BEGIN { printf "%d %d", 118 / s + 0.5, 270 / s + 0.5 }')"
  gnome click "${chain[@]}"
  gnome_picture "$WORK/lit.png" 20 "at $scale: the pull did not light the room"
  gnome hover 400 2
  gnome click 120 12
  sleep 0.3
  gnome key 0x20  # Space
  sleep 0.5
  gnome_shot "$WORK/box.png"
  gnome key 0xff1b  # Escape
  [ -z "${E2E_SHOTS:-}" ] || cp "$WORK/box.png" "$E2E_SHOTS/box-gnome-shell-headless-$scale.png"
  box=$(awk -v s="$scale" 'BEGIN { w = 200 * s; h = 120 * s; printf "%dx%d+%d+%d", w, h, (1920 - w) / 2, (1080 - h) / 2 }')
  box_shown "$WORK/box.png" "$box" || fail "at $scale: no credits box in the middle ($box)"
  below "$(crop_error "$WORK/box.png" "$WORK/dark.png" 450x450+0+0)" 0.03 ||
    fail "at $scale: Space did not switch the light off while the box showed"
  expect_exit "$APP_PID" 5 "at $scale: Escape while the box showed"
done
start_on_wayland desktop
gnome_picture "$WORK/dark.png" 40 "the second start"
gnome key 0xffe3 0x71  # Ctrl+Q
expect_exit "$APP_PID" 5 "Ctrl+Q"
start_on_wayland desktop
gnome_picture "$WORK/dark.png" 40 "the last start"
kill "$SHELL_PID"
expect_exit "$APP_PID" 5 "the shell's end" 1
expect_one_error 1 'lumorra: lost the connection to the display desktop'
echo ok
