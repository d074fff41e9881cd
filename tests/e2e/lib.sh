# End-to-end helpers: the real program on a private X server, screenshots, exits.
set -euo pipefail

LUMORRA=$(readlink -f "${1:?usage: $0 path/to/lumorra}")
# The pictures the screen is compared with: beside a built program, or named for an installed one.
MEDIA_DIR=${MEDIA_DIR:-$(dirname "$LUMORRA")/media}
WORK=$(mktemp -d /tmp/lumorra-e2e.XXXXXX)
# The X servers take free display numbers by themselves; E2E_DISPLAYS="N M ..." keeps a run to
# those displays instead.
XVFB_DISPLAYS=${E2E_DISPLAYS:-}
export XDG_RUNTIME_DIR="$WORK/runtime" && mkdir -m 700 "$XDG_RUNTIME_DIR"  # Weston's, PulseAudio's
source "$(dirname "${BASH_SOURCE[0]}")/../xserver.sh"

# SDL's renderer unloads its GL driver at the end, leaving allocations a leak checker cannot name.
NO_LEAK_CHECK="ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

# A stub browser first in PATH: the addresses it was asked to open go to urls.txt.
mkdir -p "$WORK/bin" && export PATH="$WORK/bin:$PATH"
printf '#!/bin/sh\necho "$@" >> "%s/urls.txt"\n' "$WORK" >"$WORK/bin/xdg-open"
chmod +x "$WORK/bin/xdg-open"

said() { tail -n 40 "$WORK/stderr.txt" 2>/dev/null || true; }

# Whether the program under test is a sanitizer build, asked once. (`ldd | grep -q` would fail
# now and then under pipefail: grep stops reading at the match and ldd dies of SIGPIPE.)
SANITIZED=$(ldd "$LUMORRA" 2>/dev/null | grep -c libasan || true)
sanitized() { [ "$SANITIZED" != 0 ]; }

# The program reports its own timings on stderr, to be held to their goals: reported NAME gives
# the figure in ms, empty when there is none.
export LUMORRA_TEST_REPORT=1
reported() { sed -n "s/^lumorra: report: $1: \(.*\) ms\$/\1/p" "$WORK/stderr.txt"; }

# start_lumorra [ENV...]: sound going to a file; sets APP_PID and APP_WIN once it shows. SIGINT is
# given back as a terminal would (a script's background job starts with it ignored).
start_lumorra() {
  env --default-signal=INT SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-disk}" \
    SDL_DISKAUDIOFILE="$WORK/audio.raw" "$@" "$LUMORRA" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" &
  APP_PID=$!
  PIDS+=("$APP_PID")
  shown() {
    kill -0 "$APP_PID" 2>/dev/null || fail "lumorra exited at start: $(cat "$WORK/stderr.txt")"
    APP_WIN=$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | head -n1) && [ -n "$APP_WIN" ]
  }
  wait_for 200 shown || fail "no window appeared: $(app_windows)"
  sleep 0.3  # let the first frame land
}

# app_windows: what became of the program's windows, and where its threads wait, for a start
# that never showed.
app_windows() {
  local window
  for window in $(xdotool search --pid "$APP_PID" 2>/dev/null); do
    printf '%s ' "$window" "$(xwininfo -id "$window" 2>&1 | sed -n 's/.*Map State: //p; s/.*-geometry //p' | tr '\n' ' ')"
  done
  printf 'threads waiting in: %s' "$(cat /proc/"$APP_PID"/task/*/wchan 2>/dev/null | tr '\0' ' ')"
}

# expect_exit PID SECONDS WHAT [WANTED]: the process ends within SECONDS with status WANTED (0).
# STATUS is left set, "timeout" if it did not end.
expect_exit() {
  STATUS=timeout
  gone() { ! kill -0 "$1" 2>/dev/null; }
  wait_for $(($2 * 20)) gone "$1" && { STATUS=0; wait "$1" 2>/dev/null || STATUS=$?; }
  [ "$STATUS" = "${4:-0}" ] || fail "$3: status $STATUS: $(said)"
}

shot() { import -window root -depth 8 "$1"; }  # 8 bits a channel

