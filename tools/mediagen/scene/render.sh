#!/usr/bin/env bash
# Renders the room with POV-Ray and develops the five photographs into tools/mediagen/photos/,
# then records the hashes of the sources and of the pictures in photos/SOURCES, which CI checks
# (.ci/media). Rendering takes about 90 s on two cores (155 s of CPU), more than a build should
# add, so the build uses the committed pictures instead of rendering them.
#
#   tools/mediagen/scene/render.sh [BUILD_DIR]     (default: build; mediagen is built there)
#
# The renders are single-threaded on purpose: POV-Ray's radiosity is only deterministic with one
# thread, so the four renders run side by side as separate processes instead.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
build=${1:-$root/build}
photos=$root/tools/mediagen/photos
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" --target mediagen -j2 >/dev/null

# Chain's box with a margin: the pulled variants only differ there, so only that part of them
# is rendered again.
render() {  # light pull output [region options]
  local light=$1 pull=$2 out=$3
  shift 3
  nice -n 10 povray +I"$here/room.pov" +O"$work/$out" +W1920 +H1280 +FH -D -V +WT1 \
    +A0.1 +AM2 +R2 -J Declare=Light="$light" Declare=Pull="$pull" "$@" 2>"$work/$out.log" ||
    { cat "$work/$out.log" >&2; exit 1; }
}
cd "$work"
region=(+SC80 +EC160 +SR10 +ER540)
render 0 0 moon-rest.hdr &
render 1 0 bulb-rest.hdr &
wait
render 0 1 moon-pulled.hdr "${region[@]}" &
render 1 1 bulb-pulled.hdr "${region[@]}" &
wait

mkdir -p "$photos"
"$build/tools/mediagen/mediagen" --develop "$work" "$photos"

cd "$root"
{
  echo "# $(povray --version 2>&1 | grep -m1 '^POV-Ray')"
  sha256sum tools/mediagen/scene/room.pov tools/mediagen/scene/render.sh \
    tools/mediagen/develop.h tools/mediagen/develop.cpp tools/mediagen/photos.h \
    tools/mediagen/photos.cpp tools/mediagen/scene.h tools/mediagen/scene.cpp \
    tools/mediagen/encode.h tools/mediagen/encode.cpp tools/mediagen/mathx.h \
    tools/mediagen/parallel.h src/media/chain_box.h
  (cd tools/mediagen/photos && sha256sum ./*.jpg | sed 's|\./|tools/mediagen/photos/|')
} >"$photos/SOURCES"
echo "photographs written to $photos"
