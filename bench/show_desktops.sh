#!/usr/bin/env bash
# Usage: [ROUNDS=2] [DESKTOPS="x11 weston weston-pixman mutter"] [SERVERS=own|shared]
# [BEFORE=path/to/other/build] [SHOW_TRACE=1] [BENCH_WRAP=command] [QUIET_STOLEN_MS=50]
# bench/show_desktops.sh path/to/build. The show's timer lateness (lumorra_show_bench, as show.sh)
# on Xvfb 1920x1080 under X11 and under Wayland compositors nested on the same Xvfb, one run of each
# in turn, ROUNDS times, so that the machine's load weighs on all of them alike. Weston with its GL
# renderer (on llvmpipe) or its pixman renderer (weston-pixman); mutter nested, at scale 1
# (mutter-lp1: drawing on one llvmpipe thread, which leaves the other CPU to its clients as a
# desktop's GPU would; mutter-x11: the program on X11 through the same mutter's Xwayland, as it
# would run on the same desktop without its Wayland path). A desktop named NAME-shared runs in the
# program's session whatever SERVERS says; NAME@VAR=VALUE runs the bench with VAR set. Each run's
# CPU: ours, the compositor's and Xvfb's. BEFORE runs that build's bench too, right after each run
# of this one's (its runs named NAME~before), for a change judged in one session. SHOW_TRACE=1
# prints each late Action with the present before it and its thread's run_delay (see
# show_bench.cpp); BENCH_WRAP runs the bench under a command (`perf record -a -e sched:sched_switch
# ... --`). The Actions are pooled twice: over every run, and over the runs in which the hypervisor
# took at most QUIET_STOLEN_MS of the machine's CPU time, the figure a machine of its own would
# give.
source "$(dirname "$0")/lib.sh"
SCREEN=1920x1080
ROUNDS=${ROUNDS:-2}
DESKTOPS=${DESKTOPS:-x11 weston weston-pixman mutter}
# As on a desktop, the display servers run in sessions of their own, so that the kernel's
# autogroups share the CPUs between them and the program as between a desktop's processes; with
# SERVERS=shared they run in the script's session, with the program.
OWN=(setsid) && [ "${SERVERS:-own}" = own ] || OWN=()
printf '#!/bin/sh\nexec %s Xvfb "$@"\n' "${OWN[*]}" >"$WORK/xvfb" && chmod +x "$WORK/xvfb"
start_xserver "$WORK/xvfb" -screen 0 ${SCREEN}x24 -noreset -nolisten tcp
HOST_DISPLAY=$DISPLAY
export XDG_RUNTIME_DIR=$WORK/runtime && mkdir -m 700 "$XDG_RUNTIME_DIR"
if [[ $DESKTOPS == *mutter* ]]; then
  DBUS_SESSION_BUS_ADDRESS=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$WORK/bus.pid")
  export DBUS_SESSION_BUS_ADDRESS && PIDS+=("$(cat "$WORK/bus.pid")")
fi

# The time the hypervisor kept this machine's CPUs from running so far, ms: a thread that waits
# for it shows no run_delay, as the kernel does not see it waiting.
steal_ms() { awk -v hz="$(getconf CLK_TCK)" '/^cpu / { printf "%.0f", $9 * 1000 / hz }' /proc/stat; }
cpu_ms() { # PID: CPU time of its threads so far, ms
  cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f", s / 1e6 }'
}

# start_compositor DESKTOP: sets COMPOSITOR (its pid, or empty) and the environment to reach it.
# DESKTOP-shared runs the compositor in the script's session, with the program, whatever SERVERS.
start_compositor() {
  COMPOSITOR=
  rm -f "$XDG_RUNTIME_DIR/bench"
  export DISPLAY=$HOST_DISPLAY && unset XAUTHORITY
  local OWN=("${OWN[@]}") && [[ $1 != *-shared ]] || OWN=()
  case ${1%-shared} in
    x11) export SDL_VIDEODRIVER=x11 && unset WAYLAND_DISPLAY && return 0 ;;
    weston | weston-pixman)
      local pixman=() && [ "${1%-shared}" = weston ] || pixman=(--use-pixman)
      "${OWN[@]}" weston --backend=x11-backend.so "${pixman[@]}" --width=${SCREEN%x*} --height=${SCREEN#*x} \
        --socket=bench --idle-time=0 >"$WORK/$1.log" 2>&1 &
      ;;
    mutter | mutter-lp1 | mutter-x11)
      local x11=(--no-x11) threads=() && [ "${1%-shared}" != mutter-x11 ] || x11=()
      [ "${1%-shared}" != mutter-lp1 ] || threads=(LP_NUM_THREADS=1)
      HOME=$WORK GSETTINGS_BACKEND=memory MUTTER_DEBUG_DUMMY_MODE_SPECS=$SCREEN env "${threads[@]}" \
        "${OWN[@]}" mutter --nested --wayland "${x11[@]}" --wayland-display=bench >"$WORK/$1.log" 2>&1 &
      ;;
    *) fail "unknown desktop $1" ;;
  esac
  COMPOSITOR=$! && PIDS+=("$COMPOSITOR")
  wait_for 200 test -S "$XDG_RUNTIME_DIR/bench" || fail "$1 did not start: $(tail -3 "$WORK/$1.log")"
  sleep 1 # its first frames drawn
  [ "$round" != 1 ] || echo "$1 in $(cut -d' ' -f1 "/proc/$COMPOSITOR/autogroup"), the program in $(cut -d' ' -f1 /proc/self/autogroup)"
  export WAYLAND_DISPLAY=bench SDL_VIDEODRIVER=wayland
  if [ "${1%-shared}" = mutter-x11 ]; then
    local xwayland
    xwayland=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$WORK/$1.log")
    [ -n "$xwayland" ] || fail "mutter started no Xwayland: $(tail -3 "$WORK/$1.log")"
    export DISPLAY=$xwayland SDL_VIDEODRIVER=x11
    XAUTHORITY=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.*) && export XAUTHORITY
    unset WAYLAND_DISPLAY
  fi
}

