# End-to-end helpers: the real program on a private X server, screenshots, exits.
set -euo pipefail

LUMORRA=${1:?usage: $0 path/to/lumorra}
LUMORRA=$(readlink -f "$LUMORRA")
# The pictures the screen is compared with: beside a built program, or named for an installed one.
MEDIA_DIR=${MEDIA_DIR:-$(dirname "$LUMORRA")/media}
WORK=$(mktemp -d /tmp/lumorra-e2e.XXXXXX)
XVFB_DISPLAYS=$(seq 90 140)
source "$(dirname "${BASH_SOURCE[0]}")/../xserver.sh"

# SDL's renderer unloads its GL driver at the end, leaving allocations a leak checker cannot name.
NO_LEAK_CHECK="ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

# A stub browser first in PATH that records the address it was asked to open in urls.txt.
install_stub_xdg_open() {
  mkdir -p "$WORK/bin" && export PATH="$WORK/bin:$PATH"
  printf '#!/bin/sh\necho "$@" >> "%s/urls.txt"\n' "$WORK" >"$WORK/bin/xdg-open"
  chmod +x "$WORK/bin/xdg-open"
}

# What the program said last, for a failure message.
said() { tail -n 40 "$WORK/stderr.txt" 2>/dev/null || true; }

# start_lumorra [ENV...]: the program, sound going to a file; sets APP_PID once its window shows.
# SIGINT is given back as a terminal would (a script's background job starts with it ignored).
start_lumorra() {
  env --default-signal=INT SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-disk}" \
    SDL_DISKAUDIOFILE="$WORK/audio.raw" "$@" "$LUMORRA" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" &
  APP_PID=$!
  PIDS+=("$APP_PID")
  shown() {
    kill -0 "$APP_PID" 2>/dev/null || fail "lumorra exited at start: $(cat "$WORK/stderr.txt")"
    xdotool search --onlyvisible --pid "$APP_PID" >/dev/null 2>&1
  }
  wait_for 200 shown || fail "no window appeared"
  sleep 0.3  # let the first frame land
}

# wait_exit PID SECONDS: sets STATUS to the process's exit status, or to "timeout".
wait_exit() {
  STATUS=timeout
  gone() { ! kill -0 "$1" 2>/dev/null; }
  wait_for $(($2 * 20)) gone "$1" || return 0
  STATUS=0
  wait "$1" 2>/dev/null || STATUS=$?
}

# expect_exit PID SECONDS WHAT: the process ends within SECONDS with status 0.
expect_exit() { wait_exit "$1" "$2"; [ "$STATUS" = 0 ] || fail "$3: status $STATUS: $(said)"; }

# shot FILE: a screenshot of the whole screen, 8 bits a channel.
shot() { import -window root -depth 8 "$1"; }

# crop_error SHOT REFERENCE GEOMETRY: mean absolute error (0..1) between the same crop of both.
crop_error() {
  convert "$1" -crop "$3" +repage "$WORK/a.png"
  convert "$2" -crop "$3" +repage "$WORK/b.png"  # compare exits 1 when they differ:
  { compare -metric MAE "$WORK/a.png" "$WORK/b.png" null: 2>&1 || true; } | sed -E 's/.*\((.*)\).*/\1/'
}

# await_picture REFERENCE GEOMETRY SECONDS: screenshots until the crop matches; the last error.
await_picture() {
  local error start=$SECONDS
  while :; do
    shot "$WORK/await.png"
    error=$(crop_error "$WORK/await.png" "$1" "$2")
    below "$error" 0.03 || [ $((SECONDS - start)) -ge "$3" ] && break
    sleep 0.2
  done
  echo "$error"
}

# reduced_scene: reduced.png and reduced_lit.png, the scene as screens below 1920x1080 show it.
reduced_scene() {
  convert "$MEDIA_DIR/lowlight1.jpg" -resize 1152x768 "$WORK/reduced.png"
  convert "$MEDIA_DIR/chain1.jpg" -resize 1152x768 "$WORK/reduced_lit.png"
}

# mean_level SHOT GEOMETRY: mean brightness (0..1) of a crop.
mean_level() { convert "$1" -crop "$2" +repage -colorspace Gray -format '%[fx:mean]' info:; }

below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

# expect_one_error STATUS TEXT: ended with STATUS after one line starting with TEXT (not
# counting GLib's CRITICAL lines, which a library prints on its own behalf).
expect_one_error() {
  echo "status $STATUS, said: $(grep -v '^CRITICAL' "$WORK/stderr.txt")"
  [ "$STATUS" = "$1" ] || fail "status $STATUS, not $1"
  [ "$(grep -v '^CRITICAL' "$WORK/stderr.txt" | grep -c .)" = 1 ] || fail "not one line: $(said)"
  grep -q "^$2" "$WORK/stderr.txt" || fail "said: $(said)"
}
