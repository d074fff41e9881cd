#!/usr/bin/env bash
# Runs an X11 check program on a private Xvfb server; passes when it exits 0.
set -euo pipefail
PROGRAM=${1:?usage: $0 path/to/program}
WORK=$(mktemp -d /tmp/lumorra-x11.XXXXXX)
XVFB_DISPLAYS=${E2E_DISPLAYS:-}  # a free display, unless the run is kept to its own
source "$(dirname "${BASH_SOURCE[0]}")/../xserver.sh"
start_xvfb 640x480
timeout 30 "$PROGRAM"
