#!/usr/bin/env bash
# Every benchmark in turn (about 5 minutes), each on its own Xvfb server.
#
# Usage: bench/all.sh path/to/build
set -uo pipefail
here=$(dirname "$0")
build=${1:?usage: $0 path/to/build}
echo "date: $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) CPUs, $(uname -r)"
status=0
for b in idle startup swap show; do
  echo
  echo "##### $b"
  bash "$here/$b.sh" "$build" || status=1
done
exit $status
