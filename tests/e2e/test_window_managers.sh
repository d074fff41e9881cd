#!/usr/bin/env bash
# Under icewm with its taskbar, xfwm4 with xfce4-panel's top panel and bottom dock, and openbox:
# while the credits box shows (and after a click on it) no panel comes over the scene, Space lights
# the room and Escape quits with 0. The box is drawn in the scene, so no window manager can stack
# it, raise a panel for it or take the keyboard with it.
source "$(dirname "$0")/lib.sh"  # needs icewm, xfwm4, xfce4-panel and openbox
start_xvfb 1920x1080
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config"
mkdir -p "$HOME/.icewm" "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
printf 'ShowTaskBar=1\n' >"$HOME/.icewm/preferences"  # along the bottom
# The panel's own first-start choice, made beforehand: a panel along the top, a dock at the bottom.
cp /etc/xdg/xfce4/panel/default.xml "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml"

top=1600x30+320+0 bottom=1920x40+0+1040  # right of "Quit" and "About"; the bottom rows
# under WM: "About", a click on the box off its names, Space, then Escape.
under() {
  start_lumorra
  expect_picture "$MEDIA_DIR/lowlight1.jpg" $bottom 10 "$1: a panel covers the bottom of the scene"
  click_about
  wait_for 20 box_up || fail "$1: no credits box in the middle of the scene"
  # It hides 5 s after it was made; shown again after that, it stays however slow the checks.
  expect_picture "$MEDIA_DIR/lowlight1.jpg" 200x120+860+480 10 "$1: the credits box did not hide"
  click_about
  wait_for 20 box_up || fail "$1: the credits box did not come back"
  xdotool mousemove 870 490 click 1 sleep 0.3 key space  # the box's corner, then the keyboard
  expect_picture "$MEDIA_DIR/chain1.jpg" 600x500+0+0 5 "$1: Space did not light the room"
  box_up || fail "$1: the credits box went"
  for rows in $top $bottom; do
    below "$(crop_error "$WORK/box.png" "$MEDIA_DIR/chain1.jpg" "$rows")" 0.03 ||
      fail "$1: something covers the scene at $rows while the box shows"
  done
  xdotool key Escape
  expect_exit "$APP_PID" 3 "$1: Escape with the credits box up"
}

stop_wm() { kill "$WM_PID" && wait "$WM_PID" 2>/dev/null || true; }
start_wm icewm && WM_PID=${PIDS[-1]}
under icewm
stop_wm

# xfce4-panel keeps its settings in xfconfd, which it reaches over a session bus.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$WORK/bus"
dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS" >"$WORK/dbus.log" 2>&1 &
PIDS+=($!)
wait_for 100 test -S "$WORK/bus" || fail "no session bus: $(cat "$WORK/dbus.log")"
start_wm xfwm4 --compositor=off && WM_PID=${PIDS[-1]}
xfce4-panel >"$WORK/panel.log" 2>&1 &
PANEL_PID=$! && PIDS+=("$PANEL_PID")
panels() { [ "$(xdotool search --onlyvisible --class xfce4-panel 2>/dev/null | wc -l)" -ge 2 ]; }
wait_for 200 panels || fail "xfce4-panel did not start: $(tail -5 "$WORK/panel.log")"
sleep 1  # its items fill in
under "xfwm4 with xfce4-panel"
kill "$PANEL_PID" && stop_wm

start_wm openbox --config-file /dev/null
under openbox
echo ok
