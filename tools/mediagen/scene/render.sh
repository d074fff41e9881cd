#!/usr/bin/env bash
# Renders the room with POV-Ray at 3840x2560 and develops the five masters and the 1920x1280
# photographs reduced from them into tools/mediagen/photos/, then records the hashes of the
# sources and of the pictures in photos/SOURCES, which CI checks (.ci/media). Rendering takes
# about 11 minutes on two cores (the two whole frames side by side, 7 and 9 minutes, then the
# chain's strip pulled, 2), far more than a build should add, so the build uses the committed
# pictures instead of rendering them.
#
#   tools/mediagen/scene/render.sh [BUILD_DIR]     (default: build; mediagen is built there)
#
# The renders are single-threaded on purpose: POV-Ray's radiosity is only deterministic with one
# thread, so the four renders run side by side as separate processes instead. They are kept in
# BUILD_DIR/scene-renders with the hash of the scene and of the options that made them, so that
# a change to the developing code alone does not render the room again.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
build=${1:-$root/build}
photos=$root/tools/mediagen/photos
work=$build/scene-renders

cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" --target mediagen -j2 >/dev/null

# Chain's box with a margin: the pulled variants only differ there, so only that part of them
# is rendered again.
options=(+W3840 +H2560 +FH -D -V +WT1 +A0.1 +AM2 +R2 -J)
region=(+SC160 +EC320 +SR20 +ER1080)
render() {  # light pull output [region options]
  local light=$1 pull=$2 out=$3
  shift 3
  local start=$SECONDS
  nice -n 10 povray +I"$here/room.pov" +O"$work/$out" "${options[@]}" \
    Declare=Light="$light" Declare=Pull="$pull" "$@" 2>"$work/$out.log" ||
    { cat "$work/$out.log" >&2; exit 1; }
  echo "$out rendered in $((SECONDS - start)) s"
}
# Lines that are only comments do not change the renders.
stamp=$( (grep -v '^[[:space:]]*//' "$here/room.pov"; echo "${options[*]} ${region[*]}"; povray --version 2>&1 |
  grep -m1 '^POV-Ray') | sha256sum | cut -d' ' -f1)
if [ "$(cat "$work/stamp" 2>/dev/null)" != "$stamp" ]; then
  rm -rf "$work"
  mkdir -p "$work"
  cd "$work"
  render 0 0 moon-rest.hdr &
  render 1 0 bulb-rest.hdr &
  wait
  render 0 1 moon-pulled.hdr "${region[@]}" &
  render 1 1 bulb-pulled.hdr "${region[@]}" &
  wait
  echo "$stamp" >"$work/stamp"
fi

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
