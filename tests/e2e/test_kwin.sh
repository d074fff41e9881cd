#!/usr/bin/env bash
# Under KDE Plasma's compositor (kwin_wayland nested in Xvfb, a 1920x1080 output at scales 1 and 2), as
# a KDE user starts it: native Wayland, the room at the output's pixels, a pull, the credits box
# centred, Space and Escape while it shows, Ctrl+Q; the compositor's end: one line, status 1.
source "$(dirname "$0")/lib.sh"
start_xvfb 1920x1200
on_desktops kwin 1 2
echo ok
