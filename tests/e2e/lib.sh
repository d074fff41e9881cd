# Shared helpers for the end-to-end tests: a private Xvfb server, the real program on it,
# screenshots, and cleanup of every process started, by pid.
set -euo pipefail

LUMORRA=${1:?usage: $0 path/to/lumorra}
LUMORRA=$(readlink -f "$LUMORRA")
MEDIA_DIR=$(dirname "$LUMORRA")/media
WORK=$(mktemp -d /tmp/lumorra-e2e.XXXXXX)
XVFB_DISPLAYS=$(seq 90 140)
source "$(dirname "${BASH_SOURCE[0]}")/../xserver.sh"

# A stub browser first in PATH that records the address it was asked to open.
install_stub_xdg_open() {
  mkdir -p "$WORK/bin"
  cat >"$WORK/bin/xdg-open" <<STUB
#!/bin/sh
echo "\$@" >> "$WORK/urls.txt"
STUB
  chmod +x "$WORK/bin/xdg-open"
  export PATH="$WORK/bin:$PATH"
}

# What the program said last, for a failure message.
said() { tail -n 40 "$WORK/stderr.txt" 2>/dev/null || true; }

# start_lumorra [ENV...]: the program, with extra environment if given and sound going to a
# file; sets APP_PID once its window is on screen. A script's background job starts with SIGINT
# ignored; the program gets it back as it would from a terminal.
start_lumorra() {
  env --default-signal=INT SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-disk}" \
    SDL_DISKAUDIOFILE="$WORK/audio.raw" "$@" "$LUMORRA" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" &
  APP_PID=$!
  PIDS+=("$APP_PID")
  local _
  for _ in $(seq 200); do
    kill -0 "$APP_PID" 2>/dev/null || fail "lumorra exited at start: $(cat "$WORK/stderr.txt")"
    xdotool search --onlyvisible --pid "$APP_PID" >/dev/null 2>&1 && break
    sleep 0.05
  done
  xdotool search --onlyvisible --pid "$APP_PID" >/dev/null 2>&1 || fail "no window appeared"
  sleep 0.3  # let the first frame land
}

# wait_exit PID SECONDS: waits for the process to end; sets STATUS to its exit status, or to
# "timeout".
wait_exit() {
  local pid=$1 limit=$2
  STATUS=timeout
  for _ in $(seq $((limit * 20))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      STATUS=0
      wait "$pid" 2>/dev/null || STATUS=$?
      return 0
    fi
    sleep 0.05
  done
}

# shot FILE: a screenshot of the whole screen, 8 bits a channel.
shot() { import -window root -depth 8 "$1"; }

# differs_from SHOT REFERENCE GEOMETRY: mean absolute error (0..1) between the same crop
# of a screenshot and of a reference picture.
crop_error() {
  local shot=$1 ref=$2 geometry=$3
  convert "$shot" -crop "$geometry" +repage "$WORK/a.png"
  convert "$ref" -crop "$geometry" +repage "$WORK/b.png"
  image_error "$WORK/a.png" "$WORK/b.png"
}

# image_error A B: mean absolute error (0..1) between two pictures of one size.
image_error() {
  local out
  out=$(compare -metric MAE "$1" "$2" null: 2>&1 || true)  # compare exits 1 when they differ
  printf '%s\n' "$out" | sed -E 's/.*\((.*)\).*/\1/'
}

# await_picture REFERENCE GEOMETRY SECONDS: takes screenshots until the crop matches the
# reference (a slow build may still be preparing the scene); prints the last error.
await_picture() {
  local ref=$1 geometry=$2 limit=$3 error=1 start=$SECONDS
  while :; do
    shot "$WORK/await.png"
    error=$(crop_error "$WORK/await.png" "$ref" "$geometry")
    below "$error" 0.03 && break
    [ $((SECONDS - start)) -ge "$limit" ] && break
    sleep 0.2
  done
  echo "$error"
}

# mean_level SHOT GEOMETRY: mean brightness (0..1) of a crop.
mean_level() {
  convert "$1" -crop "$2" +repage -colorspace Gray -format '%[fx:mean]' info:
}

below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

# expect_one_error STATUS TEXT: the program ended with STATUS after saying exactly one line,
# which starts with TEXT. Lines a library prints on its own behalf (GLib's CRITICAL) don't count.
expect_one_error() {
  echo "status $STATUS, said: $(grep -v '^CRITICAL' "$WORK/stderr.txt")"
  [ "$STATUS" = "$1" ] || fail "status $STATUS, not $1"
  [ "$(grep -v '^CRITICAL' "$WORK/stderr.txt" | grep -c .)" = 1 ] || fail "not one line: $(said)"
  grep -q "^$2" "$WORK/stderr.txt" || fail "said: $(said)"
}
