#!/usr/bin/env bash
# Under GNOME's compositor (mutter nested in Xvfb, a 1920x1080 output at scales 1, 2 and 1.5), as
# a GNOME user starts it: native Wayland, the room at the output's pixels, a pull with Space,
# Escape, Ctrl+Q; the compositor's end: one line, status 1. (Nested mutter takes no pointer
# events from the X server, so the pointer's pull and the credits box are tested under KWin.)
source "$(dirname "$0")/lib.sh"
start_xvfb 1920x1200
on_desktops mutter 1 2 1.5
echo ok
