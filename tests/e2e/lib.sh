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
  wait_for 200 shown || fail "no window appeared"
  sleep 0.3  # let the first frame land
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
# CRITICAL lines, which a library prints on its own behalf, aside).
expect_one_error() {
  [ "$STATUS" = "$1" ] || fail "status $STATUS, not $1: $(said)"
  [ "$(grep -v '^CRITICAL' "$WORK/stderr.txt" | grep -c .)" = 1 ] || fail "not one line: $(said)"
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
# start_on_weston: the program, silent, on start_weston's socket; sets APP_PID.
start_on_weston() {
  env -u DISPLAY WAYLAND_DISPLAY=lumorra SDL_VIDEODRIVER=wayland SDL_AUDIODRIVER=dummy \
    "$NO_LEAK_CHECK" "$LUMORRA" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" &
  APP_PID=$! && PIDS+=("$APP_PID")
}
# weston_pointer WIDTHxHEIGHT: Weston moves its pointer by the X pointer's relative motion,
# sometimes from its output's corner: the two corners clamp both pointers to one place.
weston_pointer() { xdotool mousemove 0 0 sleep 0.1 mousemove $((${1%x*} - 1)) $((${1#*x} - 1)) sleep 0.1; }

# pull: off the chain and back, a click on it where a 1920x1080 screen shows it; the sound starts.
pull() { xdotool mousemove 700 700 sleep 0.1 mousemove 118 270 click 1 sleep 0.3; }

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
