#!/usr/bin/env bash
# With a display present, --help, --version and a bad option are answered on the terminal at
# once, with the right status, and never connect to the X server (so no window can flash up).
source "$(dirname "$0")/lib.sh"

start_xvfb 640x480

# ask EXPECTED_STATUS ARGS...: runs the program with a one-second limit and sets OUT and ERR;
# then runs it again under strace, noting every connect() it makes. (LeakSanitizer cannot run
# under ptrace, so an instrumented build does without it for the traced run.)
ask() {
  local expected=$1 status
  shift
  set +e
  timeout 1 "$LUMORRA" "$@" >"$WORK/out.txt" 2>"$WORK/err.txt"
  status=$?
  set -e
  OUT=$(cat "$WORK/out.txt")
  ERR=$(cat "$WORK/err.txt")
  [ "$status" != 124 ] || fail "lumorra $* did not answer within a second"
  [ "$status" = "$expected" ] || fail "lumorra $* exited with $status, not $expected: $ERR"
  ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" timeout 5 \
    strace -f -qq -e trace=connect -o "$WORK/connects.txt" "$LUMORRA" "$@" >/dev/null 2>&1 || true
  [ -e "$WORK/connects.txt" ] || fail "strace did not run"
  if grep -q 'X11-unix\|sun_path' "$WORK/connects.txt"; then
    fail "lumorra $* connected to the display: $(cat "$WORK/connects.txt")"
  fi
}

ask 0 --help
grep -q '^Usage: lumorra' <<<"$OUT" || fail "--help printed no usage: $OUT"
grep -q 'Photosensitivity warning' <<<"$OUT" || fail "--help gives no photosensitivity warning"
[ -z "$ERR" ] || fail "--help wrote to stderr: $ERR"

ask 0 --version
grep -Eqx 'lumorra [0-9]+\.[0-9]+\.[0-9]+' <<<"$OUT" || fail "--version printed: $OUT"

ask 2 --bogus
[ -z "$OUT" ] || fail "a bad option wrote to stdout: $OUT"
[ "$(wc -l <<<"$ERR")" = 2 ] || fail "a bad option should give one line and a hint: $ERR"
grep -q "'--bogus'" <<<"$ERR" || fail "the bad option is not named: $ERR"
grep -q -- "--help" <<<"$ERR" || fail "no hint: $ERR"

echo "ok"