echo "screen $SCREEN, display servers' sessions: ${SERVERS:-own}; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
ENTRIES=()
for entry in $DESKTOPS; do ENTRIES+=("$entry") && [ -z "${BEFORE:-}" ] || ENTRIES+=("$entry~before"); done
machine_busy_start
for round in $(seq "$ROUNDS"); do
  for entry in "${ENTRIES[@]}"; do
    bench=$BENCH_BIN/lumorra_show_bench && [[ $entry != *~before ]] ||
      bench=$(readlink -f "$BEFORE")/bench/lumorra_show_bench
    # "desktop@VAR=VALUE" runs the bench with VAR set, beside runs without it.
    named=${entry%~before} && desktop=${named%%@*}
    extra=() && [ "$named" = "$desktop" ] || extra=("${named#*@}")
    start_compositor "$desktop"
    server_before=$(cpu_ms "$XVFB_PID") comp_before=$([ -z "$COMPOSITOR" ] || cpu_ms "$COMPOSITOR")
    steal_before=$(steal_ms)
    TIMEFORMAT='%U %S'
    # shellcheck disable=SC2086
    { time ${BENCH_WRAP:-} env "${extra[@]}" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/audio.raw" \
      "$bench" >"$WORK/out-$round-$entry" 2>"$WORK/err"; } 2>"$WORK/time" ||
      fail "show bench failed on $desktop: $(grep -v CRITICAL "$WORK/err")"
    [ -z "${KEEP:-}" ] || cp "$WORK/err" "$KEEP/err-$round-$entry"
    ours=$(awk '{ printf "%.0f", ($1 + $2) * 1000 }' "$WORK/time")
    server=$(($(cpu_ms "$XVFB_PID") - server_before))
    comp=- && [ -z "$COMPOSITOR" ] || comp=$(($(cpu_ms "$COMPOSITOR") - comp_before))
    samples lateness "$WORK/out-$round-$entry" >"$WORK/late-run"
    read -r n m p max <<<"$(stats "$WORK/late-run")"
    over=$(awk '$1 > 2 { o++ } END { print o + 0 }' "$WORK/late-run")
    stolen=$(($(steal_ms) - steal_before)) && echo "$stolen" >"$WORK/stolen-$round-$entry"
    printf '%-20s round %d: %d Actions, median %.3f, max %.3f ms, over 2 ms: %d; CPU ms: ours %s, compositor %s, Xvfb %s, stolen %s; load %s\n' \
      "$entry" "$round" "$n" "$m" "$max" "$over" "$ours" "$comp" "$server" "$stolen" \
      "$(cut -d' ' -f1 /proc/loadavg)"
    if [ "${SHOW_TRACE:-0}" = 1 ]; then
      # Each late Action, and the one before it.
      grep '^trace:' "$WORK/err" | awk '{ late = $4 } late > 2 { print "    " prev; print "  > " $0 } { prev = $0 }'
    fi
    [ -z "$COMPOSITOR" ] || stop_pid "$COMPOSITOR"
  done
done
# pooled TITLE MAX_STOLEN: each desktop's Actions over its runs in which the hypervisor took at
# most MAX_STOLEN ms of the machine's CPU time (empty: every run).
pooled() {
  echo "$1"
  local entry r runs
  for entry in "${ENTRIES[@]}"; do
    # By round, as a desktop's name may end another's (x11, mutter-x11).
    runs=()
    for r in $(seq "$ROUNDS"); do
      [ -z "$2" ] || [ "$(cat "$WORK/stolen-$r-$entry")" -le "$2" ] || continue
      runs+=("$WORK/out-$r-$entry")
    done
    [ ${#runs[@]} -gt 0 ] || { printf '%-20s no run\n' "$entry" && continue; }
    samples lateness "${runs[@]}" >"$WORK/late"
    read -r n m p max <<<"$(stats "$WORK/late")"
    awk -v d="$entry" -v runs=${#runs[@]} -v n="$n" -v m="$m" -v p="$p" -v max="$max" '$1 > 2 { o++ } END {
      printf "%-20s %d runs, %d Actions: median %.3f ms, p99 %.3f ms, max %.3f ms, over 2 ms: %d (goal p99 <= 2 ms: %s)\n",
        d, runs, n, m, p, max, o, p <= 2 ? "met" : "MISSED" }' "$WORK/late"
  done
}
pooled "pooled, per desktop:" ""
# A vCPU that the hypervisor holds off wakes every thread on it late, with no wait that the
# machine's own scheduler could see (run_delay), whatever the program does.
QUIET=${QUIET_STOLEN_MS:-50}
pooled "pooled over the runs in which the hypervisor took at most $QUIET ms (stolen):" "$QUIET"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
machine_busy_report