# crop_error SHOT REFERENCE GEOMETRY: mean absolute error (0..1) between the same crop of both.
crop_error() {
  convert "$1" -crop "$3" +repage "$WORK/a.png"
  convert "$2" -crop "$3" +repage "$WORK/b.png"
  mae "$WORK/a.png" "$WORK/b.png"
}
# mae A B: mean absolute error (0..1) between two pictures of one size (compare exits 1 when they
# differ).
mae() { { compare -metric MAE "$1" "$2" null: 2>&1 || true; } | sed -E 's/.*\((.*)\).*/\1/'; }

# expect_picture REFERENCE GEOMETRY SECONDS WHY [LIMIT]: screenshots until the crop is within LIMIT
# (0.03); fails with WHY unless it gets there.
expect_picture() {
  local error start=$SECONDS
  while shot "$WORK/await.png" || fail "no screenshot"; do
    error=$(crop_error "$WORK/await.png" "$1" "$2")
    below "$error" "${5:-0.03}" && return 0
    [ $((SECONDS - start)) -lt "$3" ] || fail "$4 (error $error): $(said)"
    sleep 0.2
  done
}

# reduced_scene: reduced.png and reduced_lit.png, the scene as screens below 1920x1080 show it.
reduced_scene() {
  convert "$MEDIA_DIR/lowlight1.jpg" -resize 1152x768 "$WORK/reduced.png"
  convert "$MEDIA_DIR/chain1.jpg" -resize 1152x768 "$WORK/reduced_lit.png"
}

mean_level() { convert "$1" -crop "$2" +repage -colorspace Gray -format '%[fx:mean]' info:; }
below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

# expect_one_error STATUS TEXT: ended with STATUS after one line starting with TEXT (GLib's
# CRITICAL lines, which a library prints on its own behalf, and the test reports aside).
expect_one_error() {
  [ "$STATUS" = "$1" ] || fail "status $STATUS, not $1: $(said)"
  [ "$(grep -v '^CRITICAL\|^lumorra: report: ' "$WORK/stderr.txt" | grep -c .)" = 1 ] || fail "not one line: $(said)"
  grep -q "^$2" "$WORK/stderr.txt" || fail "said: $(said)"
}

