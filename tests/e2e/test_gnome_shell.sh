#!/usr/bin/env bash
# Under GNOME Shell nested in Xvfb (a 1920x1080 output at scales 1, 2 and 1.5; a system bus of
# the test's own, without which the shell does not start), as a GNOME user starts the program:
# native Wayland, full screen over the shell's top bar, the room at the output's pixels, a pull
# with Space, Escape, Ctrl+Q; the shell's end: one line, status 1. (Nested, the shell takes no
# pointer events from the X server, so the pointer's pull and the credits box are tested under a
# headless shell.) GNOME's compositor alone is not tested apart: the shell runs on it.
source "$(dirname "$0")/lib.sh"
start_xvfb 1920x1200
on_desktops gnome-shell 1 2 1.5
echo ok
