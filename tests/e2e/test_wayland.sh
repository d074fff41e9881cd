#!/usr/bin/env bash
# In a Wayland session (Weston's X11 backend on Xvfb, the Xvfb's display beside it as XWayland's
# would be) the program opens native Wayland by itself: the scene fills the output and the chain
# pulls under the program's own hand cursor, which leaves no file behind; the compositor's end
# ends the program with one line, as an X server's does. A compositor that cannot be reached
# leaves the program to X11, silently.
source "$(dirname "$0")/lib.sh"
start_xvfb 1152x768
start_weston 1152x768
shown_on_weston() {
  start_on_wayland lumorra
  expect_picture "$WORK/reduced.png" 1152x768+0+0 10 "Weston's output does not show the scene"
  expect_native_wayland
}
reduced_scene
chain_at 0.6
shown_on_weston
# A borderless window needs no decorations: no decoration plugin, and no toolkit behind one.
! grep -E 'libdecor/plugins|libgtk|libgdk' "/proc/$APP_PID/maps" ||
  fail "a decoration plugin or toolkit was loaded for a window without decorations"
weston_pointer 1152x768
xdotool mousemove "${CHAIN[@]}" sleep 0.2 mousedown 1 sleep 0.1 mouseup 1
expect_picture "$WORK/reduced_lit.png" 360x300+0+0 5 "the pull on the chain did not switch the light on"
kill -TERM "$APP_PID"
expect_exit "$APP_PID" 3 "SIGTERM"
# The hand was shown over the chain: its pixels were in no file that stays behind.
left=$(cd "$XDG_RUNTIME_DIR" && ls | grep -v '^lumorra' || true)
[ -z "$left" ] || fail "files left in XDG_RUNTIME_DIR: $left"
shown_on_weston
kill "$WESTON_PID"
expect_exit "$APP_PID" 5 "Weston's end" 1
expect_one_error 1 'lumorra: lost the connection to the display lumorra'
# A compositor that is gone, its socket missing or left behind (refusing connections): X11,
# without a word on stderr.
perl -MIO::Socket::UNIX -e 'IO::Socket::UNIX->new(Local => $ARGV[0], Listen => 1) or die' \
  "$XDG_RUNTIME_DIR/stale"
for socket in gone stale; do
  SDL_AUDIODRIVER=dummy WAYLAND_DISPLAY=$socket start_lumorra
  kill -TERM "$APP_PID" && expect_exit "$APP_PID" 3 "X11 after the $socket socket"
  ! grep -v '^lumorra: report: ' "$WORK/stderr.txt" || fail "the way to X11 was not silent"
done
echo ok
