#!/usr/bin/env bash
# Usage: bench/all.sh path/to/build. Every benchmark in turn (about 5 min), each on its own Xvfb.
echo "date: $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) CPUs, $(uname -r)"
status=0
for b in idle startup swap show; do
  printf '\n##### %s\n' $b
  bash "$(dirname "$0")/$b.sh" "${1:?usage: $0 path/to/build}" || status=1
done
exit $status
