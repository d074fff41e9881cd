#!/usr/bin/env bash
# Screens larger than the photographs: the scene covers them (no black beside or below it) and
# the chain pulls where it is drawn, scaled with the pictures. Their pictures come from the
# masters (3840x2560): scaled down at 2560x1440 (the dark one from the copy built in for that
# width), as they are at 3840x2160.
source "$(dirname "$0")/lib.sh"
# expect_corners REFERENCE SECONDS WHY: the screen's far corners, where a picture drawn at its own
# size leaves black, match REFERENCE. Small crops keep each try quick on a 4K screen.
expect_corners() {
  local corner geometries=("320x320+$((W - 320))+0" "320x320+$((W - 320))+$((H - 320))"
    "320x160+0+$((H - 160))") start=$SECONDS
  for corner in "${geometries[@]}"; do convert "$1" -crop "$corner" +repage "$WORK/ref_$corner.png"; done
  for corner in "${geometries[@]}"; do
    until import -window root -depth 8 -crop "$corner" +repage "$WORK/corner.png" &&
      below "$(mae "$WORK/corner.png" "$WORK/ref_$corner.png")" 0.03; do
      [ $((SECONDS - start)) -lt "$2" ] || fail "${W}x$H: $3 at $corner: $(said)"
      sleep 0.2
    done
  done
}
# strip_error REFERENCE: how far the labels' corner of the top strip is from REFERENCE's.
strip_error() {
  import -window root -depth 8 -crop 140x20+24+4 +repage "$WORK/strip.png"
  convert "$1" -crop 140x20+24+4 +repage "$WORK/ref_strip.png"
  mae "$WORK/strip.png" "$WORK/ref_strip.png"
}
# expect_strip REFERENCE shown|gone: "Quit" and "About" are drawn over the picture, or gone and the
# picture whole again where they were.
expect_strip() {
  local start=$SECONDS error
  strip_is() { if [ "$1" = shown ]; then ! below "$error" 0.02; else below "$error" 0.01; fi; }
  until error=$(strip_error "$1") && strip_is "$2"; do
    [ $((SECONDS - start)) -lt 5 ] || fail "${W}x$H: the strip's labels are not $2: $error"
    sleep 0.2
  done
}
# covers WIDTH HEIGHT: the chain is pulled where it hangs scaled with the pictures, right of where
# it hangs in the unscaled photographs, so a pull there counts only on the scaled chain.
covers() {
  W=$1 H=$2
  chain_at "$(awk -v w="$W" 'BEGIN { print w / 1920 }')"
  convert "$MEDIA_DIR/lowlight1_2x.jpg" -resize "${W}x$H^" -crop "${W}x$H+0+0" +repage "$WORK/dark.ppm"
  convert "$MEDIA_DIR/chain1_2x.jpg" -resize "${W}x$H^" -crop "${W}x$H+0+0" +repage "$WORK/lit.ppm"
  start_xvfb "${W}x$H"
  start_lumorra
  expect_corners "$WORK/dark.ppm" 10 "the dark scene does not cover the screen"
  xdotool mousemove "${CHAIN[@]}" click 1 mousemove 10 $((H - 10))
  # The lit copies may still be decoding when the pull comes; instrumented builds take seconds.
  expect_corners "$WORK/lit.ppm" 30 "no light after a pull on the drawn chain"
  # Labels are drawn over a picture the program never copies: they must come and go whole.
  xdotool mousemove $((W / 2)) 0
  expect_strip "$WORK/lit.ppm" shown
  xdotool mousemove 10 $((H - 10))
  expect_strip "$WORK/lit.ppm" gone
  xdotool key ctrl+q
  expect_exit "$APP_PID" 3 "${W}x$H: Ctrl+Q"
  kill "$XVFB_PID" && wait "$XVFB_PID" 2>/dev/null || true
}
covers 2560 1440
covers 3840 2160
echo ok