# start_weston WIDTHxHEIGHT [ARGS...]: Weston's X11 backend on the X server, with its Wayland
# socket "lumorra" in XDG_RUNTIME_DIR; sets WESTON_PID.
start_weston() {
  weston --backend=x11-backend.so --width="${1%x*}" --height="${1#*x}" --socket=lumorra \
    --idle-time=0 "${@:2}" >"$WORK/weston.log" 2>&1 &
  WESTON_PID=$! && PIDS+=("$WESTON_PID")
  wait_for 100 test -S "$XDG_RUNTIME_DIR/lumorra" || fail "weston did not start: $(tail -5 "$WORK/weston.log")"
}
# start_on_wayland SOCKET: the program, silent, on a compositor's socket (start_weston's
# "lumorra", start_desktop's "desktop") as a Wayland session starts it, with the X display beside
# it as XWayland's would be and no SDL_VIDEODRIVER; sets APP_PID.
start_on_wayland() {
  env -u SDL_VIDEODRIVER WAYLAND_DISPLAY="$1" SDL_AUDIODRIVER=dummy \
    "$NO_LEAK_CHECK" "$LUMORRA" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" &
  APP_PID=$! && PIDS+=("$APP_PID")
}
# expect_native_wayland: the program started by start_on_wayland shows through Wayland, with no X
# window of its own.
expect_native_wayland() {
  ! xdotool search --pid "$APP_PID" >/dev/null 2>&1 || fail "the program opened an X window"
}
# weston_pointer WIDTHxHEIGHT: Weston moves its pointer by the X pointer's relative motion,
# sometimes from its output's corner: the two corners clamp both pointers to one place.
weston_pointer() { xdotool mousemove 0 0 sleep 0.1 mousemove $((${1%x*} - 1)) $((${1#*x} - 1)) sleep 0.1; }

# click_strip X [LEFT TOP [SCALE]]: a click at X, 12 down, on the top strip of the scene whose
# top-left is at LEFT,TOP of the X screen (0,0), SCALE X pixels a point of it (1). The pointer
# comes along the strip from further right, as a person's would: the labels show only once it is
# on the strip. "Quit" is at 24..192 across, "About" over it at 97..147; the rest is the strip.
click_strip() {
  local left=${2:-0} top=${3:-0} scale=${4:-1}
  xdotool mousemove $((left + 400 * scale)) $((top + 2 * scale)) sleep 0.3 \
    mousemove $((left + $1 * scale)) $((top + 12 * scale)) sleep 0.3 click 1
}
# click_about [LEFT TOP [SCALE]]: "About", as click_strip.
click_about() { click_strip 120 "$@"; }
# box_shown SHOT GEOMETRY: SHOT shows the credits box there, black with white text.
box_shown() {
  below "$(mean_level "$1" "$2")" 0.1 &&
    ! below "$(convert "$1" -crop "$2" +repage -colorspace Gray -format '%[fx:maxima]' info:)" 0.6
}
# box_up [GEOMETRY]: a screenshot (box.png) shows the credits box there; in the middle of a
# 1920x1080 screen unless told.
box_up() { shot "$WORK/box.png" && box_shown "$WORK/box.png" "${1:-200x120+860+480}"; }

# pull: off the chain and back, a click on it (CHAIN); the sound starts.
pull() { xdotool mousemove 700 700 sleep 0.1 mousemove "${CHAIN[@]}" click 1 sleep 0.3; }

# window_geometry: APP_WIN's size and place, WIDTHxHEIGHT+X+Y.
window_geometry() {
  xdotool getwindowgeometry --shell "$APP_WIN" |
    awk -F= '{ v[$1] = $2 } END { printf "%sx%s+%s+%s\n", v["WIDTH"], v["HEIGHT"], v["X"], v["Y"] }'
}
# expect_geometry GEOMETRY WHY [SECONDS]: APP_WIN is at GEOMETRY (WIDTHxHEIGHT+X+Y) now, or
# within SECONDS; fails with WHY and where it is.
expect_geometry() {
  local now
  placed() { now=$(window_geometry) && [ "$now" = "$1" ]; }
  wait_for $((${3:-0} * 20 + 1)) placed "$1" || fail "$2: the window is at $now, not $1"
}

# start_xorg_dummy WIDTHxHEIGHT: Xorg's dummy driver, as a real graphics card with monitors that
# change mode, its screen at most WIDTHxHEIGHT; sets DISPLAY and XVFB_PID.
start_xorg_dummy() {
  cat >"$WORK/xorg.conf" <<CONF
Section "Device" Identifier "dummy" Driver "dummy" VideoRam 256000 EndSection
Section "Monitor" Identifier "monitor" HorizSync 5.0 - 1000.0 VertRefresh 5.0 - 200.0 EndSection
Section "Screen" Identifier "screen" Device "dummy" Monitor "monitor" DefaultDepth 24
  SubSection "Display" Depth 24 Virtual ${1%x*} ${1#*x} EndSubSection EndSection
CONF
  start_xserver Xorg -config "$WORK/xorg.conf" -noreset -nolisten tcp -logfile "$WORK/xorg.log"
}

# start_session_bus: a D-Bus session bus of the test's own, as desktops expect; sets
# DBUS_SESSION_BUS_ADDRESS.
start_session_bus() {
  local pid
  DBUS_SESSION_BUS_ADDRESS=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$WORK/bus.pid")
  export DBUS_SESSION_BUS_ADDRESS
  pid=$(cat "$WORK/bus.pid") && PIDS+=("$pid")
}
# start_system_bus: a D-Bus system bus of the test's own, with no services on it, for a desktop
# that will not start without one (gnome-shell asks it for the login manager); sets
# DBUS_SYSTEM_BUS_ADDRESS.
start_system_bus() {
  local pid
  cat >"$WORK/system-bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>system</type><listen>unix:path=$WORK/system-bus</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*"/><allow receive_sender="*"/><allow own="*"/></policy>
</busconfig>
CONF
  dbus-daemon --config-file="$WORK/system-bus.conf" --fork --print-pid=3 3>"$WORK/system-bus.pid"
  pid=$(cat "$WORK/system-bus.pid") && PIDS+=("$pid")
  export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$WORK/system-bus
}
